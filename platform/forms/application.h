#pragma once
// The application object: one scheduler on one thread for every timer of the program, the
// set of forms, and the services (message boxes, dialogs, cursor) that a window system or a
// test supplies. The clock is real in the programs and manual in tests.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace forms {

class TForm;
class TTimer;

// Message-box buttons and answers, with the Windows values the programs compare against.
inline constexpr int MB_OK = 0x0;
inline constexpr int MB_OKCANCEL = 0x1;
inline constexpr int MB_YESNOCANCEL = 0x3;
inline constexpr int MB_YESNO = 0x4;
inline constexpr int MB_ICONERROR = 0x10;
inline constexpr int MB_ICONQUESTION = 0x20;
inline constexpr int MB_ICONWARNING = 0x30;
inline constexpr int MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The window system's standard actions that menu items and tool buttons may carry.
enum class TStandardAction {
  None,
  EditCut,
  EditCopy,
  EditPaste,
  WindowTileHorizontal,
  WindowTileVertical,
  WindowCascade,
};

// What a save dialog asks for.
struct SaveDialogRequest {
  std::string file_name;    // proposed name (may be a pattern such as "*.txt")
  std::string default_ext;  // without the '.'
  std::string filter;       // "description|pattern|description|pattern"
  std::string title;
};

// What a window system (or a test) does for the program: message boxes, the cursor position,
// the save dialog, the foreground window. The default answers OK / Yes to every message box,
// cancels every save dialog, cannot read the cursor and records nothing.
class DialogService {
 public:
  virtual ~DialogService() = default;
  virtual int MessageBox(const std::string& text, const std::string& caption, int flags);
  // Returns false when the position cannot be read.
  virtual bool GetCursorPos(int& x, int& y);
  // False when the user cancels; else chosen holds the full file name.
  virtual bool GetSaveFileName(const SaveDialogRequest& request, std::string& chosen);
  // Brings the form to the front; false when the window system refuses.
  virtual bool SetForegroundWindow(TForm& form);
  // Cut, copy or paste in the control that has the keyboard focus (nothing by default).
  virtual void EditAction(TStandardAction action);
};

// A dialog service for tests: records every message box and answers from a script (then
// with the default answer), returns a set cursor position and scripted save-file names.
class ScriptedDialogService : public DialogService {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    int flags;
  };
  int MessageBox(const std::string& text, const std::string& caption, int flags) override;
  bool GetCursorPos(int& x, int& y) override;
  bool GetSaveFileName(const SaveDialogRequest& request, std::string& chosen) override;
  bool SetForegroundWindow(TForm& form) override;
  void EditAction(TStandardAction action) override { edit_actions.push_back(action); }

  // Answers for the next message boxes, in order.
  std::vector<int> answers;
  // Runs inside each message box, before it returns (the loop keeps running meanwhile).
  std::function<void(const Shown&)> while_shown;
  std::vector<Shown> shown;
  bool cursor_known = true;
  int cursor_x = 0, cursor_y = 0;
  // Names the next save dialogs return, in order; an empty name cancels. When none is left,
  // the dialog is cancelled.
  std::vector<std::string> save_names;
  std::vector<SaveDialogRequest> save_requests;
  std::vector<TForm*> foreground_requests;
  std::vector<TStandardAction> edit_actions;
};

// A rectangle of the screen, in pixels.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
// The work area when no window system names one: a common screen.
inline constexpr ScreenRect kDefaultWorkArea{0, 0, 1920, 1080};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t NowMs() const = 0;
};

class TApplication {
 public:
  TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // Manual clock (tests): time stands still until AdvanceTime moves it.
  void UseManualClock(std::int64_t start_ms = 0);
  // Real clock (programs): steady_clock milliseconds. Choose the clock before timers are
  // made: a switch does not move the timers already running.
  void UseRealClock();
  std::int64_t NowMs() const;

  // Manual clock only: moves time forward by ms, firing every timer that falls due, in time
  // order (timers due at the same moment fire in the order they were enabled), one handler at
  // a time. A handler may enable, disable or re-time timers, and may itself call AdvanceTime.
  void AdvanceTime(std::int64_t ms);
  // Manual clock only: moves time forward by ms without firing anything, as a handler that
  // blocks the loop does (a slow database call). Timers that fall due meanwhile are late.
  void StallFor(std::int64_t ms);
  // Fires every timer due at the current time, once each (a late timer fires once and is
  // then rescheduled a whole interval from now). Returns the ms until the next due timer,
  // or -1 when no timer is enabled.
  std::int64_t FireDueTimers();

  void RegisterTimer(TTimer* timer);
  void UnregisterTimer(TTimer* timer);
  void RegisterForm(TForm* form);
  void UnregisterForm(TForm* form);
  const std::vector<TForm*>& Forms() const { return forms_; }
  // The program's main form; closing it ends the program. None until the program names it.
  TForm* MainForm() const { return main_form_; }
  void SetMainForm(TForm* form) { main_form_ = form; }
  // Fires OnDestroy of every form still registered, the last created first.
  void DestroyForms();

  // The part of the screen that windows may take (the screen less the desktop's panels):
  // a form asked for more is kept within it (TForm). The window system names it; without
  // one it is kDefaultWorkArea.
  const ScreenRect& WorkArea() const { return work_area_; }
  void SetWorkArea(const ScreenRect& area) { work_area_ = area; }

  // Ends the program's loop; Terminated() tells the loop (and tests) it was asked.
  void Terminate();
  bool Terminated() const { return terminated_; }
  void ResetTerminated() { terminated_ = false; }

  void SetDialogService(DialogService* service);
  DialogService& Dialogs();

  // Runs while a modal form is open: the window system's loop in the programs, a scripted
  // step in tests. It must return once the form is no longer visible.
  using ModalRunner = std::function<void(TForm&)>;
  void SetModalRunner(ModalRunner runner) { modal_runner_ = std::move(runner); }
  void RunModal(TForm& form);
  // A modal runner for the manual clock: moves time from one due timer to the next (so the
  // form's own timers and everybody else's fire) until the form is closed, no timer is
  // enabled, the program is terminated, or limit_ms have passed.
  static ModalRunner VirtualTimeModalRunner(std::int64_t limit_ms);

  // The loop of a program without a window system, on the real clock: fires due timers and
  // calls OnLoopPass between them, until Terminate. The Qt runner has its own loop.
  void Run();
  std::function<void()> OnLoopPass;

  int MessageBox(const std::string& text, const std::string& caption, int flags);
  // Runs a standard action for the form whose menu or tool bar holds it: the window actions
  // arrange the children of the MDI parent (the form itself or its parent), the edit actions
  // go to the dialog service.
  void PerformStandardAction(TStandardAction action, TForm* form);

  // Called whenever a form's or control's state changes, so a window system can redraw.
  std::function<void()> OnModelChanged;

 private:
  TTimer* NextDueTimer(std::int64_t limit) const;

  bool manual_clock_ = false;
  std::int64_t manual_now_ = 0;
  std::int64_t real_origin_ = 0;
  std::vector<TTimer*> timers_;
  std::vector<TForm*> forms_;
  TForm* main_form_ = nullptr;
  ScreenRect work_area_ = kDefaultWorkArea;
  bool terminated_ = false;
  DialogService default_dialogs_;
  DialogService* dialogs_ = &default_dialogs_;
  ModalRunner modal_runner_;
  std::uint64_t enable_sequence_ = 0;
  std::deque<std::vector<TTimer*>> due_lists_;
  std::size_t fire_depth_ = 0;
  friend class TTimer;
};

// The program's one application object.
TApplication& Application();

}  // namespace forms
