#include "link/station_frame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/frame_receiver_reference.h"

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

TEST(StationFrameCrc, EveryLengthAndByteValueGivesTheBitByBitRegister) {
  // Lengths on both sides of the eight-byte steps, every byte value at every place of a step,
  // and registers other than the start value.
  std::vector<std::uint8_t> bytes(40);
  for (unsigned value = 0; value < 256; ++value) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = static_cast<std::uint8_t>(value + 37 * i);
    }
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
      const std::span<const std::uint8_t> part(bytes.data(), length);
      const auto start = static_cast<std::uint16_t>(0xFFFF - value * 257);
      ASSERT_EQ(Crc16Modbus(part, start),
                frame_reference::Crc16BitByBit(start, part.data(), part.size()))
          << "value " << value << " length " << length;
    }
  }
}

}  // namespace
}  // namespace lamp
