// The Qt peers, offscreen: widgets follow their models, user input reaches the handlers,
// and a screenshot shows the custom-drawn cells.
#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/forms/controls.h"
#include "platform/qt/qt_application.h"
#include "platform/sys/session_end.h"
#include "platform/sys/tray_icon.h"

namespace {

using namespace forms;
namespace fs = std::filesystem;

int argc = 1;
char program_name[] = "qt_peers_test";
char* argv[] = {program_name, nullptr};

class QtPeers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { runner_ = new qtpeers::QtApplicationRunner(argc, argv); }
  static void TearDownTestSuite() {
    delete runner_;
    runner_ = nullptr;
  }
  void SetUp() override {
    Application().UseManualClock(0);
    Application().ResetTerminated();
  }
  void Settle() { runner_->ProcessPendingEvents(); }
  template <class W>
  W* WidgetOf(const TComponent& component) {
    return dynamic_cast<W*>(runner_->WidgetFor(component));
  }
  static fs::path Scratch() {
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    fs::path dir = scratch != nullptr ? fs::path(scratch) : fs::temp_directory_path();
    fs::create_directories(dir);
    return dir;
  }
  static void Release(QWidget* widget, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, modifiers);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, modifiers);
    QApplication::sendEvent(widget, &release);
  }
  static qtpeers::QtApplicationRunner* runner_;
};

qtpeers::QtApplicationRunner* QtPeers::runner_ = nullptr;

// The overview's colours: a non-zero "Подкл" cell on yellow, everything else on white.
TEST_F(QtPeers, ScreenshotShowsTheCustomDrawnCells) {
  TForm form("Form2", "ЛАМПОВАЯ");
  form.SetBounds(10, 10, 420, 260);
  TListView list(&form, "LV1");
  list.SetBounds(10, 10, 400, 200);
  list.SetViewStyle(TViewStyle::vsReport);
  list.SetGridLines(true);
  list.SetRowSelect(true);
  for (const char* caption : {"Ст.", "Всего", "Подкл"}) {
    TListColumn* column = list.Columns().Add();
    column->SetCaption(caption);
    column->SetWidth(100);
  }
  for (const char* linked : {"0", "12", ""}) {
    TListItem* item = list.Items().Add();
    item->SetCaption("1");
    item->SubItems().Add("5");
    item->SubItems().Add(linked);
  }
  list.OnCustomDrawSubItem = [](TListView& sender, TListItem& item, int sub_item, int, bool&) {
    sender.Canvas().Font.Color = clBlack;
    sender.Canvas().Brush.Color = clWhite;
    if (sub_item == 2 && std::strtol(item.SubItems().Get(1).c_str(), nullptr, 16) != 0) {
      sender.Canvas().Brush.Color = 0x00FFFF;
    }
  };
  form.Show();
  Settle();

  const fs::path png = Scratch() / "overview.png";
  ASSERT_TRUE(qtpeers::SaveFormScreenshot(form, png.string()));
  QImage picture(QString::fromStdString(png.string()));
  ASSERT_FALSE(picture.isNull());

  auto* tree = WidgetOf<QTreeWidget>(list);
  ASSERT_NE(tree, nullptr);
  QWidget* window = runner_->WidgetFor(form);
  auto pixel_in = [&](int row, int column) {
    const QRect cell = tree->visualRect(tree->model()->index(row, column));
    // Near the right edge of the cell, clear of its text and the grid line.
    const QPoint inside(cell.right() - 6, cell.center().y());
    return picture.pixelColor(tree->viewport()->mapTo(window, inside));
  };
  EXPECT_EQ(pixel_in(1, 2), QColor(255, 255, 0));  // "12": yellow
  EXPECT_EQ(pixel_in(0, 2), QColor(255, 255, 255));
  EXPECT_EQ(pixel_in(1, 1), QColor(255, 255, 255));
  EXPECT_EQ(tree->topLevelItem(1)->text(2), "12");
  EXPECT_EQ(tree->headerItem()->text(2), QString::fromUtf8("Подкл"));

  // A change of the model is drawn on the next pass.
  list.Items()[0]->SubItems().Set(1, "3");
  Settle();
  ASSERT_TRUE(qtpeers::SaveFormScreenshot(form, png.string()));
  picture.load(QString::fromStdString(png.string()));
  EXPECT_EQ(pixel_in(0, 2), QColor(255, 255, 0));

  // A click on a row selects it in the model and runs OnClick.
  int clicks = 0;
  list.OnClick = [&] { ++clicks; };
  Release(tree->viewport(), tree->visualRect(tree->model()->index(2, 0)).center());
  Settle();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(list.ItemIndex(), 2);
  EXPECT_TRUE(tree->topLevelItem(2)->isSelected());
}

