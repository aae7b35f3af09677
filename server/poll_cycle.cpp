#include "server/poll_cycle.h"

#include <cstdio>
#include <string_view>

#include "link/code_tables.h"
#include "link/station_frame.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/database_writer.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/reply_decoder.h"
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
constexpr std::int32_t kLinkLostState = 0xFFF;
constexpr unsigned kPollingPauseLimit = 600;
constexpr std::int32_t kPingTicksPerReport = 6;
constexpr std::int32_t kMissedPingsBeforeReopen = 3;

struct PollLog {
  bool on;       // CheckPTX
  bool with_ip;  // CheckIP
  forms::TListBox* list;
};

void LogStatusPoll(const PollLog& log, int r) {
  if (!log.on) return;
  char line[128];
  const unsigned frame_type = static_cast<unsigned>(LastFrameType);
  const unsigned event_code = static_cast<unsigned>(Cells.LastEventCode[r]);
  if (log.with_ip) {
    std::snprintf(line, sizeof line, "%d[%s]  '%s'  k92 txP=%X zSOB=%X", Cells.ST[r],
                  LastTargetAddressText, RequestAddress, frame_type, event_code);
  } else {
    std::snprintf(line, sizeof line, "%d  '%s'  k92 txP=%X zSOB=%X", Cells.ST[r], RequestAddress,
                  frame_type, event_code);
  }
  log.list->Items().Add(line);
}

// The fourth request in a row without an answer: the workstation and the event table hear
// of it once; only an answer of the cell re-arms it.
void ReportLinkLost(int r) {
  SendStatusReport(kLinkLostState, 0, lamp::kFaultNoAnswer, 0, RequestAddress, lamp::EventLinkLost,
                   0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  AddEvent(std::string_view(RequestAddress), 0, lamp::EventLinkLost, 0, lamp::kFaultNoAnswer, 0,
           Cells.ST[r], Cells.UCH[r], Cells.BRIG[r], Cells.WTBNUM[r], 0, 0, -1, -1, 0, 0, 0);
}

void RequestFromCell(int station, int r, const PollLog& log) {
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
      LogStatusPoll(log, r);
      LastTargetAddressText[0] = '\0';
    }
  }

  Cells.kZAPR[r] += 1;
  if (Cells.kZAPR[r] == kLinkLostRequests) ReportLinkLost(r);
}

void EndPassTick(const PollLog& log) {
  if (PassTick < kPassTickLimit) ++PassTick;
  if (PassTick == kPassPingTick) SendPing(kLinkLostState, 0, 0, 0, RequestAddress, 0, 0);
  if (PassTick == kPassPingTick + 1) {
    ++MissedPingCount;
    if (MissedPingCount > kMissedPingsBeforeReopen) {
      OpenMonitorSocket();
      MissedPingCount = 0;
      AppendServerReport("Init UDP-MON");
    }
  }
  if (PassTick == kPassPingTick + 3 && log.on) log.list->Items().Add("----");
  if (PassTick >= kPassPingTick && Form1 != nullptr && Form1->PollPeriodFlag == 1) {
    Form1->PollPeriodFlag = 0;
    PassTick = 0;
    PassCursor.fill(0);
  }
}

// One polling tick: one cell of every station, in station order.
void PollStations(const PollLog& log) {
  for (int station = 1; station <= kStationCount; ++station) {
    const int r = FindWorkerOfStation(station, PassCursor[station - 1]);
    PassCursor[station - 1] = r + 1;
    if (r >= kNoWorkerRow || r < 0) continue;
    RequestFromCell(station, r, log);
  }
  EndPassTick(log);
}

}  // namespace

void TFormSV::Timer3Timer() {
  const std::uint64_t started = ReadTimeStamp();
  const PollLog log{CheckPTX.Checked(), CheckIP.Checked(), &ListBox1};

  if (RunPendingCommand() == 0) {
    if (PreparedCommand.Flag == 1) {
      PreparedCommand.Flag = 0;
      SendPreparedCommand();
    } else if (CheckOPR.Checked() && PollingPause == 0) {
      PollStations(log);
    }
  }

  if (Visible()) {
    const double tick_time = ElapsedUnits(static_cast<std::int64_t>(ReadTimeStamp() - started));
    if (tick_time > MaxTickTime) MaxTickTime = tick_time;
    char text[32];
    std::snprintf(text, sizeof text, "%3.2f", MaxTickTime);
    Edit11.SetText(text);
  }
}

void TFormSV::Timer2Timer() {
  DebugFlagDM92 = CheckDM92.Checked() ? 1 : 0;
  DebugFlagEX92K = CheckEX92K.Checked() ? 1 : 0;
  ++WatchdogTickCount;
  if (WatchdogTickCount % 2 == 0) return;

  char text[16];
  if (MonitorWatchdog != 0) --MonitorWatchdog;
  std::snprintf(text, sizeof text, "%d", MonitorWatchdog);
  Edit12.SetText(text);
  if (MonitorWatchdog == 1) OpenMonitorSocket();

  if (StationLinkCountdown != 0) --StationLinkCountdown;
  if (StationLinkCountdown == 1) OpenStationSocket();
  std::snprintf(text, sizeof text, "%d", StationLinkCountdown);
  Edit13.SetText(text);

  if (PollingPause > kPollingPauseLimit) PollingPause = kPollingPauseLimit;
  if (PollingPause != 0) --PollingPause;
}

void TFormSV::Timer4Timer() {
  ShowDatabasePing(kPING);
  if (++DatabasePingTickCount >= kPingTicksPerReport) {
    DatabasePingTickCount = 0;
    char text[24];
    std::snprintf(text, sizeof text, "kPING=%d", kPING);
    AppendServerReport(text);
  }
}

void TFormSV::Edit11DblClick() {
  MaxTickTime = 0.0;
}

}  // namespace tolvex
