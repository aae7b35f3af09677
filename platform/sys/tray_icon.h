#pragma once
// The notification-area (tray) icon. The programs fill a NOTIFYICONDATAA and call
// Shell_NotifyIconA; a tray host (the window system's, or a test's) shows the icon and
// reports clicks back to the record's window as its callback message, with the mouse message
// (WM_LBUTTONUP, WM_RBUTTONUP) as lparam and the icon's id as wparam. Without a host, or on
// a desktop without a tray, the calls fail quietly.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/controls.h"

namespace sys {

using HICON = const void*;

inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_MODIFY = 1;
inline constexpr std::uint32_t NIM_DELETE = 2;
inline constexpr std::uint32_t NIF_MESSAGE = 1;
inline constexpr std::uint32_t NIF_ICON = 2;
inline constexpr std::uint32_t NIF_TIP = 4;
// cbSize of the record's first form.
inline constexpr std::uint32_t kNotifyIconDataFirstSize = 88;

struct NOTIFYICONDATAA {
  std::uint32_t cbSize = 0;
  forms::TForm* hWnd = nullptr;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  HICON hIcon = nullptr;
  char szTip[64] = {};
};

// The program's own icon, for hIcon.
HICON ApplicationIconHandle();

// One icon as the host shows it.
struct TrayIconState {
  forms::TForm* window = nullptr;
  std::uint32_t id = 0;
  std::uint32_t callback_message = 0;
  bool has_icon = false;
  std::string tip;
  // Which of the fields above a change carries (NIF_MESSAGE, NIF_ICON, NIF_TIP).
  std::uint32_t flags = 0;
};

// Applies the fields a change carries to a shown icon.
void ApplyTrayChange(TrayIconState& shown, const TrayIconState& change);

class TrayHost {
 public:
  virtual ~TrayHost() = default;
  // False when there is no tray to show icons in.
  virtual bool Available() const = 0;
  virtual bool Add(const TrayIconState& icon) = 0;
  virtual bool Modify(const TrayIconState& icon) = 0;
  virtual bool Delete(forms::TForm* window, std::uint32_t id) = 0;
};

// Replaces the host (nullptr: none); returns the previous one.
TrayHost* SetTrayHost(TrayHost* host);
TrayHost* CurrentTrayHost();

// Adds, modifies or deletes the icon (window, id) of the record. Add fails for an icon that
// exists, Modify and Delete for one that does not; every call fails without an available
// host or with a record whose cbSize is 0 or whose window is null. Only the fields that
// uFlags names are taken; the tip is read up to its first NUL within its 64 characters.
bool Shell_NotifyIconA(std::uint32_t message, const NOTIFYICONDATAA* data);

// A click on an icon: delivers the callback message to its window (hosts call this).
void DeliverTrayClick(const TrayIconState& icon, std::uint32_t mouse_message);

// A host for tests: keeps the icons it was given.
class RecordingTrayHost : public TrayHost {
 public:
  bool Available() const override { return available; }
  bool Add(const TrayIconState& icon) override;
  bool Modify(const TrayIconState& icon) override;
  bool Delete(forms::TForm* window, std::uint32_t id) override;
  // nullptr when the icon is not shown.
  const TrayIconState* Find(forms::TForm* window, std::uint32_t id) const;

  bool available = true;
  std::vector<TrayIconState> icons;
  std::vector<std::string> calls;  // "add 1006", "modify 1006", "delete 1006"
};

}  // namespace sys
