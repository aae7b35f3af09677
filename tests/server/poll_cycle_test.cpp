// The poll cycle and the watchdogs in virtual time: the stations and the workstation are
// loopback UDP sockets, the poll tick runs from its own 96 ms timer.
#include "server/poll_cycle.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/datagrams.h"
#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/main_window_controls.h"
#include "server/reply_decoder.h"
#include "server/service_window.h"
#include "server/station_frame.h"
#include "server/tick_timing.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"
#include "simulator/station_codec.h"
#include "tests/server/server_state.h"
#include "tests/server/udp_peer.h"
#include "tests/support/manual_clock.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using server_test::AsStatus;
using server_test::UdpPeer;

stationsim::RequestFrame ParseRequest(const Bytes& d) {
  stationsim::RequestFrame r;
  EXPECT_EQ(stationsim::ParseRequestFrame(d, r), stationsim::RequestParse::kOk);
  return r;
}

std::string CellNumber(int station, int index) {
  char text[24];
  std::snprintf(text, sizeof text, "%02d%04d", station, index);
  return text;
}

using ManualClock = lamptest::ManualClockFirst;

class PollCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    using namespace tolvex;
    server_test::ResetPollCycle();
    FrameTag = 1;
    TargetHost = 1;
    std::memset(RequestAddress, 0, sizeof RequestAddress);

    MonitorEndpoints = WorkstationEndpoints{"127.0.0.1", 0, "127.0.0.1", workstation_.port()};
    ASSERT_EQ(OpenMonitorSocket(), 0);
    SetStationSocketPort(0);
    ASSERT_EQ(OpenStationSocket(), 0);
    sv_.Timer3.OnTimer = [this] { sv_.Timer3Timer(); };
    scratch_ = std::getenv("LAMP_TEST_SCRATCH") != nullptr ? std::getenv("LAMP_TEST_SCRATCH")
                                                           : "/tmp/poll_cycle_test";
    std::filesystem::create_directories(scratch_);
  }

  void TearDown() override {
    using namespace tolvex;
    server_test::CloseMonitorSocket();
    server_test::CloseStationSocket();
  }

  // Stations 1..n with the given numbers of cells, the cells in worker order station by
  // station; `in_table` false leaves a station out of the host table.
  void AddStations(const std::vector<int>& cells, const std::vector<bool>& in_table = {}) {
    using namespace tolvex;
    std::ofstream hosts(scratch_ / "hostab.txt");
    int row = 0;
    for (size_t s = 0; s < cells.size(); ++s) {
      const int station = static_cast<int>(s) + 1;
      stations_.push_back(std::make_unique<UdpPeer>());
      if (in_table.empty() || in_table[s]) {
        hosts << station << " 127.0.0.1 " << stations_.back()->port() << "\n";
      }
      for (int i = 0; i < cells[s]; ++i, ++row) {
        SetTabnum(row, CellNumber(station, i).c_str());
        Cells.ST[row] = station;
      }
    }
    hosts.close();
    CellCount = row;
    SetHostTablePath((scratch_ / "hostab.txt").string());
    ASSERT_EQ(LoadHostTable(), 0);
  }

  // Runs n poll ticks in virtual time; returns the addresses each station was asked about.
  std::vector<std::vector<std::string>> RunTicks(int n) {
    std::vector<std::vector<std::string>> asked(stations_.size());
    for (int t = 0; t < n; ++t) {
      forms::Application().AdvanceTime(96);
      for (size_t s = 0; s < stations_.size(); ++s) {
        for (const Bytes& d : stations_[s]->Drain()) {
          asked[s].push_back(ParseRequest(d).address);
        }
      }
      for (Bytes& d : workstation_.Drain()) to_workstation_.push_back(std::move(d));
    }
    return asked;
  }

  std::vector<lamp::StatusDatagram> SentToWorkstation(std::uint32_t id) {
    std::vector<lamp::StatusDatagram> out;
    for (const Bytes& d : to_workstation_) {
      if (AsStatus(d).id() == id) out.push_back(AsStatus(d));
    }
    return out;
  }

  ManualClock clock_;
  std::filesystem::path scratch_;
  UdpPeer workstation_;
  std::vector<std::unique_ptr<UdpPeer>> stations_;
  std::vector<Bytes> to_workstation_;
  tolvex::TFormSV sv_;
  tolvex::TForm1 main_;
};

