#pragma once
// Fresh workstation tables for a test: the cell table with its start values and a worker list
// holding the given lamps in slots 0, 1, ... in order.
#include <cstdint>
#include <initializer_list>

#include <gtest/gtest.h>

#include "workstation/cell_table.h"

namespace cell_table_test {

struct Worker {
  const char* number;
  std::int32_t station;
};

inline void StartTablesWithWorkers(std::initializer_list<Worker> workers) {
  lumora::WorkerList = lumora::WorkerListTable{};
  lumora::CellTable = lumora::CellTableColumns{};
  lumora::SetCellTableStartValues();
  lumora::BeginWorkerListLoad();
  std::int32_t slot = 0;
  for (const Worker& worker : workers) {
    EXPECT_TRUE(lumora::StoreWorkerRow(slot++, worker.number, worker.station)) << worker.number;
  }
}

}  // namespace cell_table_test
