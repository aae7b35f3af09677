#include "workstation/window_layout.h"

#include <array>
#include <cstdio>
#include <span>

#include "platform/sys/file_replace.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/live_events_window.h"
#include "workstation/main_window.h"
#include "workstation/station_view.h"

namespace lumora {

WindowLayout SavedWindowLayout;
WindowLayout LoadedWindowLayout;

namespace {

struct ChildPlace {
  int left, top, width, height;
};

// Form1, Form2, Form3.
constexpr ChildPlace kVid1Children[3] = {{0, 410, 645, 285}, {0, 0, 645, 400}, {650, 0, 620, 695}};
constexpr int kVid1MainWidth = 1287;
constexpr int kVid1MainHeight = 820;
constexpr ChildPlace kVid2Children[3] = {
    {652, 698, 630, 180}, {3, 2, 645, 875}, {652, 2, 630, 695}};
constexpr int kVid2MainWidth = 1310;
constexpr int kVid2MainHeight = 990;

void Place(forms::TForm* form, const ChildPlace& place) {
  if (form == nullptr) return;
  form->SetLeft(place.left);
  form->SetTop(place.top);
  form->SetWidth(place.width);
  form->SetHeight(place.height);
}

void PlaceChildren(const LayoutWindows& windows, const ChildPlace (&places)[3]) {
  for (std::size_t i = 0; i < 3; ++i) Place(windows.children[i], places[i]);
}

void SizeMain(const LayoutWindows& windows, int width, int height) {
  if (windows.main == nullptr) return;
  windows.main->SetWidth(width);
  windows.main->SetHeight(height);
}

}  // namespace

LayoutWindows ProgramLayoutWindows() {
  LayoutWindows windows;
  windows.main = MainForm;
  windows.children[0] = Form1;
  windows.children[1] = Form2;
  windows.children[2] = Form3;
  return windows;
}

WindowLayout CaptureWindowLayout(const LayoutWindows& windows) {
  WindowLayout layout;
  if (windows.main != nullptr) {
    layout.field[kLayoutMainHeight] = windows.main->Height();
    layout.field[kLayoutMainWidth] = windows.main->Width();
  }
  for (std::size_t i = 0; i < 3; ++i) {
    const forms::TForm* child = windows.children[i];
    if (child == nullptr) continue;
    const std::size_t f = LayoutChildField(i);
    layout.field[f] = child->Left();
    layout.field[f + 1] = child->Top();
    layout.field[f + 2] = child->Height();
    layout.field[f + 3] = child->Width();
  }
  return layout;
}

void ApplyWindowLayout(const LayoutWindows& windows, const WindowLayout& layout) {
  SizeMain(windows, layout.field[kLayoutMainWidth], layout.field[kLayoutMainHeight]);
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t f = LayoutChildField(i);
    Place(windows.children[i],
          {layout.field[f], layout.field[f + 1], layout.field[f + 3], layout.field[f + 2]});
  }
}

void ApplyLayoutVid1(const LayoutWindows& windows) {
  PlaceChildren(windows, kVid1Children);
  SizeMain(windows, kVid1MainWidth, kVid1MainHeight);
}

void ApplyLayoutVid2(const LayoutWindows& windows) {
  SizeMain(windows, kVid2MainWidth, kVid2MainHeight);
  PlaceChildren(windows, kVid2Children);
}

void SaveLayout(const char* path) {
  SavedWindowLayout = CaptureWindowLayout(ProgramLayoutWindows());
  // A save that fails is not reported, and leaves the old file as it was.
  (void)sys::ReplaceFileContents(path, FormatWindowLayout(SavedWindowLayout),
                                 sys::kSharedFileMode);
}

int LoadLayout(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 1;
  std::array<std::uint8_t, kWindowLayoutReadLimit> buffer{};
  std::size_t n = 0;
  for (int c = 0; n < buffer.size() && (c = std::fgetc(file)) != EOF;) {
    buffer[n++] = static_cast<std::uint8_t>(c);
  }
  std::fclose(file);
  const auto layout = ParseWindowLayout(std::span<const std::uint8_t>(buffer.data(), n));
  if (!layout) return 1;
  LoadedWindowLayout = *layout;
  return 0;
}

}  // namespace lumora
