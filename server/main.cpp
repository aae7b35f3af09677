// The station server Tolvex: a tray program. It creates its five forms in order, connects
// their handlers and runs the window system's loop; the start-up sequencer of the main window
// does the rest.
#include "platform/forms/application.h"
#include "platform/qt/program_run.h"
#include "platform/qt/qt_application.h"
#include "platform/sys/session_end.h"
#include "server/database_connection.h"
#include "server/form_wiring_program.h"
#include "server/main_window_shutdown.h"

int main(int argc, char** argv) {
  forms::Application().UseRealClock();
  qtpeers::QtApplicationRunner runner(argc, argv);
  tolvex::ServerWindows windows;
  // An end signal cuts a wait for the database short, so the end sequence goes on at once.
  sys::SetEndHook(tolvex::EndDatabaseWaits);
  tolvex::InstallSessionEndHandlers();
  // The tray icon goes with the main window's OnDestroy at the end of the run.
  return qtpeers::RunProgramForms(runner, windows.main_window, "Tolvex");
}
