#include "link/cp1251.h"

#include <array>
#include <cstdint>

namespace lamp {

namespace {

// Code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char32_t, 64> kUpperPage = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

constexpr char32_t kNoCharacter = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one character at `pos`; a malformed sequence counts as one byte with code point
// kNoCharacter. Advances `pos` past what was taken.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int extra;
  char32_t cp;
  char32_t smallest;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, smallest = 0x10000;
  } else {
    ++pos;
    return kNoCharacter;
  }
  if (pos + static_cast<std::size_t>(extra) >= text.size()) {
    ++pos;
    return kNoCharacter;
  }
  for (int i = 1; i <= extra; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kNoCharacter;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kNoCharacter;
  }
  pos += static_cast<std::size_t>(extra) + 1;
  return cp;
}

char ToCp1251Byte(char32_t cp) {
  const int byte = CodePointToCp1251(cp);
  return byte < 0 ? kCp1251Replacement : static_cast<char>(byte);
}

}  // namespace

char32_t Cp1251ToCodePoint(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kUpperPage[byte - 0x80];
}

int CodePointToCp1251(char32_t code_point) {
  if (code_point < 0x80) return static_cast<int>(code_point);
  if (code_point >= 0x0410 && code_point <= 0x044F) {
    return static_cast<int>(0xC0 + (code_point - 0x0410));
  }
  if (code_point == kNoCharacter) return -1;
  for (std::size_t i = 0; i < kUpperPage.size(); ++i) {
    if (kUpperPage[i] == code_point) return static_cast<int>(0x80 + i);
  }
  return -1;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (char c : cp1251) AppendUtf8(out, Cp1251ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) out.push_back(ToCp1251Byte(DecodeUtf8(utf8, pos)));
  return out;
}

std::size_t Utf8ToCp1251(std::string_view utf8, std::span<char> out) {
  if (out.empty()) return 0;
  std::size_t written = 0;
  std::size_t pos = 0;
  while (pos < utf8.size() && written + 1 < out.size()) {
    out[written++] = ToCp1251Byte(DecodeUtf8(utf8, pos));
  }
  out[written] = '\0';
  return written;
}

}  // namespace lamp
