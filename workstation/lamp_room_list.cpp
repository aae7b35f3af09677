// The lamp-room list: its columns and rows, its colours, the station click and the hidden
// way to the diagnostics window.
#include <string>

#include "link/number_text.h"
#include "workstation/diagnostics_window.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/main_window_lists.h"
#include "workstation/station_view.h"

namespace lumora {

namespace {

constexpr ReportColumn kLampRoomColumnSpecs[kLampRoomColumns] = {
    {"Зар.станц.", 70}, {"Кол", 25},      {"Подкл", 50},     {"Своб", 45},
    {"Разряд", 50},     {"Заряд", 45},    {"Подзаряд", 65},  {"Заряжено ", 60},
    {"НСП Зар.Яч", 70}, {"НСП Батт", 65}, {"Нет связи", 75},
};

// A count cell read as hexadecimal; an empty or unreadable text is zero.
unsigned ReadHexCount(const std::string& text) {
  return lamp::ReadHex(text).value_or(0);
}

// Row r shows station r + 1.
std::string StationCaption(int row) {
  return std::to_string(row + 1);
}

}  // namespace

void InitLampRoomList(forms::TListView& list) {
  InitReportList(list, kLampRoomColumnSpecs, kLampRoomStations, kLampRoomColumns - 1,
                 StationCaption);
}

void InitLampRoomList() {
  if (Form2 != nullptr) InitLampRoomList(Form2->LV1);
}

CellColors LampRoomCellColors(int column, const std::string& text) {
  CellColors colors{forms::clBlack, forms::clWhite};
  if (column == kColumnConnected && ReadHexCount(text) != 0) colors.brush = forms::clYellow;
  if ((column == kColumnCellFault || column == kColumnBatteryFault || column == kColumnNoLink) &&
      ReadHexCount(text) != 0) {
    colors.font = forms::clRed;
  }
  return colors;
}

void TForm2::FormCreate() {
  forms::RemoveCaptionBar(*this);
}

void TForm2::FormResize() {
  LV1.SetWidth(Width() - 20);
  LV1.SetHeight(Height() - 40);
}

void TForm2::FormMouseUp(forms::TMouseButton, int shift, int x, int y) {
  if ((shift & forms::ssShift) == 0) return;
  if (x >= kOverviewDiagnosticsHotZone || y >= kOverviewDiagnosticsHotZone) return;
  if (FormDBG == nullptr) return;
  FormDBG->SetLeft(Left() + 100);
  FormDBG->SetTop(Top() + 80);
  FormDBG->Show();
}

void TForm2::LV1Click() {
  const forms::TListItem* row = LV1.Selected();
  if (row == nullptr) return;
  // A caption without a number selects station 1.
  SetCurrentStation(lamp::ReadDecimal(row->Caption()).value_or(1));
}

void TForm2::LV1CustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int sub_item,
                                  int, bool&) {
  const CellColors colors = LampRoomCellColors(sub_item, item.ColumnText(sub_item));
  sender.Canvas().Font.Color = colors.font;
  sender.Canvas().Brush.Color = colors.brush;
}

void TForm2::Timer1Timer() {
  if (LV1.Selected() == nullptr) {
    DeselectCount = 0;
    return;
  }
  if (++DeselectCount > kLampRoomDeselectTicks) LV1.ClearSelection();
}

}  // namespace lumora
