#include "workstation/live_events.h"

#include <cstdio>

#include "link/cp1251.h"
#include "link/datagrams.h"
#include "link/number_text.h"
#include "link/sql_text.h"
#include "workstation/live_events_window.h"
#include "workstation/traffic_window.h"

namespace lumora {

namespace {

struct ColumnSpec {
  const char* caption;
  int width;
};

constexpr ColumnSpec kEventsColumns[] = {
    {"Инд.номер", 50}, {"Время", 80},      {"Код События", 60},
    {"Текст", 240},    {"Код неиспр", 80}, {"Текст неиспр ", 95},
};

constexpr int kCodeColumn = 2;
constexpr int kFaultCodeColumn = 4;

// Longest event text (UTF-8) with room to spare.
constexpr std::size_t kEventTextBytes = 128;

}  // namespace

void InitEventsList(forms::TListView& list) {
  list.SetGridLines(true);
  list.SetViewStyle(forms::TViewStyle::vsReport);
  for (const ColumnSpec& spec : kEventsColumns) {
    forms::TListColumn* column = list.Columns().Add();
    column->SetCaption(spec.caption);
    column->SetWidth(spec.width);
  }
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
  char code[16];
  std::snprintf(code, sizeof code, "%x", event_code);
  cells.Set(1, code);
  char text[kEventTextBytes];
  GetEventCodeText(static_cast<std::int32_t>(event_code), text);
  cells.Set(2, text);
  const std::uint32_t f = LiveEventFaultCode(mode_error_bits, fault_bits);
  if (f != 0) {
    char fault[16];
    std::snprintf(fault, sizeof fault, "%X", f);
    cells.Set(3, fault);
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

void TForm1::Timer1Timer() {
  if (TimerTicks < 100) ++TimerTicks;
  if (TimerTicks == 1) InitEventsList(LV1);
}

void TForm1::FormResize() {
  LV1.SetWidth(Width() - 20);
  LV1.SetHeight(Height() - 50);
}

void TForm1::FormCreate() {
  forms::RemoveCaptionBar(*this);
}

void TForm1::FormMouseUp(forms::TMouseButton, int shift, int x, int) {
  if (x < kTrafficWindowHotZone && (shift & forms::ssShift) != 0 && FormSV != nullptr) {
    FormSV->Show();
  }
}

void TForm1::LV1CustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int sub_item,
                                  int, bool&) {
  sender.Canvas().Font.Color = LiveEventFontColor(sub_item, item.SubItems().Get(1));
}

void TForm1::N1Click() {
  LV1.Items().Clear();
}

}  // namespace lumora
