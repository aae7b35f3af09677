#include "platform/qt/qt_application.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/controls.h"
#include "platform/qt/qt_peers.h"
#include "platform/sys/session_end.h"
#include "platform/sys/tray_icon.h"

namespace qtpeers {

namespace {

QtApplicationRunner* current_runner = nullptr;

// Qt does not carry an exception through its event loop: one thrown by a handler (a timer
// or user input) is caught at the event's delivery, every loop is left, and Run() throws it
// again to the program entry, which shows it.
class GuardedApplication : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (...) {
      if (!pending_) pending_ = std::current_exception();
      QCoreApplication::exit(1);
      return false;
    }
  }

  // The session manager's "die", the real end of the session, reaches the application as a
  // spontaneous Quit. A program that takes the end ends itself when it is ready; Qt's own quit
  // would first ask every window to close, and the forms refuse.
  bool event(QEvent* event) override {
    if (event->type() == QEvent::Quit && event->spontaneous() && sys::DeliverEndSession()) {
      return true;
    }
    return QApplication::event(event);
  }

  void RethrowPending() {
    if (!pending_) return;
    std::exception_ptr error = pending_;
    pending_ = nullptr;
    std::rethrow_exception(error);
  }

 private:
  std::exception_ptr pending_;
};

// "Text files|*.txt|All|*.*" to "Text files (*.txt);;All (*.*)".
QString QtFilter(const std::string& filter) {
  QStringList parts = ToQt(filter).split('|');
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    entries << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  }
  return entries.join(";;");
}

// A lamp drawn in code: the program carries no image files.
QIcon ProgramIcon() {
  if (!QApplication::windowIcon().isNull()) return QApplication::windowIcon();
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0xF0, 0xC0, 0x20));
  painter.setPen(QColor(0x40, 0x30, 0x00));
  painter.drawEllipse(6, 2, 20, 20);
  painter.setBrush(QColor(0x50, 0x50, 0x50));
  painter.drawRect(11, 22, 10, 8);
  return QIcon(pixmap);
}

class QtDialogService : public forms::DialogService {
 public:
  int MessageBox(const std::string& text, const std::string& caption, int flags) override {
    QMessageBox box;
    box.setWindowTitle(ToQt(caption));
    box.setText(ToQt(text));
    switch (flags & 0xF0) {
      case forms::MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
      case forms::MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
      case forms::MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
      case forms::MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
      default:
        box.setIcon(QMessageBox::NoIcon);
    }
    const int buttons = flags & 0xF;
    if (buttons == forms::MB_YESNO) {
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    } else if (buttons == forms::MB_YESNOCANCEL) {
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    } else if (buttons == forms::MB_OKCANCEL) {
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
      box.setStandardButtons(QMessageBox::Ok);
    }
    // exec runs a nested event loop: the program's timers keep firing meanwhile.
    switch (box.exec()) {
      case QMessageBox::Yes:
        return forms::IDYES;
      case QMessageBox::No:
        return forms::IDNO;
      case QMessageBox::Ok:
        return forms::IDOK;
      case QMessageBox::Cancel:
        return forms::IDCANCEL;
      default:
        return buttons == forms::MB_OK ? forms::IDOK : forms::IDCANCEL;
    }
  }
  bool GetCursorPos(int& x, int& y) override {
    const QPoint at = QCursor::pos();
    x = at.x();
    y = at.y();
    return true;
  }
  bool GetSaveFileName(const forms::SaveDialogRequest& request, std::string& chosen) override {
    const bool pattern = request.file_name.find('*') != std::string::npos;
    QString filter = QtFilter(request.filter);
    if (filter.isEmpty() && pattern) filter = ToQt(request.file_name);
    const QString name = QFileDialog::getSaveFileName(
        nullptr, ToQt(request.title), pattern ? QString() : ToQt(request.file_name), filter);
    chosen = FromQt(name);
    return !name.isEmpty();
  }
  void EditAction(forms::TStandardAction action) override {
    QWidget* focus = QApplication::focusWidget();
    auto* line = qobject_cast<QLineEdit*>(focus);
    auto* text = qobject_cast<QPlainTextEdit*>(focus);
    if (line == nullptr && text == nullptr) return;
    switch (action) {
      case forms::TStandardAction::EditCut:
        line ? line->cut() : text->cut();
        break;
      case forms::TStandardAction::EditCopy:
        line ? line->copy() : text->copy();
        break;
      case forms::TStandardAction::EditPaste:
        line ? line->paste() : text->paste();
        break;
      default:
        break;
    }
  }
  bool SetForegroundWindow(forms::TForm& form) override {
    if (current_runner == nullptr) return false;
    QWidget* widget = current_runner->WidgetFor(form);
    if (widget == nullptr) return false;
    widget->window()->raise();
    widget->window()->activateWindow();
    return true;
  }
};

