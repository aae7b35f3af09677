#pragma once
// The lamp room as its users run it, for the end-to-end tests: a private MariaDB of the test
// (scripts/db in the test's scratch directory), the simulated stations (station-sim), the
// station server (tolvex, offscreen, run from a copy in the scratch directory so that its
// hostab.txt and ddport.sbp lie beside it), and a peer in the workstation's place on
// 127.0.0.1:4011 that answers every ping and sends commands.
#include <fcntl.h>
#include <mysql.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/datagrams.h"
#include "simulator/lamp_room.h"
#include "tests/support/test_database.h"

namespace e2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline fs::path Scratch() {
  const char* dir = std::getenv("LAMP_TEST_SCRATCH");
  fs::path path = dir ? fs::path(dir) : fs::temp_directory_path() / "lamp_e2e";
  fs::create_directories(path);
  return path;
}

// The two programs. A program whose source is not in the tree yet is a reason to skip; once
// the source exists, a missing executable is a failure (the build is broken or incomplete).
struct Programs {
  std::string tolvex = std::string(LAMP_BINARY_DIR) + "/server/tolvex";
  std::string station_sim = std::string(LAMP_BINARY_DIR) + "/simulator/station-sim";

  // Empty when both can run; else why the test must skip.
  std::string MissingFromTree() const {
    const fs::path source(LAMP_SOURCE_DIR);
    if (!fs::exists(source / "server/main.cpp")) return "the server program is not in the tree yet";
    if (!fs::exists(source / "simulator/main.cpp")) return "station-sim is not in the tree yet";
    return "";
  }
};

// Waits until `done` holds or the time is up; returns whether it held.
inline bool WaitFor(double seconds, const std::function<bool()>& done, double step = 0.2) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::duration<double>(step));
  }
  return done();
}

// A program of the lamp room run as a child process, its output in a log file.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Stop(); }

  bool Start(const std::vector<std::string>& argv, const fs::path& directory, const fs::path& log,
             const std::vector<std::string>& environment = {}) {
    log_ = log;
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
        close(out);
      }
      const int in = open("/dev/null", O_RDONLY);
      if (in >= 0) dup2(in, 0);
      // Nothing of the test (the workstation peer's socket above all) goes on in the program.
      for (int fd = 3; fd < 1024; ++fd) close(fd);
      if (chdir(directory.c_str()) != 0) _exit(126);
      for (const std::string& setting : environment) putenv(strdup(setting.c_str()));
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    return true;
  }

  bool Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      exit_status_ = status;
      pid_ = -1;
      return false;
    }
    return true;
  }

  // Asks the program to end (SIGTERM), then ends it (SIGKILL) when it has not ended in time.
  void Stop(double grace_seconds = 5) {
    if (!Running()) return;
    kill(pid_, SIGTERM);
    if (!WaitFor(
            grace_seconds, [&] { return !Running(); }, 0.05)) {
      kill(pid_, SIGKILL);
      int status = 0;
      waitpid(pid_, &status, 0);
      exit_status_ = status;
      pid_ = -1;
    }
  }

  int exit_status() const { return exit_status_; }
  std::string LogText() const {
    std::ifstream file(log_);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

 private:
  pid_t pid_ = -1;
  int exit_status_ = -1;
  fs::path log_;
};

// The test's own MariaDB server, started once per test program.
class PrivateDatabase : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = Scratch() / "db";
    socket_ = (dir_ / "mysql.sock").string();
    const std::string command = "bash " + std::string(LAMP_SOURCE_DIR) +
                                "/scripts/db start --fresh " + dir_.string() + " > " +
                                (Scratch() / "db-start.log").string() + " 2>&1";
    started_ = std::system(command.c_str()) == 0;
    // A scratch directory too deep for a socket path holds a link to the socket (scripts/db).
    if (fs::is_symlink(socket_)) socket_ = fs::read_symlink(socket_).string();
    if (started_) setenv("MYSQL_UNIX_PORT", socket_.c_str(), 1);
  }
  void TearDown() override {
    if (!started_) return;
    const std::string command = "bash " + std::string(LAMP_SOURCE_DIR) + "/scripts/db stop " +
                                dir_.string() + " > /dev/null 2>&1";
    (void)std::system(command.c_str());
  }
  bool started() const { return started_; }
  const std::string& socket() const { return socket_; }

 private:
  fs::path dir_;
  std::string socket_;
  bool started_ = false;
};

inline PrivateDatabase* Database() {
  static PrivateDatabase* db =
      static_cast<PrivateDatabase*>(::testing::AddGlobalTestEnvironment(new PrivateDatabase));
  return db;
}
// Registered before the tests run (each end-to-end test program is one source file).
inline PrivateDatabase* const kRegisteredDatabase = Database();

