#include "server/cell_registry.h"

#include <algorithm>
#include <cstring>

namespace tolvex {

CellRegistry Cells;
int CellCount = 0;

int LoadedCellCount() {
  return std::clamp(CellCount, 0, kMaxCells);
}

void SetTabnum(int row, const char* text) {
  if (row < 0 || row >= kMaxCells) return;
  lamp::LampNumberSlot number{};
  if (text != nullptr) {
    std::memcpy(number.data(), text, std::min(std::strlen(text), number.size() - 1));
  }
  Cells.TABNUM.Set(static_cast<std::size_t>(row), number);
}

PaddedCellNumber PadCellNumber(const std::array<char, 8>& tabnum) {
  PaddedCellNumber padded;
  padded.fill(' ');
  padded[8] = '\0';
  for (std::size_t i = 0; i < tabnum.size() && tabnum[i] != '\0'; ++i) padded[i] = tabnum[i];
  return padded;
}

void PrepareCellRegistry() {
  for (int r = 0; r < kMaxCells; ++r) {
    Cells.LastEventCode[r] = kNoEventYet;
    Cells.ST[r] = 0;
    Cells.kZAPR[r] = 0;
  }
}

void RestartCellExtremes(int row) {
  if (row < 0 || row >= kMaxCells) return;
  Cells.FLN[row] = 0;
  Cells.U5VMIN[row] = kU5vMinStart;
  Cells.U5VMAX[row] = 0;
  Cells.UPWMIN[row] = kUpwMinStart;
  Cells.UPWMAX[row] = 0;
  Cells.UZRMIN[row] = kUzrMinStart;
  Cells.UZRMAX[row] = 0;
  Cells.GRMIN[row] = kGrMinStart;
  Cells.GRMAX[row] = kGrMaxStart;
}

void InitCellStatistics() {
  for (int r = 0; r < kMaxCells; ++r) {
    Cells.RequestState[r] = 0;
    Cells.nnLOSS[r] = 0;
    Cells.GR[r] = 0;
    RestartCellExtremes(r);
  }
}

int FindWorkerOfStation(int station, int start) {
  // The whole array is scanned, not only the loaded rows: unloaded rows have station 0,
  // which no station number takes.
  for (int r = std::max(start, 0); r < kMaxCells; ++r) {
    if (Cells.ST[r] == station) return r;
  }
  return kNoWorkerRow;
}

int FindWorkerByTabnum(std::string_view text) {
  char key[lamp::kLampNumberComparedBytes] = {};
  std::copy_n(text.begin(), std::min(text.size(), sizeof key), key);
  const int row = Cells.TABNUM.FindFirst(key);
  // The first row of the number among all rows: when it is not a loaded one, none is.
  return row >= 0 && row < LoadedCellCount() ? row : -1;
}

}  // namespace tolvex