class QtTrayHost : public sys::TrayHost {
 public:
  bool Available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
  bool Add(const sys::TrayIconState& icon) override {
    if (Find(icon.window, icon.id) != nullptr) return false;
    auto shown = std::make_unique<Shown>();
    shown->state = icon;
    shown->tray = std::make_unique<QSystemTrayIcon>();
    Shown* raw = shown.get();
    QObject::connect(shown->tray.get(), &QSystemTrayIcon::activated,
                     [raw](QSystemTrayIcon::ActivationReason reason) {
                       if (reason == QSystemTrayIcon::Trigger) {
                         sys::DeliverTrayClick(raw->state, forms::WM_LBUTTONUP);
                       } else if (reason == QSystemTrayIcon::Context) {
                         sys::DeliverTrayClick(raw->state, forms::WM_RBUTTONUP);
                       }
                     });
    Apply(*raw);
    icons_.push_back(std::move(shown));
    return true;
  }
  bool Modify(const sys::TrayIconState& icon) override {
    Shown* shown = Find(icon.window, icon.id);
    if (shown == nullptr) return false;
    sys::ApplyTrayChange(shown->state, icon);
    Apply(*shown);
    return true;
  }
  bool Delete(forms::TForm* window, std::uint32_t id) override {
    auto it = std::find_if(icons_.begin(), icons_.end(), [&](const std::unique_ptr<Shown>& s) {
      return s->state.window == window && s->state.id == id;
    });
    if (it == icons_.end()) return false;
    icons_.erase(it);
    return true;
  }

 private:
  struct Shown {
    sys::TrayIconState state;
    std::unique_ptr<QSystemTrayIcon> tray;
  };
  Shown* Find(forms::TForm* window, std::uint32_t id) {
    for (auto& shown : icons_) {
      if (shown->state.window == window && shown->state.id == id) return shown.get();
    }
    return nullptr;
  }
  static void Apply(Shown& shown) {
    shown.tray->setToolTip(ToQt(shown.state.tip));
    // An icon added without a picture still needs one to be visible at all.
    shown.tray->setIcon(ProgramIcon());
    shown.tray->show();
  }
  std::vector<std::unique_ptr<Shown>> icons_;
};

// The desktop's area for windows, over every screen. The offscreen platform has no screen
// anybody sees (its stand-in is small), so there the forms' default stands.
forms::ScreenRect ScreenWorkArea() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr || QGuiApplication::platformName() == "offscreen") {
    return forms::kDefaultWorkArea;
  }
  const QRect area = screen->availableVirtualGeometry();
  return {area.x(), area.y(), area.width(), area.height()};
}

constexpr int kLongestWaitMs = 10;

class ManagerQuestion : public SessionQuestion {
 public:
  explicit ManagerQuestion(QSessionManager& manager) : manager_(manager) {}
  void Cancel() override { manager_.cancel(); }

 private:
  QSessionManager& manager_;
};

struct ModalLoop {
  forms::TForm* form;
  QEventLoop* loop;
};

}  // namespace

struct QtApplicationRunner::Impl {
  std::unique_ptr<GuardedApplication> app;
  PeerHost host;
  QtDialogService dialogs;
  QtTrayHost tray;
  sys::TrayHost* previous_tray = nullptr;
  forms::ScreenRect previous_work_area;
  QTimer tick;
  std::vector<ModalLoop> modal_loops;

  // One pass of the program's loop: due timers, the end-request flag, widget updates.
  void Tick() {
    forms::TApplication& application = forms::Application();
    // Armed first: a handler may open a message box or a dialog, whose nested loop must go
    // on ticking (timers, the signal flag, widget updates) until it closes.
    tick.start(kLongestWaitMs);
    std::int64_t wait = application.FireDueTimers();
    sys::PollEndRequest();
    MapNewForms();
    host.Flush();
    EndFinishedModalLoops();
    if (application.Terminated()) {
      tick.stop();
      for (ModalLoop& modal : modal_loops) modal.loop->quit();
      // exit, not quit: quit would first ask every window to close, and the forms refuse
      // (their close box only asks the model).
      QCoreApplication::exit(0);
      return;
    }
    // Short waits keep the signal flag and widget updates prompt.
    if (wait < 0 || wait > kLongestWaitMs) wait = kLongestWaitMs;
    tick.start(static_cast<int>(wait));
  }

