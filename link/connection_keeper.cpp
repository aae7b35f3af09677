#include "link/connection_keeper.h"

#include <errmsg.h>
#include <mysqld_error.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <system_error>
#include <utility>

#include "link/database_options.h"

namespace lamp {

namespace {

constexpr std::int64_t kReconnectIntervalMs =
    static_cast<std::int64_t>(kDatabaseReconnectIntervalSeconds) * 1000;

// How often a connect's wait looks whether the program ends meanwhile.
constexpr std::chrono::milliseconds kConnectWaitSlice{50};
// The longest an explicit connect holds its caller. The library's own timeout bounds each
// step of a connect, not the whole: a name looked up over a resolver that does not answer, or
// with several silent addresses, takes far longer.
constexpr std::chrono::seconds kConnectWaitBound{kDatabaseConnectTimeoutSeconds};
// What a connect that is still under way when its caller gives up on it reports.
constexpr const char* kConnectOverdueText =
    "no answer from the database within the connect timeout";

std::string ErrorTextOf(MYSQL* handle) {
  const char* text = mysql_error(handle);
  return text != nullptr ? text : "";
}

// A connect that failed for want of an answer, as against a login or database the server
// refused: only the first may work later by itself. A name that the resolver cannot look up
// yet (its service may come up after the program) and a server that is up but full count
// as no answer.
bool MayAnswerLater(unsigned error) {
  switch (error) {
    case CR_CONNECTION_ERROR:
    case CR_CONN_HOST_ERROR:
    case CR_UNKNOWN_HOST:
    case CR_SERVER_GONE_ERROR:
    case CR_SERVER_LOST:
    case ER_CON_COUNT_ERROR:
      return true;
    default:
      return false;
  }
}

// Once the program is ending, a call on the connection gets at most
// kDatabaseEndingAnswerWaitMs: then its socket is shut down, and the library gives up at once
// as on a lost connection.
class EndingCallBound {
 public:
  explicit EndingCallBound(my_socket socket) {
    try {
      watcher_ = std::thread([this, socket] {
        std::unique_lock<std::mutex> lock(mutex_);
        // Under the lock: once the call has ended, its socket is not touched any more.
        if (!ended_signal_.wait_for(lock, std::chrono::milliseconds(kDatabaseEndingAnswerWaitMs),
                                    [this] { return ended_; })) {
          shutdown(socket, SHUT_RDWR);
        }
      });
    } catch (const std::system_error&) {
      // No thread to spare: the call waits as long as the library lets it.
    }
  }
  ~EndingCallBound() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      ended_ = true;
    }
    ended_signal_.notify_all();
    if (watcher_.joinable()) watcher_.join();
  }
  EndingCallBound(const EndingCallBound&) = delete;
  EndingCallBound& operator=(const EndingCallBound&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable ended_signal_;
  bool ended_ = false;
  std::thread watcher_;
};

}  // namespace

ConnectOutcome ConnectNewHandle(const DatabaseLogin& login) {
  ConnectOutcome outcome;
  MYSQL* handle = NewDatabaseHandle();
  if (handle == nullptr) {
    outcome.error = CR_OUT_OF_MEMORY;
    outcome.error_text = "no connection object";
    return outcome;
  }
  if (mysql_real_connect(handle, login.host.c_str(), login.user.c_str(), login.password.c_str(),
                         kDatabaseName, 0, nullptr, 0) == nullptr) {
    outcome.error = mysql_errno(handle);
    outcome.error_text = ErrorTextOf(handle);
    mysql_close(handle);
    return outcome;
  }
  outcome.handle = handle;
  return outcome;
}

class ConnectionKeeper::CallInProgress {
 public:
  explicit CallInProgress(ConnectionKeeper& keeper) : keeper_(keeper) {
    const my_socket socket = mysql_get_socket(keeper_.handle_);
    // The socket first: EndWaits reads it once it sees the call.
    keeper_.call_socket_.store(socket);
    keeper_.in_call_.store(true);
    // Looked at after the call is marked: an end that comes later shuts the call down itself.
    if (keeper_.ending_.load()) bound_.emplace(socket);
  }
  ~CallInProgress() {
    bound_.reset();
    keeper_.in_call_.store(false);
  }
  CallInProgress(const CallInProgress&) = delete;
  CallInProgress& operator=(const CallInProgress&) = delete;

 private:
  ConnectionKeeper& keeper_;
  std::optional<EndingCallBound> bound_;
};

ConnectionKeeper::ConnectionKeeper(MYSQL*& handle, ProgramClock clock)
    : handle_(handle), clock_(clock) {}

ConnectionKeeper::~ConnectionKeeper() {
  AbandonTry();
}

bool ConnectionKeeper::Connect(const DatabaseLogin& login) {
  Close();
  login_ = login;
  ConnectOutcome outcome;
  // On a thread of its own, so that the wait is bounded and ends when the program does.
  if (!LaunchConnect()) {
    outcome = ConnectNewHandle(login_);
  } else {
    switch (AwaitConnect()) {
      case ConnectWait::kEnding:
        AbandonTry();
        return false;
      case ConnectWait::kOverdue:
        // The connect goes on as a try in the background: the next Ready takes over what it
        // makes, and a refused login ends the tries then.
        KeepTrying(CR_CONN_HOST_ERROR, kConnectOverdueText);
        return false;
      case ConnectWait::kFinished:
        outcome = TakeTryOutcome();
        break;
    }
  }
  handle_ = outcome.handle;
  if (handle_ != nullptr) return true;
  if (MayAnswerLater(outcome.error) && !ending_.load()) {
    KeepTrying(outcome.error, std::move(outcome.error_text));
  }
  return false;
}

