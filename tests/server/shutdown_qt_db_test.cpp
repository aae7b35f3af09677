// Ending with the desktop session (stop row at 2 s, the power-off command at 4 s through the
// replaceable runner, the end at 8 s; the session manager's question alone ends nothing and
// is never refused to it) and ending on SIGTERM / SIGINT (like a confirmed exit, no
// power-off).
#include <gtest/gtest.h>
#include <signal.h>

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QSessionManager>

#include <string>
#include <vector>

#include "platform/qt/qt_application.h"
#include "platform/sys/session_end.h"
#include "platform/sys/shell_command.h"
#include "server/database_connection.h"
#include "tests/server/startup_fixture.h"
#include "tests/support/offscreen_windows.h"
#include "tests/support/test_database.h"

namespace {

using startup_test::ReportMessages;

class RecordingRunner : public sys::CommandRunner {
 public:
  bool Start(const std::string& command, bool hidden) override {
    commands.push_back(command);
    hidden_flags.push_back(hidden);
    return true;
  }
  std::vector<std::string> commands;
  std::vector<bool> hidden_flags;
};

class ShutdownDb : public startup_test::StartupTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyTables({"event"})) << db_.last_error();
    ASSERT_EQ(tolvex::ConnectDatabase("localhost", "root", "q758"), 0);
    main_.TmStart.SetEnabled(false);
    main_.ReportEnabled = 1;
    previous_runner_ = sys::SetCommandRunner(&command_runner_);
    tolvex::InstallSessionEndHandlers();
  }
  void TearDown() override {
    sys::SetCommandRunner(previous_runner_);
    tolvex::CloseDatabase();
    forms::Application().ResetTerminated();
  }

  std::string StopRows() {
    return db_.QueryValue(
        "SELECT COUNT(*) FROM event WHERE TabNum = 'TOLVEX' AND FabNum = 21845 AND KSOB = 16384 "
        "AND PARM1 = -1");
  }

  // Nothing of the end has happened by the time ms.
  void ExpectNothingEndedBy(std::int64_t ms) {
    AdvanceTo(ms);
    EXPECT_FALSE(main_.Timer1.Enabled());
    EXPECT_FALSE(main_.Visible());
    EXPECT_TRUE(ReportMessages(Report()).empty());
    EXPECT_EQ(StopRows(), "0");
    EXPECT_TRUE(command_runner_.commands.empty());
    EXPECT_FALSE(forms::Application().Terminated());
  }

  // The shutdown sequencer, started at the time start with the main window hidden: the stop
  // row at 2 s, the power-off command at 4 s, the end at 8 s.
  void ExpectTheShutdownSequenceFrom(std::int64_t start) {
    EXPECT_TRUE(main_.Timer1.Enabled());
    AdvanceTo(start + 1999);
    EXPECT_FALSE(main_.Visible());
    EXPECT_EQ(StopRows(), "0");
    AdvanceTo(start + 2000);
    EXPECT_TRUE(main_.Visible());
    EXPECT_EQ(ReportMessages(Report()), (std::vector<std::string>{"ShutDown Computer "}));
    EXPECT_EQ(StopRows(), "1");
    AdvanceTo(start + 3999);
    EXPECT_TRUE(command_runner_.commands.empty());
    AdvanceTo(start + 4000);
    ASSERT_EQ(command_runner_.commands.size(), 1u);
    EXPECT_EQ(command_runner_.commands[0], "sleep 6 && /sbin/shutdown -P now");
    EXPECT_TRUE(command_runner_.hidden_flags[0]);
    AdvanceTo(start + 7999);
    EXPECT_FALSE(forms::Application().Terminated());
    AdvanceTo(start + 8000);
    EXPECT_TRUE(forms::Application().Terminated());
    EXPECT_EQ(command_runner_.commands.size(), 1u);
    EXPECT_EQ(StopRows(), "1");
  }

  lamptest::TestDatabase db_;
  RecordingRunner command_runner_;
  sys::CommandRunner* previous_runner_ = nullptr;
};

TEST_F(ShutdownDb, SessionEndLogsTheStopThenPowersOffThenEnds) {
  main_.Hide();
  EXPECT_FALSE(sys::DeliverQueryEndSession());  // the server refuses...
  EXPECT_TRUE(sys::DeliverEndSession());        // ...and takes itself down when it ends
  ExpectTheShutdownSequenceFrom(0);
}

// A checkpoint of the session, or an end that is cancelled: the question comes, the end does not.
TEST_F(ShutdownDb, AQuestionAloneEndsNothing) {
  main_.Hide();
  EXPECT_FALSE(sys::DeliverQueryEndSession());
  ExpectNothingEndedBy(20000);
}

TEST_F(ShutdownDb, TheSessionsQuestionsReachTheMainWindowAsWindowMessages) {
  std::vector<std::uint32_t> messages;
  auto message_map = main_.OnWindowMessage;
  main_.OnWindowMessage = [&](std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam,
                              std::intptr_t& result) {
    messages.push_back(message);
    return message_map(message, wparam, lparam, result);
  };
  EXPECT_FALSE(sys::DeliverQueryEndSession());
  EXPECT_EQ(messages, (std::vector<std::uint32_t>{forms::WM_QUERYENDSESSION}));
  EXPECT_TRUE(sys::DeliverEndSession());
  EXPECT_EQ(messages,
            (std::vector<std::uint32_t>{forms::WM_QUERYENDSESSION, forms::WM_ENDSESSION}));
  EXPECT_TRUE(main_.Timer1.Enabled());
}

TEST_F(ShutdownDb, ASignalEndsLikeAConfirmedExit) {
  for (int signal_number : {SIGTERM, SIGINT}) {
    forms::Application().ResetTerminated();
    raise(signal_number);
    EXPECT_TRUE(sys::PollEndRequest());
    EXPECT_TRUE(forms::Application().Terminated());
  }
  EXPECT_EQ(ReportMessages(Report()),
            (std::vector<std::string>{"Exit  Programm ", "Exit  Programm "}));
  EXPECT_EQ(StopRows(), "2");
  EXPECT_TRUE(command_runner_.commands.empty());
  EXPECT_FALSE(main_.Timer1.Enabled());
}

// The session manager's question reaches the runner's own handler, through Qt's signal and
// through the handler's seam: the runner agrees though the server answers no, and nothing
// ends; the die after it runs the whole sequence.
class ShutdownQt : public offscreen_test::OffscreenWindows<ShutdownDb> {};

struct RecordingQuestion : qtpeers::SessionQuestion {
  void Cancel() override { ++cancels; }
  int cancels = 0;
};

TEST_F(ShutdownQt, TheRunnerAgreesToTheQuestionAndTheDieRunsTheSequence) {
  main_.Hide();
  RecordingQuestion question;
  qtpeers::AnswerSessionQuestion(question);
  EXPECT_EQ(question.cancels, 0);
  QSessionManager* manager = runner_->Application().findChild<QSessionManager*>();
  ASSERT_NE(manager, nullptr);
  emit runner_->Application().commitDataRequest(*manager);
  ExpectNothingEndedBy(20000);

  QEvent die(QEvent::Quit);
  QSpontaneKeyEvent::setSpontaneous(&die);
  QCoreApplication::instance()->notify(QCoreApplication::instance(), &die);
  ExpectTheShutdownSequenceFrom(20000);
}

}  // namespace
