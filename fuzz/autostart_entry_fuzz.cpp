// Any autostart entry text: the reader must stay inside the text; and whatever bytes a
// program path holds, the entry written for it must read back as that same path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/sys/autostart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)sys::DesktopEntryExec(text);

  std::string path(text);
  if (path.empty() || path.find('\0') != std::string::npos) return 0;
  if (sys::DesktopEntryExec(sys::DesktopEntryText("ToLVEX", path)) != path) std::abort();
  return 0;
}
