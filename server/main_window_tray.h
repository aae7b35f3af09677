#pragma once
// The main window's icon in the notification area, with its tip "QVK Server", left click to
// show the main window and right click for its popup menu ("Открыть": TForm1::N1Click). The
// icon goes with the main window (TForm1::FormDestroy).
#include <cstdint>

namespace tolvex {

inline constexpr int kTrayAdd = 0;
inline constexpr int kTrayModify = 1;
inline constexpr int kTrayDelete = 2;
inline constexpr std::uint32_t kTrayIconId = 1006;
inline constexpr std::uint32_t TrayCallbackMessage = 0x8064;
inline constexpr char kTrayTip[] = "QVK Server";

// Adds (0), modifies (1: icon and tip) or deletes (2) the icon; whether the platform did it.
bool SetTrayIcon(int operation);
// The mouse message of a click on the icon: left button up shows the main window, right
// button up opens PopupMenu1 at the cursor (or shows the window when the cursor cannot be
// read).
void TrayIconMessage(std::uint32_t mouse_message);

}  // namespace tolvex
