#include "server/cell_registry.h"

namespace tolvex {

CellRegistry Cells;

void PrepareCellRegistry() {
  for (int r = 0; r < kMaxCells; ++r) {
    Cells.LastEventCode[r] = 0xFFFF;
    Cells.ST[r] = 0;
    Cells.kZAPR[r] = 0;
  }
}

}  // namespace tolvex
