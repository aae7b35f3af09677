// The scheduler and the application loop: timer order, late ticks, restarts, the modal
// loop, message boxes, and the form life cycle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/controls.h"

namespace {

using forms::Application;
using forms::TForm;
using forms::TTimer;

class Scheduler : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().UseManualClock(0);
    Application().ResetTerminated();
    Application().SetDialogService(&dialogs_);
  }
  void TearDown() override {
    Application().SetModalRunner(nullptr);
    Application().SetDialogService(nullptr);
    Application().SetMainForm(nullptr);
    Application().ResetTerminated();
  }
  // Each handler appends "<name>@<time>".
  void Record(TTimer& timer, const std::string& name) {
    timer.OnTimer = [this, name] {
      log_.push_back(name + "@" + std::to_string(Application().NowMs()));
    };
  }
  forms::ScriptedDialogService dialogs_;
  std::vector<std::string> log_;
};

TEST_F(Scheduler, TimersFireInTimeOrderAndEnableOrderAtTies) {
  TTimer slow(nullptr, "slow", 300);
  TTimer fast(nullptr, "fast", 100);
  TTimer tie(nullptr, "tie", 300);  // enabled after slow: fires after it at the same moment
  Record(slow, "slow");
  Record(fast, "fast");
  Record(tie, "tie");
  Application().AdvanceTime(600);
  EXPECT_EQ(log_,
            (std::vector<std::string>{"fast@100", "fast@200", "slow@300", "tie@300", "fast@300",
                                      "fast@400", "fast@500", "slow@600", "tie@600", "fast@600"}));
  EXPECT_EQ(Application().NowMs(), 600);
}

TEST_F(Scheduler, EnablingAndRetimingRestartTheInterval) {
  TTimer timer(nullptr, "t", 1000);
  Record(timer, "t");
  Application().AdvanceTime(700);
  timer.SetEnabled(true);  // re-enabling counts a whole interval from now
  Application().AdvanceTime(1000);
  timer.SetInterval(500);  // a new interval also starts from now
  Application().AdvanceTime(500);
  timer.SetEnabled(false);
  Application().AdvanceTime(5000);
  EXPECT_EQ(log_, (std::vector<std::string>{"t@1700", "t@2200"}));

  TTimer disabled(nullptr, "d", 100, false);
  TTimer zero(nullptr, "z", 0, true);  // no interval: never runs
  Record(disabled, "d");
  Record(zero, "z");
  EXPECT_FALSE(zero.Enabled());
  Application().AdvanceTime(1000);
  EXPECT_EQ(log_.size(), 2u);
}

TEST_F(Scheduler, LateTickFiresOnceNotOncePerMissedPeriod) {
  TTimer fast(nullptr, "fast", 100);
  TTimer blocker(nullptr, "blocker", 1000);
  Record(fast, "fast");
  blocker.OnTimer = [&] {
    Application().StallFor(450);  // a handler that holds the loop for 450 ms
    blocker.SetEnabled(false);
  };
  blocker.SetInterval(50);
  Application().AdvanceTime(1000);
  // fast was due at 100, 200, 300, 400 while the loop was held: it fires once, late, at 500,
  // and then keeps its period from there.
  EXPECT_EQ(log_, (std::vector<std::string>{"fast@500", "fast@600", "fast@700", "fast@800",
                                            "fast@900", "fast@1000"}));

  // FireDueTimers, the real loop's call, behaves the same.
  log_.clear();
  Application().StallFor(1000);
  EXPECT_EQ(Application().FireDueTimers(), 100);
  EXPECT_EQ(log_, (std::vector<std::string>{"fast@2000"}));
  EXPECT_EQ(fast.DueMs(), 2100);
}

