// The operator workstation Lumora: an MDI program. It creates its 14 windows in their fixed
// order, connects every window's handlers and runs the window system's loop; the main
// window's start-up timers do the rest.
#include <exception>

#include "platform/forms/application.h"
#include "platform/qt/qt_application.h"
#include "workstation/about_box.h"
#include "workstation/battery_editor.h"
#include "workstation/connect_window.h"
#include "workstation/device_number_tool.h"
#include "workstation/diagnostics_window.h"
#include "workstation/event_history_window.h"
#include "workstation/lamp_card.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/live_events_window.h"
#include "workstation/main_window.h"
#include "workstation/measurement_log.h"
#include "workstation/station_view.h"
#include "workstation/traffic_window.h"

namespace {

using namespace lumora;

int RunWorkstation(qtpeers::QtApplicationRunner& runner) {
  // The order of creation is the program's: the first window is the main window.
  TMainForm main_window;
  TAboutBox about_box;
  TForm1 live_events;
  TForm2 overview;
  TForm3 station_view;
  TFormDBG diagnostics;
  TFormSV traffic;
  TFormSVET lamp_card;
  TFormBAT battery_editor;
  TFormSQL connect_window;
  TFormERR error_box;
  TFormNUM device_numbers;
  TFormLOG measurement_log;
  TFormSOB event_history;
  forms::Application().SetMainForm(&main_window);
  for (forms::TForm* child :
       {static_cast<forms::TForm*>(&live_events), static_cast<forms::TForm*>(&overview),
        static_cast<forms::TForm*>(&station_view)}) {
    child->SetMdiParent(&main_window);
  }

  main_window.ConnectHandlers();
  live_events.ConnectHandlers();
  overview.ConnectHandlers();
  station_view.ConnectHandlers();
  diagnostics.ConnectHandlers();
  traffic.ConnectHandlers();
  lamp_card.ConnectHandlers();
  battery_editor.ConnectHandlers();
  connect_window.ConnectHandlers();
  error_box.ConnectHandlers();
  device_numbers.ConnectHandlers();
  measurement_log.ConnectHandlers();
  event_history.ConnectHandlers();
  // Handlers first, so each window's create handler (the MDI children drop their caption
  // bars there) runs.
  for (forms::TForm* form :
       {static_cast<forms::TForm*>(&main_window), static_cast<forms::TForm*>(&about_box),
        static_cast<forms::TForm*>(&live_events), static_cast<forms::TForm*>(&overview),
        static_cast<forms::TForm*>(&station_view), static_cast<forms::TForm*>(&diagnostics),
        static_cast<forms::TForm*>(&traffic), static_cast<forms::TForm*>(&lamp_card),
        static_cast<forms::TForm*>(&battery_editor), static_cast<forms::TForm*>(&connect_window),
        static_cast<forms::TForm*>(&error_box), static_cast<forms::TForm*>(&device_numbers),
        static_cast<forms::TForm*>(&measurement_log), static_cast<forms::TForm*>(&event_history)}) {
    form->AfterConstruction();
  }

  runner.MapForms();
  main_window.Show();
  try {
    runner.Run();
  } catch (const std::exception& error) {
    forms::Application().MessageBox(error.what(), "Lumora", forms::MB_OK | forms::MB_ICONERROR);
  }
  forms::Application().DestroyForms();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  forms::Application().UseRealClock();
  qtpeers::QtApplicationRunner runner(argc, argv);
  return RunWorkstation(runner);
}
