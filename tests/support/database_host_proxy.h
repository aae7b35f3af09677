#pragma once
// A database host on a TCP port of 127.0.0.1, for tests of what the programs do while their
// database host is away: it passes every connection on to the tests' private MariaDB server
// (which listens on its Unix socket only), and on request falls silent like a host that
// drops every packet, refuses like a host whose database is down, or answers slowly.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lamptest {

class DatabaseHostProxy {
 public:
  // Relays to the Unix socket at `socket_path`, answering from the start.
  explicit DatabaseHostProxy(std::string socket_path);
  ~DatabaseHostProxy();
  DatabaseHostProxy(const DatabaseHostProxy&) = delete;
  DatabaseHostProxy& operator=(const DatabaseHostProxy&) = delete;

  // 0 when the port could not be prepared.
  int port() const { return port_; }

  // Each returns once the host behaves so.
  void Answer();      // connections of before are cut; new ones are taken and passed on
  void FallSilent();  // open connections carry nothing more; new connects get no answer
  void Refuse();      // open connections are cut; new connects are refused
  // Connections of before are cut; new ones are passed on, but the server's greeting only
  // `step` after the connect and the client's answer to it only `step` after that. Each wait
  // stays within the client library's timeout for one step, so a connect succeeds, later.
  void AnswerSlowly(std::chrono::milliseconds step);

 private:
  enum class Mode { kAnswer, kSilent, kRefuse, kSlow };
  using Time = std::chrono::steady_clock::time_point;
  struct Pair {
    int client;
    int server;
    // Nothing is read from either side before its time.
    Time client_from{};
    Time server_from{};
  };

  void SetMode(Mode mode, std::chrono::milliseconds slow_step = {});
  void Run();
  void Apply(Mode mode);
  void OpenListener(int backlog);
  void CloseAll();
  void CloseConnections();
  void Relay(std::size_t pair_index, bool from_client);
  void AcceptOne();

  std::string socket_path_;
  int port_ = 0;
  int listener_ = -1;
  int filler_ = -1;
  std::vector<Pair> pairs_;
  Mode mode_ = Mode::kAnswer;

  std::mutex mutex_;
  std::condition_variable changed_;
  Mode wanted_ = Mode::kAnswer;
  std::chrono::milliseconds slow_step_{0};
  bool stop_ = false;
  std::thread thread_;
};

// The process's database host: relays to the tests' private server (MYSQL_UNIX_PORT, or the
// build's test server when it is not set), and its port is MYSQL_TCP_PORT, where a connect
// with port 0 goes. The client library reads that at its first use in the process, so the
// host is made before any connection: call this first.
DatabaseHostProxy& PrivateServerHost();

}  // namespace lamptest