void ConnectionKeeper::Close() {
  AbandonTry();
  if (handle_ != nullptr) mysql_close(handle_);
  handle_ = nullptr;
  trying_ = false;
  error_ = 0;
  error_text_.clear();
}

bool ConnectionKeeper::Ready() {
  if (!trying_) return handle_ != nullptr;
  CollectTry();
  if (!trying_) return handle_ != nullptr;
  if (try_ == nullptr && clock_() - last_try_ms_ >= kReconnectIntervalMs) StartTry();
  return false;
}

unsigned ConnectionKeeper::Send(std::string_view statement) {
  const CallInProgress call(*this);
  mysql_real_query(handle_, statement.data(), statement.size());
  const unsigned code = mysql_errno(handle_);
  if (code != 0) NoteFailure();
  return code;
}

int ConnectionKeeper::Ping() {
  const CallInProgress call(*this);
  const int result = mysql_ping(handle_);
  if (result != 0) NoteFailure();
  return result;
}

MYSQL_RES* ConnectionKeeper::StoreResult() {
  const CallInProgress call(*this);
  MYSQL_RES* result = mysql_store_result(handle_);
  if (result == nullptr && mysql_errno(handle_) != 0) NoteFailure();
  return result;
}

void ConnectionKeeper::EndWaits() {
  ending_.store(true);
  // A call that has just ended leaves its socket open until the program is gone: shutting it
  // down then costs nothing but the stop row's answer.
  if (in_call_.load()) shutdown(call_socket_.load(), SHUT_RDWR);
}

void ConnectionKeeper::WaitForTry() {
  if (try_ == nullptr) return;
  std::unique_lock<std::mutex> lock(try_->mutex);
  try_->finished_signal.wait(lock, [this] { return try_->finished; });
}

void ConnectionKeeper::NoteFailure() {
  // An error of the statement itself leaves the connection open; only a closed one is lost.
  if (trying_ || mysql_get_socket(handle_) != MARIADB_INVALID_SOCKET) return;
  trying_ = true;
  error_ = mysql_errno(handle_) != 0 ? mysql_errno(handle_) : CR_SERVER_GONE_ERROR;
  error_text_ = ErrorTextOf(handle_);
  StartTry();
}

void ConnectionKeeper::KeepTrying(unsigned error, std::string error_text) {
  trying_ = true;
  error_ = error;
  error_text_ = std::move(error_text);
  last_try_ms_ = clock_();
}

void ConnectionKeeper::StartTry() {
  // An ending program makes no new connection that it would have to wait for.
  if (ending_.load()) return;
  last_try_ms_ = clock_();
  // No thread to spare now: the next due tick tries again.
  if (LaunchConnect()) ++tries_started_;
}

bool ConnectionKeeper::LaunchConnect() {
  auto attempt = std::make_shared<Try>();
  try {
    try_thread_ = std::thread([attempt, login = login_] {
      mysql_thread_init();
      ConnectOutcome outcome = ConnectNewHandle(login);
      bool abandoned = false;
      {
        const std::lock_guard<std::mutex> lock(attempt->mutex);
        abandoned = attempt->abandoned;
        if (!abandoned) attempt->outcome = std::move(outcome);
        attempt->finished = true;
      }
      attempt->finished_signal.notify_all();
      if (abandoned && outcome.handle != nullptr) mysql_close(outcome.handle);
      mysql_thread_end();
    });
  } catch (const std::system_error&) {
    return false;
  }
  try_ = std::move(attempt);
  return true;
}

ConnectionKeeper::ConnectWait ConnectionKeeper::AwaitConnect() {
  using std::chrono::steady_clock;
  const steady_clock::time_point deadline = steady_clock::now() + kConnectWaitBound;
  std::unique_lock<std::mutex> lock(try_->mutex);
  while (!try_->finished) {
    if (ending_.load()) return ConnectWait::kEnding;
    const steady_clock::time_point now = steady_clock::now();
    if (now >= deadline) return ConnectWait::kOverdue;
    try_->finished_signal.wait_for(
        lock, std::min<steady_clock::duration>(kConnectWaitSlice, deadline - now));
  }
  return ConnectWait::kFinished;
}

ConnectOutcome ConnectionKeeper::TakeTryOutcome() {
  try_thread_.join();
  ConnectOutcome outcome = std::move(try_->outcome);
  try_.reset();
  return outcome;
}

void ConnectionKeeper::CollectTry() {
  if (try_ == nullptr) return;
  {
    const std::lock_guard<std::mutex> lock(try_->mutex);
    if (!try_->finished) return;
  }
  ConnectOutcome outcome = TakeTryOutcome();
  if (outcome.handle == nullptr) {
    // With no connection to come back to, a refusal ends the tries, as it does at a connect.
    if (handle_ == nullptr && !MayAnswerLater(outcome.error)) trying_ = false;
    error_ = outcome.error;
    error_text_ = std::move(outcome.error_text);
    return;
  }
  if (handle_ != nullptr) mysql_close(handle_);
  handle_ = outcome.handle;
  trying_ = false;
  error_ = 0;
  error_text_.clear();
}

void ConnectionKeeper::AbandonTry() {
  if (try_ == nullptr) return;
  MYSQL* made = nullptr;
  bool finished = false;
  {
    const std::lock_guard<std::mutex> lock(try_->mutex);
    finished = try_->finished;
    try_->abandoned = !finished;
    made = std::exchange(try_->outcome.handle, nullptr);
  }
  if (finished) {
    try_thread_.join();
  } else {
    try_thread_.detach();
  }
  if (made != nullptr) mysql_close(made);
  try_.reset();
}

}  // namespace lamp
