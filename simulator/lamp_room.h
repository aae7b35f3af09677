#pragma once
// The simulated lamp room: up to 100 stations built from the lamp list (the WORKER rows: a
// lamp's individual number and its station), each station on its own loopback address, and
// the "hostab.txt" that lists them for the server.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "simulator/cell_model.h"
#include "simulator/random_source.h"
#include "simulator/station_model.h"

namespace stationsim {

// One lamp of the lamp list: its 6-character number and its station (1..100; other values
// belong to no station).
struct WorkerRow {
  std::array<char, 7> tabnum{};
  int station = 0;
};

WorkerRow MakeWorkerRow(const char* tabnum, int station);

// A sample lamp list: `stations` stations with `cells` lamps each, numbered "SSSaCC" (station
// and cell position in decimal, e.g. "007a12").
std::vector<WorkerRow> MakeSampleWorkers(int stations, int cells);

struct RoomOptions {
  // Station n listens on 127.0.0.(address_base + n).
  int address_base = 10;
  std::uint16_t port = 4101;
  std::uint64_t seed = 1;
  LifeSettings life;
  // Random silences, per cell and per station per simulated hour, each this long.
  double cell_silences_per_hour = 0;
  double station_silences_per_hour = 0;
  double silence_seconds = 60;
};

class LampRoom {
 public:
  // Builds the stations from the lamp list at simulated moment `now`. Lamps of stations
  // outside 1..100 and lamps beyond a station's 60 cells are left out, each with a line in
  // `warnings`. Returns false when no station results.
  bool Build(std::span<const WorkerRow> rows, const RoomOptions& options, double now,
             CellObserver* observer, std::string& warnings);

  std::size_t station_count() const { return station_count_; }
  StationModel& station(std::size_t index) { return stations_[index]; }
  const StationModel& station(std::size_t index) const { return stations_[index]; }
  StationModel* FindStation(int number);
  CellModel* FindCell(const Address& address);
  std::size_t cell_count() const;

  // Steps every cell to `now` and starts the random silences that fell due.
  void AdvanceTo(double now);

  const RoomOptions& options() const { return options_; }

 private:
  void ScheduleSilences(double now);

  RoomOptions options_;
  std::array<StationModel, kMaxStations> stations_{};
  std::size_t station_count_ = 0;
  std::array<double, kMaxStations> next_station_silence_{};
  std::array<std::array<double, kMaxCellsPerStation>, kMaxStations> next_cell_silence_{};
  RandomSource random_;
};

// The "hostab.txt" lines of the lamp room: "number address port", one per station in number
// order, each ended by LF (the server's loader ignores a last line without its line end).
std::string FormatHostTable(const LampRoom& room);
bool WriteHostTable(const std::string& path, const LampRoom& room, std::string& error);

}  // namespace stationsim