TEST_F(QtPeers, ListRowsFollowInsertsAndDeletes) {
  TForm form("Form1");
  TListView list(&form, "LV1");
  list.SetViewStyle(TViewStyle::vsReport);
  list.Columns().Add()->SetCaption("Инд.номер");
  list.Columns().Add()->SetCaption("Код");
  auto add_at = [&](int index, const std::string& number) {
    TListItem* item = list.Items().Insert(index);
    item->SetCaption(number);
    item->SubItems().Add("c" + number);
  };
  form.Show();
  for (const char* number : {"3", "2", "1"}) add_at(0, number);
  Settle();
  auto* tree = WidgetOf<QTreeWidget>(list);
  auto shown = [&] {
    std::string rows;
    for (int r = 0; r < tree->topLevelItemCount(); ++r) {
      rows += tree->topLevelItem(r)->text(0).toStdString() + "/" +
              tree->topLevelItem(r)->text(1).toStdString() + " ";
    }
    return rows;
  };
  EXPECT_EQ(shown(), "1/c1 2/c2 3/c3 ");
  add_at(0, "0");
  list.Items().Delete(2);
  list.Items()[0]->SubItems().Set(0, "new");
  add_at(4, "4");
  Settle();
  EXPECT_EQ(shown(), "0/new 1/c1 3/c3 4/c4 ");
  while (list.Items().Count() > 1) list.Items().Delete(list.Items().Count() - 1);
  Settle();
  EXPECT_EQ(shown(), "0/new ");
  list.Items().Clear();
  Settle();
  EXPECT_EQ(tree->topLevelItemCount(), 0);
  form.Hide();
}

// Nine panels wider than the window: they are cut off, the window keeps its size.
TEST_F(QtPeers, StatusBarPanelsKeepTheFormsSize) {
  TForm form("Form1", "QVK-server  (14.06.14) ");
  form.SetBounds(270, 420, 338, 303);
  TStatusBar bar(&form, "StatusBar1");
  for (int width : {60, 50, 70, 70, 60, 50, 70, 70, 70}) bar.AddPanel(width);
  bar.SetPanelText(0, "5");
  form.Show();
  Settle();
  QWidget* window = runner_->WidgetFor(form);
  EXPECT_EQ(window->size(), QSize(338, 303));
  EXPECT_EQ(form.Width(), 338);
  auto* status = qobject_cast<QStatusBar*>(runner_->WidgetFor(bar));
  ASSERT_NE(status, nullptr);
  const QList<QLabel*> labels = status->findChildren<QLabel*>();
  ASSERT_GE(labels.size(), 9);
  EXPECT_EQ(labels[0]->text(), "5");
  EXPECT_EQ(labels[1]->x(), 62);
  form.Hide();
  Settle();
}

// Offscreen there is no screen anybody sees: the forms' default work area stands, and a form
// asked for far more is drawn within it.
TEST_F(QtPeers, AFormAskedForMoreThanTheWorkAreaIsDrawnWithinIt) {
  const ScreenRect area = Application().WorkArea();
  EXPECT_EQ(area.width, kDefaultWorkArea.width);
  EXPECT_EQ(area.height, kDefaultWorkArea.height);
  TForm main("MainForm", "Монитор");
  main.SetFormStyle(TFormStyle::fsMDIForm);
  TForm child("Form1", "Log");
  child.SetMdiParent(&main);
  main.SetBounds(40000, 40000, 40000, 40000);
  child.SetBounds(40000, 40000, 40000, 40000);
  main.Show();
  child.Show();
  Settle();
  QWidget* window = runner_->WidgetFor(main);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->size(), QSize(area.width, area.height));
  EXPECT_EQ(window->pos(),
            QPoint(area.left + area.width - kFormReach, area.top + area.height - kFormReach));
  QWidget* frame = runner_->WidgetFor(child)->parentWidget();
  EXPECT_EQ(frame->geometry(),
            QRect(area.width - kFormReach, area.height - kFormReach, area.width, area.height));
  EXPECT_EQ(window->grab().size(), QSize(area.width, area.height));
  main.Hide();
  Settle();
}

