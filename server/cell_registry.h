#pragma once
// The cell registry: everything the server knows about each lamp cell, as parallel fixed
// arrays indexed by the cell's row in the WORKER table as the server last loaded it.
#include <array>
#include <cstdint>
#include <string_view>

#include "link/lamp_numbers.h"

namespace tolvex {

inline constexpr int kMaxCells = 6000;
static_assert(kMaxCells == static_cast<int>(lamp::kLampNumberRows));

struct CellRegistry {
  template <typename T>
  using Column = std::array<T, kMaxCells>;

  Column<std::int32_t> LastEventCode{};  // event code of the last status answer; 0xFFFF none
  Column<std::int32_t> NSP1{};           // mode-error bits of the last status answer
  Column<std::int32_t> NSP2{};           // fault bits of the last status answer
  Column<std::int32_t> PendingReport{};  // 0, 0x93 discharge or 0x94 charge report wanted
  Column<std::int32_t> ST{};             // station number (WORKER)
  lamp::LampNumberColumn TABNUM{};       // 6-character number and NUL (WORKER), by SetTabnum
  Column<std::int32_t> UCH{};            // section (WORKER)
  Column<std::int32_t> BRIG{};           // brigade (WORKER)
  Column<std::int32_t> WTBNUM{};         // WTBNUM (WORKER)
  Column<std::int32_t> RequestState{};   // 21 while a status poll is unanswered
  Column<std::int32_t> nnLOSS{};         // unanswered status polls since the last "cLoss"
  Column<std::uint32_t> UPW{};
  Column<std::uint32_t> UZR{};
  Column<std::uint32_t> U5V{};
  Column<std::int32_t> FLN{};  // unanswered status polls since the last state row
  Column<std::uint32_t> U5VMIN{};
  Column<std::uint32_t> U5VMAX{};
  Column<std::uint32_t> UPWMIN{};
  Column<std::uint32_t> UPWMAX{};
  Column<std::uint32_t> UZRMIN{};
  Column<std::uint32_t> UZRMAX{};
  Column<std::int32_t> GR{};
  Column<std::int32_t> GRMIN{};
  Column<std::int32_t> GRMAX{};
  Column<std::uint64_t> FabNum{};  // factory number of the last status answer
  Column<std::int32_t> PARM1{};
  Column<std::int32_t> PARM2{};
  Column<std::int32_t> PSTAT{};  // state code of the last status answer
  Column<std::int32_t> kZAPR{};  // consecutive requests without any answer
};

// The server's one registry (module-level, as every reader expects).
extern CellRegistry Cells;

// Rows of the last worker load that are in use (0 while there is no database). Never more
// than kMaxCells, so every scan "below CellCount" stays inside the arrays.
extern int CellCount;

// The rows every scan of the loaded cells walks: CellCount, kept within 0..kMaxCells whatever
// was put there.
int LoadedCellCount();

// Row `row` gets the number `text` (nullptr counts as empty): at most 7 characters, so a
// longer value cannot run past the 8-byte slot, and NULs after them.
void SetTabnum(int row, const char* text);

// A cell number as the state rows write it and the service window's loss list shows it: the
// number followed by blanks up to 8 characters.
using PaddedCellNumber = std::array<char, 9>;
PaddedCellNumber PadCellNumber(const std::array<char, 8>& tabnum);

// The start values of the measurement extremes, also put back after each state row.
inline constexpr std::uint32_t kU5vMinStart = 50000;
inline constexpr std::uint32_t kUpwMinStart = 60000;
inline constexpr std::uint32_t kUzrMinStart = 60000;
inline constexpr std::int32_t kGrMinStart = 400;
inline constexpr std::int32_t kGrMaxStart = -400;
// LastEventCode of a cell that has not reported an event yet.
inline constexpr std::int32_t kNoEventYet = 0xFFFF;
// FindWorkerOfStation's answer when no row is left.
inline constexpr int kNoWorkerRow = kMaxCells;

// The service window's start values: no event seen yet, no station, no unanswered request.
void PrepareCellRegistry();

// Statistics reset of start-up: request states, loss counters and the measurement extremes
// of every row.
void InitCellStatistics();

// One row's FLN and eight measurement extremes back to their start values: part of the
// start-up reset, and what a state row puts back after it is written.
void RestartCellExtremes(int row);

// First row r with start <= r < 6000 whose ST equals `station`; kNoWorkerRow when none
// (also for a start outside 0..5999 from below: a negative start scans from row 0).
int FindWorkerOfStation(int station, int start);

// First row below CellCount whose TABNUM equals the first six characters of `text`; -1 when
// none. Characters after the sixth are not compared; a text shorter than six characters
// takes the missing ones as NUL.
int FindWorkerByTabnum(std::string_view text);

}  // namespace tolvex
