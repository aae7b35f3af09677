#include "link/sql_text.h"

#include <cstdio>

namespace lamp {

namespace {

// The escape that follows a backslash for `c`, or 0 when `c` goes in as it stands.
char EscapeOf(char c) {
  switch (c) {
    case '"':
      return '"';
    case '\\':
      return '\\';
    case '\0':
      return '0';
    default:
      return 0;
  }
}

void FormatInto(std::span<char> out, const char* format, int a, int b, int c) {
  if (out.empty()) return;
  std::snprintf(out.data(), out.size(), format, a, b, c);
}

}  // namespace

std::tm LocalTimeOf(std::time_t moment) {
  std::tm local{};
  if (localtime_r(&moment, &local) == nullptr) return std::tm{};
  return local;
}

std::tm LocalTimeNow() {
  return LocalTimeOf(std::time(nullptr));
}

void FormatSqlDate(std::span<char> out, const std::tm& local) {
  FormatInto(out, "%d-%2.2d-%2.2d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

void FormatSqlDate(std::span<char> out) {
  FormatSqlDate(out, LocalTimeNow());
}

void FormatSqlTime(std::span<char> out, const std::tm& local) {
  FormatInto(out, "%2.2d:%2.2d:%2.2d", local.tm_hour, local.tm_min, local.tm_sec);
}

void FormatSqlTime(std::span<char> out) {
  FormatSqlTime(out, LocalTimeNow());
}

void FormatSystemDateTime(std::span<char> out, const std::tm& local) {
  if (out.empty()) return;
  if (std::strftime(out.data(), out.size(), "%d.%m.%Y %H:%M:%S", &local) == 0) out[0] = '\0';
}

std::size_t QuotedLength(std::string_view value) {
  std::size_t length = 2;
  for (char c : value) length += EscapeOf(c) != 0 ? 2 : 1;
  return length;
}

void AppendQuoted(std::string& statement, std::string_view value) {
  statement.reserve(statement.size() + QuotedLength(value));
  statement.push_back('"');
  for (char c : value) {
    const char escape = EscapeOf(c);
    if (escape != 0) {
      statement.push_back('\\');
      statement.push_back(escape);
    } else {
      statement.push_back(c);
    }
  }
  statement.push_back('"');
}

SqlStatement::SqlStatement(std::span<char> storage) : storage_(storage) {
  Clear();
}

void SqlStatement::Clear() {
  length_ = 0;
  overflowed_ = false;
  if (!storage_.empty()) storage_[0] = '\0';
}

void SqlStatement::AppendChar(char c) {
  // One byte always stays free for the NUL; after the first byte that did not fit nothing
  // more is taken, so the text is a clean prefix of the statement.
  if (overflowed_ || length_ + 1 >= storage_.size()) {
    overflowed_ = true;
    return;
  }
  storage_[length_++] = c;
  storage_[length_] = '\0';
}

void SqlStatement::Append(std::string_view text) {
  for (char c : text) AppendChar(c);
}

void SqlStatement::AppendInt(std::int32_t value) {
  char digits[16];
  const int n = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
  Append(std::string_view(digits, static_cast<std::size_t>(n)));
}

void SqlStatement::AppendUnsigned(std::uint64_t value) {
  char digits[24];
  const int n =
      std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(value));
  Append(std::string_view(digits, static_cast<std::size_t>(n)));
}

void SqlStatement::AppendQuoted(std::string_view value) {
  // A value is taken whole or not at all, so a cut statement never ends inside a literal
  // with an unmatched escape.
  if (overflowed_ || length_ + QuotedLength(value) + 1 > storage_.size()) {
    overflowed_ = true;
    return;
  }
  AppendChar('"');
  for (char c : value) {
    const char escape = EscapeOf(c);
    if (escape != 0) {
      AppendChar('\\');
      AppendChar(escape);
    } else {
      AppendChar(c);
    }
  }
  AppendChar('"');
}

}  // namespace lamp
