#include "server/main_window_tray.h"

#include <cstring>

#include "platform/forms/application.h"
#include "platform/sys/tray_icon.h"
#include "server/main_window.h"

namespace tolvex {

bool SetTrayIcon(int operation) {
  sys::NOTIFYICONDATAA data;
  data.cbSize = sys::kNotifyIconDataFirstSize;
  data.hWnd = Form1;
  data.uID = kTrayIconId;
  data.uFlags = sys::NIF_MESSAGE | sys::NIF_ICON | sys::NIF_TIP;
  data.uCallbackMessage = TrayCallbackMessage;
  if (operation == kTrayModify) {
    data.hIcon = sys::ApplicationIconHandle();
    std::strncpy(data.szTip, kTrayTip, sizeof data.szTip - 1);
  }
  return sys::Shell_NotifyIconA(static_cast<std::uint32_t>(operation), &data);
}

void TrayIconMessage(std::uint32_t mouse_message) {
  if (Form1 == nullptr) return;
  if (mouse_message == forms::WM_LBUTTONUP) {
    Form1->Show();
  } else if (mouse_message == forms::WM_RBUTTONUP) {
    int x = 0;
    int y = 0;
    forms::DialogService& dialogs = forms::Application().Dialogs();
    if (dialogs.GetCursorPos(x, y)) {
      // In front first, so the menu closes when the user clicks elsewhere.
      dialogs.SetForegroundWindow(*Form1);
      Form1->PopupMenu1.Popup(x, y);
    } else {
      Form1->Show();
    }
  }
}

void TForm1::N1Click() {
  Show();
}

void TForm1::FormDestroy() {
  SetTrayIcon(kTrayDelete);
}

}  // namespace tolvex
