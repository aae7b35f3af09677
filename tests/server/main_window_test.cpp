// The main window without a database: its components, the poll-period clock, the tray and
// close box, the hidden way into the service window, the operator controls, the exit and the
// report file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/sys/tray_icon.h"
#include "server/config_window.h"
#include "server/database_connection.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/main_window_controls.h"
#include "server/main_window_tray.h"
#include "server/service_window.h"
#include "server/tick_timing.h"

namespace {

namespace fs = std::filesystem;

struct ManualClock {
  ManualClock() {
    forms::Application().UseManualClock();
    forms::Application().ResetTerminated();
  }
};

std::vector<std::string> FileLines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A scratch directory that is the current directory while the test runs.
class InScratchDirectory {
 public:
  InScratchDirectory() {
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    dir_ = fs::path(scratch != nullptr ? scratch : "/tmp/main_window_test") /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    previous_ = fs::current_path();
    fs::current_path(dir_);
  }
  ~InScratchDirectory() { fs::current_path(previous_); }
  const fs::path& dir() const { return dir_; }

 private:
  fs::path dir_, previous_;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tolvex::CloseDatabase();
    forms::Application().SetDialogService(&dialogs_);
    main_.ConnectHandlers();
    tolvex::PollCount = 0;
    tolvex::PollPeriodSeconds = 0;
  }
  void TearDown() override { forms::Application().SetDialogService(nullptr); }

  ManualClock clock_;
  forms::ScriptedDialogService dialogs_;
  InScratchDirectory cwd_;
  tolvex::TForm1 main_;
  tolvex::TFormSV sv_;
  tolvex::TFormCFG cfg_;
};

TEST_F(MainWindowTest, ComponentsAsTheWindowIsCreated) {
  EXPECT_EQ(main_.Caption(), "QVK-server  (14.06.14) ");
  EXPECT_EQ(main_.Left(), 270);
  EXPECT_EQ(main_.Top(), 420);
  EXPECT_EQ(main_.Width(), 338);
  EXPECT_EQ(main_.Height(), 303);
  EXPECT_EQ(main_.BorderIcons(), forms::biSystemMenu);
  ASSERT_EQ(main_.StatusBar1.PanelCount(), 9);
  const int widths[] = {60, 50, 70, 70, 60, 50, 70, 70, 70};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(main_.StatusBar1.Panel(i).width, widths[i]);
  EXPECT_FALSE(main_.BitBtn2.Visible());
  EXPECT_EQ(main_.TmStart.Interval(), 300);
  EXPECT_TRUE(main_.TmStart.Enabled());
  EXPECT_EQ(main_.TimerINTERVAL.Interval(), 1000);
  EXPECT_TRUE(main_.TimerINTERVAL.Enabled());
  EXPECT_EQ(main_.Timer1.Interval(), 1000);
  EXPECT_FALSE(main_.Timer1.Enabled());
  EXPECT_EQ(main_.Edit3.Text(), "1");
  EXPECT_EQ(main_.BitBtn4.Caption(), "Выход");
  EXPECT_EQ(main_.BitBtn1.Caption(), "Обновить");
  EXPECT_EQ(main_.BitBtn3.Caption(), "ОТКЛ-Опрос");
  EXPECT_EQ(main_.BitBtn5.Caption(), "Конфиг");
  ASSERT_EQ(main_.PopupMenu1.Items().size(), 1u);
  EXPECT_EQ(main_.PopupMenu1.Items()[0]->Caption(), "Открыть");
  EXPECT_EQ(main_.PollPeriod, 5);
  EXPECT_EQ(main_.ReportEnabled, 0);
}

TEST_F(MainWindowTest, PollPeriodFlagRisesEveryPeriodOnceTheCycleHasClearedIt) {
  main_.TmStart.SetEnabled(false);
  forms::Application().AdvanceTime(4000);
  EXPECT_EQ(main_.PollPeriodFlag, 0);
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(main_.PollPeriodFlag, 1);
  EXPECT_EQ(main_.Edit10.Text(), "1");
  // While the flag stays up the clock stands.
  forms::Application().AdvanceTime(7000);
  EXPECT_EQ(tolvex::PollCount, 1);
  main_.PollPeriodFlag = 0;
  forms::Application().AdvanceTime(4000);
  EXPECT_EQ(main_.PollPeriodFlag, 0);
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(main_.PollPeriodFlag, 1);
  EXPECT_EQ(main_.Edit10.Text(), "2");

  main_.FramesReceived = 42;
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(main_.Edit9.Text(), "42");
  main_.Edit9.DoubleClick();
  EXPECT_EQ(main_.FramesReceived, 0u);
  main_.Edit10.DoubleClick();
  EXPECT_EQ(tolvex::PollCount, 0);
}

