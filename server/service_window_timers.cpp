// The service window's timers, the server's main loop: receive (12 ms), watchdog second
// (500 ms), poll tick (96 ms), database ping (10 min) and the periodic state rows (10 s).
// Each handler runs its module and does what the module found due.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "server/config_window.h"
#include "server/database_connection.h"
#include "server/frame_receiver.h"
#include "server/main_window.h"
#include "server/main_window_startup.h"
#include "server/poll_cycle.h"
#include "server/reply_decoder.h"
#include "server/service_window.h"
#include "server/state_rows.h"
#include "server/station_frame.h"
#include "server/tick_timing.h"
#include "server/workstation_socket.h"

namespace tolvex {

void TFormSV::Timer1Timer() {
  const int length = ReceiveWorkstationDatagram();
  if (length > 0) Edit10.SetText(std::to_string(length));
  DrainStationSocket();
}

void TFormSV::Timer2Timer() {
  DebugFlagDM92 = CheckDM92.Checked() ? 1 : 0;
  DebugFlagEX92K = CheckEX92K.Checked() ? 1 : 0;
  if (!WatchdogSecondDue()) return;

  const bool reopen_monitor = CountDownToReopen(MonitorWatchdog);
  Edit12.SetText(std::to_string(MonitorWatchdog));
  if (reopen_monitor) OpenMonitorSocket();

  if (CountDownToReopen(StationLinkCountdown)) OpenStationSocket();
  Edit13.SetText(std::to_string(StationLinkCountdown));

  CountDownPollingPause();
  KeepDatabaseConnection();
  CompleteStartupOnLateDatabase();
}

void TFormSV::Timer3Timer() {
  const std::uint64_t started = ReadTimeStamp();
  const PollTickOutcome outcome =
      RunPollTick({.polling_on = CheckOPR.Checked(),
                   .log_polls = CheckPTX.Checked(),
                   .log_with_ip = CheckIP.Checked(),
                   .period_elapsed = Form1 != nullptr && Form1->PollPeriodFlag == 1});
  if (outcome.reopen_monitor_due) {
    OpenMonitorSocket();
    AppendServerReport("Init UDP-MON");
  }
  if (outcome.pass_restarted) Form1->PollPeriodFlag = 0;

  if (Visible()) {
    const double longest =
        NoteTickTime(ElapsedUnits(static_cast<std::int64_t>(ReadTimeStamp() - started)));
    char text[32];
    std::snprintf(text, sizeof text, "%3.2f", longest);
    Edit11.SetText(text);
  }
}

void TFormSV::Timer4Timer() {
  ShowDatabasePing(kPING);
  if (PingReportDue()) {
    char text[24];
    std::snprintf(text, sizeof text, "kPING=%d", kPING);
    AppendServerReport(text);
  }
}

void TFormSV::TimerSTATTimer() {
  const ClockMinuteText now = FormatClockMinute(CurrentStateRowsTime());
  std::array<const char*, 4> times{};
  if (FormCFG != nullptr) {
    times = {FormCFG->MaskEdit1.Text().c_str(), FormCFG->MaskEdit2.Text().c_str(),
             FormCFG->MaskEdit3.Text().c_str(), FormCFG->MaskEdit4.Text().c_str()};
  }
  RunStateRowsTick(now, times);
}

void TFormSV::Edit11DblClick() {
  MaxTickTime = 0.0;
}

}  // namespace tolvex
