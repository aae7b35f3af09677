// The operator workstation Lumora: an MDI program. It creates its 14 windows in their fixed
// order, connects every window's handlers and runs the window system's loop; the main
// window's start-up timers do the rest.
#include "platform/forms/application.h"
#include "platform/qt/program_run.h"
#include "platform/qt/qt_application.h"
#include "workstation/program_windows.h"

int main(int argc, char** argv) {
  forms::Application().UseRealClock();
  qtpeers::QtApplicationRunner runner(argc, argv);
  lumora::ProgramWindows windows;
  lumora::InstallWorkstationEndHandlers();
  return qtpeers::RunProgramForms(runner, windows.main_window, "Lumora");
}
