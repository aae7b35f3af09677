#pragma once
// The worker table: the WORKER rows loaded into the keys of the cell registry (TABNUM, ST,
// UCH, BRIG, WTBNUM). The registry row of a lamp is its row in the last load.
#include <string_view>

namespace tolvex {

// The load query, blanks included: the text is fixed.
inline constexpr std::string_view kWorkerQuery =
    "SELECT DATA_ID, TABNUM , ST, UCH, BRIG, WTBNUM   FROM WORKER;";

// Empties the keys of every row (ST, UCH, BRIG, TABNUM); WTBNUM and the state columns keep
// their values.
void ClearWorkerTable();

// Loads WORKER into the registry in the order the database returns the rows. Returns the
// number of rows returned (0 without a database or on an error). Only the first 6000 rows
// are stored and CellCount never exceeds 6000; a surplus is listed in the error window.
int GetWorkTABAL();

}  // namespace tolvex