  void MapNewForms() {
    for (forms::TForm* form : forms::Application().Forms()) host.MapForm(*form);
  }

  void EndFinishedModalLoops() {
    for (ModalLoop& modal : modal_loops) {
      if (!modal.form->Visible() || forms::Application().Terminated()) modal.loop->quit();
    }
  }

  void RunModal(forms::TForm& form) {
    MapNewForms();
    host.Flush();
    if (!form.Visible()) return;
    // The program's timers run while the form is open, also before the main loop started.
    if (!tick.isActive()) tick.start(0);
    QEventLoop loop;
    modal_loops.push_back({&form, &loop});
    loop.exec();
    modal_loops.erase(std::remove_if(modal_loops.begin(), modal_loops.end(),
                                     [&](const ModalLoop& m) { return m.loop == &loop; }),
                      modal_loops.end());
    host.Flush();
  }
};

QtApplicationRunner::QtApplicationRunner(int& argc, char** argv) : impl_(std::make_unique<Impl>()) {
  impl_->app = std::make_unique<GuardedApplication>(argc, argv);
  impl_->app->setQuitOnLastWindowClosed(false);
  impl_->previous_work_area = forms::Application().WorkArea();
  forms::Application().SetWorkArea(ScreenWorkArea());
  current_runner = this;
  forms::Application().SetDialogService(&impl_->dialogs);
  forms::Application().SetModalRunner([this](forms::TForm& form) { impl_->RunModal(form); });
  impl_->previous_tray = sys::SetTrayHost(&impl_->tray);
  impl_->tick.setSingleShot(true);
  impl_->tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&impl_->tick, &QTimer::timeout, [this] { impl_->Tick(); });
  // The end itself comes as the "die" (GuardedApplication::event).
  QObject::connect(impl_->app.get(), &QGuiApplication::commitDataRequest,
                   [](QSessionManager& manager) {
                     ManagerQuestion question(manager);
                     AnswerSessionQuestion(question);
                   });
}

QtApplicationRunner::~QtApplicationRunner() {
  impl_->tick.stop();
  impl_->host.DestroyAll();
  sys::SetTrayHost(impl_->previous_tray);
  forms::Application().SetWorkArea(impl_->previous_work_area);
  forms::Application().SetModalRunner(nullptr);
  forms::Application().SetDialogService(nullptr);
  if (current_runner == this) current_runner = nullptr;
}

void QtApplicationRunner::MapForms() {
  impl_->MapNewForms();
  impl_->host.Flush();
}

int QtApplicationRunner::Run() {
  MapForms();
  if (forms::Application().Terminated()) return 0;
  impl_->tick.start(0);
  const int result = impl_->app->exec();
  impl_->app->RethrowPending();
  return result;
}

void QtApplicationRunner::ProcessPendingEvents() {
  impl_->MapNewForms();
  for (int pass = 0; pass < 4; ++pass) {
    impl_->host.Flush();
    QApplication::sendPostedEvents();
    QApplication::processEvents(QEventLoop::AllEvents);
  }
  impl_->host.Flush();
}

QWidget* QtApplicationRunner::WidgetFor(const forms::TComponent& component) const {
  return impl_->host.WidgetOf(&component);
}

QApplication& QtApplicationRunner::Application() {
  return *impl_->app;
}

QtApplicationRunner* QtApplicationRunner::Current() {
  return current_runner;
}

void AnswerSessionQuestion(SessionQuestion& /*question*/) {
  // Whatever the program answers (its WM_QUERYENDSESSION may say no), the session manager
  // is not told no.
  (void)sys::DeliverQueryEndSession();
}

bool SaveFormScreenshot(forms::TForm& form, const std::string& path) {
  QtApplicationRunner* runner = QtApplicationRunner::Current();
  if (runner == nullptr) return false;
  runner->ProcessPendingEvents();
  QWidget* widget = runner->WidgetFor(form);
  if (widget == nullptr) return false;
  if (widget->parentWidget() != nullptr) widget = widget->parentWidget();  // the MDI frame
  if (form.FormStyle() != forms::TFormStyle::fsMDIChild) widget = runner->WidgetFor(form);
  widget->ensurePolished();
  const QPixmap picture = widget->grab();
  return !picture.isNull() && picture.save(ToQt(path), "PNG");
}

}  // namespace qtpeers
