#pragma once
// The server's icon in the notification area, with its tip "QVK Server", left click to show
// the main window and right click for its popup menu.
//
// The record is what the program hands to the platform's notification-area call; the
// platform (a window system, or a test) is plugged in as the sink.
#include <array>
#include <cstdint>

namespace forms {
class TForm;
}

namespace tolvex {

inline constexpr int kTrayAdd = 0;
inline constexpr int kTrayModify = 1;
inline constexpr int kTrayDelete = 2;
inline constexpr std::uint32_t kTrayRecordSize = 88;
inline constexpr std::uint32_t kTrayIconId = 1006;
// Message, icon and tip are valid.
inline constexpr std::uint32_t kTrayFlags = 7;
inline constexpr std::uint32_t TrayCallbackMessage = 0x8064;
inline constexpr char kTrayTip[] = "QVK Server";
inline constexpr std::uint32_t kMouseLeftButtonUp = 0x202;
inline constexpr std::uint32_t kMouseRightButtonUp = 0x205;

struct TrayIconRecord {
  std::uint32_t cbSize = kTrayRecordSize;
  forms::TForm* hWnd = nullptr;
  std::uint32_t uID = kTrayIconId;
  std::uint32_t uFlags = kTrayFlags;
  std::uint32_t uCallbackMessage = TrayCallbackMessage;
  bool hIcon = false;  // the application icon (modify only)
  std::array<char, 64> szTip{};
};

// The platform's notification-area call: true when it did what was asked.
using TrayIconSink = bool (*)(int operation, const TrayIconRecord& record);
// nullptr: no notification area (every call fails quietly).
void SetTrayIconSink(TrayIconSink sink);

// Adds (0), modifies (1: icon and tip) or deletes (2) the icon; whether the platform did it.
bool SetTrayIcon(int operation);
// A mouse message from the icon: left button up shows the main window, right button up opens
// PopupMenu1 at the cursor (or shows the window when the cursor cannot be read).
void TrayIconMessage(std::uint32_t mouse_message);

}  // namespace tolvex
