#pragma once
// Little-endian fields in byte arrays: every datagram and station frame of the system keeps
// its numbers low byte first, whatever the machine's own order. A field that does not lie
// wholly inside the bytes reads as 0 and is not written, so a short buffer can never be
// read or written past its end.
#include <cstddef>
#include <cstdint>
#include <span>

namespace lamp {

constexpr bool FieldFits(std::size_t size, std::size_t offset, std::size_t width) {
  return offset <= size && width <= size - offset;
}

constexpr std::uint64_t ReadLittleEndian(std::span<const std::uint8_t> bytes, std::size_t offset,
                                         std::size_t width) {
  if (!FieldFits(bytes.size(), offset, width)) return 0;
  std::uint64_t value = 0;
  for (std::size_t i = width; i > 0; --i) value = (value << 8) | bytes[offset + i - 1];
  return value;
}

constexpr void WriteLittleEndian(std::span<std::uint8_t> bytes, std::size_t offset,
                                 std::size_t width, std::uint64_t value) {
  if (!FieldFits(bytes.size(), offset, width)) return;
  for (std::size_t i = 0; i < width; ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>(value & 0xFF);
    value >>= 8;
  }
}

constexpr std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(ReadLittleEndian(bytes, offset, 2));
}
constexpr std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(ReadLittleEndian(bytes, offset, 4));
}
constexpr std::int32_t ReadI32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::int32_t>(ReadU32(bytes, offset));
}
constexpr std::uint64_t ReadU64(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return ReadLittleEndian(bytes, offset, 8);
}

constexpr void WriteU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
  WriteLittleEndian(bytes, offset, 2, value);
}
constexpr void WriteU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
  WriteLittleEndian(bytes, offset, 4, value);
}
constexpr void WriteI32(std::span<std::uint8_t> bytes, std::size_t offset, std::int32_t value) {
  WriteLittleEndian(bytes, offset, 4, static_cast<std::uint32_t>(value));
}
constexpr void WriteU64(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value) {
  WriteLittleEndian(bytes, offset, 8, value);
}

}  // namespace lamp
