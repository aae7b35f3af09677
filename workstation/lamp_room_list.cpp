// The lamp-room list: its columns and rows and the colours of its cells.
#include <string>

#include "link/number_text.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/report_list.h"

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

}  // namespace lumora
