#include "platform/sys/session_end.h"

#include <signal.h>

#include <atomic>
#include <cerrno>

namespace sys {

namespace {
volatile sig_atomic_t end_signal_seen = 0;
std::function<void()> end_request_handler;
std::function<bool()> query_end_session_handler;
std::function<void()> end_session_handler;
std::atomic<EndHook> end_hook{nullptr};
static_assert(std::atomic<EndHook>::is_always_lock_free);

void RunEndHook() {
  const EndHook hook = end_hook.load();
  if (hook != nullptr) hook();
}

extern "C" void OnEndSignal(int) {
  // The interrupted code may be about to read errno; the hook's calls must not change it.
  const int saved_errno = errno;
  end_signal_seen = 1;
  RunEndHook();
  errno = saved_errno;
}
}  // namespace

void InstallEndSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

void SetEndHook(EndHook hook) {
  end_hook.store(hook);
}

bool EndRequestPending() {
  return end_signal_seen != 0;
}

void SetEndRequestHandler(std::function<void()> handler) {
  end_request_handler = std::move(handler);
}

bool PollEndRequest() {
  if (end_signal_seen == 0) return false;
  end_signal_seen = 0;
  if (end_request_handler) end_request_handler();
  return true;
}

void SetQueryEndSessionHandler(std::function<bool()> handler) {
  query_end_session_handler = std::move(handler);
}

void SetEndSessionHandler(std::function<void()> handler) {
  end_session_handler = std::move(handler);
}

bool DeliverQueryEndSession() {
  return query_end_session_handler ? query_end_session_handler() : true;
}

bool DeliverEndSession() {
  if (!end_session_handler) return false;
  RunEndHook();
  end_session_handler();
  return true;
}

}  // namespace sys
