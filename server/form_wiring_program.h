#pragma once
// The server's five forms, each the single instance of its kind, created in the program's
// order: the main window (the application's main form), the service window, the
// configuration form, the SQL test window and the error window. Every form's handlers are
// connected, and the workstation datagrams go to the command parser.
#include "server/config_window.h"
#include "server/error_window.h"
#include "server/main_window.h"
#include "server/service_window.h"
#include "server/sql_test_window.h"

namespace tolvex {

class ServerWindows {
 public:
  ServerWindows();
  ~ServerWindows();
  ServerWindows(const ServerWindows&) = delete;
  ServerWindows& operator=(const ServerWindows&) = delete;

  // In the order of creation.
  TForm1 main_window;
  TFormSV service_window;
  TFormCFG config_window;
  TFormSQL sql_window;
  TFormERR error_window;
};

}  // namespace tolvex
