// The connect window, the charge-mode editor with its error box and the event history drawn
// offscreen: every control has its widget inside its window, and screenshots are saved for
// review in the build's "screenshots" folder.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "tests/support/offscreen_windows.h"
#include "workstation/battery_editor.h"
#include "workstation/connect_window.h"
#include "workstation/event_history.h"
#include "workstation/event_history_window.h"

namespace {

using namespace lumora;

class DatabaseWindowsQt : public offscreen_test::OffscreenWindowsTest {};

TEST_F(DatabaseWindowsQt, ConnectWindow) {
  TFormSQL window;
  runner_->MapForms();
  window.Show();
  runner_->ProcessPendingEvents();
  ExpectControlsInside(window);
  auto* password = dynamic_cast<QLineEdit*>(runner_->WidgetFor(window.EditP));
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);
  Shoot(window, "lumora_connect_window");
}

TEST_F(DatabaseWindowsQt, BatteryEditorAndErrorBox) {
  TFormBAT editor;
  TFormERR error;
  runner_->MapForms();
  editor.Show();
  ASSERT_EQ(FillDefaultMode(editor), kModeFormOk);
  runner_->ProcessPendingEvents();
  ExpectControlsInside(editor);
  Shoot(editor, "lumora_battery_editor");
  SetErrorMessage(kModeNoCapacity);
  error.Show();
  runner_->ProcessPendingEvents();
  ExpectControlsInside(error);
  Shoot(error, "lumora_battery_error_box");
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
  Shoot(window, "lumora_event_history");
}

}  // namespace