TEST_F(Scheduler, HandlersMayStopDeleteAndStartTimers) {
  auto* victim = new TTimer(nullptr, "victim", 100);
  TTimer killer(nullptr, "killer", 100);  // due at the same moment, after victim
  TTimer late(nullptr, "late", 100, false);
  Record(*victim, "victim");
  Record(late, "late");
  killer.OnTimer = [&] {
    log_.push_back("killer@" + std::to_string(Application().NowMs()));
    delete victim;
    victim = nullptr;
    killer.SetEnabled(false);
    late.SetEnabled(true);
  };
  Application().AdvanceTime(250);
  EXPECT_EQ(log_, (std::vector<std::string>{"victim@100", "killer@100", "late@200"}));
  EXPECT_EQ(Application().FireDueTimers(), 50);
}

TEST_F(Scheduler, TerminateStopsTheLoop) {
  TTimer timer(nullptr, "t", 100);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) Application().Terminate();
  };
  Application().AdvanceTime(1000);
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(Scheduler, RealClockLoopRunsUntilTerminated) {
  Application().UseRealClock();
  TTimer timer(nullptr, "t", 5);
  int ticks = 0, passes = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) Application().Terminate();
  };
  Application().OnLoopPass = [&] { ++passes; };
  Application().Run();
  Application().OnLoopPass = nullptr;
  EXPECT_EQ(ticks, 3);
  EXPECT_GE(passes, 3);
  Application().UseManualClock(0);
}

