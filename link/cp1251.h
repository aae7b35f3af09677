#pragma once
// Text crosses between the programs' UTF-8 (screen, sources) and the 8-bit Windows-1251
// text of datagrams, station frames and the database.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace lamp {

// What stands in for a character that the other side cannot show.
inline constexpr char kCp1251Replacement = '?';

// The Unicode code point of a cp1251 byte; 0xFFFD for 0x98, the one byte without a character.
char32_t Cp1251ToCodePoint(unsigned char byte);

// The cp1251 byte of a code point, or -1 when cp1251 has no such character.
int CodePointToCp1251(char32_t code_point);

// cp1251 bytes to UTF-8; the byte 0x98 becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view cp1251);

// UTF-8 to cp1251; a character that cp1251 lacks, and each byte of malformed UTF-8,
// becomes kCp1251Replacement.
std::string Utf8ToCp1251(std::string_view utf8);

// The same into a fixed buffer: writes at most out.size() - 1 bytes and a NUL, never cuts a
// character in two, and returns the number of bytes written before the NUL.
std::size_t Utf8ToCp1251(std::string_view utf8, std::span<char> out);

}  // namespace lamp
