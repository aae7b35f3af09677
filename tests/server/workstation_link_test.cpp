// The workstation link of the server: command datagrams into the pending slot, the dispatch
// of the slot as station frames, and the status and battery datagrams. The workstation and
// the stations are played by loopback UDP sockets on free ports.
#include "server/workstation_link.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "server/frame_receiver.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/service_window.h"
#include "server/station_frame.h"
#include "server/workstation_socket.h"
#include "tests/server/server_state.h"
#include "tests/server/udp_peer.h"
#include "tests/support/calendar_time.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using server_test::UdpPeer;

std::uint32_t U32(const Bytes& b, int offset) {
  return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 |
         static_cast<std::uint32_t>(b[offset + 3]) << 24;
}

void PutU32(Bytes& b, int offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A station frame as the stations receive it.
struct SentFrame {
  std::uint8_t tag_byte;
  std::uint8_t frame_type;
  Bytes fabnum;
  std::string address;  // six header bytes, as they stand
  Bytes payload;
};

SentFrame ParseSentFrame(const Bytes& d) {
  SentFrame f;
  f.tag_byte = d[4];
  f.frame_type = d[5];
  f.fabnum.assign(d.begin() + 6, d.begin() + 14);
  f.address.assign(d.begin() + 14, d.begin() + 20);
  const int n = d[24] - 2;
  f.payload.assign(d.begin() + 26, d.begin() + 26 + n);
  return f;
}

struct Command {
  std::uint32_t magic = tolvex::IdCommand;
  std::string number;
  std::uint64_t fabnum = 0;
  std::int32_t kind = 1;
  std::uint32_t code = 0;
  std::int32_t p1 = 0, p2 = 0, p3 = 0;
  std::vector<std::uint32_t> values{};

  Bytes Datagram() const {
    Bytes b(tolvex::kCommandDatagramSize, 0);
    PutU32(b, 0, magic);
    std::memcpy(&b[4], number.data(), std::min<size_t>(number.size(), 6));
    for (int i = 0; i < 8; ++i) b[12 + i] = static_cast<std::uint8_t>(fabnum >> (8 * i));
    PutU32(b, 20, static_cast<std::uint32_t>(kind));
    PutU32(b, 28, code);
    PutU32(b, 32, static_cast<std::uint32_t>(p1));
    PutU32(b, 36, static_cast<std::uint32_t>(p2));
    PutU32(b, 40, static_cast<std::uint32_t>(p3));
    for (size_t i = 0; i < values.size() && i < 32; ++i) PutU32(b, 68 + 4 * i, values[i]);
    return b;
  }
};

void Parse(const Bytes& b) {
  tolvex::ParseCommandDatagram(static_cast<int>(b.size()), b.data(), "127.0.0.1", 4011);
}

std::time_t LocalMoment(int year, int month, int day, int hour, int minute, int second) {
  std::tm t = lamptest::CalendarTime(year, month, day, hour, minute, second);
  t.tm_isdst = -1;  // the zone's own rule for that day
  return std::mktime(&t);
}

std::time_t FixedNow = 0;
std::time_t FixedClock() {
  return FixedNow;
}

class WorkstationLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    forms::Application().UseManualClock();
    using namespace tolvex;
    PendingStationCommand = PendingStationCommandSlot{};
    StatusDatagramBuffer = lamp::StatusDatagram{};
    BatteryDatagramBuffer = lamp::BatteryDatagram{};
    std::memset(RequestFabNum, 0, sizeof RequestFabNum);
    std::memset(RequestAddress, 0, sizeof RequestAddress);
    FrameTag = 1;
    TargetHost = 1;
    MonitorWatchdog = 0;
    SetLinkClock(nullptr);

    MonitorEndpoints = WorkstationEndpoints{"127.0.0.1", 0, "127.0.0.1", workstation_.port()};
    ASSERT_EQ(OpenMonitorSocket(), 0);
    SetStationSocketPort(0);
    ASSERT_EQ(OpenStationSocket(), 0);

    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    std::filesystem::path dir = scratch != nullptr ? scratch : "/tmp/workstation_link_test";
    std::filesystem::create_directories(dir);
    const auto hosts = dir / "hostab.txt";
    std::ofstream(hosts) << "1 127.0.0.1 " << station1_.port() << "\n"
                         << "2 127.0.0.1 " << station2_.port() << "\n";
    SetHostTablePath(hosts.string());
    ASSERT_EQ(LoadHostTable(), 0);
  }

  void TearDown() override {
    using namespace tolvex;
    server_test::CloseMonitorSocket();
    server_test::CloseStationSocket();
    SetLinkClock(nullptr);
  }

  // The frame both stations got for the last dispatch (they must agree).
  SentFrame DispatchedFrame() {
    auto a = station1_.Receive();
    auto b = station2_.Receive();
    EXPECT_TRUE(a.has_value() && b.has_value());
    if (!a || !b) return {};
    EXPECT_EQ(*a, *b);
    return ParseSentFrame(*a);
  }

  // Runs the receive tick until a command is pending (at most 50 ticks).
  void ReceiveUntilCommandPending() {
    using namespace tolvex;
    SetWorkstationDatagramHandler(&ParseCommandDatagram);
    for (int i = 0; i < 50 && PendingStationCommand.code == 0; ++i) {
      sv_.Timer1Timer();
      ::usleep(2000);
    }
    SetWorkstationDatagramHandler(nullptr);
  }

  Bytes WorkstationDatagram() {
    auto d = workstation_.Receive();
    EXPECT_TRUE(d.has_value());
    return d.value_or(Bytes(tolvex::kStatusDatagramSize, 0));
  }

  UdpPeer workstation_;
  UdpPeer station1_;
  UdpPeer station2_;
  tolvex::TFormSV sv_;
  tolvex::TForm1 main_;
};

