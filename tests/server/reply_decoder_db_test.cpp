// The station reply decoder against the real database: event rows of status answers, charge
// and discharge reports with their totals.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/error_window.h"
#include "server/main_window.h"
#include "server/reply_decoder.h"
#include "server/service_window.h"
#include "server/station_frame.h"
#include "server/workstation_socket.h"
#include "simulator/station_codec.h"
#include "tests/server/server_state.h"
#include "tests/support/test_database.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Rows = std::vector<lamptest::TestDatabase::Row>;

constexpr int kRow = 12;

struct Answer {
  std::uint8_t frame_type = 0xC1;
  std::uint8_t command = 0x92;
  std::uint64_t fabnum = 0x8000000000000123;
  const char* address = "010aaa";
  int count_byte = -1;
  std::array<std::uint16_t, 20> words{};

  Answer& Word(int n, std::uint16_t value) {
    words[static_cast<size_t>((n - 3) / 2)] = value;
    return *this;
  }
  void Decode() const {
    Bytes payload(64);
    payload.resize(stationsim::BuildAnswerPayload(command, words, payload, count_byte));
    Bytes frame(lamp::kFrameBufferSize);
    const auto header = stationsim::MakeAnswerHeader(0x01, frame_type, fabnum, address);
    frame.resize(stationsim::BuildAnswerFrame(header, payload, frame));
    const std::uint8_t* h = frame.data() + lamp::kFrameHeaderOffset;
    tolvex::DecodeStationReply(h, h[lamp::kHeaderBodyLength] - 2,
                               frame.data() + lamp::kFramePayloadOffset, 0);
  }
};

class ReplyDecoderDb : public ::testing::Test {
 protected:
  void SetUp() override {
    using namespace tolvex;
    forms::Application().UseManualClock();
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyAllTables()) << db_.last_error();
    ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
    server_test::ResetCellRegistry();
    SetTabnum(kRow, "010aaa");
    Cells.ST[kRow] = 3;
    Cells.UCH[kRow] = 4;
    Cells.BRIG[kRow] = 5;
    Cells.WTBNUM[kRow] = 66;
    CellCount = kRow + 1;
    // Datagrams to the workstation go to a socket nobody reads.
    MonitorEndpoints = WorkstationEndpoints{"127.0.0.1", 0, "127.0.0.1", 9};
    OpenMonitorSocket();
  }
  void TearDown() override {
    using namespace tolvex;
    server_test::CloseMonitorSocket();
    CloseDatabase();
  }

  Rows EventRows() {
    return db_.Query(
        "SELECT TabNum, FabNum, KSOB, NSP1, NSP2, PSTAT, PARM1, PARM2, PARM3, PARM4, PARM5, FL, "
        "ST, UCH, BRIG, WTBNUM FROM event ORDER BY DATA_ID");
  }
  std::string Count(const char* table) {
    return db_.QueryValue(std::string("SELECT COUNT(*) FROM ") + table);
  }

  lamptest::TestDatabase db_;
  tolvex::TFormSV sv_;
  tolvex::TForm1 main_;
  tolvex::TFormERR err_;
};

Answer ChargeReport(std::uint8_t charge_flag) {
  Answer a;
  a.command = 0x94;
  // Word 5: battery type 3 in bits 4..6, FZAR 0x11 in the high byte.
  a.Word(5, 0x1130).Word(7, 101).Word(11, 1100).Word(13, 600).Word(15, 30).Word(17, 4300);
  a.Word(21, 7);
  // Payload byte 24 is the high byte of word 23; bytes 25 and 26 are word 25.
  a.Word(23, static_cast<std::uint16_t>(charge_flag << 8)).Word(25, 0x2710);
  return a;
}

TEST_F(ReplyDecoderDb, ChargeReportWritesReportTotalsAndResultEvent) {
  using namespace tolvex;
  Cells.PSTAT[kRow] = 5;
  Cells.NSP1[kRow] = 0x2;
  Cells.NSP2[kRow] = 0x40;
  Cells.PendingReport[kRow] = 0x94;
  ChargeReport(5).Decode();
  EXPECT_EQ(Cells.PendingReport[kRow], 0);

  const Rows report = db_.Query(
      "SELECT TabNum, FabNum, KZR, KZRB, Tip, ST, UCH, BRIG, FZAR, VREAL, IREAL, V2Z, I2Z, "
      "NUMBATT, CNAK FROM accumch");
  const lamptest::TestDatabase::Row expected = {"010aaa", "9223372036854776099",
                                                "101",    "0",
                                                "3",      "3",
                                                "4",      "5",
                                                "17",     "600",
                                                "30",     "4300",
                                                "1100",   "7",
                                                "10000"};
  ASSERT_EQ(report.size(), 1u);
  EXPECT_EQ(report[0], expected);
  EXPECT_EQ(db_.QueryValue("SELECT CNAK FROM battchrep WHERE TabNum = '010aaa'"), "10000");
  EXPECT_EQ(db_.Query("SELECT KZR, KZRB, TIP, CNAK, ST, UCH, BRIG, NUMBATT FROM BATTALL"),
            (Rows{{"101", "0", "3", "10000", "3", "4", "5", "7"}}));

  const Rows events = EventRows();
  ASSERT_EQ(events.size(), 1u);
  // The charge result carries the cell's mode-error bits in NSP2 and its fault bits in FL.
  const lamptest::TestDatabase::Row event = {"010aaa", "9223372036854776099",
                                             "13332",  "0",
                                             "2",      "5",
                                             "10000",  "4300",
                                             "1100",   "0",
                                             "0",      "64",
                                             "3",      "4",
                                             "5",      "66"};
  EXPECT_EQ(events[0], event);

  // A second report updates the totals in place; without the charge flag CNAK is -1.
  ChargeReport(4).Decode();
  EXPECT_EQ(Count("accumch"), "2");
  EXPECT_EQ(Count("battchrep"), "1");
  EXPECT_EQ(db_.Query("SELECT CNAK FROM BATTALL"), (Rows{{"-1"}}));
  EXPECT_EQ(db_.QueryValue("SELECT CNAK FROM battchrep"), "-1");
  EXPECT_EQ(Count("event"), "2");
  EXPECT_EQ(err_.ListBox1.Items().Count(), 0);
}

