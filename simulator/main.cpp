// station-sim: charging stations of a lamp room on the loopback network, for running and
// testing the station server without the real stations.
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/number_text.h"
#include "simulator/event_log.h"
#include "simulator/lamp_room.h"
#include "simulator/sim_clock.h"
#include "simulator/station_link.h"
#include "simulator/worker_source.h"

namespace {

volatile std::sig_atomic_t stop_requested = 0;

void RequestStop(int) {
  stop_requested = 1;
}

const char kUsage[] =
    "usage: station-sim [options]\n"
    "\n"
    "Lamp list (one of):\n"
    "  --stations N --cells M    a sample lamp room, lamps numbered SSSaCC (default 4 x 10)\n"
    "  --workers FILE            lamps from a file: number and station per line\n"
    "  --database                lamps from the WORKER table\n"
    "  --db-host H  --db-user U  --db-password P  --db-socket PATH\n"
    "                            login for --database (localhost, root, q758; the socket\n"
    "                            defaults to MYSQL_UNIX_PORT)\n"
    "Network:\n"
    "  --hostab PATH             write the host table there (default hostab.txt)\n"
    "  --port P                  UDP port of every station (default 4101)\n"
    "  --address-base B          station n listens on 127.0.0.(B+n) (default 10)\n"
    "Time:\n"
    "  --time-scale X            simulated seconds per real second (default 1)\n"
    "  --life-end S              cells stop changing after S simulated seconds\n"
    "  --duration S              exit after S real seconds (default: run until stopped)\n"
    "  --seed N                  random seed (default 1)\n"
    "Faults (chances 0..1, rates per simulated hour):\n"
    "  --drop P  --corrupt P  --split P  --duplicate P\n"
    "                            lost, corrupted, split and duplicated answer datagrams\n"
    "  --cell-silences R  --station-silences R  --silence-seconds S\n"
    "                            random silences of cells and stations (default 60 s)\n"
    "  --silence NUMBER:FROM:UNTIL       a cell silent between two simulated moments\n"
    "  --station-silence N:FROM:UNTIL    a station silent between two simulated moments\n"
    "  --alarms R                cell alarms (fault bits with their events)\n"
    "  --charge-timeouts P       charges that run out of time\n"
    "  --mode-errors P           cells starting with a bad charge mode (mode-error bits)\n"
    "  --control-discharges P    cycles that begin with a control discharge\n"
    "Output:\n"
    "  --event-log PATH          every event queued and delivered and every answer\n"
    "  --status-every S          a line of counts every S real seconds (default 10; 0 off)\n";

struct ScheduledSilence {
  std::string target;  // cell number, or station number
  double from = 0, until = 0;
};

struct Options {
  int stations = 4;
  int cells = 10;
  std::string workers_file;
  bool from_database = false;
  stationsim::DatabaseLogin login;
  std::string hostab = "hostab.txt";
  stationsim::RoomOptions room;
  double time_scale = 1;
  double duration = 0;
  stationsim::FaultRates faults;
  std::vector<ScheduledSilence> cell_silences;
  std::vector<ScheduledSilence> station_silences;
  std::string event_log;
  double status_every = 10;
};

// A whole text that reads as a finite number: "nan" and "inf" are words to strtod, not values,
// and would slip past every range check.
bool ParseNumber(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value);
}

bool ParseSilence(const char* text, ScheduledSilence& silence) {
  const std::string s(text);
  const auto first = s.find(':');
  const auto second = first == std::string::npos ? first : s.find(':', first + 1);
  if (first == 0 || second == std::string::npos) return false;
  silence.target = s.substr(0, first);
  return ParseNumber(s.substr(first + 1, second - first - 1).c_str(), silence.from) &&
         ParseNumber(s.substr(second + 1).c_str(), silence.until) && silence.until > silence.from;
}

