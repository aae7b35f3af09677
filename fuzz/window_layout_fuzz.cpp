// Any "fprm.cfg" content: only a file of exactly 56 bytes is a layout, it reads back to the
// same bytes, and the file reader agrees with the record reader however long the file is.
// Applied to the four windows, any layout leaves them on the work area.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/forms/controls.h"
#include "workstation/window_layout.h"
#include "workstation/window_layout_record.h"

namespace {

struct Windows {
  Windows() {
    main.SetFormStyle(forms::TFormStyle::fsMDIForm);
    for (forms::TForm& child : children) child.SetMdiParent(&main);
  }
  forms::TForm main{"MainForm"};
  forms::TForm children[3] = {forms::TForm("Form1"), forms::TForm("Form2"), forms::TForm("Form3")};
};

bool OnWorkArea(const forms::TForm& form) {
  const forms::ScreenRect& area = forms::Application().WorkArea();
  const bool child = form.MdiParent() != nullptr;
  const int left = child ? 0 : area.left;
  const int top = child ? 0 : area.top;
  return form.Width() >= forms::kMinFormWidth && form.Width() <= area.width &&
         form.Height() >= forms::kMinFormHeight && form.Height() <= area.height &&
         form.Left() >= left && form.Left() <= left + area.width - forms::kFormReach &&
         form.Top() >= top && form.Top() <= top + area.height - forms::kFormReach;
}

void CheckApplied(const lumora::WindowLayout& layout) {
  static Windows windows;
  lumora::LayoutWindows targets;
  targets.main = &windows.main;
  for (std::size_t i = 0; i < 3; ++i) targets.children[i] = &windows.children[i];
  lumora::ApplyWindowLayout(targets, layout);
  if (!OnWorkArea(windows.main)) std::abort();
  for (const forms::TForm& child : windows.children) {
    if (!OnWorkArea(child)) std::abort();
  }
  // What the windows then are is a layout that applies unchanged.
  const lumora::WindowLayout applied = lumora::CaptureWindowLayout(targets);
  lumora::ApplyWindowLayout(targets, applied);
  if (lumora::CaptureWindowLayout(targets).field != applied.field) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto layout = lumora::ParseWindowLayout({data, size});
  if (layout.has_value() != (size == lumora::kWindowLayoutBytes)) std::abort();
  if (layout) {
    const auto bytes = lumora::FormatWindowLayout(*layout);
    if (!std::equal(bytes.begin(), bytes.end(), data)) std::abort();
    CheckApplied(*layout);
  }

  static const std::string path = "/tmp/window_layout_fuzz." + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  lumora::LoadedWindowLayout = lumora::WindowLayout{};
  const int result = lumora::LoadLayout(path.c_str());
  std::remove(path.c_str());
  if ((result == 0) != layout.has_value()) std::abort();
  if (layout && lumora::LoadedWindowLayout.field != layout->field) std::abort();
  return 0;
}
