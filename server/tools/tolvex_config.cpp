// tolvex-config: writes a ddport.sbp for a lamp room of a given number of cells per station,
// for the demo: the settings the server uses without a file, with the shortest poll period
// whose pass reaches every cell of a station.
//
//   tolvex-config CELLS_PER_STATION FILE
//
// Prints the poll period it wrote and what a pass reaches; exit status 2 on a bad command
// line, 1 when the file could not be written.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "server/config_window.h"
#include "server/poll_cycle.h"

int main(int argc, char** argv) {
  char* end = nullptr;
  const long cells = argc == 3 ? std::strtol(argv[1], &end, 10) : 0;
  if (argc != 3 || end == argv[1] || *end != '\0' || cells < 1 || cells > 6000) {
    std::fputs("usage: tolvex-config CELLS_PER_STATION FILE (1 to 6000 cells)\n", stderr);
    return 2;
  }
  const tolvex::BuiltInServerConfig written =
      tolvex::SaveBuiltInServerConfig(argv[2], static_cast<std::uint32_t>(cells));
  if (!written.failure.empty()) {
    std::fprintf(stderr, "tolvex-config: %s\n", written.failure.c_str());
    return 1;
  }
  std::printf(
      "poll period %d s in %s: a pass reaches %u cells of a station, %ld needed (%u at "
      "the default %d s)\n",
      written.poll_period, argv[2], tolvex::PassPollingTicks(written.poll_period), cells,
      tolvex::PassPollingTicks(written.built_in_poll_period), written.built_in_poll_period);
  return 0;
}
