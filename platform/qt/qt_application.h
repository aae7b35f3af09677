#pragma once
// Runs the program's forms with Qt Widgets: every registered TForm and its controls get
// widgets (peers), model changes reach the widgets, user input reaches the model and its
// handlers, all on the one UI thread. A Qt timer drives the application's timers and polls
// the end-request flag of the signal handlers. Message boxes, the save dialog and the cursor
// go through Qt, the tray icon through QSystemTrayIcon.
//
// A program's entry: Application().UseRealClock(); make the runner; create the forms in
// their order and call AfterConstruction on each; SetMainForm if closing a form should end
// the program; install the signal and session-end handlers; MapForms; show the first form;
// Run; then Application().DestroyForms() while every form still exists.
#include <memory>
#include <string>

namespace forms {
class TComponent;
class TForm;
}  // namespace forms

class QApplication;
class QWidget;

namespace qtpeers {

class QtApplicationRunner {
 public:
  // Creates the QApplication (argc and argv must outlive the runner), installs the dialog
  // service, the modal runner and the tray host.
  QtApplicationRunner(int& argc, char** argv);
  ~QtApplicationRunner();
  QtApplicationRunner(const QtApplicationRunner&) = delete;
  QtApplicationRunner& operator=(const QtApplicationRunner&) = delete;

  // Gives every registered form (and forms registered since) its widgets.
  void MapForms();
  // Runs the event loop until the application is terminated; returns the loop's exit code.
  int Run();
  // Handles the events that are waiting and brings every widget up to date with its model,
  // without blocking (for tests and screenshots).
  void ProcessPendingEvents();

  // The widget that shows a form or control (nullptr when it has none).
  QWidget* WidgetFor(const forms::TComponent& component) const;
  QApplication& Application();

  // The runner of this process, or nullptr.
  static QtApplicationRunner* Current();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The session manager's question whether the session may end (Qt's commitDataRequest), as
// the runner's handler sees it: Qt's session manager in the program, a stand-in in tests.
class SessionQuestion {
 public:
  virtual ~SessionQuestion() = default;
  // Calls the whole logout or shutdown off.
  virtual void Cancel() = 0;
};

// The runner's handler of the question. The program hears it (sys::DeliverQueryEndSession),
// but the session may end whatever the program answers: a refusal would call the whole
// logout off here, and no end would follow. Nothing ends here either, for the question is
// also asked for a checkpoint of the session; the end comes as the "die".
void AnswerSessionQuestion(SessionQuestion& question);

// Renders the form as it is now into a PNG file; false when the form has no widget or the
// file cannot be written. Works offscreen (QT_QPA_PLATFORM=offscreen).
bool SaveFormScreenshot(forms::TForm& form, const std::string& path);

}  // namespace qtpeers
