#pragma once
// The window layout: the size of the main window and the place and size of its three MDI
// children, kept in "fprm.cfg" (56 bytes, 14 little-endian int32, no header) in the working
// directory, and the two fixed layouts "Вид1" and "Вид2".
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/forms/controls.h"

namespace lumora {

inline constexpr std::size_t kWindowLayoutFields = 14;
inline constexpr std::size_t kWindowLayoutBytes = kWindowLayoutFields * 4;
// The reader stops after this many bytes: anything longer is rejected anyway.
inline constexpr std::size_t kWindowLayoutReadLimit = 101;
inline constexpr const char* kWindowLayoutFile = "fprm.cfg";

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

// The copy SaveLayout fills and the copy LoadLayout fills.
extern WindowLayout SavedWindowLayout;
extern WindowLayout LoadedWindowLayout;

// The record of exactly kWindowLayoutBytes bytes; anything shorter or longer gives nothing.
// Values are taken as they stand (no range checks).
std::optional<WindowLayout> ParseWindowLayout(std::span<const std::uint8_t> bytes);
// The 56 bytes of a record.
std::array<std::uint8_t, kWindowLayoutBytes> FormatWindowLayout(const WindowLayout& layout);

// The four windows a layout describes.
struct LayoutWindows {
  forms::TForm* main = nullptr;
  forms::TForm* children[3] = {nullptr, nullptr, nullptr};  // Form1, Form2, Form3
};
// The program's four windows (entries are null where a window does not exist).
LayoutWindows ProgramLayoutWindows();

// Reads the record from the windows (absent windows give zeros).
WindowLayout CaptureWindowLayout(const LayoutWindows& windows);
// Main window Width and Height first, then each child's Left, Top, Width, Height.
void ApplyWindowLayout(const LayoutWindows& windows, const WindowLayout& layout);
// "Вид1": the children first, the main window's size last.
void ApplyLayoutVid1(const LayoutWindows& windows);
// "Вид2": the main window's size first, then the children.
void ApplyLayoutVid2(const LayoutWindows& windows);

// Fills SavedWindowLayout from the program's windows and writes it to path; a file that
// cannot be written is not reported.
void SaveLayout(const char* path = kWindowLayoutFile);
// 0 with LoadedWindowLayout filled from path, 1 when the file cannot be opened or does not
// hold exactly 56 bytes.
int LoadLayout(const char* path = kWindowLayoutFile);

}  // namespace lumora
