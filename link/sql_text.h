#pragma once
// SQL text conventions shared by the station server and the workstation: statements are
// built as text, text values stand between double quotes, numbers are decimal, dates are
// written year first ("%d-%2.2d-%2.2d") and times as hh:mm:ss, both in local time. Beside
// them the local time itself and the date-and-time text the programs show.
//
// A quoted value is copied as it stands, except for the characters that would end or
// change the literal: a double quote, a backslash and a NUL byte get a backslash before
// them ("\"", "\\", "\0"), so the database stores exactly the text given. A value without
// them is copied byte for byte. Values are cp1251 (or ASCII), where no byte of a letter can
// be taken for a quote or a backslash.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

namespace lamp {

// Room for a date text ("2026-12-10", years up to 9 digits) or a time text ("08:15:02")
// with its NUL.
inline constexpr std::size_t kSqlDateTextSize = 24;
inline constexpr std::size_t kSqlTimeTextSize = 16;

// The local calendar time of a moment; the zero structure for a moment the C library cannot
// place on the calendar.
std::tm LocalTimeOf(std::time_t moment);
// The same for now.
std::tm LocalTimeNow();

// "%d-%2.2d-%2.2d" of year, month and day of `local`, NUL-terminated, cut to fit `out`.
void FormatSqlDate(std::span<char> out, const std::tm& local);
// The same for the current local date.
void FormatSqlDate(std::span<char> out);

// "hh:mm:ss" of `local` (two digits each, 24-hour clock), NUL-terminated, cut to fit.
void FormatSqlTime(std::span<char> out, const std::tm& local);
// The same for the current local time.
void FormatSqlTime(std::span<char> out);

// The system's date-and-time text of `local` as both programs show and log it: short date,
// a blank, the time ("10.12.2026 08:15:02"), NUL-terminated; empty when it does not fit.
inline constexpr std::size_t kDateTimeTextSize = 40;
void FormatSystemDateTime(std::span<char> out, const std::tm& local);

// The bytes that `value` takes once quoted, quotes included.
std::size_t QuotedLength(std::string_view value);

// Appends a double quote, `value` (escaped as above) and a double quote.
void AppendQuoted(std::string& statement, std::string_view value);
// The station server's name for the same function.
inline void AppendQueryText(std::string& statement, std::string_view value) {
  AppendQuoted(statement, value);
}

// A statement built in storage that the caller owns (no allocation). The text is always
// NUL-terminated; whatever does not fit is dropped and marks the statement as overflowed,
// so that a caller can refuse to send a cut statement.
class SqlStatement {
 public:
  explicit SqlStatement(std::span<char> storage);

  void Clear();
  void Append(std::string_view text);
  // "%d".
  void AppendInt(std::int32_t value);
  // An unsigned 64-bit decimal (factory numbers).
  void AppendUnsigned(std::uint64_t value);
  void AppendQuoted(std::string_view value);
  void AppendQueryText(std::string_view value) { AppendQuoted(value); }

  std::string_view view() const { return {storage_.data(), length_}; }
  const char* c_str() const { return storage_.data(); }
  std::size_t size() const { return length_; }
  bool overflowed() const { return overflowed_; }

 private:
  void AppendChar(char c);

  std::span<char> storage_;
  std::size_t length_ = 0;
  bool overflowed_ = false;
};

}  // namespace lamp
