// The simulator's lamp-list text: any bytes either parse into rows or give an error.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "simulator/worker_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<stationsim::WorkerRow> rows;
  std::string error;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (stationsim::ParseWorkerText(text, rows, error)) {
    for (const auto& row : rows) {
      if (row.tabnum[6] != '\0') __builtin_trap();
    }
  }
  return 0;
}
