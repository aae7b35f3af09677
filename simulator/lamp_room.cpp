#include "simulator/lamp_room.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace stationsim {

namespace {

// Factory numbers of the simulated cells: a fixed series, then station and position.
constexpr std::uint64_t kFabNumSeries = 0x0000'5A17'0000'0000ull;

double ExponentialWait(RandomSource& random, double per_hour) {
  if (!(per_hour > 0)) return kNever;
  return -std::log(1.0 - random.Unit()) * 3600.0 / per_hour;
}

}  // namespace

WorkerRow MakeWorkerRow(const char* tabnum, int station) {
  WorkerRow row;
  for (std::size_t i = 0; i + 1 < row.tabnum.size() && tabnum[i] != '\0'; ++i) {
    row.tabnum[i] = tabnum[i];
  }
  row.station = station;
  return row;
}

std::vector<WorkerRow> MakeSampleWorkers(int stations, int cells) {
  std::vector<WorkerRow> rows;
  stations = std::clamp(stations, 0, kMaxStations);
  cells = std::clamp(cells, 0, 99);
  rows.reserve(static_cast<std::size_t>(stations * cells));
  for (int s = 1; s <= stations; ++s) {
    for (int c = 1; c <= cells; ++c) {
      // Room for any two ints, so that no number is ever cut.
      char number[24];
      std::snprintf(number, sizeof number, "%03da%02d", s, c);
      rows.push_back(MakeWorkerRow(number, s));
    }
  }
  return rows;
}

bool LampRoom::Build(std::span<const WorkerRow> rows, const RoomOptions& options, double now,
                     CellObserver* observer, std::string& warnings) {
  options_ = options;
  random_ = RandomSource(options.seed ^ 0x51AB'0000ull);
  station_count_ = 0;
  // Stations in number order, so the host table and the slots follow the numbers.
  std::array<bool, kMaxStations + 1> used{};
  for (const WorkerRow& row : rows) {
    if (row.station >= 1 && row.station <= kMaxStations) {
      used[static_cast<std::size_t>(row.station)] = true;
    } else {
      warnings += "lamp " + std::string(row.tabnum.data()) + ": station " +
                  std::to_string(row.station) + " is outside 1..100, left out\n";
    }
  }
  for (int number = 1; number <= kMaxStations; ++number) {
    if (!used[static_cast<std::size_t>(number)]) continue;
    char address[32];
    std::snprintf(address, sizeof address, "127.0.0.%d", options.address_base + number);
    stations_[station_count_++].Setup(number, address, options.port);
  }
  for (const WorkerRow& row : rows) {
    StationModel* station = FindStation(row.station);
    if (station == nullptr) continue;
    const std::uint64_t fab = kFabNumSeries | (static_cast<std::uint64_t>(row.station) << 16) |
                              (station->cell_count() + 1);
    const std::uint64_t seed = options.seed * 0x100000001B3ull + fab;
    if (!station->AddCell(AddressOf(row.tabnum.data()), fab, seed, &options_.life, now, observer)) {
      warnings += "lamp " + std::string(row.tabnum.data()) + ": station " +
                  std::to_string(row.station) + " has 60 cells already, left out\n";
    }
  }
  ScheduleSilences(now);
  return station_count_ > 0;
}

void LampRoom::ScheduleSilences(double now) {
  for (std::size_t s = 0; s < station_count_; ++s) {
    next_station_silence_[s] = now + ExponentialWait(random_, options_.station_silences_per_hour);
    for (std::size_t c = 0; c < kMaxCellsPerStation; ++c) {
      next_cell_silence_[s][c] = now + ExponentialWait(random_, options_.cell_silences_per_hour);
    }
  }
}

StationModel* LampRoom::FindStation(int number) {
  for (std::size_t i = 0; i < station_count_; ++i) {
    if (stations_[i].number() == number) return &stations_[i];
  }
  return nullptr;
}

CellModel* LampRoom::FindCell(const Address& address) {
  for (std::size_t i = 0; i < station_count_; ++i) {
    if (CellModel* cell = stations_[i].FindCell(address)) return cell;
  }
  return nullptr;
}

std::size_t LampRoom::cell_count() const {
  std::size_t count = 0;
  for (std::size_t i = 0; i < station_count_; ++i) count += stations_[i].cell_count();
  return count;
}

void LampRoom::AdvanceTo(double now) {
  const double length = options_.silence_seconds;
  for (std::size_t s = 0; s < station_count_; ++s) {
    StationModel& station = stations_[s];
    if (now >= next_station_silence_[s]) {
      station.AddSilence(next_station_silence_[s], next_station_silence_[s] + length);
      next_station_silence_[s] = next_station_silence_[s] + length +
                                 ExponentialWait(random_, options_.station_silences_per_hour);
    }
    for (std::size_t c = 0; c < station.cell_count(); ++c) {
      double& next = next_cell_silence_[s][c];
      if (now >= next) {
        station.cell(c).AddSilence(next, next + length);
        next = next + length + ExponentialWait(random_, options_.cell_silences_per_hour);
      }
    }
    station.AdvanceTo(now);
  }
}

std::string FormatHostTable(const LampRoom& room) {
  std::string text;
  for (std::size_t i = 0; i < room.station_count(); ++i) {
    const StationModel& station = room.station(i);
    char line[64];
    std::snprintf(line, sizeof line, "%d %s %u\n", station.number(), station.address_text(),
                  static_cast<unsigned>(station.port()));
    text += line;
  }
  return text;
}

bool WriteHostTable(const std::string& path, const LampRoom& room, std::string& error) {
  const std::string text = FormatHostTable(room);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace stationsim