TEST_F(PollCycleTest, EachTickAsksOneCellOfEveryStationInWorkerOrder) {
  using namespace tolvex;
  AddStations({3, 1});
  const auto asked = RunTicks(6);
  EXPECT_EQ(asked[0], (std::vector<std::string>{"010000", "010001", "010002"}));
  EXPECT_EQ(asked[1], (std::vector<std::string>{"020000"}));
  EXPECT_EQ(PassTick, 6u);
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(Cells.RequestState[r], 21) << r;
    EXPECT_EQ(Cells.kZAPR[r], 1) << r;
  }
}

TEST_F(PollCycleTest, StatusPollCarriesTheLastEventCode) {
  using namespace tolvex;
  AddStations({2});
  Cells.LastEventCode[1] = 0x3404;
  forms::Application().AdvanceTime(96 * 2);
  const auto frames = stations_[0]->Drain();
  ASSERT_EQ(frames.size(), 2u);
  const auto first = ParseRequest(frames[0]);
  EXPECT_EQ(first.frame_type, 0xC1);
  EXPECT_EQ(first.header[0], 0x81);
  EXPECT_EQ(Bytes(first.payload.begin(), first.payload.begin() + first.payload_size),
            (Bytes{0x92, 0x80, 7, 0, 0, 0xFF, 0xFF}));
  const auto second = ParseRequest(frames[1]);
  EXPECT_EQ(Bytes(second.payload.begin(), second.payload.begin() + second.payload_size),
            (Bytes{0x92, 0x80, 7, 0, 0, 0x04, 0x34}));
}

TEST_F(PollCycleTest, PassEndsAtTheFirstPingTickWithThePeriodFlagUp) {
  using namespace tolvex;
  AddStations({80});
  main_.PollPeriodFlag = 1;
  auto asked = RunTicks(56);
  ASSERT_EQ(asked[0].size(), 56u);
  EXPECT_EQ(asked[0].back(), "010055");
  // The ping went out and the pass restarted in the same tick.
  EXPECT_EQ(SentToWorkstation(lamp::IdPing).size(), 1u);
  EXPECT_EQ(PassTick, 0u);
  EXPECT_EQ(main_.PollPeriodFlag, 0);
  main_.PollPeriodFlag = 1;
  asked = RunTicks(56);
  ASSERT_EQ(asked[0].size(), 56u);
  EXPECT_EQ(asked[0].front(), "010000");
  EXPECT_EQ(asked[0].back(), "010055");
  for (int r = 56; r < 80; ++r) EXPECT_EQ(Cells.kZAPR[r], 0) << r;
}

TEST_F(PollCycleTest, PassWaitsForThePeriodFlagAndTicksHoldAtSixty) {
  using namespace tolvex;
  AddStations({80});
  auto asked = RunTicks(70);
  EXPECT_EQ(asked[0].size(), 70u);
  EXPECT_EQ(PassTick, 60u);
  EXPECT_EQ(SentToWorkstation(lamp::IdPing).size(), 1u);
  EXPECT_EQ(MissedPingCount, 1);
  main_.PollPeriodFlag = 1;
  asked = RunTicks(2);
  // The flag ends the pass at the next polling tick, which still polls.
  EXPECT_EQ(asked[0], (std::vector<std::string>{"010070", "010000"}));
}

