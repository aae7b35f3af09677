#include "workstation/window_layout_record.h"

#include "link/little_endian.h"

namespace lumora {

std::optional<WindowLayout> ParseWindowLayout(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kWindowLayoutBytes) return std::nullopt;
  WindowLayout layout;
  for (std::size_t i = 0; i < kWindowLayoutFields; ++i) {
    layout.field[i] = lamp::ReadI32(bytes, 4 * i);
  }
  return layout;
}

std::array<std::uint8_t, kWindowLayoutBytes> FormatWindowLayout(const WindowLayout& layout) {
  std::array<std::uint8_t, kWindowLayoutBytes> bytes{};
  for (std::size_t i = 0; i < kWindowLayoutFields; ++i) {
    lamp::WriteI32(bytes, 4 * i, layout.field[i]);
  }
  return bytes;
}

}  // namespace lumora
