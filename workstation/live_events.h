#pragma once
// Event code texts and the rows of the live events list.
#include <cstdint>
#include <span>
#include <string>

#include "link/code_tables.h"
#include "platform/forms/controls.h"

namespace lumora {

using lamp::GetEventCodeText;

inline constexpr std::string_view kLiveEventNoAnswerText = "НЕТ  ОТВЕТА";

// Grid lines, report view and the six columns of the list.
void InitEventsList(forms::TListView& list);

// Inserts one row at the top of the list from the fields of one cell state; the number is
// the datagram's cp1251 text.
void AddLiveEventRow(forms::TListView& list, const char* number, std::uint32_t time,
                     std::uint32_t event_code, std::uint32_t mode_error_bits,
                     std::uint32_t fault_bits);
// The same into the program's live events window (nothing when there is none).
void AddLiveEvent(const char* number, std::uint32_t time, std::uint32_t event_code,
                  std::uint32_t mode_error_bits, std::uint32_t fault_bits);

// The fault code of a row: mode-error bits in the high half, fault bits in the low half.
constexpr std::uint32_t LiveEventFaultCode(std::uint32_t mode_error_bits,
                                           std::uint32_t fault_bits) {
  return ((mode_error_bits & 0xFFFF) << 16) | (fault_bits & 0xFFFF);
}

// The date-and-time text of a datagram time (seconds since 1899-12-30 local time).
std::string LiveEventTimeText(std::uint32_t time);

// The font colour of a list column (1..5) of a row whose code column holds code_text.
forms::TColor LiveEventFontColor(int column, const std::string& code_text);

}  // namespace lumora
