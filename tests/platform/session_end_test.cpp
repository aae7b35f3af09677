#include "platform/sys/session_end.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/sys/performance_counter.h"

namespace {

TEST(SessionEnd, SignalsBecomeOneEndRequestOnTheLoopThread) {
  sys::InstallEndSignalHandlers();
  int requests = 0;
  sys::SetEndRequestHandler([&] { ++requests; });
  EXPECT_FALSE(sys::PollEndRequest());

  for (int signal_number : {SIGTERM, SIGINT}) {
    const int before = requests;
    ASSERT_EQ(raise(signal_number), 0);  // the process lives on: the handler only notes it
    EXPECT_TRUE(sys::EndRequestPending());
    EXPECT_EQ(requests, before) << "nothing runs inside the signal handler";
    EXPECT_TRUE(sys::PollEndRequest());
    EXPECT_EQ(requests, before + 1);
    EXPECT_FALSE(sys::PollEndRequest());
  }
  EXPECT_EQ(requests, 2);
  sys::SetEndRequestHandler(nullptr);
}

TEST(SessionEnd, TheQuestionAndTheEndAreDeliveredApart) {
  std::vector<std::string> calls;
  EXPECT_TRUE(sys::DeliverQueryEndSession());  // nobody asked: the session may end
  EXPECT_FALSE(sys::DeliverEndSession());      // nobody took the end: the window system's own
  sys::SetQueryEndSessionHandler([&] {
    calls.push_back("query");
    return false;
  });
  sys::SetEndSessionHandler([&] { calls.push_back("end"); });
  EXPECT_FALSE(sys::DeliverQueryEndSession());
  EXPECT_EQ(calls, (std::vector<std::string>{"query"}));
  EXPECT_TRUE(sys::DeliverEndSession());
  EXPECT_EQ(calls, (std::vector<std::string>{"query", "end"}));
  sys::SetQueryEndSessionHandler(nullptr);
  sys::SetEndSessionHandler(nullptr);
}

// The end hook runs at once, inside the signal handler, and at an end of the session that a
// handler took; errno is as the interrupted code left it.
std::atomic<int> hook_runs{0};
void CountHookRun() {
  ++hook_runs;
  errno = EBADF;  // as a shutdown of a descriptor already closed leaves it
}

TEST(SessionEnd, TheEndHookRunsInTheSignalHandlerAndAtATakenEndOfSession) {
  sys::InstallEndSignalHandlers();
  sys::SetEndHook(CountHookRun);
  for (int signal_number : {SIGTERM, SIGINT}) {
    const int before = hook_runs;
    errno = 0;
    ASSERT_EQ(raise(signal_number), 0);
    EXPECT_EQ(errno, 0);
    EXPECT_EQ(hook_runs, before + 1);
    EXPECT_TRUE(sys::PollEndRequest());
  }
  EXPECT_FALSE(sys::DeliverEndSession());  // nobody took the end: the program goes on
  EXPECT_EQ(hook_runs, 2);
  sys::SetEndSessionHandler([] {});
  EXPECT_TRUE(sys::DeliverEndSession());
  EXPECT_EQ(hook_runs, 3);
  sys::SetEndSessionHandler(nullptr);
  sys::SetEndHook(nullptr);
}

TEST(PerformanceCounter, NanosecondsOverTheSteadyClock) {
  std::int64_t frequency = 0;
  ASSERT_TRUE(sys::QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency, 1'000'000'000);
  EXPECT_FALSE(sys::QueryPerformanceFrequency(nullptr));
  const std::uint64_t first = sys::ReadTimeStampCounter();
  std::int64_t second = 0;
  ASSERT_TRUE(sys::QueryPerformanceCounter(&second));
  EXPECT_GE(static_cast<std::uint64_t>(second), first);
}

}  // namespace
