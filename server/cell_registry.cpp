#include "server/cell_registry.h"

#include <algorithm>

namespace tolvex {

CellRegistry Cells;
int CellCount = 0;

void PrepareCellRegistry() {
  for (int r = 0; r < kMaxCells; ++r) {
    Cells.LastEventCode[r] = kNoEventYet;
    Cells.ST[r] = 0;
    Cells.kZAPR[r] = 0;
  }
}

void InitCellStatistics() {
  for (int r = 0; r < kMaxCells; ++r) {
    Cells.RequestState[r] = 0;
    Cells.nnLOSS[r] = 0;
    Cells.FLN[r] = 0;
    Cells.GR[r] = 0;
    Cells.U5VMIN[r] = kU5vMinStart;
    Cells.U5VMAX[r] = 0;
    Cells.UPWMIN[r] = kUpwMinStart;
    Cells.UPWMAX[r] = 0;
    Cells.UZRMIN[r] = kUzrMinStart;
    Cells.UZRMAX[r] = 0;
    Cells.GRMIN[r] = kGrMinStart;
    Cells.GRMAX[r] = kGrMaxStart;
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
  char key[6] = {};
  std::copy_n(text.begin(), std::min<std::size_t>(text.size(), sizeof key), key);
  const int rows = std::clamp(CellCount, 0, kMaxCells);
  for (int r = 0; r < rows; ++r) {
    if (std::equal(key, key + sizeof key, Cells.TABNUM[r].begin())) return r;
  }
  return -1;
}

}  // namespace tolvex
