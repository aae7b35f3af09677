// The connect window, the charge-mode editor with its error box and the event history drawn
// offscreen: every control has its widget inside its window, and screenshots are saved to the
// scratch directory for review.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRect>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/forms/controls.h"
#include "platform/qt/qt_application.h"
#include "workstation/battery_editor.h"
#include "workstation/connect_window.h"
#include "workstation/event_history.h"
#include "workstation/event_history_window.h"

namespace {

using namespace lumora;
namespace fs = std::filesystem;

int argc = 1;
char program_name[] = "database_windows_qt_test";
char* argv[] = {program_name, nullptr};

fs::path Scratch() {
  const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
  fs::path dir = scratch != nullptr ? fs::path(scratch) : fs::temp_directory_path();
  fs::create_directories(dir);
  return dir;
}

class DatabaseWindowsQt : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { runner_ = new qtpeers::QtApplicationRunner(argc, argv); }
  static void TearDownTestSuite() {
    delete runner_;
    runner_ = nullptr;
  }
  void SetUp() override { forms::Application().UseManualClock(0); }

  // Every visible control of the form lies inside its parent's widget.
  void ExpectControlsInside(const forms::TWinControl& parent) {
    QWidget* outer = runner_->WidgetFor(parent);
    ASSERT_NE(outer, nullptr) << parent.Name();
    for (const forms::TControl* control : parent.Controls()) {
      if (!control->Visible()) continue;
      QWidget* widget = runner_->WidgetFor(*control);
      ASSERT_NE(widget, nullptr) << control->Name();
      const QRect inside = outer->rect();
      const QRect place(control->Left(), control->Top(), control->Width(), control->Height());
      EXPECT_TRUE(inside.contains(place)) << parent.Name() << " / " << control->Name();
      if (const auto* win = dynamic_cast<const forms::TWinControl*>(control)) {
        if (!win->Controls().empty()) ExpectControlsInside(*win);
      }
    }
  }
  void Shoot(forms::TForm& form, const char* name) {
    runner_->ProcessPendingEvents();
    EXPECT_TRUE(qtpeers::SaveFormScreenshot(form, (Scratch() / name).string()));
  }

  static qtpeers::QtApplicationRunner* runner_;
};
qtpeers::QtApplicationRunner* DatabaseWindowsQt::runner_ = nullptr;

TEST_F(DatabaseWindowsQt, ConnectWindow) {
  TFormSQL window;
  runner_->MapForms();
  window.Show();
  runner_->ProcessPendingEvents();
  ExpectControlsInside(window);
  auto* password = dynamic_cast<QLineEdit*>(runner_->WidgetFor(window.EditP));
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);
  Shoot(window, "connect_window.png");
}

TEST_F(DatabaseWindowsQt, BatteryEditorAndErrorBox) {
  TFormBAT editor;
  TFormERR error;
  runner_->MapForms();
  editor.Show();
  ASSERT_EQ(FillDefaultMode(), kModeFormOk);
  runner_->ProcessPendingEvents();
  ExpectControlsInside(editor);
  Shoot(editor, "battery_editor.png");
  SetErrorMessage(kModeNoCapacity);
  error.Show();
  runner_->ProcessPendingEvents();
  ExpectControlsInside(error);
  Shoot(error, "battery_error_box.png");
}

TEST_F(DatabaseWindowsQt, EventHistory) {
  TFormSOB window;
  window.ConnectHandlers();
  runner_->MapForms();
  window.Show();
  InitEventHistoryColumns();
  AddEventHistoryRow();
  SetEventHistoryCaption("010aaa");
  AddEventHistoryCell("2026-12-10");
  AddEventHistoryCell("08:00:00");
  AddEventHistoryCell("3502");
  AddEventHistoryCell("text");
  AddEventHistoryCell("Ёмкость АКБ 2.500, ток разр. 0.50");
  runner_->ProcessPendingEvents();
  ExpectControlsInside(window);
  Shoot(window, "event_history.png");
}

}  // namespace
