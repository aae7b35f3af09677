// The operator workstation Lumora: an MDI program. It creates its 14 windows in their fixed
// order, connects every window's handlers and runs the window system's loop; the main
// window's start-up timers do the rest.
#include <exception>

#include "platform/forms/application.h"
#include "platform/qt/qt_application.h"
#include "workstation/program_windows.h"

namespace {

int RunWorkstation(qtpeers::QtApplicationRunner& runner) {
  lumora::ProgramWindows windows;
  lumora::InstallWorkstationEndHandlers();
  runner.MapForms();
  windows.main_window.Show();
  try {
    runner.Run();
  } catch (const std::exception& error) {
    forms::Application().MessageBox(error.what(), "Lumora", forms::MB_OK | forms::MB_ICONERROR);
  }
  // OnDestroy of every window while all of them still exist.
  forms::Application().DestroyForms();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  forms::Application().UseRealClock();
  qtpeers::QtApplicationRunner runner(argc, argv);
  return RunWorkstation(runner);
}
