#include "link/station_frame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace lamp {
namespace {

constexpr std::uint8_t kCheckText[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
static_assert(Crc16Modbus(kCheckText) == 0x4B37);

TEST(StationFrameCrc, StepByStepMatchesTheWholeRun) {
  std::uint16_t crc = 0xFFFF;
  for (char c : std::string("123456789")) crc = UpdateCrc16(crc, static_cast<std::uint8_t>(c));
  EXPECT_EQ(crc, 0x4B37);
  // Appending the CRC low byte first leaves the MODBUS residue 0.
  const std::uint8_t with_crc[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0x37, 0x4B};
  EXPECT_EQ(Crc16Modbus(with_crc), 0);
}

}  // namespace
}  // namespace lamp
