#pragma once
// A program's one database connection kept through an outage of the database host, without
// holding the program's thread up for it.
//
// A statement or ping that finds the connection lost marks it so once; from then on the
// program's statements fail at once (the program lists them as usual) instead of each waiting
// for a host that does not answer. New connections are tried on a thread of their own, the
// first at once and then one at a time, at most one per kDatabaseReconnectIntervalSeconds by
// the program's clock. A try that connects hands its connection over at the next statement
// or tick, so once the host answers, the next statement writes. Nothing is queued or sent
// again: what was to be written meanwhile is lost. A connect that finds no answer (a host or
// name that cannot be reached yet, a server that is full) is tried again the same way, with
// its login; one whose login or database is refused is not.
//
// Only a full connect tells that the database answers: a host whose database is hung still
// takes TCP connections, and only its greeting never comes.
//
// When the program ends (EndWaits, from its signal handler), no wait for the database holds
// the end up: a call waiting now fails as on a lost connection, and later ones wait briefly.
#include <mysql.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace lamp {

// Where a connection goes; the database, character set and timeouts are NewDatabaseHandle's.
struct DatabaseLogin {
  std::string host;
  std::string user;
  std::string password;
};

// What one connect gave: the connected handle, or null with the library's error.
struct ConnectOutcome {
  MYSQL* handle = nullptr;
  unsigned error = 0;
  std::string error_text;  // cp1251, as the library gives it
};

// Connects to "zuvurov" (port 0, no socket name, no flags) with a connection object of
// NewDatabaseHandle, on the calling thread.
ConnectOutcome ConnectNewHandle(const DatabaseLogin& login);

// The program's clock, in milliseconds: real in the programs, manual in tests.
using ProgramClock = std::int64_t (*)();

class ConnectionKeeper {
 public:
  // `handle` is the program's own connection variable (null = no database): the keeper sets
  // it on a connect, clears it on a close, and points it at a new connection when one takes
  // over from a lost one. Tries are timed by `clock`.
  ConnectionKeeper(MYSQL*& handle, ProgramClock clock);
  // A try still running is left to end on its own thread and close what it made.
  ~ConnectionKeeper();
  ConnectionKeeper(const ConnectionKeeper&) = delete;
  ConnectionKeeper& operator=(const ConnectionKeeper&) = delete;

  // Closes whatever was open, then connects, waiting at most the connect timeout whatever the
  // library takes (less when the program ends meanwhile); true when connected, the handle
  // null otherwise. When the host did not answer, it is tried again in the background with
  // this login; a connect still under way when the wait is up goes on as the first such try.
  bool Connect(const DatabaseLogin& login);
  // Closes the connection and stops trying; a try still running is left to end by itself.
  // The handle becomes null.
  void Close();

  // Before each statement or ping, and on the program's periodic tick: a connection made
  // meanwhile takes over, and a new try starts when one is due. True when the connection can
  // be used; false while it is lost, and without one.
  bool Ready();

  // The library's calls on a ready connection. Each notices a lost connection: when the call
  // failed and the library has closed the connection, it counts as lost from then on and the
  // first new try starts at once. An error of the statement itself changes nothing. Once the
  // program is ending, each waits at most kDatabaseEndingAnswerWaitMs.
  unsigned Send(std::string_view statement);  // mysql_real_query: mysql_errno, 0 = done
  int Ping();                                 // mysql_ping: 0 = answered
  MYSQL_RES* StoreResult();                   // mysql_store_result

  // The program ends: a call waiting for the database now fails at once (its socket is shut
  // down), a call made later waits at most kDatabaseEndingAnswerWaitMs, and no new try
  // starts. Async-signal-safe.
  void EndWaits();

  // The connection was lost and is being tried again (the handle still set).
  bool lost() const { return trying_ && handle_ != nullptr; }
  // Tries are being made in the background: the connection was lost, or a connect found no
  // answer (the handle null until a try connects).
  bool trying() const { return trying_; }
  // What a statement not sent for a lost connection reports: the error of the last try that
  // failed, or that of the loss itself until a try has failed.
  unsigned error() const { return error_; }
  const std::string& error_text() const { return error_text_; }

  // For tests: the tries started since the keeper was made, and a wait for the try that is
  // running (none running: returns at once).
  int tries_started() const { return tries_started_; }
  void WaitForTry();

 private:
  // One connect on its own thread; shared with that thread, which may outlive the keeper.
  struct Try {
    std::mutex mutex;
    std::condition_variable finished_signal;
    bool finished = false;
    // Nobody takes the outcome: the thread closes what it made.
    bool abandoned = false;
    ConnectOutcome outcome;
  };
  // Marks the keeper's library call under way, with its socket, for EndWaits.
  class CallInProgress;
  // How an explicit connect's wait for its try ended.
  enum class ConnectWait { kFinished, kOverdue, kEnding };

  void NoteFailure();
  // From now on the connection is tried in the background, the next try due one interval on.
  void KeepTrying(unsigned error, std::string error_text);
  void StartTry();
  // Starts a connect with login_ on a thread of its own; false when no thread could be made.
  bool LaunchConnect();
  // Takes the outcome of a finished try: a connection replaces the lost one, a failure's
  // error is kept for the statements that follow.
  void CollectTry();
  // Leaves a running try to end by itself; closes what a finished one made.
  void AbandonTry();
  // Waits for the try that Connect started: until it has finished, the connect timeout has
  // passed, or the program ends.
  ConnectWait AwaitConnect();
  // The outcome of the finished try, which is then gone.
  ConnectOutcome TakeTryOutcome();

  MYSQL*& handle_;
  ProgramClock clock_;
  DatabaseLogin login_;
  bool trying_ = false;
  unsigned error_ = 0;
  std::string error_text_;
  std::int64_t last_try_ms_ = 0;
  int tries_started_ = 0;
  std::shared_ptr<Try> try_;
  std::thread try_thread_;

  // Read by EndWaits, which may run in a signal handler.
  std::atomic<bool> ending_{false};
  std::atomic<bool> in_call_{false};
  std::atomic<my_socket> call_socket_{MARIADB_INVALID_SOCKET};
  static_assert(std::atomic<bool>::is_always_lock_free &&
                std::atomic<my_socket>::is_always_lock_free);
};

}  // namespace lamp
