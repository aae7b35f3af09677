// Ending with the desktop session, and ending on a signal.
#include "server/main_window_shutdown.h"

#include "link/code_tables.h"
#include "platform/forms/controls.h"
#include "platform/sys/session_end.h"
#include "platform/sys/shell_command.h"
#include "server/database_writer.h"
#include "server/main_window.h"

namespace tolvex {

std::int32_t ShutdownTick = 0;

// Both go through the main window's message map, which holds the answers.
bool QueryEndSession() {
  if (Form1 == nullptr) return true;
  return Form1->Perform(forms::WM_QUERYENDSESSION, 0, 0) != 0;
}

void EndSession() {
  if (Form1 != nullptr) Form1->Perform(forms::WM_ENDSESSION, 1, 0);
}

void InstallSessionEndHandlers() {
  sys::SetQueryEndSessionHandler(QueryEndSession);
  sys::SetEndSessionHandler(EndSession);
  sys::SetEndRequestHandler(ConfirmedExit);
  sys::InstallEndSignalHandlers();
}

void TForm1::Timer1Timer() {
  ++ShutdownTick;
  switch (ShutdownTick) {
    case 2:
      Show();
      AppendServerReport("ShutDown Computer");
      AddServerEvent(lamp::EventServerStopped);
      break;
    case 4:
      sys::WinExec(kPowerOffCommand, sys::SW_HIDE);
      break;
    case 8:
      EndProgram();
      break;
    default:
      break;
  }
}

}  // namespace tolvex