// Skips while a program is not in the tree; fails when it is but was not built.
#define E2E_REQUIRE_PROGRAMS()                                                                \
  do {                                                                                        \
    const ::e2e::Programs programs;                                                           \
    const std::string missing = programs.MissingFromTree();                                   \
    if (!missing.empty()) GTEST_SKIP() << missing;                                            \
    ASSERT_TRUE(std::filesystem::exists(programs.tolvex)) << programs.tolvex << " not built"; \
    ASSERT_TRUE(std::filesystem::exists(programs.station_sim))                                \
        << programs.station_sim << " not built";                                              \
  } while (false)

// A CommandDatagram as the workstation's builders send it (number kind 1, target 201).
inline lamp::CommandDatagram Command(std::uint32_t code, const char* number, std::int32_t p1 = 0,
                                     std::int32_t p2 = 0, std::int32_t p3 = 0) {
  lamp::CommandDatagram d;
  d.set_magic(lamp::IdCommand);
  d.set_ind_num_text(number);
  d.set_number_kind(1);
  d.set_command_code(code);
  d.set_p1(p1);
  d.set_p2(p2);
  d.set_p3(p3);
  d.set_target_word(201);
  return d;
}

// The workstation's end of the link: bound to 127.0.0.1:4011, it answers every IdPing at
// once with the keep-alive (code 0, empty number) and keeps every datagram it receives.
class WorkstationPeer {
 public:
  bool Open() {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(lamp::WorkstationLinkPort);
    inet_pton(AF_INET, "127.0.0.1", &local.sin_addr);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) return false;
    int buffer = 8 << 20;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    running_ = true;
    thread_ = std::thread([this] { Pump(); });
    return true;
  }
  ~WorkstationPeer() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) close(fd_);
  }

  void Send(const lamp::CommandDatagram& d) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(lamp::ServerLinkPort);
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    sendto(fd_, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }

  // Every datagram received so far whose id is `id`.
  std::vector<std::vector<std::uint8_t>> Received(std::uint32_t id) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& d : received_) {
      if (d.size() >= 4 && lamp::ReadU32(d, 0) == id) out.push_back(d);
    }
    return out;
  }
  std::vector<lamp::StatusDatagram> Statuses(std::uint32_t id) {
    std::vector<lamp::StatusDatagram> out;
    for (const auto& d : Received(id)) {
      lamp::StatusDatagram s;
      std::memcpy(s.bytes.data(), d.data(), std::min(d.size(), s.bytes.size()));
      out.push_back(s);
    }
    return out;
  }
  int pings_answered() const { return pings_answered_; }

 private:
  void Pump() {
    while (running_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      std::vector<std::uint8_t> d(4096);
      const ssize_t n = recv(fd_, d.data(), d.size(), 0);
      if (n <= 0) continue;
      d.resize(static_cast<std::size_t>(n));
      if (d.size() >= 4 && lamp::ReadU32(d, 0) == lamp::IdPing) {
        Send(Command(0, ""));
        ++pings_answered_;
      }
      std::lock_guard<std::mutex> lock(mutex_);
      received_.push_back(std::move(d));
    }
  }

  int fd_ = -1;
  std::atomic<bool> running_{false};
  std::atomic<int> pings_answered_{0};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::vector<std::uint8_t>> received_;
};

// One line of station-sim's event log.
struct SimLine {
  char kind = 0;
  double time = 0;
  std::string number;
  std::string code_or_type;  // Q/D/L: event code; A: frame type
  std::string rest;          // A: command and payload
};

inline std::vector<SimLine> ReadSimLog(const fs::path& path) {
  std::vector<SimLine> lines;
  std::ifstream file(path);
  std::string text;
  while (std::getline(file, text)) {
    std::istringstream fields(text);
    SimLine line;
    fields >> line.kind >> line.time >> line.number >> line.code_or_type;
    std::getline(fields, line.rest);
    if (!line.rest.empty() && line.rest[0] == ' ') line.rest.erase(0, 1);
    if (line.kind != 0) lines.push_back(line);
  }
  return lines;
}

inline std::size_t Count(const std::vector<SimLine>& lines, char kind) {
  std::size_t n = 0;
  for (const SimLine& l : lines) n += l.kind == kind;
  return n;
}

// Whether a UDP port can be bound at that address now (the server needs 4001 and 4010).
inline bool PortFree(const char* address, int port) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, address, &local.sin_addr);
  const bool free = bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0;
  close(fd);
  return free;
}

