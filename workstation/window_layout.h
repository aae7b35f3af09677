#pragma once
// The window layout: the size of the main window and the place and size of its three MDI
// children, kept in "fprm.cfg" in the working directory (the record of
// window_layout_record.h), and the two fixed layouts "Вид1" and "Вид2".
#include <cstddef>

#include "platform/forms/controls.h"
#include "workstation/window_layout_record.h"

namespace lumora {

// The reader stops after this many bytes: anything longer is rejected anyway.
inline constexpr std::size_t kWindowLayoutReadLimit = 101;
inline constexpr const char* kWindowLayoutFile = "fprm.cfg";

// The copy SaveLayout fills and the copy LoadLayout fills.
extern WindowLayout SavedWindowLayout;
extern WindowLayout LoadedWindowLayout;

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
// cannot be written is not reported, and a failed write leaves the old file as it was.
void SaveLayout(const char* path = kWindowLayoutFile);
// 0 with LoadedWindowLayout filled from path, 1 when the file cannot be opened or does not
// hold exactly 56 bytes.
int LoadLayout(const char* path = kWindowLayoutFile);

}  // namespace lumora
