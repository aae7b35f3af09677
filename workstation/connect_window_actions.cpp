// The connect window's handlers: connect and load the worker list, close after a connect,
// keep the connection alive.
#include <string>

#include "link/cp1251.h"
#include "platform/forms/application.h"
#include "workstation/connect_window.h"
#include "workstation/database_client.h"

namespace lumora {

std::int32_t ConnectTick = kConnectTickStart;

void TFormSQL::BitBtn1Click() {
  const std::string login = lamp::Utf8ToCp1251(EditU.Text());
  const std::string password = lamp::Utf8ToCp1251(EditP.Text());
  if (!ConnectDbConnection(login.c_str(), password.c_str())) {
    Edit3.SetText(kConnectErrorText);
    forms::Application().MessageBox(kCannotConnectText, "", forms::MB_OK);
    return;
  }
  ShowConnected();
}

void TFormSQL::ShowConnected() {
  ConnectTick = 0;
  Edit3.SetText(kConnectedText);
  Edit1.SetText(std::to_string(LoadWorkerList()));
}

void TFormSQL::Timer1Timer() {
  // Stops counting once the status text is gone, so the counter never runs over.
  if (ConnectTick < kConnectTickClearStatus) {
    ++ConnectTick;
    if (ConnectTick == kConnectTickClose) Close();
    if (ConnectTick == kConnectTickClearStatus) Edit3.SetText("");
  }
  // A connect that found no answer and came about later counts as the button's: the window
  // closes on the second tick from now.
  if (TakeLateConnection()) ShowConnected();
}

void TFormSQL::Timer2Timer() {
  PingDbConnection();
}

}  // namespace lumora