// ---- Taking datagrams ----

TEST_F(WorkstationLinkTest, DatagramOfOtherLengthOnlyRefreshesTheWatchdog) {
  using namespace tolvex;
  Parse(
      Command{.number = "010aaa", .fabnum = 7, .code = 163, .p1 = 1, .p2 = 2, .p3 = 3}.Datagram());
  for (int length : {0, 203, 205}) {
    MonitorWatchdog = 3;
    Bytes bytes = Command{.number = "999zzz", .fabnum = 99, .code = 10}.Datagram();
    bytes.resize(static_cast<size_t>(length));
    Parse(bytes);
    EXPECT_EQ(MonitorWatchdog, 15) << length;
    EXPECT_EQ(PendingStationCommand.code, 163);
    EXPECT_EQ(PendingStationCommand.P1, 1);
    EXPECT_EQ(PendingStationCommand.P3, 3);
    EXPECT_STREQ(PendingStationCommand.address.data(), "010aaa");
    EXPECT_EQ(RequestFabNum[0], 7);
  }
}

TEST_F(WorkstationLinkTest, WrongMagicClearsTheParametersOnly) {
  using namespace tolvex;
  Parse(
      Command{.number = "010aaa", .fabnum = 7, .code = 163, .p1 = 1, .p2 = 2, .p3 = 3}.Datagram());
  MonitorWatchdog = 3;
  Parse(Command{.magic = 0xA5B6, .number = "999zzz", .fabnum = 99, .code = 10, .p1 = 5}.Datagram());
  EXPECT_EQ(MonitorWatchdog, 15);
  EXPECT_EQ(PendingStationCommand.code, 163);
  EXPECT_EQ(PendingStationCommand.P1, 0);
  EXPECT_EQ(PendingStationCommand.P2, 0);
  EXPECT_EQ(PendingStationCommand.P3, 0);
  EXPECT_STREQ(PendingStationCommand.address.data(), "010aaa");
  EXPECT_EQ(RequestFabNum[0], 7);
}

