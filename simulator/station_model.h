#pragma once
// One simulated charging station: its number, the loopback address and port it listens on,
// and its cells. It routes each request to the cell it addresses (by the cell address in the
// header, or for device-number frames by the way the frame's tag says) and collects the
// answers.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "simulator/cell_model.h"
#include "simulator/station_messages.h"

namespace stationsim {

class StationModel {
 public:
  static constexpr std::size_t kAddressTextSize = 16;

  void Setup(int number, const char* address_text, std::uint16_t port);
  // Adds a cell at the next position; false when the station is full.
  bool AddCell(const Address& address, std::uint64_t fab_num, std::uint64_t seed,
               const LifeSettings* settings, double now, CellObserver* observer);

  // Answers one request; writes the answers into `answers` and returns how many.
  std::size_t Handle(const StationRequest& request, double now, std::span<StationAnswer> answers);

  // The whole station is silent while now lies in [from, until) of any of its windows.
  void AddSilence(double from, double until) { silences_.Add(from, until); }
  bool SilentAt(double now) const { return silences_.Contains(now); }

  void AdvanceTo(double now);

  int number() const { return number_; }
  const char* address_text() const { return address_text_.data(); }
  std::uint16_t port() const { return port_; }
  std::size_t cell_count() const { return cell_count_; }
  CellModel& cell(std::size_t index) { return cells_[index]; }
  const CellModel& cell(std::size_t index) const { return cells_[index]; }
  CellModel* FindCell(const Address& address);
  CellModel* FindCellByFabNum(const FabNum& fab_num);

 private:
  int number_ = 0;
  std::array<char, kAddressTextSize> address_text_{};
  std::uint16_t port_ = 0;
  std::array<CellModel, kMaxCellsPerStation> cells_{};
  std::size_t cell_count_ = 0;
  SilenceWindows silences_;
};

}  // namespace stationsim
