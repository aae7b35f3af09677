// The service window's buttons without a database: test datagram, hand-made requests and
// commands, the host, cell and loss lists, and the window's layout rules.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/host_table.h"
#include "server/service_window.h"
#include "server/sql_test_window.h"
#include "server/station_frame.h"
#include "server/worker_table.h"
#include "server/workstation_link.h"
#include "simulator/station_codec.h"
#include "tests/server/server_state.h"
#include "tests/server/udp_peer.h"
#include "tests/support/manual_clock.h"

namespace {

using tolvex::Cells;

std::int32_t StatusWord(int offset) {
  std::int32_t value = 0;
  std::memcpy(&value, tolvex::StatusDatagramBuffer.data() + offset, 4);
  return value;
}

std::vector<std::string> Lines(const forms::TListBox& list) {
  return list.Items().Items();
}

using ManualClock = lamptest::ManualClockFirst;

class ServiceWindowButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tolvex::CloseDatabase();
    tolvex::CellCount = 2;
    tolvex::ClearWorkerTable();
    tolvex::SetTabnum(0, "123aaa");
    tolvex::SetTabnum(1, "010aaa");
    Cells.ST[0] = 5;
    Cells.ST[1] = 12;
    Cells.UCH[1] = 2;
    Cells.BRIG[1] = 3;
    Cells.WTBNUM[1] = 40;
    Cells.kZAPR[1] = 4;
    Cells.nnLOSS[1] = 7;
    Cells.PendingReport[0] = 0;
  }
  void TearDown() override { tolvex::CellCount = 0; }

  ManualClock clock_;
  tolvex::TFormSV sv_;
  tolvex::TFormSQL sql_;
};

TEST_F(ServiceWindowButtonsTest, TestDatagramCarriesTheFieldsAndAsksForTheReportOfAKnownCell) {
  struct Case {
    const char* number;
    const char* event_code;
    const char* voltage;
    std::int32_t sent_voltage;
    std::int32_t pending_report;
    std::int32_t last_event_code = tolvex::kNoEventYet;
  };
  // Unlike a status answer, the button asks whatever code the cell reported last.
  for (const Case& c :
       {Case{"123aaa", "3502", "3000", 3000, 0x93}, Case{"123aaa", "3404", "2500", 2500, 0x94},
        Case{"123aaa", "3404", "2500", 2500, 0x94, 0x3404}, Case{"999zzz", "3502", "x", 3000, 0}}) {
    Cells.PendingReport[0] = 0;
    Cells.LastEventCode[0] = c.last_event_code;
    sv_.Edit4.SetText(c.number);
    sv_.EditKSOB.SetText(c.event_code);
    sv_.Edit8.SetText(c.voltage);
    sv_.Edit3.SetText("1f");
    sv_.Edit6.SetText("8000");
    sv_.BitBtn3Click();
    EXPECT_EQ(StatusWord(0), static_cast<std::int32_t>(tolvex::IdCellStatus));
    EXPECT_EQ(
        std::string(reinterpret_cast<const char*>(tolvex::StatusDatagramBuffer.data() + 4), 6),
        c.number);
    EXPECT_EQ(StatusWord(32), 0x1f);
    EXPECT_EQ(StatusWord(40), 0x8000);
    EXPECT_EQ(StatusWord(48), std::stoi(c.event_code, nullptr, 16));
    EXPECT_EQ(StatusWord(52), c.sent_voltage);
    EXPECT_EQ(StatusWord(56), 3);
    EXPECT_EQ(StatusWord(60), 5);
    EXPECT_EQ(StatusWord(64), 1);
    EXPECT_EQ(StatusWord(100), 5000);
    EXPECT_EQ(StatusWord(104), 20);
    EXPECT_EQ(Cells.PendingReport[0], c.pending_report) << c.number << " " << c.event_code;
  }
}

TEST_F(ServiceWindowButtonsTest, CommandsArePreparedForTheNextPollTick) {
  sv_.Edit4.SetText("777bbb");
  sv_.BitBtn9Click();
  EXPECT_EQ(tolvex::PendingStationCommand.code, 1);
  EXPECT_STREQ(tolvex::PendingStationCommand.address.data(), "777bbb");
  sv_.Edit4.SetText("12345678");
  sv_.BitBtn10Click();
  EXPECT_EQ(tolvex::PendingStationCommand.code, 2);
  EXPECT_STREQ(tolvex::PendingStationCommand.address.data(), "123456");

  sv_.EditIDN.SetText("001aaa");
  sv_.EditSTZ.SetText("202");
  sv_.BitBtn14Click();
  EXPECT_EQ(tolvex::PreparedCommand.FrameType, 0xC2);
  EXPECT_EQ(tolvex::PreparedCommand.Command, 0xA1);
  EXPECT_EQ(tolvex::PreparedCommand.Word1, 2);
  EXPECT_EQ(tolvex::PreparedCommand.Word2, 0x202);
  EXPECT_STREQ(tolvex::PreparedCommand.Address, "001aaa");
  EXPECT_EQ(tolvex::PreparedCommand.Flag, 1);
  tolvex::PreparedCommand.Flag = 0;
  sv_.BitBtn15Click();
  EXPECT_EQ(tolvex::PreparedCommand.Word1, 0);
  EXPECT_EQ(tolvex::PreparedCommand.Word2, 0);
  EXPECT_EQ(tolvex::PreparedCommand.Flag, 1);
  tolvex::PreparedCommand.Flag = 0;
}

