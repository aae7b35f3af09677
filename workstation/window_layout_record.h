#pragma once
// The record of "fprm.cfg": 56 bytes, 14 little-endian int32, no header; the size of the main
// window and the place and size of its three MDI children.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lumora {

inline constexpr std::size_t kWindowLayoutFields = 14;
inline constexpr std::size_t kWindowLayoutBytes = kWindowLayoutFields * 4;

// Record order: main window Height, Width; then Left, Top, Height, Width of Form1, Form2 and
// Form3 in turn.
struct WindowLayout {
  std::array<std::int32_t, kWindowLayoutFields> field{};
};

// Field indices.
inline constexpr std::size_t kLayoutMainHeight = 0;
inline constexpr std::size_t kLayoutMainWidth = 1;
// First field (Left) of child 0..2 (Form1, Form2, Form3); Top, Height, Width follow.
constexpr std::size_t LayoutChildField(std::size_t child) {
  return 2 + 4 * child;
}

// The record of exactly kWindowLayoutBytes bytes; anything shorter or longer gives nothing.
// Values are taken as they stand (no range checks).
std::optional<WindowLayout> ParseWindowLayout(std::span<const std::uint8_t> bytes);
// The 56 bytes of a record.
std::array<std::uint8_t, kWindowLayoutBytes> FormatWindowLayout(const WindowLayout& layout);

}  // namespace lumora
