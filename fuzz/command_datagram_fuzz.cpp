// Arbitrary datagrams on the workstation socket: the command parser and the dispatch of
// whatever it left in the pending slot.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "server/station_frame.h"
#include "server/workstation_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tolvex;
  // Most inputs of other lengths only refresh the watchdog; a 204-byte copy reaches the
  // code table as well.
  ParseCommandDatagram(static_cast<int>(size), data, "127.0.0.1", 4011);
  std::uint8_t datagram[kCommandDatagramSize] = {};
  std::memcpy(datagram, data, size < sizeof datagram ? size : sizeof datagram);
  if (size >= 2) {
    // Keep the magic often enough to pass the magic test.
    datagram[0] = 0xB7;
    datagram[1] = 0xA5;
    datagram[2] = 0;
    datagram[3] = 0;
  }
  ParseCommandDatagram(kCommandDatagramSize, datagram, "127.0.0.1", 4011);
  RunPendingCommand();
  if (RequestAddress[6] != '\0') __builtin_trap();
  return 0;
}