TEST_F(WorkstationLinkTest, CodeTableDecidesWhatTheSlotKeeps) {
  using namespace tolvex;
  struct Case {
    std::uint32_t code;
    std::int32_t slot_code;  // what the slot holds afterwards (10 was pending before)
    bool keeps_params;
    bool takes_kind;
  };
  const Case cases[] = {
      {1, 1, false, false},           {2, 2, false, false},    {4, 4, false, false},
      {10, 10, false, false},         {11, 11, false, false},  {20, 20, false, false},
      {30, 30, false, false},         {131, 131, true, false}, {147, 147, true, false},
      {148, 148, true, false},        {158, 158, true, false}, {163, 163, true, false},
      {166, 166, true, false},        {257, 257, false, true}, {258, 258, true, true},
      {0, 10, false, false},          {99, 10, false, false},  {0xA09F, 10, false, false},
      {0xB09F, 0xA09F, false, false},
  };
  for (const Case& c : cases) {
    PendingStationCommand = PendingStationCommandSlot{};
    PendingStationCommand.code = 10;
    Parse(Command{.number = "123abc",
                  .fabnum = 0x0102030405060708,
                  .kind = 2,
                  .code = c.code,
                  .p1 = 11,
                  .p2 = 22,
                  .p3 = 33}
              .Datagram());
    const auto& s = PendingStationCommand;
    EXPECT_EQ(s.code, c.slot_code) << c.code;
    EXPECT_EQ(s.P1, c.keeps_params ? 11 : 0) << c.code;
    EXPECT_EQ(s.P2, c.keeps_params ? 22 : 0) << c.code;
    EXPECT_EQ(s.P3, c.keeps_params ? 33 : 0) << c.code;
    EXPECT_EQ(s.number_kind, c.takes_kind ? 2 : 1) << c.code;
    // Every datagram that passes the magic test gives its address and factory number.
    EXPECT_STREQ(s.address.data(), "123abc") << c.code;
    const std::uint8_t fab[8] = {8, 7, 6, 5, 4, 3, 2, 1};
    EXPECT_EQ(std::memcmp(RequestFabNum, fab, 8), 0) << c.code;
    EXPECT_EQ(sv_.Edit9.Text(), std::to_string(c.code));
  }
}

TEST_F(WorkstationLinkTest, MonitorLineShowsTheSlot) {
  using namespace tolvex;
  Parse(Command{.number = "010aaa", .code = 163, .p1 = 1, .p2 = 500}.Datagram());
  EXPECT_EQ(sv_.ListBox1.Items().Count(), 0);
  sv_.CheckMon.SetChecked(true);
  Parse(Command{.number = "010aaa", .code = 163, .p1 = 1, .p2 = 500}.Datagram());
  ASSERT_EQ(sv_.ListBox1.Items().Count(), 1);
  EXPECT_EQ(sv_.ListBox1.Items()[0], "mon A3  1  1F4  0");
}

TEST_F(WorkstationLinkTest, DatagramsArriveThroughTheReceiveTick) {
  using namespace tolvex;
  UdpPeer sender;
  sender.SendTo(MonitorSocketLocalPort(),
                Command{.number = "010aaa", .fabnum = 5, .code = 10}.Datagram());
  ReceiveUntilCommandPending();
  EXPECT_EQ(PendingStationCommand.code, 10);
  EXPECT_STREQ(PendingStationCommand.address.data(), "010aaa");
  EXPECT_EQ(MonitorWatchdog, 15);
  EXPECT_EQ(sv_.Edit10.Text(), "204");
}

// ---- Dispatch ----