// A whole lamp room run: its lamps in WORKER, the stations, the server and the workstation
// peer. Every test builds one with the lamps and the station-sim options it needs.
class LampRoomRun {
 public:
  // Fails (with the reason in `error`) when a part cannot start.
  bool Start(int stations, int cells, const std::vector<std::string>& sim_options,
             std::string& error) {
    Programs programs;
    dir_ = Scratch() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "server");
    if (!Database()->started()) {
      error = "the private database did not start: see " + (Scratch() / "db-start.log").string();
      return false;
    }
    db_ = std::make_unique<lamptest::TestDatabase>();
    if (!db_->connected() || !db_->EmptyAllTables()) {
      error = "database: " + db_->last_error();
      return false;
    }
    std::string rows;
    int index = 0;
    for (const stationsim::WorkerRow& row : stationsim::MakeSampleWorkers(stations, cells)) {
      char values[128];
      std::snprintf(values, sizeof values, "%s(\"%s\", %d, %d, %d, %d)", rows.empty() ? "" : ", ",
                    row.tabnum.data(), row.station, 1 + row.station % 5, 1 + index % 9,
                    10000 + index);
      rows += values;
      ++index;
    }
    if (!db_->Execute("INSERT INTO WORKER (TABNUM, ST, UCH, BRIG, WTBNUM) VALUES " + rows)) {
      error = "WORKER: " + db_->last_error();
      return false;
    }

    // The server runs from a copy beside its own hostab.txt.
    tolvex_path_ = dir_ / "server" / "tolvex";
    fs::copy_file(programs.tolvex, tolvex_path_, fs::copy_options::overwrite_existing);
    fs::permissions(tolvex_path_, fs::perms::owner_all, fs::perm_options::add);

    for (const auto& [address, port] : {std::pair<const char*, int>{"0.0.0.0", 4001},
                                        std::pair<const char*, int>{"127.0.0.1", 4010}}) {
      if (!PortFree(address, port)) {
        error = "UDP port " + std::to_string(port) +
                " is taken by another program (a server left running?)";
        return false;
      }
    }
    if (!peer_.Open()) {
      error = "cannot bind the workstation's port 127.0.0.1:4011 (another lamp room running?)";
      return false;
    }
    sim_log_ = dir_ / "station-events.log";
    std::vector<std::string> sim_args{programs.station_sim,
                                      "--database",
                                      "--hostab",
                                      (dir_ / "server" / "hostab.txt").string(),
                                      "--address-base",
                                      "150",
                                      "--port",
                                      "4191",
                                      "--event-log",
                                      sim_log_.string(),
                                      "--status-every",
                                      "5"};
    sim_args.insert(sim_args.end(), sim_options.begin(), sim_options.end());
    sim_started_ = Clock::now();
    if (!sim_.Start(sim_args, dir_, dir_ / "station-sim.out")) {
      error = "cannot start station-sim";
      return false;
    }
    if (!WaitFor(20,
                 [&] { return fs::exists(dir_ / "server" / "hostab.txt") || !sim_.Running(); }) ||
        !sim_.Running()) {
      error = "station-sim did not start: " + sim_.LogText();
      return false;
    }
    const std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen",
                                               "ASAN_OPTIONS=detect_leaks=0:abort_on_error=0"};
    if (!server_.Start({tolvex_path_.string()}, dir_, dir_ / "tolvex.out", environment)) {
      error = "cannot start tolvex";
      return false;
    }
    return true;
  }

  ~LampRoomRun() {
    server_.Stop(3);
    sim_.Stop(3);
  }

  lamptest::TestDatabase& db() { return *db_; }
  WorkstationPeer& peer() { return peer_; }
  ChildProcess& server() { return server_; }
  ChildProcess& sim() { return sim_; }
  std::vector<SimLine> SimLog() { return ReadSimLog(sim_log_); }
  const fs::path& dir() const { return dir_; }

  long long QueryCount(const std::string& statement) {
    const std::string value = db_->QueryValue(statement);
    return value.empty() ? -1 : std::atoll(value.c_str());
  }

  // Real seconds since station-sim was started (its simulated seconds at time scale 1).
  double SecondsSinceSimStart() const {
    return std::chrono::duration<double>(Clock::now() - sim_started_).count();
  }
  // Waits until that many seconds have passed since station-sim was started.
  void SleepUntilSimSecond(double second) const {
    const double left = second - SecondsSinceSimStart();
    if (left > 0) std::this_thread::sleep_for(std::chrono::duration<double>(left));
  }

  // The server has loaded the lamps and polls them: some cell's state reached the peer.
  bool WaitUntilPolling(double seconds) {
    return WaitFor(seconds, [&] { return !peer_.Statuses(lamp::IdCellStatus).empty(); });
  }

 private:
  fs::path dir_;
  fs::path tolvex_path_;
  fs::path sim_log_;
  Clock::time_point sim_started_;
  std::unique_ptr<lamptest::TestDatabase> db_;
  WorkstationPeer peer_;
  ChildProcess sim_;
  ChildProcess server_;
};

}  // namespace e2e
