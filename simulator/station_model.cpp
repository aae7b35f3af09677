#include "simulator/station_model.h"

#include <cstring>

#include "link/datagrams.h"
#include "link/little_endian.h"

namespace stationsim {

void StationModel::Setup(int number, const char* address_text, std::uint16_t port) {
  number_ = number;
  address_text_.fill('\0');
  for (std::size_t i = 0; i + 1 < address_text_.size() && address_text[i] != '\0'; ++i) {
    address_text_[i] = address_text[i];
  }
  port_ = port;
  cell_count_ = 0;
  silences_ = SilenceWindows();
}

bool StationModel::AddCell(const Address& address, std::uint64_t fab_num, std::uint64_t seed,
                           const LifeSettings* settings, double now, CellObserver* observer) {
  if (cell_count_ == cells_.size()) return false;
  CellModel& cell = cells_[cell_count_];
  cell.Setup(address, fab_num, static_cast<int>(cell_count_ + 1), seed, settings, now);
  cell.SetObserver(observer);
  ++cell_count_;
  return true;
}

void StationModel::AdvanceTo(double now) {
  for (std::size_t i = 0; i < cell_count_; ++i) cells_[i].AdvanceTo(now);
}

CellModel* StationModel::FindCell(const Address& address) {
  for (std::size_t i = 0; i < cell_count_; ++i) {
    if (cells_[i].address() == address) return &cells_[i];
  }
  return nullptr;
}

CellModel* StationModel::FindCellByFabNum(const FabNum& fab_num) {
  const std::uint64_t wanted = lamp::ReadU64(fab_num, 0);
  for (std::size_t i = 0; i < cell_count_; ++i) {
    if (cells_[i].fab_num() == wanted) return &cells_[i];
  }
  return nullptr;
}

std::size_t StationModel::Handle(const StationRequest& request, double now,
                                 std::span<StationAnswer> answers) {
  if (answers.empty() || SilentAt(now)) return 0;
  CellModel* cell = nullptr;
  if (request.frame_type == lamp::FrameNumberCommand) {
    switch (request.tag) {
      case lamp::AddressByFabNum:
        cell = FindCellByFabNum(request.fab_num);
        break;
      case lamp::AddressEveryDevice:
        // Every device shows its number; the station answers once, for its first cell.
        cell = cell_count_ > 0 ? &cells_[0] : nullptr;
        break;
      default:
        cell = FindCell(request.address);
        break;
    }
  } else {
    cell = FindCell(request.address);
  }
  if (cell == nullptr) return 0;
  return cell->Answer(request, now, answers[0]) ? 1 : 0;
}

}  // namespace stationsim
