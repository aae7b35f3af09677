#pragma once
// Texts between the windows (UTF-8) and the workstation's own data: printf-style texts of
// what the windows show, a lamp's number as the screen shows it, and an edit's text in the
// fixed 8-bit buffers the devices and the database take.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <span>
#include <string>

#include "link/cp1251.h"
#include "platform/forms/controls.h"
#include "workstation/cell_table.h"

namespace lumora {

// The printf-style text of the values, whatever its length.
template <typename... Values>
std::string Format(const char* format, Values... values) {
  const int length = std::snprintf(nullptr, 0, format, values...);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, values...);
  return text;
}

// A slot's number text (cp1251 up to its NUL) as the screen shows it.
std::string ScreenNumber(const NumberText& number);

// The edit's text as 8-bit text of at most max_length bytes (a character is never cut in
// two), NUL-terminated in out, every byte after it zero.
template <std::size_t N>
void CopyEditCp1251(const forms::TEdit& edit, std::array<char, N>& out, std::size_t max_length) {
  static_assert(N >= 1);
  out.fill('\0');
  lamp::Utf8ToCp1251(edit.Text(), std::span<char>(out.data(), std::min(N, max_length + 1)));
}

}  // namespace lumora
