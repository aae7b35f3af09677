// Text conversion from any bytes, taken both as UTF-8 and as cp1251: the UTF-8 made is always
// well-formed, cp1251 to UTF-8 and back gives the same bytes (0x98, which has no character,
// aside), UTF-8 to cp1251 and back is stable after one round, and the fixed-buffer form
// writes a NUL-terminated prefix of the full result and never past its buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "link/cp1251.h"

namespace {

// Well-formed UTF-8 by the byte ranges of the Unicode standard, limited to the one- to
// three-byte forms (cp1251 has nothing beyond U+FFFF): no overlong form, no surrogate.
bool IsWellFormedUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                                                              : 0;
    if (length == 0 || length > text.size() - i) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    const auto second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (lead == 0xE0 && second < 0xA0) return false;  // overlong
    if (lead == 0xED && second > 0x9F) return false;  // surrogate
    i += length;
  }
  return true;
}

void CheckCodePoints(unsigned char byte) {
  const char32_t cp = lamp::Cp1251ToCodePoint(byte);
  const int back = lamp::CodePointToCp1251(cp);
  if (byte == 0x98) {
    if (back != -1) std::abort();
  } else if (back != byte) {
    std::abort();
  }
}

void CheckFixedBuffer(std::string_view utf8, const std::string& full, std::size_t buffer_size) {
  // A heap block of exactly the buffer's size, so the sanitizer sees any write past it.
  std::vector<char> buffer(buffer_size, 'X');
  const std::size_t written = lamp::Utf8ToCp1251(utf8, buffer);
  if (buffer_size == 0) {
    if (written != 0) std::abort();
    return;
  }
  const std::size_t expected = full.size() < buffer_size - 1 ? full.size() : buffer_size - 1;
  if (written != expected) std::abort();
  if (buffer[written] != '\0') std::abort();
  if (full.compare(0, written, buffer.data(), written) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // As cp1251.
  const std::string utf8 = lamp::Cp1251ToUtf8(bytes);
  if (!IsWellFormedUtf8(utf8)) std::abort();
  const std::string cp1251 = lamp::Utf8ToCp1251(utf8);
  if (cp1251.size() != size) std::abort();
  for (std::size_t i = 0; i < size; ++i) {
    const auto original = static_cast<unsigned char>(bytes[i]);
    const char expected = original == 0x98 ? lamp::kCp1251Replacement : bytes[i];
    if (cp1251[i] != expected) std::abort();
    CheckCodePoints(original);
  }

  // As UTF-8.
  const std::string narrowed = lamp::Utf8ToCp1251(bytes);
  if (narrowed.size() > size) std::abort();
  const std::string widened = lamp::Cp1251ToUtf8(narrowed);
  if (!IsWellFormedUtf8(widened)) std::abort();
  // 0x98 has no character, so no conversion ever makes it, and what was made comes back.
  if (narrowed.find('\x98') != std::string::npos) std::abort();
  if (lamp::Utf8ToCp1251(widened) != narrowed) std::abort();

  const std::size_t buffer_size = size > 0 ? data[0] % 48 : 0;
  CheckFixedBuffer(bytes, narrowed, buffer_size);
  CheckFixedBuffer(bytes, narrowed, narrowed.size() + 1);
  return 0;
}