// A modal form keeps the loop running: its own timers and everybody else's fire while it is
// open, and ShowModal returns when it closes, with the modal result.
TEST_F(Scheduler, ModalFormKeepsTimersRunningUntilClosed) {
  Application().SetModalRunner(forms::TApplication::VirtualTimeModalRunner(60'000));
  TForm dialog("Dialog");
  forms::TButton ok(&dialog, "OK", "OK");
  ok.SetModalResult(forms::IDOK);
  TTimer background(nullptr, "background", 100);
  Record(background, "bg");
  TTimer closer(&dialog, "closer", 250);
  closer.OnTimer = [&] {
    log_.push_back("click@" + std::to_string(Application().NowMs()));
    ok.Click();
  };
  EXPECT_EQ(dialog.ShowModal(), forms::IDOK);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_FALSE(dialog.Modal());
  EXPECT_EQ(log_, (std::vector<std::string>{"bg@100", "bg@200", "click@250"}));

  // Refused closes keep it open; the close box gives IDCANCEL once allowed.
  int queries = 0;
  dialog.OnCloseQuery = [&](bool& can_close) { can_close = ++queries >= 3; };
  closer.OnTimer = [&] { dialog.Close(); };
  closer.SetEnabled(true);
  EXPECT_EQ(dialog.ShowModal(), forms::IDCANCEL);
  EXPECT_EQ(queries, 3);
  EXPECT_EQ(Application().NowMs(), 250 + 750);
}

TEST_F(Scheduler, ModalRunnerGivesUpWhenNothingCanCloseTheForm) {
  Application().SetModalRunner(forms::TApplication::VirtualTimeModalRunner(10'000));
  TForm dialog("Dialog");
  EXPECT_EQ(dialog.ShowModal(), forms::IDCANCEL);  // no timer at all
  TTimer idle(nullptr, "idle", 1000);
  EXPECT_EQ(dialog.ShowModal(), forms::IDCANCEL);  // timers, but none closes it
  EXPECT_EQ(Application().NowMs(), 10'000);
  EXPECT_FALSE(dialog.Visible());
}

TEST_F(Scheduler, MessageBoxesAreScriptedAndKeepTheLoopRunning) {
  TTimer timer(nullptr, "t", 100);
  Record(timer, "t");
  dialogs_.answers = {forms::IDNO, forms::IDCANCEL};
  dialogs_.while_shown = [](const forms::ScriptedDialogService::Shown&) {
    Application().AdvanceTime(200);
  };
  EXPECT_EQ(Application().MessageBox("Вы уверены?", "Выход", forms::MB_YESNO), forms::IDNO);
  EXPECT_EQ(Application().MessageBox("q", "c", forms::MB_YESNOCANCEL), forms::IDCANCEL);
  // With the script used up, the default answers: Yes for questions, OK otherwise.
  EXPECT_EQ(Application().MessageBox("q", "c", forms::MB_YESNO | forms::MB_ICONQUESTION),
            forms::IDYES);
  EXPECT_EQ(Application().MessageBox("Программа уже загружена!", "ОШИБКА", forms::MB_OK),
            forms::IDOK);
  ASSERT_EQ(dialogs_.shown.size(), 4u);
  EXPECT_EQ(dialogs_.shown[0].text, "Вы уверены?");
  EXPECT_EQ(dialogs_.shown[0].caption, "Выход");
  EXPECT_EQ(dialogs_.shown[0].flags, forms::MB_YESNO);
  EXPECT_EQ(log_.size(), 8u);  // 4 boxes x 200 ms at 100 ms

  int x = -1, y = -1;
  dialogs_.cursor_x = 640;
  dialogs_.cursor_y = 480;
  EXPECT_TRUE(Application().Dialogs().GetCursorPos(x, y));
  EXPECT_EQ(x, 640);
  dialogs_.cursor_known = false;
  EXPECT_FALSE(Application().Dialogs().GetCursorPos(x, y));
}

struct LifeCycleForm : TForm {
  LifeCycleForm() : TForm("LifeCycle") {
    OnCreate = [this] { Status.SetText("created"); };
    OnDestroy = [this] { seen_on_destroy = Status.Text(); };
  }
  forms::TEdit Status{this, "Status"};
  std::string seen_on_destroy;
};

TEST_F(Scheduler, CreateAndDestroyFireOnceWithTheWholeFormAlive) {
  LifeCycleForm form;
  form.AfterConstruction();
  form.AfterConstruction();
  EXPECT_EQ(form.Status.Text(), "created");
  int destroys = 0;
  auto on_destroy = form.OnDestroy;
  form.OnDestroy = [&] {
    ++destroys;
    on_destroy();
  };
  Application().DestroyForms();
  form.Destroy();
  EXPECT_EQ(destroys, 1);
  EXPECT_EQ(form.seen_on_destroy, "created");
  EXPECT_TRUE(form.Destroyed());
}

TEST_F(Scheduler, ClosingTheMainFormEndsTheProgram) {
  TForm main("Main");
  TForm other("Other");
  Application().SetMainForm(&main);
  other.Show();
  other.Close();
  EXPECT_FALSE(Application().Terminated());
  main.Show();
  main.OnCloseQuery = [](bool& can_close) { can_close = false; };
  main.Close();
  EXPECT_FALSE(Application().Terminated());
  EXPECT_TRUE(main.Visible());
  main.OnCloseQuery = nullptr;
  main.Close();
  EXPECT_TRUE(Application().Terminated());
}

}  // namespace

namespace {

// The real loop's pass: a timer an earlier handler restarted waits its new interval, and a
// nested loop inside a handler (a message box) fires the others meanwhile.
TEST(FireDueTimers, RestartedTimersWaitAndNestedPassesWork) {
  Application().UseManualClock(0);
  Application().ResetTerminated();
  TTimer first(nullptr, "first", 100);
  TTimer second(nullptr, "second", 100);
  TTimer third(nullptr, "third", 100);
  std::vector<std::string> fired;
  bool nested = false;
  first.OnTimer = [&] {
    fired.push_back("first");
    if (nested) return;
    nested = true;
    second.SetEnabled(true);        // restarts: not due in this pass any more
    Application().FireDueTimers();  // nested: third is still due and fires here, once
  };
  second.OnTimer = [&] { fired.push_back("second"); };
  third.OnTimer = [&] { fired.push_back("third"); };
  Application().StallFor(100);
  Application().FireDueTimers();
  EXPECT_EQ(fired, (std::vector<std::string>{"first", "third"}));
  Application().StallFor(100);
  Application().FireDueTimers();
  EXPECT_EQ(fired, (std::vector<std::string>{"first", "third", "first", "third", "second"}));
}

}  // namespace