TEST_F(QtPeers, ModelAndUserInputStayInStep) {
  TForm form("FormCFG", "Конфигурация");
  form.SetBounds(0, 0, 300, 200);
  TEdit host(&form, "EditH", "localhost");
  TMaskEdit time(&form, "MaskEdit1", "!90:00;1;_", "07:00");
  TButton save(&form, "BitBtn1", "Сохранить");
  TCheckBox log(&form, "CheckLOG", "Запись лог-файла");
  TEdit period_edit(&form, "Edit1", "5");
  TUpDown period(&form, "UpTT", 5, 60, 5);
  period.SetAssociate(&period_edit);
  host.SetBounds(10, 10, 120, 22);
  period_edit.SetBounds(10, 40, 40, 22);
  period.SetBounds(50, 40, 16, 22);
  form.Show();
  Settle();

  auto* host_widget = WidgetOf<QLineEdit>(host);
  ASSERT_NE(host_widget, nullptr);
  EXPECT_EQ(host_widget->text(), "localhost");
  EXPECT_EQ(host_widget->geometry(), QRect(10, 10, 120, 22));
  host.SetText("db1");
  host.SetColor(clYellow);
  Settle();
  EXPECT_EQ(host_widget->text(), "db1");
  EXPECT_EQ(host_widget->palette().color(QPalette::Base), QColor(255, 255, 0));

  // Typing goes to the model and fires OnChange.
  int changes = 0;
  host.OnChange = [&] { ++changes; };
  host_widget->setFocus();
  QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
  QApplication::sendEvent(host_widget, &key);
  EXPECT_EQ(host.Text(), "db1x");
  EXPECT_EQ(changes, 1);

  EXPECT_EQ(WidgetOf<QLineEdit>(time)->inputMask(), "09:99;_");

  int saves = 0;
  save.OnClick = [&] { ++saves; };
  WidgetOf<QPushButton>(save)->click();
  EXPECT_EQ(saves, 1);

  int log_clicks = 0;
  log.OnClick = [&] { ++log_clicks; };
  WidgetOf<QCheckBox>(log)->click();
  EXPECT_TRUE(log.Checked());
  EXPECT_EQ(log_clicks, 1);
  log.SetChecked(false);
  Settle();
  EXPECT_FALSE(WidgetOf<QCheckBox>(log)->isChecked());

  // The up-down pair is one spin box in place of the edit; its steps go through the model.
  auto* spin = WidgetOf<QSpinBox>(period);
  ASSERT_NE(spin, nullptr);
  EXPECT_FALSE(runner_->WidgetFor(period_edit)->isVisible());
  EXPECT_EQ(spin->geometry(), QRect(10, 40, 56, 22));
  spin->stepBy(3);
  Settle();
  EXPECT_EQ(period.Position(), 8);
  EXPECT_EQ(period_edit.Text(), "8");
  EXPECT_EQ(spin->value(), 8);
  period.SetPosition(100);
  Settle();
  EXPECT_EQ(spin->value(), 60);
  // A memo: the program's lines are shown; typed text becomes lines, a line break typed at
  // the end stays in the widget.
  TMemo memo(&form, "Memo1");
  memo.SetBounds(10, 70, 200, 80);
  memo.Lines().Add("TEST");
  Settle();
  auto* text = WidgetOf<QPlainTextEdit>(memo);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->toPlainText(), "TEST");
  text->moveCursor(QTextCursor::End);
  text->insertPlainText("\n");
  Settle();
  EXPECT_EQ(text->toPlainText(), "TEST\n");
  text->insertPlainText("count");
  Settle();
  EXPECT_EQ(memo.Lines().Count(), 2);
  EXPECT_EQ(memo.Lines()[1], "count");
}

