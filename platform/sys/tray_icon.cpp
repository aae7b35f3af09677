#include "platform/sys/tray_icon.h"

#include <algorithm>
#include <cstring>

namespace sys {

namespace {
TrayHost* current_host = nullptr;
const char application_icon_token = 0;
}  // namespace

HICON ApplicationIconHandle() {
  return &application_icon_token;
}

TrayHost* SetTrayHost(TrayHost* host) {
  TrayHost* previous = current_host;
  current_host = host;
  return previous;
}

TrayHost* CurrentTrayHost() {
  return current_host;
}

bool Shell_NotifyIconA(std::uint32_t message, const NOTIFYICONDATAA* data) {
  if (data == nullptr || data->cbSize == 0 || data->hWnd == nullptr) return false;
  if (current_host == nullptr || !current_host->Available()) return false;
  TrayIconState icon;
  icon.window = data->hWnd;
  icon.id = data->uID;
  icon.flags = data->uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
  if (data->uFlags & NIF_MESSAGE) icon.callback_message = data->uCallbackMessage;
  if (data->uFlags & NIF_ICON) icon.has_icon = data->hIcon != nullptr;
  if (data->uFlags & NIF_TIP) {
    icon.tip.assign(data->szTip, strnlen(data->szTip, sizeof data->szTip));
  }
  switch (message) {
    case NIM_ADD:
      return current_host->Add(icon);
    case NIM_MODIFY:
      return current_host->Modify(icon);
    case NIM_DELETE:
      return current_host->Delete(icon.window, icon.id);
    default:
      return false;
  }
}

void DeliverTrayClick(const TrayIconState& icon, std::uint32_t mouse_message) {
  if (icon.window == nullptr || icon.callback_message == 0) return;
  icon.window->Perform(icon.callback_message, icon.id, static_cast<std::intptr_t>(mouse_message));
}

void ApplyTrayChange(TrayIconState& shown, const TrayIconState& change) {
  if (change.flags & NIF_MESSAGE) shown.callback_message = change.callback_message;
  if (change.flags & NIF_ICON) shown.has_icon = change.has_icon;
  if (change.flags & NIF_TIP) shown.tip = change.tip;
}

const TrayIconState* RecordingTrayHost::Find(forms::TForm* window, std::uint32_t id) const {
  for (const TrayIconState& icon : icons) {
    if (icon.window == window && icon.id == id) return &icon;
  }
  return nullptr;
}

bool RecordingTrayHost::Add(const TrayIconState& icon) {
  calls.push_back("add " + std::to_string(icon.id));
  if (Find(icon.window, icon.id) != nullptr) return false;
  icons.push_back(icon);
  return true;
}

bool RecordingTrayHost::Modify(const TrayIconState& icon) {
  calls.push_back("modify " + std::to_string(icon.id));
  for (TrayIconState& shown : icons) {
    if (shown.window == icon.window && shown.id == icon.id) {
      ApplyTrayChange(shown, icon);
      return true;
    }
  }
  return false;
}

bool RecordingTrayHost::Delete(forms::TForm* window, std::uint32_t id) {
  calls.push_back("delete " + std::to_string(id));
  auto it = std::find_if(icons.begin(), icons.end(), [&](const TrayIconState& icon) {
    return icon.window == window && icon.id == id;
  });
  if (it == icons.end()) return false;
  icons.erase(it);
  return true;
}

}  // namespace sys
