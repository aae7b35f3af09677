// The operator workstation Lumora: an MDI program. It creates its 14 windows in their fixed
// order, connects every window's handlers and runs the window system's loop; the main
// window's start-up timers do the rest.
#include "platform/forms/application.h"
#include "platform/qt/program_run.h"
#include "platform/qt/qt_application.h"
#include "platform/sys/session_end.h"
#include "workstation/database_client.h"
#include "workstation/program_windows.h"

int main(int argc, char** argv) {
  forms::Application().UseRealClock();
  qtpeers::QtApplicationRunner runner(argc, argv);
  lumora::ProgramWindows windows;
  // An end signal cuts a wait for the database short, so the end sequence goes on at once.
  sys::SetEndHook(lumora::EndDbConnectionWaits);
  lumora::InstallWorkstationEndHandlers();
  return qtpeers::RunProgramForms(runner, windows.main_window, "Lumora");
}
