// Arbitrary command answers for the device-number tool: the device lines it lists and the
// answer latch, plus the factory number halves read from typed text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "workstation/device_number_tool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lumora;
  std::uint8_t datagram[220] = {};
  std::memcpy(datagram, data, size < sizeof datagram ? size : sizeof datagram);
  const auto lines = DeviceInfoLines(std::span<const std::uint8_t, 220>(datagram, 220));
  if (lines[0] != "----") __builtin_trap();
  LatchNumberAnswer(datagram);
  if (NumberAnswerLatch < 0 || NumberAnswerLatch > 3) __builtin_trap();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t half = size / 2;
  FactoryNumberFromTexts(text.substr(0, half), text.substr(half));
  return 0;
}
