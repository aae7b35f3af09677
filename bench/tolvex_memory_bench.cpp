// Peak memory (VmHWM) of the running server with 6000 cells: tolvex with 100 simulated
// stations of 60 cells each, every cell polled and answered for a while (its ddport.sbp has the
// poll period that reaches all 60 cells of a station), beside the size of its cell registry
// (the state it must hold in any case).
//
// Needs what the lamp room needs: the private database (MYSQL_UNIX_PORT naming the socket of
// scripts/db; its WORKER table is replaced) and the fixed ports 4001 and 4010 free. Without
// them the benchmark is skipped.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <mysql.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "link/database_options.h"
#include "server/cell_registry.h"
#include "server/config_window.h"
#include "simulator/lamp_room.h"

namespace {

namespace fs = std::filesystem;

constexpr int kStations = 100;
constexpr int kCellsPerStation = 60;

pid_t Launch(const std::vector<std::string>& argv, const fs::path& directory, const fs::path& log) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(out, 1);
  dup2(out, 2);
  for (int fd = 3; fd < 1024; ++fd) close(fd);
  if (chdir(directory.c_str()) != 0) _exit(126);
  putenv(const_cast<char*>("QT_QPA_PLATFORM=offscreen"));
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execv(args[0], args.data());
  _exit(127);
}

void End(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
}

// A field of /proc/PID/status in kB ("VmHWM", "VmRSS"), -1 when there is none.
long StatusKilobytes(pid_t pid, const char* field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
  }
  return -1;
}

bool FillWorkers(std::string& error) {
  MYSQL* db = lamp::NewDatabaseHandle();
  if (db == nullptr || mysql_real_connect(db, "localhost", "root", "q758", lamp::kDatabaseName, 0,
                                          nullptr, 0) == nullptr) {
    error = std::string("no database (set MYSQL_UNIX_PORT): ") +
            (db != nullptr ? mysql_error(db) : "no connection object");
    mysql_close(db);
    return false;
  }
  std::string insert = "INSERT INTO WORKER (TABNUM, ST, UCH, BRIG, WTBNUM) VALUES ";
  int index = 0;
  for (const auto& row : stationsim::MakeSampleWorkers(kStations, kCellsPerStation)) {
    char values[96];
    std::snprintf(values, sizeof values, "%s(\"%s\", %d, 1, 1, %d)", index == 0 ? "" : ", ",
                  row.tabnum.data(), row.station, index);
    insert += values;
    ++index;
  }
  const bool ok =
      mysql_query(db, "DELETE FROM WORKER") == 0 && mysql_query(db, insert.c_str()) == 0;
  if (!ok) error = mysql_error(db);
  mysql_close(db);
  return ok;
}

void BM_TolvexPeakMemory6000Cells(benchmark::State& state) {
  std::string error;
  if (!FillWorkers(error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const fs::path dir = fs::temp_directory_path() / "lamp_tolvex_memory_bench";
  fs::remove_all(dir);
  fs::create_directories(dir / "server");
  const fs::path tolvex = dir / "server" / "tolvex";
  fs::copy_file(std::string(LAMP_BINARY_DIR) + "/server/tolvex", tolvex);
  // A pass of the default poll period reaches 56 cells of a station: the server's settings get
  // the period that polls all 60.
  const tolvex::BuiltInServerConfig config =
      tolvex::SaveBuiltInServerConfig((dir / "server" / "ddport.sbp").string(), kCellsPerStation);
  if (!config.failure.empty()) {
    state.SkipWithError(config.failure.c_str());
    return;
  }
  const fs::path sim = std::string(LAMP_BINARY_DIR) + "/simulator/station-sim";
  const double seconds = static_cast<double>(state.range(0));
  long peak_kb = -1, rss_kb = -1, answers = 0;
  for (auto _ : state) {
    const pid_t stations =
        Launch({sim.string(), "--database", "--hostab", (dir / "server/hostab.txt").string(),
                "--address-base", "150", "--port", "4192", "--status-every", "1"},
               dir, dir / "station-sim.out");
    for (int i = 0; i < 100 && !fs::exists(dir / "server/hostab.txt"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const pid_t server = Launch({tolvex.string()}, dir, dir / "tolvex.out");
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    peak_kb = StatusKilobytes(server, "VmHWM");
    rss_kb = StatusKilobytes(server, "VmRSS");
    End(server);
    End(stations);
    // The simulator's last count line says how many requests it answered.
    std::ifstream out(dir / "station-sim.out");
    std::string line, last;
    while (std::getline(out, line)) {
      if (line.find("answers") != std::string::npos) last = line;
    }
    const auto at = last.find("requests, ");
    if (at != std::string::npos) answers = std::atol(last.c_str() + at + 10);
  }
  if (peak_kb < 0) {
    state.SkipWithError("tolvex did not run (ports 4001/4010 taken?); see its output in /tmp");
    return;
  }
  if (answers == 0) state.SkipWithError("the stations were never polled (ports 4001/4010 taken?)");
  state.counters["VmHWM_MiB"] = static_cast<double>(peak_kb) / 1024.0;
  state.counters["VmRSS_MiB"] = static_cast<double>(rss_kb) / 1024.0;
  state.counters["registry_MiB"] =
      static_cast<double>(sizeof(tolvex::CellRegistry)) / (1024.0 * 1024.0);
  state.counters["answers"] = static_cast<double>(answers);
}
BENCHMARK(BM_TolvexPeakMemory6000Cells)->Arg(40)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