TEST_F(MainWindowTest, CloseBoxHidesAndTheTrayBringsTheWindowBack) {
  main_.TmStart.SetEnabled(false);
  main_.Show();
  main_.Close();
  EXPECT_FALSE(main_.Visible());
  EXPECT_FALSE(forms::Application().Terminated());
  tolvex::TrayIconMessage(forms::WM_LBUTTONUP);
  EXPECT_TRUE(main_.Visible());

  main_.Hide();
  dialogs_.cursor_x = 900;
  dialogs_.cursor_y = 700;
  tolvex::TrayIconMessage(forms::WM_RBUTTONUP);
  EXPECT_EQ(main_.PopupMenu1.PopupCount(), 1);
  EXPECT_EQ(main_.PopupMenu1.PopupX(), 900);
  EXPECT_EQ(main_.PopupMenu1.PopupY(), 700);
  ASSERT_EQ(dialogs_.foreground_requests.size(), 1u);
  EXPECT_EQ(dialogs_.foreground_requests[0], &main_);
  main_.N1.Click();
  EXPECT_TRUE(main_.Visible());

  // A cursor that cannot be read shows the window instead of the menu.
  main_.Hide();
  dialogs_.cursor_known = false;
  tolvex::TrayIconMessage(forms::WM_RBUTTONUP);
  EXPECT_TRUE(main_.Visible());
  EXPECT_EQ(main_.PopupMenu1.PopupCount(), 1);
}

TEST_F(MainWindowTest, TrayIconWithItsTipAndClicksThroughTheWindowMessage) {
  sys::RecordingTrayHost host;
  sys::TrayHost* previous = sys::SetTrayHost(&host);
  EXPECT_TRUE(tolvex::SetTrayIcon(tolvex::kTrayAdd));
  EXPECT_TRUE(tolvex::SetTrayIcon(tolvex::kTrayModify));
  const sys::TrayIconState* icon = host.Find(&main_, 1006);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->callback_message, 0x8064u);
  EXPECT_TRUE(icon->has_icon);
  EXPECT_EQ(icon->tip, "QVK Server");

  main_.Hide();
  sys::DeliverTrayClick(*icon, forms::WM_LBUTTONUP);
  EXPECT_TRUE(main_.Visible());
  dialogs_.cursor_x = 900;
  dialogs_.cursor_y = 700;
  sys::DeliverTrayClick(*icon, forms::WM_RBUTTONUP);
  EXPECT_EQ(main_.PopupMenu1.PopupCount(), 1);

  main_.Destroy();
  EXPECT_EQ(host.Find(&main_, 1006), nullptr);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"add 1006", "modify 1006", "delete 1006"}));
  sys::SetTrayHost(previous);
}

TEST_F(MainWindowTest, SessionEndIsRefusedAndStartsTheShutdownSequencer) {
  std::intptr_t result = 1;
  EXPECT_TRUE(main_.WindowMessage(forms::WM_QUERYENDSESSION, 0, 0, result));
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(main_.Timer1.Enabled());
  EXPECT_EQ(main_.Perform(forms::WM_ENDSESSION, 0, 0), 0);
  EXPECT_TRUE(main_.Timer1.Enabled());
}

TEST_F(MainWindowTest, ShiftClickInTheTopLeftCornerOpensTheServiceWindow) {
  struct Case {
    int shift, x, y;
    bool opens;
  };
  for (const Case& c : {Case{forms::ssShift, 49, 49, true}, Case{forms::ssShift, 50, 10, false},
                        Case{forms::ssShift, 10, 50, false}, Case{0, 10, 10, false},
                        Case{forms::ssShift | forms::ssCtrl, 0, 0, true}}) {
    sv_.Hide();
    sv_.SetLeft(0);
    main_.MouseUp(forms::TMouseButton::mbLeft, c.shift, c.x, c.y);
    EXPECT_EQ(sv_.Visible(), c.opens) << c.shift << " " << c.x << " " << c.y;
    if (c.opens) {
      EXPECT_EQ(sv_.Left(), 290);
      EXPECT_EQ(sv_.Top(), 430);
    }
  }
  sv_.Hide();
  main_.BitBtn2.Click();
  EXPECT_TRUE(sv_.Visible());
  EXPECT_EQ(sv_.Left(), 510);
  EXPECT_EQ(sv_.Top(), 520);
}