// The main window's period clock ends the passes: a pass reaches as many cells of a station as
// it has polling ticks, so at the built-in 5 s cells 57 to 60 of a station are never polled,
// and at 6 s every pass reaches all 60.
TEST_F(PollCycleTest, APassReachesAsManyCellsAsThePeriodGivesItPollingTicks) {
  using namespace tolvex;
  AddStations({60});
  main_.TimerINTERVAL.OnTimer = [this] { main_.TimerINTERVALTimer(); };
  const struct {
    std::int32_t period;
    std::size_t cells_reached;
  } cases[] = {{5, 56}, {6, 60}};
  for (const auto& c : cases) {
    main_.PollPeriod = c.period;
    main_.PollPeriodFlag = 0;
    PollPeriodSeconds = 0;
    PassTick = 0;
    PassCursor.fill(0);
    const std::vector<std::string> asked = RunTicks(60000 / kPollTickMilliseconds)[0];
    const std::set<std::string> cells(asked.begin(), asked.end());
    EXPECT_EQ(cells.size(), c.cells_reached) << c.period;
    EXPECT_EQ(cells.size(), std::min<std::size_t>(60, PassPollingTicks(c.period))) << c.period;
    // Every pass that asks for the first cell reaches the last one it reaches at all.
    const auto passes = std::count(asked.begin(), asked.end(), "010000");
    const auto last = std::count(asked.begin(), asked.end(), CellNumber(1, c.cells_reached - 1));
    EXPECT_GE(passes, 9) << c.period;
    EXPECT_GE(last, passes - 1) << c.period;
  }
}

TEST_F(PollCycleTest, SilentCellIsReportedLostOnceAtItsFourthRequest) {
  using namespace tolvex;
  AddStations({1});
  for (int pass = 1; pass <= 5; ++pass) {
    main_.PollPeriodFlag = 1;
    RunTicks(56);
    EXPECT_EQ(Cells.kZAPR[0], pass);
    EXPECT_EQ(Cells.nnLOSS[0], pass - 1);
    EXPECT_EQ(Cells.FLN[0], pass - 1);
    EXPECT_EQ(SentToWorkstation(lamp::IdCellStatus).size(), pass >= 4 ? 1u : 0u) << pass;
  }
  const auto lost = SentToWorkstation(lamp::IdCellStatus);
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0].ind_num(), "010000");
  EXPECT_EQ(lost[0].state(), 0xFFFu);
  EXPECT_EQ(lost[0].mode_error_bits(), 0u);
  EXPECT_EQ(lost[0].fault_bits(), 0x8000u);
  EXPECT_EQ(lost[0].event_code(), 0x1040u);
  EXPECT_EQ(lost[0].voltage(), 0u);
  EXPECT_EQ(lost[0].upw(), 0u);
  EXPECT_EQ(lost[0].gr(), 0);

  // An answer re-arms the report.
  Cells.kZAPR[0] = 0;
  Cells.RequestState[0] = 0;
  for (int pass = 0; pass < 4; ++pass) {
    main_.PollPeriodFlag = 1;
    RunTicks(56);
  }
  EXPECT_EQ(SentToWorkstation(lamp::IdCellStatus).size(), 2u);
}

TEST_F(PollCycleTest, StationMissingFromTheHostTableCountsAsPolled) {
  using namespace tolvex;
  AddStations({1, 1}, {true, false});
  for (int pass = 0; pass < 4; ++pass) {
    main_.PollPeriodFlag = 1;
    const auto asked = RunTicks(56);
    EXPECT_EQ(asked[1].size(), 0u);
  }
  EXPECT_EQ(Cells.kZAPR[1], 4);
  EXPECT_EQ(Cells.nnLOSS[1], 3);
  const auto lost = SentToWorkstation(lamp::IdCellStatus);
  ASSERT_EQ(lost.size(), 2u);
  EXPECT_EQ(lost[1].ind_num(), "020000");
}

