#include "workstation/live_events.h"

#include "link/cp1251.h"
#include "link/datagrams.h"
#include "link/number_text.h"
#include "link/sql_text.h"
#include "workstation/live_events_window.h"
#include "workstation/report_list.h"
#include "workstation/screen_text.h"

namespace lumora {

namespace {

constexpr ReportColumn kEventsColumns[] = {
    {"Инд.номер", 50}, {"Время", 80},      {"Код События", 60},
    {"Текст", 240},    {"Код неиспр", 80}, {"Текст неиспр ", 95},
};

constexpr int kCodeColumn = 2;
constexpr int kFaultCodeColumn = 4;

// Longest event text (UTF-8) with room to spare.
constexpr std::size_t kEventTextBytes = 128;

}  // namespace

void InitEventsList(forms::TListView& list) {
  InitReportColumns(list, kEventsColumns);
}

std::string LiveEventTimeText(std::uint32_t time) {
  char text[lamp::kDateTimeTextSize];
  lamp::FormatSystemDateTime(text, lamp::LocalTimeOfDatagram(time));
  return text;
}

void AddLiveEventRow(forms::TListView& list, const char* number, std::uint32_t time,
                     std::uint32_t event_code, std::uint32_t mode_error_bits,
                     std::uint32_t fault_bits) {
  forms::TListItem* row = list.Items().Insert(0);
  forms::TStrings& cells = row->SubItems();
  for (int i = 0; i < 5; ++i) cells.Add("");
  row->SetCaption(lamp::Cp1251ToUtf8(number));
  cells.Set(0, LiveEventTimeText(time));
  cells.Set(1, Format("%x", event_code));
  char text[kEventTextBytes];
  GetEventCodeText(static_cast<std::int32_t>(event_code), text);
  cells.Set(2, text);
  const std::uint32_t f = LiveEventFaultCode(mode_error_bits, fault_bits);
  if (f != 0) {
    cells.Set(3, Format("%X", f));
    if ((f & lamp::kFaultNoAnswer) != 0) cells.Set(4, std::string(kLiveEventNoAnswerText));
  }
}

void AddLiveEvent(const char* number, std::uint32_t time, std::uint32_t event_code,
                  std::uint32_t mode_error_bits, std::uint32_t fault_bits) {
  if (Form1 == nullptr) return;
  AddLiveEventRow(Form1->LV1, number, time, event_code, mode_error_bits, fault_bits);
}

forms::TColor LiveEventFontColor(int column, const std::string& code_text) {
  if (column == kFaultCodeColumn) return forms::clRed;
  if (column != kCodeColumn) return forms::clBlack;
  const std::uint32_t code = lamp::ReadHex(code_text).value_or(0);
  switch (code & 0xF000) {
    case 0x1000:
      return forms::clRed;
    case 0x2000:
      return forms::clGreen;
    case 0x3000:
      return forms::clBlue;
    default:
      return forms::clBlack;
  }
}

}  // namespace lumora