TEST_F(WorkstationLinkTest, CommandTableGivesTheFrames) {
  using namespace tolvex;
  struct Case {
    std::uint32_t code;
    std::int32_t p1, p2, p3;
    std::uint8_t frame_type;
    Bytes payload;
  };
  const Case cases[] = {
      {1, 0, 0, 0, 0x79, {0xA1, 0x80, 7, 0, 0, 7, 0}},
      {2, 0, 0, 0, 0x79, {0xA1, 0x80, 7, 0, 0, 1, 1}},
      {4, 0, 0, 0, 0x79, {0xA1, 0x80, 7, 2, 0, 2, 1}},
      {10, 0, 0, 0, 0x79, {0xA1, 0x80, 7, 0, 0, 10, 0}},
      {20, 0, 0, 0, 0x79, {0xA1, 0x80, 7, 0, 0, 20, 0}},
      {30, 0, 0, 0, 0x79, {0xA0, 0x80, 7, 1, 0, 2, 0}},
      {147, 5, 6, 7, 0x79, {0x93, 0x80, 7, 0, 0, 0, 0}},
      {148, 5, 6, 7, 0x79, {0x94, 0x80, 7, 0, 0, 0, 0}},
      {158, 64, 6, 7, 0x79, {0x9E, 0x80, 9, 64, 0, 0, 0, 0, 0}},
      {163, 1, 500, 0, 0x79, {0xA3, 0x80, 9, 0x01, 0x00, 0xF4, 0x01, 0x00, 0x00}},
      {166, 1, 0x10002, 3, 0x79, {0xA6, 0x80, 9, 1, 0, 2, 0, 3, 0}},
      {131, 1, 8, 9, 0x7A, {0x83, 0x80, 7, 1, 0, 8, 0}},
      {257, 5, 6, 7, 0x7A, {0x01, 0x80, 7, 0, 0, 0, 0}},
      {258, 2, 30, 7, 0x7A, {0x02, 0x80, 7, 2, 0, 30, 0}},
  };
  for (const Case& c : cases) {
    Parse(Command{
        .number = "010aaa", .fabnum = 0x1122, .code = c.code, .p1 = c.p1, .p2 = c.p2, .p3 = c.p3}
              .Datagram());
    ASSERT_EQ(RunPendingCommand(), static_cast<std::int32_t>(c.code));
    EXPECT_EQ(TargetHost, kAllHosts);
    EXPECT_EQ(PendingStationCommand.code, 0);
    const SentFrame f = DispatchedFrame();
    EXPECT_EQ(f.frame_type, c.frame_type) << c.code;
    EXPECT_EQ(f.payload, c.payload) << c.code;
    EXPECT_EQ(f.address, "010aaa") << c.code;
    EXPECT_EQ(f.fabnum, (Bytes{0x22, 0x11, 0, 0, 0, 0, 0, 0})) << c.code;
    // Cell commands carry the tag the last send left; number commands the number kind 1.
    EXPECT_EQ(f.tag_byte, 0x81) << c.code;
  }
  EXPECT_EQ(RunPendingCommand(), 0);
  EXPECT_TRUE(station1_.Silent());
}

TEST_F(WorkstationLinkTest, FirstCellCommandOfTheRunCarriesTheLoadTimeTag) {
  using namespace tolvex;
  FrameTag = 3;
  Parse(Command{.number = "010aaa", .code = 10}.Datagram());
  RunPendingCommand();
  EXPECT_EQ(DispatchedFrame().tag_byte, 0x83);
}

TEST_F(WorkstationLinkTest, NumberKindStaysUntilTheNextFindOrShow) {
  using namespace tolvex;
  Parse(Command{.number = "010aaa", .kind = 11, .code = 258, .p1 = 2, .p2 = 5}.Datagram());
  RunPendingCommand();
  EXPECT_EQ(DispatchedFrame().tag_byte, 0x8B);
  Parse(Command{.number = "010aaa", .kind = 1, .code = 131, .p1 = 1, .p2 = 8}.Datagram());
  RunPendingCommand();
  SentFrame f = DispatchedFrame();
  EXPECT_EQ(f.tag_byte, 0x8B);
  EXPECT_EQ(f.frame_type, 0x7A);
  // Cell commands carry the tag the last send left, not the kind.
  for (std::uint32_t code : {0xB09Fu, 163u}) {
    Parse(Command{.number = "010aaa", .code = code, .p1 = 1}.Datagram());
    RunPendingCommand();
    EXPECT_EQ(DispatchedFrame().tag_byte, 0x81) << code;
  }
  // A kind of 0x12 keeps its low four bits in the header.
  Parse(Command{.number = "010aaa", .kind = 0x12, .code = 257}.Datagram());
  RunPendingCommand();
  EXPECT_EQ(DispatchedFrame().tag_byte, 0x82);
}

TEST_F(WorkstationLinkTest, WriteNumberSendsTheLowBytesOfSixteenValues) {
  using namespace tolvex;
  std::vector<std::uint32_t> values(32, 0);
  values[0] = 0x141;
  values[1] = 0x242;
  for (int i = 2; i < 16; ++i) values[i] = 0x300 + i;
  values[16] = 0xEE;  // not part of the payload
  Parse(Command{.number = "010aaa", .kind = 2, .code = 0xA09C, .p1 = 208, .values = values}
            .Datagram());
  Parse(Command{.number = "010aaa", .kind = 2, .code = 257}.Datagram());
  Parse(Command{.number = "010aaa", .code = 0xA09C, .p1 = 208, .values = values}.Datagram());
  ASSERT_EQ(RunPendingCommand(), 0xA09C);
  const SentFrame f = DispatchedFrame();
  Bytes expected = {0x9C, 0x80, 0x15, 208, 0, 0x41, 0x42};
  for (int i = 2; i < 16; ++i) expected.push_back(static_cast<std::uint8_t>(i));
  EXPECT_EQ(f.frame_type, 0x7A);
  EXPECT_EQ(f.tag_byte, 0x82);
  EXPECT_EQ(f.payload, expected);
}