TEST_F(PollCycleTest, PendingReportIsAskedForInPlaceOfTheStatusPoll) {
  using namespace tolvex;
  AddStations({1});
  Cells.PendingReport[0] = 0x94;
  for (int pass = 0; pass < 2; ++pass) {
    main_.PollPeriodFlag = 1;
    forms::Application().AdvanceTime(96);
    const auto frames = stations_[0]->Drain();
    ASSERT_EQ(frames.size(), 1u);
    const auto r = ParseRequest(frames[0]);
    EXPECT_EQ(r.frame_type, 0xC1);
    EXPECT_EQ(Bytes(r.payload.begin(), r.payload.begin() + r.payload_size),
              (Bytes{0x94, 0x80, 7, 0, 0, 0, 0}));
    RunTicks(55);
  }
  EXPECT_EQ(Cells.RequestState[0], 0);
  EXPECT_EQ(Cells.nnLOSS[0], 0);
  EXPECT_EQ(Cells.FLN[0], 0);
  EXPECT_EQ(Cells.kZAPR[0], 2);
  EXPECT_EQ(Cells.PendingReport[0], 0x94);

  // The other report kind goes out from the next pass on.
  Cells.PendingReport[0] = 0x93;
  forms::Application().AdvanceTime(96);
  const auto frames = stations_[0]->Drain();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(ParseRequest(frames[0]).payload[0], 0x93);
}

// The station answers each request it got, as the receiver would hand it to the decoder.
void AnswerRequests(const std::vector<Bytes>& requests, std::uint16_t event_code) {
  for (const Bytes& d : requests) {
    const auto request = ParseRequest(d);
    std::array<std::uint16_t, 20> words{};
    words[(11 - 3) / 2] = 4;
    words[(17 - 3) / 2] = event_code;
    Bytes payload(64);
    payload.resize(stationsim::BuildAnswerPayload(request.Command(), words, payload));
    Bytes frame(lamp::kFrameBufferSize);
    frame.resize(
        stationsim::BuildAnswerFrame(stationsim::AnswerHeaderFor(request), payload, frame));
    const std::uint8_t* header = frame.data() + lamp::kFrameHeaderOffset;
    tolvex::DecodeStationReply(header, header[lamp::kHeaderBodyLength] - 2,
                               frame.data() + lamp::kFramePayloadOffset, 0);
  }
}

TEST_F(PollCycleTest, DoneEventLeadsToOneReportRequestUntilTheReportArrives) {
  using namespace tolvex;
  AddStations({1});
  std::vector<std::uint8_t> commands;
  for (int pass = 0; pass < 4; ++pass) {
    main_.PollPeriodFlag = 1;
    forms::Application().AdvanceTime(96);
    const auto requests = stations_[0]->Drain();
    ASSERT_EQ(requests.size(), 1u);
    commands.push_back(ParseRequest(requests[0]).Command());
    // Two status answers in a row report the finished control discharge.
    AnswerRequests(requests, commands.back() == 0x92 ? 0x3502 : 0);
    RunTicks(55);
  }
  EXPECT_EQ(commands, (std::vector<std::uint8_t>{0x92, 0x93, 0x92, 0x92}));
  EXPECT_EQ(Cells.PendingReport[0], 0);
  EXPECT_EQ(Cells.kZAPR[0], 0);
  EXPECT_EQ(Cells.nnLOSS[0], 0);
}

TEST_F(PollCycleTest, CommandsGoBeforePollingAndUseUpTheTick) {
  using namespace tolvex;
  AddStations({2});
  PendingStationCommand.code = 10;
  std::memcpy(PendingStationCommand.address.data(), "777ccc", 7);
  PreparedCommand = PreparedCommandRecord{0xC2, 0xA1, 2, 0x202, "555ddd", 1};
  auto asked = RunTicks(3);
  EXPECT_EQ(asked[0], (std::vector<std::string>{"777ccc", "555ddd", "010000"}));
  EXPECT_EQ(PassTick, 1u);
  EXPECT_EQ(PreparedCommand.Flag, 0);
  EXPECT_EQ(PendingStationCommand.code, 0);
}

