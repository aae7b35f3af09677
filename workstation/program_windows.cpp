#include "workstation/program_windows.h"

#include "platform/forms/application.h"

namespace lumora {

ProgramWindows::ProgramWindows() {
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
}

ProgramWindows::~ProgramWindows() {
  if (forms::Application().MainForm() == &main_window) forms::Application().SetMainForm(nullptr);
}

}  // namespace lumora