TEST_F(QtPeers, FormEventsCloseQueryAndCaptionBar) {
  TForm main("MainForm", "Монитор");
  main.SetFormStyle(TFormStyle::fsMDIForm);
  main.SetBounds(0, 0, 800, 600);
  TForm child("Form1", "Log");
  child.SetMdiParent(&main);
  child.SetBounds(0, 0, 300, 200);
  main.Show();
  child.Show();
  Settle();
  auto* child_window = runner_->WidgetFor(child);
  ASSERT_NE(child_window, nullptr);
  auto* frame = qobject_cast<QMdiSubWindow*>(child_window->parentWidget());
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(frame->windowFlags().testFlag(Qt::FramelessWindowHint));
  SetWindowLongA(child, GWL_STYLE, GetWindowLongA(child, GWL_STYLE) & 0xFF3FFFFF);
  Settle();
  EXPECT_TRUE(frame->windowFlags().testFlag(Qt::FramelessWindowHint));
  // A child that loses its caption bar at creation, before it has a widget: the area does
  // not get to shrink or move it, the form's bounds stand.
  TForm second_main("MainForm2", "Монитор");
  second_main.SetFormStyle(TFormStyle::fsMDIForm);
  second_main.SetBounds(0, 0, 900, 600);
  TForm bare("Form2", "Lamps");
  bare.SetMdiParent(&second_main);
  bare.SetBounds(0, 210, 645, 285);
  SetWindowLongA(bare, GWL_STYLE, GetWindowLongA(bare, GWL_STYLE) & 0xFF3FFFFF);
  second_main.Show();
  bare.Show();
  Settle();
  Settle();
  ASSERT_NE(runner_->WidgetFor(bare), nullptr);
  EXPECT_EQ(runner_->WidgetFor(bare)->parentWidget()->geometry(), QRect(0, 210, 645, 285));
  EXPECT_EQ(bare.Width(), 645);
  EXPECT_EQ(bare.Height(), 285);
  second_main.Hide();

  // Shift-release over the child's own surface.
  std::string seen;
  child.OnMouseUp = [&](TMouseButton, int shift, int x, int y) {
    seen = std::to_string(shift & ssShift) + " " + std::to_string(x) + "," + std::to_string(y);
  };
  auto* surface = static_cast<QMainWindow*>(child_window)->centralWidget();
  Release(surface, QPoint(12, 20), Qt::ShiftModifier);
  EXPECT_EQ(seen, "1 12,20");

  // The close box asks the model, which may refuse.
  bool allow = false;
  child.OnCloseQuery = [&](bool& can_close) { can_close = allow; };
  child_window->close();
  Settle();
  EXPECT_TRUE(child.Visible());
  EXPECT_TRUE(frame->isVisible());
  allow = true;
  child_window->close();
  Settle();
  EXPECT_FALSE(child.Visible());
  EXPECT_FALSE(frame->isVisible());
  main.Hide();
  Settle();
}

// A modal form and a message box keep the program's timers running (real clock here).
TEST_F(QtPeers, ModalFormAndMessageBoxKeepTimersRunning) {
  Application().UseRealClock();
  TForm dialog("FormSQL", "База");
  TButton ok(&dialog, "BitBtn1", "OK");
  ok.SetModalResult(IDOK);
  int background_ticks = 0;
  TTimer background(nullptr, "TimerINDIK", 10);
  background.OnTimer = [&] { ++background_ticks; };
  TTimer closer(&dialog, "closer", 80);
  closer.OnTimer = [&] {
    closer.SetEnabled(false);
    ok.Click();
  };
  EXPECT_EQ(dialog.ShowModal(), IDOK);
  EXPECT_GE(background_ticks, 3);

  const int before = background_ticks;
  QTimer::singleShot(80, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != nullptr) box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(Application().MessageBox("Вы уверены?", "Выход", MB_YESNO), IDNO);
  EXPECT_GT(background_ticks, before);
  Application().UseManualClock(0);
}

