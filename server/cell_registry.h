#pragma once
// The cell registry: everything the server knows about each lamp cell, as parallel fixed
// arrays indexed by the cell's row in the WORKER table as the server last loaded it.
#include <array>
#include <cstdint>

namespace tolvex {

inline constexpr int kMaxCells = 6000;

struct CellRegistry {
  template <typename T>
  using Column = std::array<T, kMaxCells>;

  Column<std::int32_t> LastEventCode{};  // event code of the last status answer; 0xFFFF none
  Column<std::int32_t> NSP1{};           // mode-error bits of the last status answer
  Column<std::int32_t> NSP2{};           // fault bits of the last status answer
  Column<std::int32_t> PendingReport{};  // 0, 0x93 discharge or 0x94 charge report wanted
  Column<std::int32_t> ST{};             // station number (WORKER)
  Column<std::array<char, 8>> TABNUM{};  // 6-character number and NUL (WORKER)
  Column<std::int32_t> UCH{};            // section (WORKER)
  Column<std::int32_t> BRIG{};           // brigade (WORKER)
  Column<std::int32_t> WTBNUM{};         // WTBNUM (WORKER)
  Column<std::int32_t> RequestState{};   // 21 while a status poll is unanswered
  Column<std::int32_t> nnLOSS{};         // unanswered status polls since the last "cLoss"
  Column<std::uint32_t> UPW{};
  Column<std::uint32_t> UZR{};
  Column<std::uint32_t> U5V{};
  Column<std::int32_t> FLN{};            // unanswered status polls since the last state row
  Column<std::uint32_t> U5VMIN{};
  Column<std::uint32_t> U5VMAX{};
  Column<std::uint32_t> UPWMIN{};
  Column<std::uint32_t> UPWMAX{};
  Column<std::uint32_t> UZRMIN{};
  Column<std::uint32_t> UZRMAX{};
  Column<std::int32_t> GR{};
  Column<std::int32_t> GRMIN{};
  Column<std::int32_t> GRMAX{};
  Column<std::uint64_t> FabNum{};        // factory number of the last status answer
  Column<std::int32_t> PARM1{};
  Column<std::int32_t> PARM2{};
  Column<std::int32_t> PSTAT{};          // state code of the last status answer
  Column<std::int32_t> kZAPR{};          // consecutive requests without any answer
};

// The server's one registry (module-level, as every reader expects).
extern CellRegistry Cells;

// The service window's start values: no event seen yet, no station, no unanswered request.
void PrepareCellRegistry();

}  // namespace tolvex
