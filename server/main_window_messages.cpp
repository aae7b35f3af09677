// The main window's own window messages: the end of the desktop session and the tray icon's
// callback.
#include "platform/forms/controls.h"
#include "server/main_window.h"
#include "server/main_window_tray.h"

namespace tolvex {

bool TForm1::WindowMessage(std::uint32_t message, std::uintptr_t /*wparam*/, std::intptr_t lparam,
                           std::intptr_t& result) {
  switch (message) {
    case forms::WM_QUERYENDSESSION:
      // The server does not let the session end under it; it ends itself (Timer1).
      result = 0;
      return true;
    case forms::WM_ENDSESSION:
      Timer1.SetEnabled(true);
      result = 0;
      return true;
    case TrayCallbackMessage:
      TrayIconMessage(static_cast<std::uint32_t>(lparam));
      return false;  // and on to the default handling
    default:
      return false;
  }
}

}  // namespace tolvex
