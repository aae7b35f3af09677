#include "server/poll_cycle.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "link/code_tables.h"
#include "link/station_frame.h"
#include "server/cell_registry.h"
#include "server/database_writer.h"
#include "server/host_table.h"
#include "server/service_window.h"
#include "server/station_frame.h"
#include "server/tick_timing.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"

namespace tolvex {

std::array<std::int32_t, 101> PassCursor{};
std::uint32_t PassTick = 0;
double MaxTickTime = 0.0;
std::int32_t kPING = 0;
std::uint32_t WatchdogTickCount = 0;
std::int32_t DatabasePingTickCount = 0;

namespace {

constexpr std::int32_t kRequestOut = 21;
// The state of a StatusDatagram that carries no state of a cell: the lost link and every ping.
constexpr std::int32_t kNoCellState = 0xFFF;
constexpr unsigned kPollingPauseLimit = 600;
constexpr std::int32_t kPingTicksPerReport = 6;
constexpr std::int32_t kMissedPingsBeforeReopen = 3;

void LogStatusPoll(const PollTickSwitches& switches, int r) {
  if (!switches.log_polls) return;
  char line[128];
  const unsigned frame_type = static_cast<unsigned>(LastFrameType);
  const unsigned event_code = static_cast<unsigned>(Cells.LastEventCode[r]);
  if (switches.log_with_ip) {
    std::snprintf(line, sizeof line, "%d[%s]  '%s'  k92 txP=%X zSOB=%X", Cells.ST[r],
                  LastTargetAddressText, RequestAddress, frame_type, event_code);
  } else {
    std::snprintf(line, sizeof line, "%d  '%s'  k92 txP=%X zSOB=%X", Cells.ST[r], RequestAddress,
                  frame_type, event_code);
  }
  AddServiceLine(line);
}

// The fourth request in a row without an answer: the workstation and the event table hear
// of it once; only an answer of the cell re-arms it.
void ReportLinkLost(int r) {
  SendStatusReport(kNoCellState, 0, lamp::kFaultNoAnswer, 0, RequestAddress, lamp::EventLinkLost, 0,
                   0, 0, 0, 0, 0, 0, 0, 0, 0);
  AddEvent(std::string_view(RequestAddress), 0, lamp::EventLinkLost, 0, lamp::kFaultNoAnswer, 0,
           Cells.ST[r], Cells.UCH[r], Cells.BRIG[r], Cells.WTBNUM[r], 0, 0, -1, -1, 0, 0, 0);
}

void RequestFromCell(int station, int r, const PollTickSwitches& switches) {
  const auto& tabnum = Cells.TABNUM[r];
  for (int i = 0; i < 6; ++i) RequestAddress[i] = tabnum[i];
  RequestAddress[6] = '\0';
  TargetHost = station;

  if (Cells.PendingReport[r] == lamp::StationCmdDischargeReport) {
    RequestDischargeReport();
  } else if (Cells.PendingReport[r] == lamp::StationCmdChargeReport) {
    RequestChargeReport();
  } else {
    if (Cells.RequestState[r] == kRequestOut) {
      Cells.nnLOSS[r] += 1;
      Cells.FLN[r] += 1;
    }
    Cells.RequestState[r] = kRequestOut;
    // A station missing from the host table gets no frame; its cells count as polled.
    if (FindHostByNumber(station) >= 0) {
      SetFrameTag(1);
      PollCellStatus(Cells.LastEventCode[r]);
      LogStatusPoll(switches, r);
      LastTargetAddressText[0] = '\0';
    }
  }

  Cells.kZAPR[r] += 1;
  if (Cells.kZAPR[r] == kLinkLostRequests) ReportLinkLost(r);
}

void EndPassTick(const PollTickSwitches& switches, PollTickOutcome& outcome) {
  if (PassTick < kPassTickLimit) ++PassTick;
  if (PassTick == kPassPingTick) SendPing(kNoCellState, 0, 0, 0, RequestAddress, 0, 0);
  if (PassTick == kPassPingTick + 1) {
    ++MissedPingCount;
    if (MissedPingCount > kMissedPingsBeforeReopen) {
      MissedPingCount = 0;
      outcome.reopen_monitor_due = true;
    }
  }
  if (PassTick == kPassPingTick + 3 && switches.log_polls) AddServiceLine("----");
  if (PassTick >= kPassPingTick && switches.period_elapsed) {
    PassTick = 0;
    PassCursor.fill(0);
    outcome.pass_restarted = true;
  }
}

// One polling tick: one cell of every station, in station order.
void PollStations(const PollTickSwitches& switches, PollTickOutcome& outcome) {
  for (int station = 1; station <= kStationCount; ++station) {
    const int r = FindWorkerOfStation(station, PassCursor[station - 1]);
    PassCursor[station - 1] = r + 1;
    if (r >= kNoWorkerRow || r < 0) continue;
    RequestFromCell(station, r, switches);
  }
  EndPassTick(switches, outcome);
}

}  // namespace

PollTickOutcome RunPollTick(const PollTickSwitches& switches) {
  PollTickOutcome outcome;
  if (RunPendingCommand() != 0) return outcome;
  if (PreparedCommand.Flag == 1) {
    PreparedCommand.Flag = 0;
    SendPreparedCommand();
  } else if (switches.polling_on && PollingPause == 0) {
    PollStations(switches, outcome);
  }
  return outcome;
}

std::uint32_t PassPollingTicks(std::int32_t poll_period_seconds) {
  const auto ticks_in_period =
      static_cast<std::uint32_t>(std::max(poll_period_seconds, 0) * 1000 / kPollTickMilliseconds);
  return std::max(kPassPingTick, ticks_in_period);
}

double NoteTickTime(double tick_time) {
  if (tick_time > MaxTickTime) MaxTickTime = tick_time;
  return MaxTickTime;
}

bool WatchdogSecondDue() {
  ++WatchdogTickCount;
  return WatchdogTickCount % 2 != 0;
}

bool CountDownToReopen(std::int32_t& countdown) {
  if (countdown != 0) --countdown;
  return countdown == 1;
}

void CountDownPollingPause() {
  if (PollingPause > kPollingPauseLimit) PollingPause = kPollingPauseLimit;
  if (PollingPause != 0) --PollingPause;
}

bool PingReportDue() {
  if (++DatabasePingTickCount < kPingTicksPerReport) return false;
  DatabasePingTickCount = 0;
  return true;
}

}  // namespace tolvex