TEST_F(ServiceWindowButtonsTest, StatusPollByHandGoesToTheTypedNumber) {
  using namespace tolvex;
  using server_test::Bytes;
  server_test::UdpPeer station;
  HostTable[0] = HostEntry{.StationNumber = 4, .Port = station.port(), .AddressText = "127.0.0.1"};
  HostCount = 1;
  TargetHost = 4;
  SetStationSocketPort(0);
  ASSERT_EQ(OpenStationSocket(), 0);
  sv_.EditIDN.SetText("042ccc");
  sv_.Edit14.SetText("3a0c");
  sv_.BitBtn4Click();
  const std::optional<Bytes> sent = station.Receive();
  server_test::CloseStationSocket();
  SetStationSocketPort(kStationPort);
  HostCount = 0;
  EXPECT_STREQ(RequestAddress, "042ccc");
  ASSERT_TRUE(sent.has_value());
  stationsim::RequestFrame request;
  ASSERT_EQ(stationsim::ParseRequestFrame(*sent, request), stationsim::RequestParse::kOk);
  EXPECT_EQ(request.frame_type, 0xC1);
  EXPECT_STREQ(request.address, "042ccc");
  EXPECT_EQ(Bytes(request.payload.begin(), request.payload.begin() + request.payload_size),
            (Bytes{0x92, 0x80, 7, 0, 0, 0x0C, 0x3A}));
}

TEST_F(ServiceWindowButtonsTest, CellAndLossListsShowTheNumberBareAndPadded) {
  sv_.BitBtn6Click();
  EXPECT_EQ(Lines(sv_.ListBox1),
            (std::vector<std::string>{"05   '123aaa'  0  0 0", "12   '010aaa'  2  3 40"}));
  sv_.BitBtn8Click();
  EXPECT_TRUE(Lines(sv_.ListBox1).empty());
  sv_.BitBtn16Click();
  EXPECT_EQ(Lines(sv_.ListBox1),
            (std::vector<std::string>{"ST IndNum kZAPR  nnLOSS", "05   123aaa    0  0",
                                      "12   010aaa    4  7"}));
  sv_.BitBtn17Click();
  EXPECT_EQ(Cells.nnLOSS[1], 0);
}

TEST_F(ServiceWindowButtonsTest, HostListAndReload) {
  const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
  const std::filesystem::path dir =
      scratch != nullptr ? scratch : "/tmp/service_window_buttons_test";
  std::filesystem::create_directories(dir);
  {
    std::ofstream out(dir / "hostab.txt");
    out << "3 192.168.1.13 4001\n7 127.0.0.2 4002\n";
  }
  tolvex::SetHostTablePath((dir / "hostab.txt").string());
  sv_.BitBtn7Click();
  sv_.BitBtn5Click();
  EXPECT_EQ(Lines(sv_.ListBox1),
            (std::vector<std::string>{"3   192.168.1.13:4001", "7   127.0.0.2:4002"}));
  tolvex::SetHostTablePath({});
}

TEST_F(ServiceWindowButtonsTest, PingWithoutAConnectionMakesNone) {
  sv_.BitBtn12Click();
  EXPECT_EQ(sv_.Edit2.Text(), "0 1  0");
  sv_.BitBtn13Click();  // no connection: no counters
  EXPECT_TRUE(Lines(sv_.ListBox1).empty());
}

TEST_F(ServiceWindowButtonsTest, WindowLayoutRules) {
  sv_.SetLeft(100);
  sv_.SetTop(50);
  sv_.BitBtn2Click();
  EXPECT_TRUE(sql_.Visible());
  EXPECT_EQ(sql_.Left(), 160);
  EXPECT_EQ(sql_.Top(), 90);

  sv_.OnResize = [this] { sv_.FormResize(); };
  sv_.Resize(300, 400);
  EXPECT_EQ(sv_.ListBox1.Width(), 200);
  sv_.Resize(1000, 400);
  EXPECT_EQ(sv_.ListBox1.Width(), 740);
}

}  // namespace
