// Any "fprm.cfg" content: only a file of exactly 56 bytes is a layout, it reads back to the
// same bytes, and the file reader agrees with the record reader however long the file is.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "workstation/window_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto layout = lumora::ParseWindowLayout({data, size});
  if (layout.has_value() != (size == lumora::kWindowLayoutBytes)) std::abort();
  if (layout) {
    const auto bytes = lumora::FormatWindowLayout(*layout);
    if (!std::equal(bytes.begin(), bytes.end(), data)) std::abort();
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
