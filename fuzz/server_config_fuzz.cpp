// The configuration file image: any 240 bytes decode, and encode back to the same bytes; the
// texts of any record read back within their fields (a cp1251 byte is at most three UTF-8
// bytes).
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "server/server_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, tolvex::kServerConfigSize> image{};
  std::memcpy(image.data(), data, size < image.size() ? size : image.size());
  const tolvex::ServerConfigRecord record = tolvex::DecodeServerConfig(image);
  std::array<std::uint8_t, tolvex::kServerConfigSize> again{};
  tolvex::EncodeServerConfig(record, again);
  if (again != image) std::abort();
  if (tolvex::ConfigTextOf(record.Host).size() > 3 * record.Host.size()) std::abort();
  for (const auto& time : record.Times) (void)tolvex::ConfigTextOf(time);
  return 0;
}