TEST_F(MainWindowTest, OperatorControls) {
  main_.Edit3.SetText("2");
  main_.BitBtn3.Click();
  EXPECT_EQ(tolvex::PollingPause, 120u);
  main_.Edit3.SetText("x");
  main_.BitBtn3.Click();
  EXPECT_EQ(tolvex::PollingPause, 120u);
  // Numbers whose seconds leave the 32-bit range wrap; the poll cycle caps the pause.
  main_.Edit3.SetText("99999999");
  main_.BitBtn3.Click();
  EXPECT_EQ(tolvex::PollingPause, 99999999u * 60u);
  main_.Edit3.SetText("-1");
  main_.BitBtn3.Click();
  EXPECT_EQ(tolvex::PollingPause, 0u - 60u);
  tolvex::SetPollingPause(0);

  main_.BitBtn5.Click();
  EXPECT_TRUE(cfg_.Visible());
  EXPECT_EQ(cfg_.Left(), 330);
  EXPECT_EQ(cfg_.Top(), 470);

  {
    std::ofstream out(cwd_.dir() / "hostab.txt");
    out << "3 192.168.1.13 4001\n4 192.168.1.14 4001\n";
  }
  tolvex::SetHostTablePath((cwd_.dir() / "hostab.txt").string());
  tolvex::HostCount = 0;
  main_.BitBtn1.Click();  // shows the count before this reload
  EXPECT_EQ(main_.Edit1.Text(), "0");
  EXPECT_EQ(main_.Edit2.Text(), "0");
  main_.ListBox1.Items().Add("old");
  main_.BitBtn6.Click();
  EXPECT_EQ(main_.ListBox1.Items().Items(),
            (std::vector<std::string>{"3   192.168.1.13:4001", "4   192.168.1.14:4001"}));
  main_.BitBtn1.Click();
  EXPECT_EQ(main_.Edit2.Text(), "2");
  tolvex::SetHostTablePath({});
}

TEST_F(MainWindowTest, ExitAsksFirstThenReportsAndEnds) {
  main_.ReportEnabled = 1;
  dialogs_.answers = {forms::IDNO, forms::IDYES};
  main_.BitBtn4.Click();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Вы уверены?");
  EXPECT_EQ(dialogs_.shown[0].caption, "Выход");
  EXPECT_EQ(dialogs_.shown[0].flags & 0xF, forms::MB_YESNO);
  EXPECT_FALSE(forms::Application().Terminated());
  EXPECT_FALSE(fs::exists("svreport.txt"));
  main_.BitBtn4.Click();
  EXPECT_TRUE(forms::Application().Terminated());
  const std::vector<std::string> lines = FileLines("svreport.txt");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Exit  Programm ");
  forms::Application().ResetTerminated();
}

TEST_F(MainWindowTest, ReportEntriesAreATimeLineAndAMessageLineInTheCurrentDirectory) {
  tolvex::AppendServerReport("nothing while off");
  EXPECT_FALSE(fs::exists("svreport.txt"));
  main_.ReportEnabled = 1;
  tolvex::AppendServerReport("first");
  tolvex::AppendServerReport("second");
  const std::vector<std::string> lines = FileLines(cwd_.dir() / "svreport.txt");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "first ");
  EXPECT_EQ(lines[3], "second ");
  // "dd.mm.yyyy hh:mm:ss " with its trailing blank.
  EXPECT_EQ(lines[0].size(), 20u);
  EXPECT_EQ(lines[0].back(), ' ');
  EXPECT_EQ(lines[0][2], '.');
  EXPECT_EQ(lines[0][13], ':');
  // A report file that cannot be opened drops the entry.
  fs::remove("svreport.txt");
  fs::create_directory("svreport.txt");
  tolvex::AppendServerReport("dropped");
  EXPECT_TRUE(fs::is_directory("svreport.txt"));
}

}  // namespace
