#include "server/tray_icon.h"

#include <cstring>

#include "platform/forms/application.h"
#include "server/main_window.h"

namespace tolvex {

namespace {
TrayIconSink tray_icon_sink = nullptr;
}

void SetTrayIconSink(TrayIconSink sink) {
  tray_icon_sink = sink;
}

bool SetTrayIcon(int operation) {
  TrayIconRecord record;
  record.hWnd = Form1;
  if (operation == kTrayModify) {
    record.hIcon = true;
    std::strncpy(record.szTip.data(), kTrayTip, record.szTip.size() - 1);
  }
  if (tray_icon_sink == nullptr) return false;
  return tray_icon_sink(operation, record);
}

void TrayIconMessage(std::uint32_t mouse_message) {
  if (Form1 == nullptr) return;
  if (mouse_message == kMouseLeftButtonUp) {
    Form1->Show();
  } else if (mouse_message == kMouseRightButtonUp) {
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
