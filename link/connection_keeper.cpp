#include "link/connection_keeper.h"

#include <errmsg.h>

#include <system_error>
#include <utility>

#include "link/database_options.h"

namespace lamp {

namespace {

constexpr std::int64_t kReconnectIntervalMs =
    static_cast<std::int64_t>(kDatabaseReconnectIntervalSeconds) * 1000;

std::string ErrorTextOf(MYSQL* handle) {
  const char* text = mysql_error(handle);
  return text != nullptr ? text : "";
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

ConnectionKeeper::ConnectionKeeper(MYSQL*& handle, ProgramClock clock)
    : handle_(handle), clock_(clock) {}

ConnectionKeeper::~ConnectionKeeper() {
  if (!try_thread_.joinable()) return;
  bool finished = false;
  {
    const std::lock_guard<std::mutex> lock(try_->mutex);
    finished = try_->finished;
  }
  if (!finished) {
    // The program is ending: a host that does not answer must not hold the exit up.
    try_thread_.detach();
    return;
  }
  try_thread_.join();
  if (try_->outcome.handle != nullptr) mysql_close(try_->outcome.handle);
}

bool ConnectionKeeper::Connect(const DatabaseLogin& login) {
  Close();
  login_ = login;
  handle_ = ConnectNewHandle(login_).handle;
  return handle_ != nullptr;
}

void ConnectionKeeper::Close() {
  WaitForTry();
  CollectTry();
  if (handle_ != nullptr) mysql_close(handle_);
  handle_ = nullptr;
  lost_ = false;
  error_ = 0;
  error_text_.clear();
}

bool ConnectionKeeper::Ready() {
  if (handle_ == nullptr) return false;
  if (!lost_) return true;
  CollectTry();
  if (!lost_) return true;
  if (try_ == nullptr && clock_() - last_try_ms_ >= kReconnectIntervalMs) StartTry();
  return false;
}

unsigned ConnectionKeeper::Send(std::string_view statement) {
  mysql_real_query(handle_, statement.data(), statement.size());
  const unsigned code = mysql_errno(handle_);
  if (code != 0) NoteFailure();
  return code;
}

int ConnectionKeeper::Ping() {
  const int result = mysql_ping(handle_);
  if (result != 0) NoteFailure();
  return result;
}

MYSQL_RES* ConnectionKeeper::StoreResult() {
  MYSQL_RES* result = mysql_store_result(handle_);
  if (result == nullptr && mysql_errno(handle_) != 0) NoteFailure();
  return result;
}

void ConnectionKeeper::WaitForTry() {
  if (try_ == nullptr) return;
  std::unique_lock<std::mutex> lock(try_->mutex);
  try_->finished_signal.wait(lock, [this] { return try_->finished; });
}

void ConnectionKeeper::NoteFailure() {
  // An error of the statement itself leaves the connection open; only a closed one is lost.
  if (lost_ || mysql_get_socket(handle_) != MARIADB_INVALID_SOCKET) return;
  lost_ = true;
  error_ = mysql_errno(handle_) != 0 ? mysql_errno(handle_) : CR_SERVER_GONE_ERROR;
  error_text_ = ErrorTextOf(handle_);
  StartTry();
}

void ConnectionKeeper::StartTry() {
  last_try_ms_ = clock_();
  auto attempt = std::make_shared<Try>();
  try {
    try_thread_ = std::thread([attempt, login = login_] {
      mysql_thread_init();
      ConnectOutcome outcome = ConnectNewHandle(login);
      mysql_thread_end();
      {
        const std::lock_guard<std::mutex> lock(attempt->mutex);
        attempt->outcome = std::move(outcome);
        attempt->finished = true;
      }
      attempt->finished_signal.notify_all();
    });
  } catch (const std::system_error&) {
    // No thread to spare now: the next due tick tries again.
    return;
  }
  try_ = std::move(attempt);
  ++tries_started_;
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
  lost_ = false;
  error_ = 0;
  error_text_.clear();
}

}  // namespace lamp