// The program's loop: a message box opened by a timer handler keeps the other timers
// running, and an end request from SIGTERM ends the loop although the forms refuse to close.
TEST_F(QtPeers, LoopTicksThroughMessageBoxesAndEndsOnSignal) {
  Application().UseRealClock();
  sys::InstallEndSignalHandlers();
  sys::SetEndRequestHandler([] { Application().Terminate(); });
  TForm form("Form1", "QVK-server");
  form.OnCloseQuery = [&](bool& can_close) {
    can_close = false;
    form.Hide();
  };
  form.Show();
  int ticks = 0;
  TTimer background(nullptr, "TimerINTERVAL", 10);
  background.OnTimer = [&] { ++ticks; };
  int answer = 0, ticks_while_open = 0;
  TTimer asker(nullptr, "BitBtn4", 20);
  asker.OnTimer = [&] {
    asker.SetEnabled(false);
    QTimer::singleShot(150, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        box->button(QMessageBox::No)->click();
      }
    });
    const int before = ticks;
    answer = Application().MessageBox("Вы уверены?", "Выход", MB_YESNO);
    ticks_while_open = ticks - before;
    raise(SIGTERM);
  };
  QTimer guard;  // a loop that never ended would fail here instead of hanging
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  guard.start(10'000);
  EXPECT_EQ(runner_->Run(), 0);
  EXPECT_EQ(answer, IDNO);
  EXPECT_GE(ticks_while_open, 3);
  EXPECT_TRUE(Application().Terminated());
  sys::SetEndRequestHandler(nullptr);
  Application().ResetTerminated();
  form.OnCloseQuery = nullptr;
  form.Hide();
  Settle();
  Application().UseManualClock(0);
}

// The session manager's "die" reaches the application as Qt's spontaneous Quit: it is the end
// of the session, and the loop goes on until the program ends itself.
TEST_F(QtPeers, TheSessionManagersDieIsTheEndOfTheSession) {
  Application().UseRealClock();
  int ends = 0;
  sys::SetEndSessionHandler([&] { ++ends; });
  bool ran_on = false;
  TTimer die(nullptr, "Die", 10);
  die.OnTimer = [&] {
    die.SetEnabled(false);
    QEvent quit(QEvent::Quit);
    QSpontaneKeyEvent::setSpontaneous(&quit);
    QCoreApplication::instance()->notify(QCoreApplication::instance(), &quit);
  };
  TTimer later(nullptr, "Later", 200);
  later.OnTimer = [&] {
    ran_on = true;
    Application().Terminate();
  };
  QTimer guard;  // a loop that never ended would fail here instead of hanging
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  guard.start(10'000);
  EXPECT_EQ(runner_->Run(), 0);
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(ran_on);
  sys::SetEndSessionHandler(nullptr);
  Application().ResetTerminated();
  Application().UseManualClock(0);
}

TEST_F(QtPeers, PopupMenuOpensAtTheAskedPlaceAndAbsentTrayIsQuiet) {
  TForm form("Form1");
  TPopupMenu popup(&form, "PopupMenu1");
  TMenuItem open(&form, "N1", "Открыть");
  popup.Add(&open);
  int opened = 0;
  open.OnClick = [&] { ++opened; };
  form.Show();
  Settle();
  auto* menu = qobject_cast<QMenu*>(runner_->WidgetFor(popup));
  ASSERT_NE(menu, nullptr);
  popup.Popup(200, 150);
  Settle();
  EXPECT_TRUE(menu->isVisible());
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8("Открыть"));
  menu->actions()[0]->trigger();
  EXPECT_EQ(opened, 1);
  menu->hide();

  // Offscreen there is no tray: the calls fail and nothing else happens.
  sys::NOTIFYICONDATAA data;
  data.cbSize = sys::kNotifyIconDataFirstSize;
  data.hWnd = &form;
  data.uID = 1006;
  data.uFlags = sys::NIF_MESSAGE | sys::NIF_ICON | sys::NIF_TIP;
  data.uCallbackMessage = 0x8064;
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    EXPECT_FALSE(sys::Shell_NotifyIconA(sys::NIM_ADD, &data));
    EXPECT_FALSE(sys::Shell_NotifyIconA(sys::NIM_DELETE, &data));
  }
  form.Hide();
  Settle();
}

}  // namespace