// Returns an error text, empty when the command line was good.
std::string ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") return "help";
    if (name == "--database") {
      o.from_database = true;
      continue;
    }
    if (std::strstr(kUsage, (name + " ").c_str()) == nullptr || name.rfind("--", 0) != 0) {
      return "unknown option " + name;
    }
    if (i + 1 >= argc) return name + " needs a value";
    const char* value = argv[++i];
    double number = 0;
    const bool numeric = ParseNumber(value, number);
    auto need_number = [&](double low, double high) -> std::string {
      if (!numeric || number < low || number > high) {
        char range[64];
        std::snprintf(range, sizeof range, " is not a number from %g to %g", low, high);
        return name + ": \"" + value + "\"" + range;
      }
      return "";
    };
    std::string error;
    if (name == "--stations") {
      error = need_number(1, 100);
      o.stations = static_cast<int>(number);
    } else if (name == "--cells") {
      error = need_number(1, 60);
      o.cells = static_cast<int>(number);
    } else if (name == "--workers") {
      o.workers_file = value;
    } else if (name == "--db-host") {
      o.login.host = value;
    } else if (name == "--db-user") {
      o.login.user = value;
    } else if (name == "--db-password") {
      o.login.password = value;
    } else if (name == "--db-socket") {
      o.login.socket = value;
    } else if (name == "--hostab") {
      o.hostab = value;
    } else if (name == "--port") {
      error = need_number(1, 65535);
      o.room.port = static_cast<std::uint16_t>(number);
    } else if (name == "--address-base") {
      error = need_number(1, 154);
      o.room.address_base = static_cast<int>(number);
    } else if (name == "--time-scale") {
      error = need_number(0.001, 100000);
      o.time_scale = number;
      o.room.life.time_scale = number;
    } else if (name == "--life-end") {
      error = need_number(0, 1e12);
      o.room.life.life_end = number;
    } else if (name == "--duration") {
      error = need_number(0, 1e9);
      o.duration = number;
    } else if (name == "--seed") {
      error = need_number(0, 1e18);
      o.room.seed = static_cast<std::uint64_t>(number);
    } else if (name == "--drop") {
      error = need_number(0, 1);
      o.faults.drop = number;
    } else if (name == "--corrupt") {
      error = need_number(0, 1);
      o.faults.corrupt = number;
    } else if (name == "--split") {
      error = need_number(0, 1);
      o.faults.split = number;
    } else if (name == "--duplicate") {
      error = need_number(0, 1);
      o.faults.duplicate = number;
    } else if (name == "--cell-silences") {
      error = need_number(0, 3600);
      o.room.cell_silences_per_hour = number;
    } else if (name == "--station-silences") {
      error = need_number(0, 3600);
      o.room.station_silences_per_hour = number;
    } else if (name == "--silence-seconds") {
      error = need_number(0.001, 1e9);
      o.room.silence_seconds = number;
    } else if (name == "--silence" || name == "--station-silence") {
      ScheduledSilence silence;
      if (!ParseSilence(value, silence)) {
        error = name + ": \"" + value + "\" is not TARGET:FROM:UNTIL with FROM before UNTIL";
      } else {
        (name == "--silence" ? o.cell_silences : o.station_silences).push_back(silence);
      }
    } else if (name == "--alarms") {
      error = need_number(0, 3600);
      o.room.life.alarm_rate_per_hour = number;
    } else if (name == "--charge-timeouts") {
      error = need_number(0, 1);
      o.room.life.charge_timeout_share = number;
    } else if (name == "--mode-errors") {
      error = need_number(0, 1);
      o.room.life.mode_error_share = number;
    } else if (name == "--control-discharges") {
      error = need_number(0, 1);
      o.room.life.control_discharge_share = number;
    } else if (name == "--event-log") {
      o.event_log = value;
    } else if (name == "--status-every") {
      error = need_number(0, 1e9);
      o.status_every = number;
    } else {
      return "unknown option " + name;
    }
    if (!error.empty()) return error;
  }
  if (!o.workers_file.empty() && o.from_database)
    return "--workers and --database exclude each other";
  return "";
}

bool LoadLamps(const Options& o, std::vector<stationsim::WorkerRow>& rows, std::string& error) {
  if (!o.workers_file.empty()) return stationsim::ReadWorkerFile(o.workers_file, rows, error);
  if (o.from_database) return stationsim::ReadWorkerDatabase(o.login, rows, error);
  rows = stationsim::MakeSampleWorkers(o.stations, o.cells);
  return true;
}

