#include "server/form_wiring_program.h"

#include "platform/forms/application.h"
#include "server/frame_receiver.h"
#include "server/workstation_link.h"

namespace tolvex {

ServerWindows::ServerWindows() {
  forms::Application().SetMainForm(&main_window);
  main_window.ConnectHandlers();
  service_window.ConnectHandlers();
  config_window.ConnectHandlers();
  sql_window.ConnectHandlers();
  SetWorkstationDatagramHandler(ParseCommandDatagram);
  // Handlers first, so a form's create handler would run.
  for (forms::TForm* form :
       {static_cast<forms::TForm*>(&main_window), static_cast<forms::TForm*>(&service_window),
        static_cast<forms::TForm*>(&config_window), static_cast<forms::TForm*>(&sql_window),
        static_cast<forms::TForm*>(&error_window)}) {
    form->AfterConstruction();
  }
}

ServerWindows::~ServerWindows() {
  if (forms::Application().MainForm() == &main_window) forms::Application().SetMainForm(nullptr);
}

}  // namespace tolvex
