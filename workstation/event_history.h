#pragma once
// Reading a lamp's events from EVENT into the event history, with the note that turns an
// event's parameters into readable values, and the background colour of its code.
#include <cstdint>
#include <string>
#include <string_view>

#include "link/sql_text.h"
#include "platform/forms/controls.h"

namespace lumora {

// Rows read when RadioNSTR has no chosen item, and the most rows ever read.
inline constexpr std::int32_t kEventRowsNoChoice = 50;
inline constexpr std::int32_t kEventRowsLimit = 5000;

// The parameters of one EVENT row (-1 where the column is empty).
struct EventParams {
  std::int32_t code = 0;
  std::int32_t PSTAT = -1;
  std::int32_t PARM1 = -1;
  std::int32_t PARM2 = -1;
  std::int32_t PARM3 = -1;
};

// The note of a row (UTF-8); false when the row has no note cell at all.
bool BuildEventNote(const EventParams& params, std::string& note);
// The background of the code column for a code.
forms::TColor EventCodeBackground(std::int32_t code);
// The background of a cell of the list: the code's in the code column, white elsewhere.
forms::TColor EventHistoryCellBackground(const forms::TListItem& row, int column);

// The statement text for `number` (cp1251) and n rows.
void BuildEventHistoryQuery(lamp::SqlStatement& statement, std::string_view number, std::int32_t n);

// Fills the event history with the last n (at most 5000) events of number (cp1251); returns
// the rows shown.
std::int32_t LoadEventHistory(const char* number, std::int32_t n);
void ClearEventHistory();
void InitEventHistoryColumns();
void AddEventHistoryRow();
void SetEventHistoryCaption(const std::string& text);
void AddEventHistoryCell(const std::string& text);

// The station view's "Соб.": places the window at (left, top) (the main window's left + 80,
// top + 50), shows it, and reads the events of the first six characters of indn (UTF-8, the
// cell card's EditINDN) with the row count RadioNSTR chooses.
void OpenEventHistory(int left, int top, const std::string& indn);

}  // namespace lumora