TEST_F(WorkstationLinkTest, ModeRecordWriteBecomesSlotCodeA09F) {
  using namespace tolvex;
  std::vector<std::uint32_t> values(24);
  for (int i = 0; i < 24; ++i) values[i] = 0xAB0000u + 0x100u * i + i;
  Parse(Command{.number = "010aaa", .code = 0xB09F, .p1 = 0x1234, .values = values}.Datagram());
  ASSERT_EQ(PendingStationCommand.code, 0xA09F);
  ASSERT_EQ(RunPendingCommand(), 0xA09F);
  const SentFrame f = DispatchedFrame();
  Bytes expected = {0x9F, 0x80, 0x35, 0x34, 0x12};
  for (int i = 0; i < 24; ++i) {
    expected.push_back(static_cast<std::uint8_t>(i));
    expected.push_back(static_cast<std::uint8_t>(i));
  }
  EXPECT_EQ(f.frame_type, 0x79);
  EXPECT_EQ(f.tag_byte, 0x81);
  EXPECT_EQ(f.payload, expected);
}

TEST_F(WorkstationLinkTest, CodeElevenEmptiesTheSlotAndSendsNothing) {
  using namespace tolvex;
  Parse(Command{.number = "010aaa", .code = 11}.Datagram());
  EXPECT_EQ(RunPendingCommand(), 11);
  EXPECT_EQ(PendingStationCommand.code, 0);
  EXPECT_TRUE(station1_.Silent());
  EXPECT_TRUE(station2_.Silent());
}

TEST_F(WorkstationLinkTest, LaterDatagramReplacesCommandAddressAndFactoryNumber) {
  using namespace tolvex;
  Parse(Command{.number = "010aaa", .fabnum = 1, .code = 163, .p1 = 1, .p2 = 500}.Datagram());
  Parse(Command{.number = "", .fabnum = 2, .code = 0}.Datagram());  // keep-alive
  ASSERT_EQ(RunPendingCommand(), 163);
  const SentFrame f = DispatchedFrame();
  EXPECT_EQ(f.address, std::string(6, '\0'));
  EXPECT_EQ(f.fabnum[0], 2);
  EXPECT_EQ(f.payload, (Bytes{0xA3, 0x80, 9, 0, 0, 0, 0, 0, 0}));
  // The address outlives the dispatch: STOP of the service window reuses nothing else.
  EXPECT_EQ(PendingStationCommand.code, 0);
}

// ---- Datagrams to the workstation ----

