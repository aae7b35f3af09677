#include "server/worker_table.h"

#include <algorithm>
#include <cstdio>

#include "link/number_text.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/error_window.h"

namespace tolvex {

namespace {

// A column read as a decimal integer; NULL and empty text give 0.
std::int32_t DecimalOf(const char* text) {
  return text != nullptr ? lamp::ReadDecimal(text).value_or(0) : 0;
}

void ReportSurplus(int rows) {
  char text[96];
  std::snprintf(text, sizeof text, "WORKER: %d rows, only the first %d loaded", rows, kMaxCells);
  ReportDbError(kServerSideErrorCode, text, "GetWorkTABAL");
}

}  // namespace

void ClearWorkerTable() {
  for (int r = 0; r < kMaxCells; ++r) {
    Cells.ST[r] = 0;
    Cells.UCH[r] = 0;
    Cells.BRIG[r] = 0;
  }
  Cells.TABNUM.Clear();
}

int GetWorkTABAL() {
  if (DatabaseHandle == nullptr) {
    CellCount = 0;
    return 0;
  }
  const int code = SendStatement(kWorkerQuery);
  MYSQL_RES* result = code == 0 ? StoreResult() : nullptr;
  if (result == nullptr) {
    // A query that ran but gave no result set is as good as a failed one here.
    const int error = code != 0 ? code : static_cast<int>(mysql_errno(DatabaseHandle));
    ReportDbError(error, DatabaseErrorText(), "GetWorkTABAL");
    CellCount = 0;
    return 0;
  }
  const unsigned int fields = mysql_num_fields(result);
  int rows = 0;
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    if (rows < kMaxCells) {
      auto column = [&](unsigned int i) -> const char* { return i < fields ? row[i] : nullptr; };
      SetTabnum(rows, column(1));
      Cells.ST[rows] = DecimalOf(column(2));
      Cells.UCH[rows] = DecimalOf(column(3));
      Cells.BRIG[rows] = DecimalOf(column(4));
      Cells.WTBNUM[rows] = DecimalOf(column(5));
    }
    ++rows;
  }
  mysql_free_result(result);
  CellCount = std::min(rows, kMaxCells);
  if (rows > kMaxCells) ReportSurplus(rows);
  return rows;
}

}  // namespace tolvex