TEST_F(ReplyDecoderDb, DischargeReportWritesReportAndTotals) {
  using namespace tolvex;
  Cells.PendingReport[kRow] = 0x93;
  Answer a;
  a.command = 0x93;
  a.Word(5, 0x0220).Word(7, 1000).Word(9, 90).Word(11, 120).Word(13, 950).Word(15, 2000);
  a.Word(21, 13);
  a.Decode();
  EXPECT_EQ(Cells.PendingReport[kRow], 0);
  EXPECT_EQ(db_.Query("SELECT TabNum, IDIS, TDIS, Cacc, Cet, Proc, Tip, ST, UCH, BRIG, FRAZ, "
                      "VREAL, IREAL, NUMBATT FROM accumdis"),
            (Rows{{"010aaa", "1000", "90", "1500", "1200", "125", "2", "3", "4", "5", "2", "950",
                   "2000", "13"}}));
  EXPECT_EQ(Count("battdisrep"), "1");
  EXPECT_EQ(db_.Query("SELECT IDIS, TDIS, CACC, CET, PROC, TIP, NUMBATT FROM BATTALL"),
            (Rows{{"1000", "90", "1500", "1200", "125", "2", "13"}}));
  a.Decode();
  EXPECT_EQ(Count("accumdis"), "2");
  EXPECT_EQ(Count("BATTALL"), "1");
  EXPECT_EQ(Count("event"), "0");
}

TEST_F(ReplyDecoderDb, StatusAnswersWriteOneRowPerChange) {
  using namespace tolvex;
  auto status = [](std::uint16_t event, std::uint16_t faults) {
    Answer a;
    a.count_byte = 39;  // no event parameters: they are written as -1
    a.Word(11, 4).Word(13, 0).Word(15, faults).Word(17, event);
    return a;
  };
  status(0x3502, 0).Decode();
  EXPECT_EQ(Cells.PendingReport[kRow], 0x93);
  Cells.PendingReport[kRow] = 0;
  status(0x3502, 0).Decode();
  EXPECT_EQ(Cells.PendingReport[kRow], 0);
  EXPECT_EQ(Count("event"), "1");

  status(0, 0).Decode();
  EXPECT_EQ(Count("event"), "1");
  status(0x3502, 0).Decode();
  EXPECT_EQ(Count("event"), "2");
  EXPECT_EQ(Cells.PendingReport[kRow], 0x93);

  // Fault bits that change write a row even with no event code.
  status(0, 0x10).Decode();
  const Rows events = EventRows();
  ASSERT_EQ(events.size(), 3u);
  const lamptest::TestDatabase::Row fault_row = {"010aaa", "9223372036854776099",
                                                 "0",      "0",
                                                 "16",     "4",
                                                 "-1",     "-1",
                                                 "0",      "0",
                                                 "0",      "0",
                                                 "3",      "4",
                                                 "5",      "66"};
  EXPECT_EQ(events[2], fault_row);
  EXPECT_EQ(events[0][2], "13570");
}

TEST_F(ReplyDecoderDb, EventParametersAboveTheLimitAreWrittenAsMinusOne) {
  using namespace tolvex;
  Answer a;
  a.Word(11, 4).Word(17, 0x1001).Word(39, 65531).Word(41, 65530);
  a.Decode();
  EXPECT_EQ(db_.Query("SELECT KSOB, PARM1, PARM2 FROM event"), (Rows{{"4097", "-1", "65530"}}));
}

TEST_F(ReplyDecoderDb, UnknownCellsAndWorkstationReportsWriteNothing) {
  using namespace tolvex;
  Answer unknown = ChargeReport(5);
  unknown.address = "999zzz";
  unknown.Decode();
  Answer unknown_status;
  unknown_status.address = "999zzz";
  unknown_status.Word(17, 0x3502).Decode();
  Answer for_workstation = ChargeReport(5);
  for_workstation.frame_type = 0x79;
  for_workstation.Decode();
  for_workstation.command = 0x93;
  for_workstation.Decode();
  for (const char* table : {"event", "accumch", "battchrep", "accumdis", "battdisrep", "BATTALL"}) {
    EXPECT_EQ(Count(table), "0") << table;
  }
}

}  // namespace