TEST_F(PollCycleTest, PollingOffOrPausedStillRunsCommands) {
  using namespace tolvex;
  AddStations({2});
  sv_.CheckOPR.SetChecked(false);
  RunTicks(3);
  EXPECT_EQ(PassTick, 0u);
  PendingStationCommand.code = 30;
  std::memcpy(PendingStationCommand.address.data(), "777ccc", 7);
  auto asked = RunTicks(2);
  EXPECT_EQ(asked[0], (std::vector<std::string>{"777ccc"}));

  sv_.CheckOPR.SetChecked(true);
  PollingPause = 5;
  asked = RunTicks(3);
  EXPECT_TRUE(asked[0].empty());
  EXPECT_EQ(PassTick, 0u);
  PollingPause = 0;
  asked = RunTicks(1);
  EXPECT_EQ(asked[0], (std::vector<std::string>{"010000"}));
}

TEST_F(PollCycleTest, PingCarriesTheLastRequestAddress) {
  using namespace tolvex;
  AddStations({0});
  PassTick = 55;
  PendingStationCommand.code = 10;
  std::memcpy(PendingStationCommand.address.data(), "777ccc", 7);
  RunTicks(2);  // the command, then polling tick 56 finds no cell
  const auto pings = SentToWorkstation(lamp::IdPing);
  ASSERT_EQ(pings.size(), 1u);
  EXPECT_EQ(pings[0].ind_num(), "777ccc");
  EXPECT_EQ(pings[0].state(), 0xFFFu);
}

TEST_F(PollCycleTest, FourSilentPingsReopenTheWorkstationSocket) {
  using namespace tolvex;
  AddStations({1});
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(scratch_);
  std::filesystem::remove(scratch_ / "svreport.txt");
  main_.ReportEnabled = 1;
  for (int pass = 1; pass <= 4; ++pass) {
    MonitorWatchdog = 10;
    RunTicks(57);
    EXPECT_EQ(MissedPingCount, pass == 4 ? 0 : pass);
    EXPECT_EQ(MonitorWatchdog, pass == 4 ? 20 : 10);
    main_.PollPeriodFlag = 1;
    RunTicks(1);
    EXPECT_EQ(PassTick, 0u);
  }
  EXPECT_TRUE(MonitorSocket.open);
  std::ifstream report(scratch_ / "svreport.txt");
  std::string stamp, message;
  std::getline(report, stamp);
  std::getline(report, message);
  EXPECT_EQ(message, "Init UDP-MON ");
  std::filesystem::current_path(cwd);
}

TEST_F(PollCycleTest, PollLogLines) {
  using namespace tolvex;
  AddStations({2});
  sv_.CheckPTX.SetChecked(true);
  RunTicks(1);
  sv_.CheckIP.SetChecked(true);
  Cells.LastEventCode[1] = 0x3001;
  RunTicks(58);
  const auto& lines = sv_.ListBox1.Items();
  ASSERT_EQ(lines.Count(), 3);
  EXPECT_EQ(lines[0], "1  '010000'  k92 txP=C1 zSOB=FFFF");
  EXPECT_EQ(lines[1], "1[127.0.0.1]  '010001'  k92 txP=C1 zSOB=3001");
  EXPECT_EQ(lines[2], "----");
  EXPECT_EQ(LastTargetAddressText[0], '\0');
}

TEST_F(PollCycleTest, TickTimeIsShownWhileTheWindowIsVisible) {
  using namespace tolvex;
  AddStations({1});
  sv_.Show();
  RunTicks(1);
  EXPECT_FALSE(sv_.Edit11.Text().empty());
  EXPECT_GE(MaxTickTime, 0.0);
  MaxTickTime = 12345.678;
  RunTicks(1);
  EXPECT_EQ(sv_.Edit11.Text(), "12345.68");
  sv_.Edit11DblClick();
  EXPECT_EQ(MaxTickTime, 0.0);
  sv_.Hide();
  sv_.Edit11.SetText("");
  RunTicks(1);
  EXPECT_EQ(sv_.Edit11.Text(), "");
}

