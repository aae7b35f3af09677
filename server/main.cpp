// The station server Tolvex: a tray program. It creates its five forms in order, connects
// their handlers and runs the window system's loop; the start-up sequencer of the main window
// does the rest.
#include <exception>
#include <string>

#include "platform/forms/application.h"
#include "platform/qt/qt_application.h"
#include "server/config_window.h"
#include "server/error_window.h"
#include "server/frame_receiver.h"
#include "server/main_window.h"
#include "server/service_window.h"
#include "server/shutdown_sequence.h"
#include "server/sql_test_window.h"
#include "server/workstation_link.h"

namespace {

int RunServer(qtpeers::QtApplicationRunner& runner) {
  tolvex::TForm1 main_window;
  tolvex::TFormSV service_window;
  tolvex::TFormCFG config_window;
  tolvex::TFormSQL sql_window;
  tolvex::TFormERR error_window;
  for (forms::TForm* form :
       {static_cast<forms::TForm*>(&main_window), static_cast<forms::TForm*>(&service_window),
        static_cast<forms::TForm*>(&config_window), static_cast<forms::TForm*>(&sql_window),
        static_cast<forms::TForm*>(&error_window)}) {
    form->AfterConstruction();
  }
  main_window.ConnectHandlers();
  service_window.ConnectHandlers();
  config_window.ConnectHandlers();
  sql_window.ConnectHandlers();
  tolvex::SetWorkstationDatagramHandler(tolvex::ParseCommandDatagram);
  tolvex::InstallSessionEndHandlers();

  runner.MapForms();
  main_window.Show();
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
