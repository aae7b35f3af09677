// The programs' run of their forms: the first form shown, the loop until the end, an error
// escaping a handler shown in an error box with the program's name, and OnDestroy of every
// form afterwards in both cases.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/controls.h"
#include "platform/qt/program_run.h"
#include "tests/support/offscreen_windows.h"

namespace {

using namespace forms;

class ProgramRun : public offscreen_test::OffscreenWindows<::testing::Test> {
 protected:
  ProgramRun() : runner_dialogs_(&Application().Dialogs()) {
    Application().UseRealClock();
    Application().ResetTerminated();
    Application().SetDialogService(&dialogs_);
    first_.OnDestroy = [this] { destroyed_.push_back("first"); };
    second_.OnDestroy = [this] { destroyed_.push_back("second"); };
  }
  ~ProgramRun() override {
    Application().SetDialogService(runner_dialogs_);
    Application().ResetTerminated();
  }

  DialogService* runner_dialogs_;
  ScriptedDialogService dialogs_;
  TForm first_{"First"};
  TForm second_{"Second"};
  TTimer step_{&first_, "Step", 1};
  std::vector<std::string> destroyed_;
};

TEST_F(ProgramRun, EndsWhenTheProgramIsTerminatedThenDestroysEveryForm) {
  bool shown_while_running = false;
  step_.OnTimer = [&] {
    shown_while_running = first_.Visible();
    Application().Terminate();
  };
  EXPECT_EQ(qtpeers::RunProgramForms(*runner_, first_, "Tolvex"), 0);
  EXPECT_TRUE(shown_while_running);
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(destroyed_, (std::vector<std::string>{"second", "first"}));
}

TEST_F(ProgramRun, AnErrorEscapingAHandlerIsShownThenEveryFormIsDestroyed) {
  step_.OnTimer = [] { throw std::runtime_error("out of memory for the cell table"); };
  EXPECT_EQ(qtpeers::RunProgramForms(*runner_, first_, "Lumora"), 0);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "out of memory for the cell table");
  EXPECT_EQ(dialogs_.shown[0].caption, "Lumora");
  EXPECT_EQ(dialogs_.shown[0].flags, MB_OK | MB_ICONERROR);
  EXPECT_EQ(destroyed_, (std::vector<std::string>{"second", "first"}));
}

}  // namespace
