#pragma once
// The server's five forms as the program creates them, run in virtual time from a scratch
// directory that holds the configuration, the host table and the report file. Sockets bind
// free ports; the tray icon records what it is asked.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/sys/tray_icon.h"
#include "server/config_window.h"
#include "server/error_window.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/main_window_shutdown.h"
#include "server/main_window_startup.h"
#include "server/main_window_tray.h"
#include "server/server_config.h"
#include "server/service_window.h"
#include "server/sql_test_window.h"
#include "server/station_frame.h"
#include "server/workstation_socket.h"

namespace startup_test {

namespace fs = std::filesystem;

inline std::vector<std::string> FileLines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The message lines of svreport.txt (every second line; the others are time lines).
inline std::vector<std::string> ReportMessages(const fs::path& path) {
  std::vector<std::string> messages;
  const std::vector<std::string> lines = FileLines(path);
  for (std::size_t i = 1; i < lines.size(); i += 2) messages.push_back(lines[i]);
  return messages;
}

// Everything the program's start sets up before its loop, in virtual time.
struct ProgramState {
  ProgramState() {
    forms::Application().UseManualClock();
    forms::Application().ResetTerminated();
    tolvex::StartTick = 0;
    tolvex::ConnectRetries = 0;
    tolvex::ConnectDelay = 2;
    tolvex::StartupAwaitsDatabase = false;
    tolvex::ShutdownTick = 0;
    tolvex::ServerConfig = {};
    tolvex::MonitorEndpoints.bind_port = 0;
    tolvex::MonitorEndpoints.destination_port = 9;  // discard: nobody listens in these tests
    tolvex::SetStationSocketPort(0);
    previous_tray_host = sys::SetTrayHost(&tray);
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    dir = fs::path(scratch != nullptr ? scratch : "/tmp/startup_test") /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    previous_directory = fs::current_path();
    fs::current_path(dir);
    tolvex::SetServerConfigFilePath((dir / "ddport.sbp").string());
    tolvex::SetAutoStartDirectory((dir / "autostart").string());
    std::ofstream(dir / "hostab.txt") << "1 127.0.0.2 4001\n2 127.0.0.3 4001\n";
    tolvex::SetHostTablePath((dir / "hostab.txt").string());
  }
  ~ProgramState() {
    fs::current_path(previous_directory);
    tolvex::SetServerConfigFilePath({});
    tolvex::SetAutoStartDirectory({});
    tolvex::SetHostTablePath({});
    sys::SetTrayHost(previous_tray_host);
    tolvex::MonitorEndpoints = {};
    tolvex::SetStationSocketPort(tolvex::kStationPort);
  }

  fs::path dir;
  fs::path previous_directory;
  sys::RecordingTrayHost tray;
  sys::TrayHost* previous_tray_host = nullptr;
};

// Three workers: one of station 1, two of station 2.
inline constexpr const char* kThreeWorkers =
    "INSERT INTO WORKER (TABNUM, ST, UCH, BRIG, WTBNUM) VALUES "
    "('001aaa', 1, 1, 1, 11), ('002aaa', 2, 1, 2, 12), ('003aaa', 2, 1, 2, 13)";

// A configuration file with the report on, for the given database host.
inline void WriteConfig(const fs::path& path, const char* host, bool hide_at_start) {
  tolvex::ServerConfigRecord record;
  record.PollPeriod = 7;
  record.HideAtStart = hide_at_start ? 1 : 0;
  record.LogFile = 1;
  tolvex::StoreConfigText(record.Host, host);
  tolvex::StoreConfigText(record.Login, "root");
  tolvex::StoreConfigText(record.Password, "q758");
  const char* times[] = {"01:00", "07:00", "13:00", "19:00"};
  for (std::size_t k = 0; k < 4; ++k) tolvex::StoreConfigText(record.Times[k], times[k]);
  record.TimeEnabled = {1, 0, 0, 0};
  record.Magic = tolvex::kServerConfigMagic;
  std::array<std::uint8_t, tolvex::kServerConfigSize> image{};
  tolvex::EncodeServerConfig(record, image);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), image.size());
}

// The five forms in the program's order, handlers connected as the program connects them.
class StartupTest : public ::testing::Test {
 protected:
  StartupTest() {
    main_.ConnectHandlers();
    cfg_.ConnectHandlers();
    sql_.ConnectHandlers();
  }

  void AdvanceTo(std::int64_t ms) {
    forms::Application().AdvanceTime(ms - forms::Application().NowMs());
  }
  fs::path Report() const { return state_.dir / "svreport.txt"; }

  ProgramState state_;
  tolvex::TForm1 main_;
  tolvex::TFormSV sv_;
  tolvex::TFormCFG cfg_;
  tolvex::TFormSQL sql_;
  tolvex::TFormERR err_;
};

}  // namespace startup_test