// ---- The watchdog second ----

class WatchdogTest : public PollCycleTest {};

TEST_F(WatchdogTest, DebugFlagsFollowTheirBoxesOnEveryTick) {
  using namespace tolvex;
  sv_.CheckDM92.SetChecked(true);
  sv_.Timer2Timer();
  EXPECT_EQ(DebugFlagDM92, 1);
  EXPECT_EQ(DebugFlagEX92K, 0);
  sv_.CheckDM92.SetChecked(false);
  sv_.CheckEX92K.SetChecked(true);
  sv_.Timer2Timer();
  EXPECT_EQ(DebugFlagDM92, 0);
  EXPECT_EQ(DebugFlagEX92K, 1);
}

TEST_F(WatchdogTest, PollingPauseIsCappedAt600AndCountedEverySecond) {
  using namespace tolvex;
  sv_.Timer2.OnTimer = [this] { sv_.Timer2Timer(); };
  PollingPause = 1200;
  forms::Application().AdvanceTime(500);
  EXPECT_EQ(PollingPause, 599u);
  forms::Application().AdvanceTime(500);
  EXPECT_EQ(PollingPause, 599u);
  forms::Application().AdvanceTime(1000 * 598);
  EXPECT_EQ(PollingPause, 1u);
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(PollingPause, 0u);
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(PollingPause, 0u);
}

TEST_F(WatchdogTest, SocketsAreReopenedWhenTheirCountdownsReachOne) {
  using namespace tolvex;
  sv_.Timer2.OnTimer = [this] { sv_.Timer2Timer(); };
  MonitorWatchdog = 15;  // a datagram just came
  StationLinkCountdown = 3;
  forms::Application().AdvanceTime(500);
  EXPECT_EQ(MonitorWatchdog, 14);
  EXPECT_EQ(sv_.Edit12.Text(), "14");
  EXPECT_EQ(StationLinkCountdown, 2);
  EXPECT_EQ(sv_.Edit13.Text(), "2");
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(StationLinkCountdown, 20);  // reached 1: reopened
  EXPECT_EQ(sv_.Edit13.Text(), "20");
  EXPECT_EQ(StationSocketState, kStationSocketOpen);
  // 14 s after the datagram the workstation socket is reopened.
  forms::Application().AdvanceTime(1000 * 12);
  EXPECT_EQ(MonitorWatchdog, 20);
  EXPECT_EQ(sv_.Edit12.Text(), "1");
  EXPECT_TRUE(MonitorSocket.open);
  // Then every 19 s while nothing arrives.
  forms::Application().AdvanceTime(1000 * 18);
  EXPECT_EQ(MonitorWatchdog, 2);
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(MonitorWatchdog, 20);
}

TEST_F(WatchdogTest, DatabasePingWithoutConnectionAndHourlyReport) {
  using namespace tolvex;
  ASSERT_EQ(DatabaseHandle, nullptr);
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(scratch_);
  std::filesystem::remove(scratch_ / "svreport.txt");
  main_.ReportEnabled = 1;
  sv_.Timer4.OnTimer = [this] { sv_.Timer4Timer(); };
  forms::Application().AdvanceTime(600000);
  EXPECT_EQ(sv_.Edit2.Text(), "0 1  0");
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "svreport.txt"));
  forms::Application().AdvanceTime(600000 * 5);
  EXPECT_EQ(DatabasePingTickCount, 0);
  std::ifstream report(scratch_ / "svreport.txt");
  std::string stamp, message;
  std::getline(report, stamp);
  std::getline(report, message);
  EXPECT_EQ(message, "kPING=0 ");
  std::filesystem::current_path(cwd);
}

}  // namespace
