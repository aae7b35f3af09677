// The station server Tolvex: a tray program. It creates its five forms in order, connects
// their handlers and runs the window system's loop; the start-up sequencer of the main window
// does the rest.
#include <exception>

#include "platform/forms/application.h"
#include "platform/qt/qt_application.h"
#include "server/form_wiring_program.h"
#include "server/shutdown_sequence.h"

namespace {

int RunServer(qtpeers::QtApplicationRunner& runner) {
  tolvex::ServerWindows windows;
  tolvex::InstallSessionEndHandlers();

  runner.MapForms();
  windows.main_window.Show();
  try {
    runner.Run();
  } catch (const std::exception& error) {
    forms::Application().MessageBox(error.what(), "Tolvex", forms::MB_OK | forms::MB_ICONERROR);
  }
  // OnDestroy of every form while all of them still exist (the tray icon goes here).
  forms::Application().DestroyForms();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  forms::Application().UseRealClock();
  qtpeers::QtApplicationRunner runner(argc, argv);
  return RunServer(runner);
}
