// What the device-number tool reads from the outside: the device lines of a find answer and
// the factory number typed as two hexadecimal halves.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "link/cp1251.h"
#include "link/datagrams.h"
#include "link/little_endian.h"
#include "workstation/device_number_tool.h"

namespace lumora {

std::array<std::string, 5> DeviceInfoLines(std::span<const std::uint8_t, 220> datagram) {
  const std::span<const std::uint8_t> bytes(datagram);
  char line[64];
  std::array<std::string, 5> lines;
  lines[0] = "----";
  std::snprintf(line, sizeof line, "Зар. ст.  %d",
                lamp::ReadI32(bytes, lamp::StatusDatagram::kStationNumber));
  lines[1] = line;
  const std::size_t v1 = lamp::StatusDatagram::kFirstVersionWord;
  const std::size_t v2 = lamp::StatusDatagram::kSecondVersionWord;
  std::snprintf(line, sizeof line, "Ver. %d.%d.%d.%d", bytes[v1], bytes[v1 + 1], bytes[v2],
                bytes[v2 + 1]);
  lines[2] = line;
  lines[3] = "Инд.номер " + lamp::Cp1251ToUtf8(lamp::ReadIndNum(bytes));
  const std::uint8_t* fab = bytes.data() + lamp::StatusDatagram::kFabNum;
  std::snprintf(line, sizeof line, "Зав.номер %2.2X%2.2X%2.2X%2.2X-%2.2X%2.2X%2.2X%2.2X", fab[7],
                fab[6], fab[5], fab[4], fab[3], fab[2], fab[1], fab[0]);
  lines[4] = line;
  return lines;
}

namespace {

// A hexadecimal text as "%x" reads it (blanks, an optional sign and "0x" allowed); text
// that is no hexadecimal number gives 0, and only the low 32 bits of a longer one are kept.
std::uint32_t ReadHex32(std::string_view text) {
  const std::string copy(text);
  char* end = nullptr;
  const unsigned long long value = std::strtoull(copy.c_str(), &end, 16);
  if (end == copy.c_str()) return 0;
  return static_cast<std::uint32_t>(value);
}

}  // namespace

std::array<std::uint8_t, 8> FactoryNumberFromTexts(std::string_view high_hex,
                                                   std::string_view low_hex) {
  const std::uint32_t high = ReadHex32(high_hex);
  const std::uint32_t low = ReadHex32(low_hex);
  std::array<std::uint8_t, 8> bytes{};
  for (int i = 0; i < 4; ++i) {
    bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(low >> (8 * i));
    bytes[static_cast<std::size_t>(i + 4)] = static_cast<std::uint8_t>(high >> (8 * i));
  }
  return bytes;
}

}  // namespace lumora
