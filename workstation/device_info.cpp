// What the device-number tool reads from the outside: the device lines of a find answer and
// the factory number typed as two hexadecimal halves.
#include <string>

#include "link/cp1251.h"
#include "link/datagrams.h"
#include "link/little_endian.h"
#include "link/number_text.h"
#include "workstation/device_number_tool.h"
#include "workstation/screen_text.h"

namespace lumora {

std::array<std::string, 5> DeviceInfoLines(std::span<const std::uint8_t, 220> datagram) {
  const std::span<const std::uint8_t> bytes(datagram);
  std::array<std::string, 5> lines;
  lines[0] = "----";
  lines[1] = Format("Зар. ст.  %d", lamp::ReadI32(bytes, lamp::StatusDatagram::kStationNumber));
  const std::size_t v1 = lamp::StatusDatagram::kFirstVersionWord;
  const std::size_t v2 = lamp::StatusDatagram::kSecondVersionWord;
  lines[2] = Format("Ver. %d.%d.%d.%d", bytes[v1], bytes[v1 + 1], bytes[v2], bytes[v2 + 1]);
  lines[3] = "Инд.номер " + lamp::Cp1251ToUtf8(lamp::ReadIndNum(bytes));
  const std::uint8_t* fab = bytes.data() + lamp::StatusDatagram::kFabNum;
  lines[4] = Format("Зав.номер %2.2X%2.2X%2.2X%2.2X-%2.2X%2.2X%2.2X%2.2X", fab[7], fab[6], fab[5],
                    fab[4], fab[3], fab[2], fab[1], fab[0]);
  return lines;
}

std::array<std::uint8_t, 8> FactoryNumberFromTexts(std::string_view high_hex,
                                                   std::string_view low_hex) {
  // A text that is no hexadecimal number gives 0.
  const std::uint32_t high = lamp::ReadHex(high_hex).value_or(0);
  const std::uint32_t low = lamp::ReadHex(low_hex).value_or(0);
  std::array<std::uint8_t, 8> bytes{};
  for (int i = 0; i < 4; ++i) {
    bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(low >> (8 * i));
    bytes[static_cast<std::size_t>(i + 4)] = static_cast<std::uint8_t>(high >> (8 * i));
  }
  return bytes;
}

}  // namespace lumora