TEST_F(WorkstationLinkTest, StatusReportWritesItsFieldsAndKeepsTheRest) {
  using namespace tolvex;
  FixedNow = LocalMoment(2026, 12, 10, 8, 0, 0);
  SetLinkClock(&FixedClock);
  const std::uint8_t fab[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  SendCommandAnswerRecord(0x7A, 0x9C, "777bbb", fab, 42, 0x105, 0x206);
  WorkstationDatagram();
  SendStatusReport(4, 0x10, 0x20, 9, "010aaa", 0x3404, 12500, 800, 61, 2, 3, 40, 12000, 13000, 5000,
                   -10);
  const Bytes d = WorkstationDatagram();
  ASSERT_EQ(d.size(), 220u);
  EXPECT_EQ(U32(d, 0), 0xA5B6u);
  EXPECT_EQ(std::string(d.begin() + 4, d.begin() + 10), "010aaa");
  EXPECT_EQ(d[10], 0);
  EXPECT_EQ(Bytes(d.begin() + 12, d.begin() + 20), Bytes(fab, fab + 8));  // kept
  EXPECT_EQ(U32(d, 24), 0u);
  EXPECT_EQ(U32(d, 28), 4006051200u);  // 46366 days and 8 hours after 1899-12-30
  const std::uint32_t expected[] = {4, 0x10, 0x20, 9, 0x3404, 12500, 800, 61, 2, 3, 40};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(U32(d, 32 + 4 * i), expected[i]) << i;
  EXPECT_EQ(U32(d, 76), 0x9Cu);   // kept
  EXPECT_EQ(U32(d, 80), 0x7Au);   // kept
  EXPECT_EQ(U32(d, 84), 0x105u);  // kept
  EXPECT_EQ(U32(d, 88), 0x206u);  // kept
  EXPECT_EQ(U32(d, 92), 12000u);
  EXPECT_EQ(U32(d, 96), 13000u);
  EXPECT_EQ(U32(d, 100), 5000u);
  EXPECT_EQ(static_cast<std::int32_t>(U32(d, 104)), -10);
  for (int i = 108; i < 220; ++i) EXPECT_EQ(d[i], 0) << i;
}

TEST_F(WorkstationLinkTest, PingKeepsStationCycleAndAnswerFields) {
  using namespace tolvex;
  const std::uint8_t fab[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  SendStatusReport(4, 1, 2, 3, "010aaa", 5, 6, 7, 8, 2, 10, 11, 12, 13, 14, 15);
  WorkstationDatagram();
  SendCommandAnswerRecord(0x7A, 2, "777bbb", fab, 42, 1, 2);
  WorkstationDatagram();
  SendPing(0xFFF, 0, 0, 0, "020ccc", 0, 0);
  const Bytes d = WorkstationDatagram();
  EXPECT_EQ(U32(d, 0), 0xA5CCu);
  EXPECT_EQ(std::string(d.begin() + 4, d.begin() + 10), "020ccc");
  EXPECT_EQ(U32(d, 24), 42u);  // kept from the number answer
  EXPECT_EQ(U32(d, 32), 0xFFFu);
  for (int off = 36; off <= 60; off += 4) EXPECT_EQ(U32(d, off), 0u) << off;
  EXPECT_EQ(U32(d, 64), 2u);  // cycle mode kept
  EXPECT_EQ(U32(d, 68), 10u);
  EXPECT_EQ(U32(d, 72), 11u);
  EXPECT_EQ(U32(d, 76), 2u);
  EXPECT_EQ(U32(d, 80), 0x7Au);
  EXPECT_EQ(U32(d, 92), 12u);
}

TEST_F(WorkstationLinkTest, CellAnswerAfterNumberAnswerKeepsItsFactoryAndStationNumber) {
  using namespace tolvex;
  const std::uint8_t fab[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
  SendStatusReport(4, 1, 2, 3, "010aaa", 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  WorkstationDatagram();
  SendCommandAnswerRecord(0x7A, 0x83, "777bbb", fab, 3, 0x0102, 0x0304);
  const Bytes first = WorkstationDatagram();
  EXPECT_EQ(U32(first, 84), 0x0102u);
  EXPECT_EQ(U32(first, 88), 0x0304u);
  SendCommandAnswer(0x79, 0xA1, "010aaa");
  const Bytes d = WorkstationDatagram();
  EXPECT_EQ(U32(d, 0), 0xA511u);
  EXPECT_EQ(Bytes(d.begin() + 12, d.begin() + 20), Bytes(fab, fab + 8));
  EXPECT_EQ(U32(d, 24), 3u);
  for (int off = 32; off <= 60; off += 4) EXPECT_EQ(U32(d, off), 0u) << off;
  EXPECT_EQ(U32(d, 64), 9u);  // cycle mode of the status report, kept
  EXPECT_EQ(U32(d, 76), 0xA1u);
  EXPECT_EQ(U32(d, 80), 0x79u);
  EXPECT_EQ(U32(d, 84), 0x0102u);
}

TEST_F(WorkstationLinkTest, BatteryDatagramsWriteTheirDataAreas) {
  using namespace tolvex;
  std::uint8_t data[64];
  for (int i = 0; i < 64; ++i) data[i] = static_cast<std::uint8_t>(0xC0 + i);
  SendCommandAnswer(0x79, 0x94, "010aaa");
  WorkstationDatagram();

  SendChargeData(0, "010aaa", data);
  Bytes d = WorkstationDatagram();
  ASSERT_EQ(d.size(), 92u);
  EXPECT_EQ(U32(d, 0), 0xA5DBu);
  EXPECT_EQ(std::string(d.begin() + 4, d.begin() + 10), "010aaa");
  EXPECT_EQ(U32(d, 20), 0u);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(d[28 + i], data[i]) << i;
  for (int i = 32; i < 64; ++i) EXPECT_EQ(d[28 + i], 0) << i;

  SendBatteryParameters(7, "020bbb", data);
  d = WorkstationDatagram();
  EXPECT_EQ(U32(d, 0), 0xA5BBu);
  EXPECT_EQ(U32(d, 20), 7u);
  for (int i = 0; i < 48; ++i) EXPECT_EQ(d[28 + i], data[i]) << i;
  for (int i = 48; i < 64; ++i) EXPECT_EQ(d[28 + i], 0) << i;

  SendCapacityData(0, "030ccc", data);
  d = WorkstationDatagram();
  EXPECT_EQ(U32(d, 0), 0xA5CBu);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(d[28 + i], data[i]) << i;
  for (int i = 16; i < 64; ++i) EXPECT_EQ(d[28 + i], 0) << i;

  // A battery datagram clears the answer command of the status buffer without sending it.
  EXPECT_TRUE(workstation_.Silent());
  SendPing(0xFFF, 0, 0, 0, "010aaa", 0, 0);
  d = WorkstationDatagram();
  EXPECT_EQ(U32(d, 76), 0u);
  EXPECT_EQ(U32(d, 80), 0x79u);
}

TEST_F(WorkstationLinkTest, AddressIsSixBytesAsTheyStand) {
  using namespace tolvex;
  const char address[7] = {'a', 'b', '\0', 'x', 'y', 'z', 'Q'};
  SendCommandAnswer(0x79, 0xA1, address);
  const Bytes d = WorkstationDatagram();
  EXPECT_EQ(std::string(d.begin() + 4, d.begin() + 11), std::string("ab\0xyz\0", 7));
}

TEST_F(WorkstationLinkTest, StatusDatagramAfterTheWrapCarriesTheRestartedCount) {
  using namespace tolvex;
  FixedNow = LocalMoment(2036, 2, 5, 6, 28, 20);
  SetLinkClock(&FixedClock);
  SendPing(0xFFF, 0, 0, 0, "010aaa", 0, 0);
  EXPECT_EQ(U32(WorkstationDatagram(), 28), 4u);
}

// ---- The socket ----

TEST_F(WorkstationLinkTest, ReopenRebindsAndFailedBindIsReported) {
  using namespace tolvex;
  MonitorWatchdog = 3;
  ASSERT_EQ(OpenMonitorSocket(), 0);
  EXPECT_EQ(MonitorWatchdog, 20);
  EXPECT_TRUE(MonitorSocket.open);
  SendPing(0xFFF, 0, 0, 0, "010aaa", 0, 0);
  EXPECT_EQ(U32(WorkstationDatagram(), 0), 0xA5CCu);

  // On a fixed port the old socket is closed first, so the port binds again and the
  // workstation's datagrams still arrive.
  const std::uint16_t fixed_port = MonitorSocketLocalPort();
  MonitorEndpoints.bind_port = fixed_port;
  ASSERT_EQ(OpenMonitorSocket(), 0);
  EXPECT_EQ(MonitorSocketLocalPort(), fixed_port);
  UdpPeer sender;
  sender.SendTo(fixed_port, Command{.number = "010aaa", .code = 10}.Datagram());
  ReceiveUntilCommandPending();
  EXPECT_EQ(PendingStationCommand.code, 10);

  UdpPeer occupant;
  MonitorEndpoints.bind_port = occupant.port();
  EXPECT_EQ(OpenMonitorSocket(), 1);
  EXPECT_FALSE(MonitorSocket.open);
  EXPECT_EQ(MonitorWatchdog, 20);
  EXPECT_EQ(sv_.EditSV.Text(), "ERR");
  ASSERT_GE(sv_.ListBox1.Items().Count(), 1);
  EXPECT_EQ(sv_.ListBox1.Items()[sv_.ListBox1.Items().Count() - 1], "Mon ERR");

  MonitorEndpoints.bind_port = 0;
  EXPECT_EQ(OpenMonitorSocket(), 0);
  EXPECT_TRUE(MonitorSocket.open);
  EXPECT_NE(MonitorSocketLocalPort(), 0);
  sv_.BitBtn1Click();
  EXPECT_TRUE(MonitorSocket.open);
}

}  // namespace
