// Any "hostab.txt" content: the reader must stay inside its line, field and address buffers,
// never count more than a hundred entries, and every line it formats must fit its text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "server/host_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tolvex::HostEntry table[tolvex::kHostSlots];
  for (tolvex::HostEntry& entry : table) entry = tolvex::HostEntry{};
  int entries = -1;
  const int result = tolvex::ParseHostTableText({data, size}, table, entries);
  if (entries < 0 || entries > tolvex::kMaxHosts) std::abort();
  if (result != 0 && result != entries + 1) std::abort();
  for (const tolvex::HostEntry& entry : table) {
    if (std::memchr(entry.AddressText, '\0', sizeof entry.AddressText) == nullptr) std::abort();
    if (entry.ResolvedAddress != 0) std::abort();
  }

  std::memcpy(tolvex::HostTable, table, sizeof table);
  tolvex::HostCount = entries;
  for (int index = 0; index < tolvex::GetHostCount(); ++index) {
    char text[tolvex::kHostLineTextSize];
    if (tolvex::FormatHostLine(text, index) != 0) std::abort();
    if (std::memchr(text, '\0', sizeof text) == nullptr) std::abort();
  }
  return 0;
}
