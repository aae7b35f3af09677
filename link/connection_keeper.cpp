#include "link/connection_keeper.h"

#include <errmsg.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <system_error>
#include <utility>

#include "link/database_options.h"

namespace lamp {

namespace {

constexpr std::int64_t kReconnectIntervalMs =
    static_cast<std::int64_t>(kDatabaseReconnectIntervalSeconds) * 1000;

// How often a connect's wait looks whether the program ends meanwhile.
constexpr std::chrono::milliseconds kConnectWaitSlice{50};

std::string ErrorTextOf(MYSQL* handle) {
  const char* text = mysql_error(handle);
  return text != nullptr ? text : "";
}

// A connect that failed for want of an answer, as against a login or database the server
// refused: only the first may work later by itself.
bool HostDidNotAnswer(unsigned error) {
  return error == CR_CONNECTION_ERROR || error == CR_CONN_HOST_ERROR ||
         error == CR_SERVER_GONE_ERROR || error == CR_SERVER_LOST;
}

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
    // The socket first: EndWaits reads it once it sees the call.
    keeper_.call_socket_.store(mysql_get_socket(keeper_.handle_));
    keeper_.in_call_.store(true);
  }
  ~CallInProgress() { keeper_.in_call_.store(false); }
  CallInProgress(const CallInProgress&) = delete;
  CallInProgress& operator=(const CallInProgress&) = delete;

 private:
  ConnectionKeeper& keeper_;
};

ConnectionKeeper::ConnectionKeeper(MYSQL*& handle, ProgramClock clock)
    : handle_(handle), clock_(clock) {}

ConnectionKeeper::~ConnectionKeeper() {
  AbandonTry();
}

bool ConnectionKeeper::Connect(const DatabaseLogin& login) {
  Close();
  login_ = login;
  // On a thread of its own, so that the wait ends when the program does.
  ConnectOutcome outcome = LaunchConnect() ? AwaitConnect() : ConnectNewHandle(login_);
  handle_ = outcome.handle;
  if (handle_ != nullptr) return true;
  if (HostDidNotAnswer(outcome.error) && !ending_.load()) {
    trying_ = true;
    error_ = outcome.error;
    error_text_ = std::move(outcome.error_text);
    last_try_ms_ = clock_();
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
  if (!trying_) return true;
  if (try_ == nullptr && clock_() - last_try_ms_ >= kReconnectIntervalMs) StartTry();
  return false;
}

unsigned ConnectionKeeper::Send(std::string_view statement) {
  const CallInProgress call(*this);
  if (!ending_.load()) {
    mysql_real_query(handle_, statement.data(), statement.size());
  } else if (mysql_send_query(handle_, statement.data(), statement.size()) == 0) {
    // The statement is on its way whatever the host does; only its answer is waited for.
    const my_socket socket = mysql_get_socket(handle_);
    pollfd answer{socket, POLLIN, 0};
    if (poll(&answer, 1, kDatabaseEndingAnswerWaitMs) != 1) shutdown(socket, SHUT_RDWR);
    mysql_read_query_result(handle_);
  }
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

ConnectOutcome ConnectionKeeper::AwaitConnect() {
  {
    std::unique_lock<std::mutex> lock(try_->mutex);
    while (!try_->finished_signal.wait_for(lock, kConnectWaitSlice,
                                           [this] { return try_->finished; })) {
      if (!ending_.load()) continue;
      lock.unlock();
      AbandonTry();
      return {};
    }
  }
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
  try_thread_.join();
  ConnectOutcome outcome = std::move(try_->outcome);
  try_.reset();
  if (outcome.handle == nullptr) {
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