bool ApplySilences(const Options& o, stationsim::LampRoom& room, std::string& error) {
  for (const ScheduledSilence& s : o.cell_silences) {
    stationsim::CellModel* cell = room.FindCell(stationsim::AddressOf(s.target.c_str()));
    if (cell == nullptr) {
      error = "--silence: no cell " + s.target;
      return false;
    }
    cell->AddSilence(s.from, s.until);
  }
  for (const ScheduledSilence& s : o.station_silences) {
    stationsim::StationModel* station = room.FindStation(lamp::ReadDecimal(s.target).value_or(0));
    if (station == nullptr) {
      error = "--station-silence: no station " + s.target;
      return false;
    }
    station->AddSilence(s.from, s.until);
  }
  return true;
}

void PrintCounts(const stationsim::SimClock& clock, const stationsim::StationLink& link,
                 const stationsim::EventLog& log) {
  const stationsim::LinkCounts& c = link.counts();
  std::printf(
      "station-sim: %.0f s simulated: %llu requests, %llu answers, %llu datagrams sent "
      "(%llu dropped, %llu corrupted, %llu split, %llu duplicated); events %llu queued, %llu "
      "delivered, %llu lost\n",
      clock.Now(), static_cast<unsigned long long>(c.requests),
      static_cast<unsigned long long>(c.answers), static_cast<unsigned long long>(c.datagrams_sent),
      static_cast<unsigned long long>(c.faults.dropped),
      static_cast<unsigned long long>(c.faults.corrupted),
      static_cast<unsigned long long>(c.faults.split),
      static_cast<unsigned long long>(c.faults.duplicated), log.queued(), log.delivered(),
      log.overflowed());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const std::string usage_error = ParseOptions(argc, argv, options);
  if (usage_error == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!usage_error.empty()) {
    std::fprintf(stderr, "station-sim: %s\n\n%s", usage_error.c_str(), kUsage);
    return 2;
  }

  std::vector<stationsim::WorkerRow> rows;
  std::string error;
  if (!LoadLamps(options, rows, error)) {
    std::fprintf(stderr, "station-sim: %s\n", error.c_str());
    return 1;
  }

  stationsim::SimClock clock(options.time_scale);
  stationsim::EventLog log;
  log.SetClock(&clock);
  if (!options.event_log.empty() && !log.Open(options.event_log, error)) {
    std::fprintf(stderr, "station-sim: %s\n", error.c_str());
    return 1;
  }
  auto room = std::make_unique<stationsim::LampRoom>();
  std::string warnings;
  const bool built = room->Build(rows, options.room, clock.Now(), &log, warnings);
  if (!warnings.empty()) std::fputs(warnings.c_str(), stderr);
  if (!built) {
    std::fprintf(stderr, "station-sim: the lamp list gives no station numbered 1 to 100\n");
    return 1;
  }
  if (!ApplySilences(options, *room, error)) {
    std::fprintf(stderr, "station-sim: %s\n", error.c_str());
    return 2;
  }

  stationsim::StationLink link;
  link.SetFaults(options.faults, options.room.seed ^ 0xFA17ull);
  if (!link.Open(*room, error)) {
    std::fprintf(stderr, "station-sim: %s\n", error.c_str());
    return 1;
  }
  if (!stationsim::WriteHostTable(options.hostab, *room, error)) {
    std::fprintf(stderr, "station-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("station-sim: %zu stations, %zu cells; host table written to %s\n",
              room->station_count(), room->cell_count(), options.hostab.c_str());
  std::fflush(stdout);

  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  double next_status = options.status_every;
  double next_flush = 0.5;
  double next_advance = 0;
  while (!stop_requested) {
    const double real = clock.RealSeconds();
    if (options.duration > 0 && real >= options.duration) break;
    // The cells' lives run on their own, also between requests, so the silences and the
    // event times follow the simulated clock.
    if (real >= next_advance) {
      room->AdvanceTo(clock.Now());
      next_advance = real + 0.05;
    }
    link.Serve(10, clock);
    if (real >= next_flush) {
      log.Flush();
      next_flush = real + 0.5;
    }
    if (options.status_every > 0 && real >= next_status) {
      PrintCounts(clock, link, log);
      next_status = real + options.status_every;
    }
  }
  log.Flush();
  PrintCounts(clock, link, log);
  return 0;
}
