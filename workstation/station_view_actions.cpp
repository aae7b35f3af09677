// The station view's lists, station buttons, cell colours and the buttons of the cell card.
#include <string>

#include "link/cp1251.h"
#include "workstation/event_history.h"
#include "workstation/lamp_card.h"
#include "workstation/main_window.h"
#include "workstation/measurement_log.h"
#include "workstation/report_list.h"
#include "workstation/station_view.h"

namespace lumora {

std::array<std::int32_t, kCellColorPositions> CellColorCodes{};

namespace {

constexpr ReportColumn kStationColumnSpecs[kStationListColumns] = {
    {"", 5}, {"Инд.номер", 60}, {"Состояние", 85}, {"Неиспр.", 100}, {"", 10}};

constexpr int kStateColumn = 2;
constexpr int kStatusColumn = 3;
constexpr int kNumberSubItem = 0;
// Number, state text, status text.
constexpr int kStationListSubItems = 3;

// After a click the selection stays for a while, then goes; the counter counts the ticks.
void DeselectAfter(forms::TListView& list, int& counter) {
  if (list.Selected() == nullptr) {
    counter = 0;
    return;
  }
  if (++counter > kStationDeselectTicks) list.ClearSelection();
}

void PutSelectedNumber(const forms::TListView& list, forms::TEdit& number) {
  const forms::TListItem* row = list.Selected();
  if (row == nullptr) return;
  number.SetText(row->SubItems().Get(kNumberSubItem));
}

void DrawStationCell(forms::TListView& list, forms::TListItem& item, int column,
                     int first_position) {
  forms::TCanvas& canvas = list.Canvas();
  const StationCellColors colors =
      StationCellDrawColors(column, first_position + item.Index(), canvas.Font.Color);
  canvas.Font.Color = colors.font;
  canvas.Brush.Color = colors.brush;
}

}  // namespace

void SetCurrentStation(std::int32_t station) {
  CurrentStation = station;
}

void SetCellColorState(std::int32_t code, std::int32_t position) {
  if (position < 0 || position >= kCellColorPositions) return;
  CellColorCodes[static_cast<std::size_t>(position)] = code;
}

void InitStationList(forms::TListView& list) {
  InitReportList(list, kStationColumnSpecs, kStationListRows, kStationListSubItems);
}

void InitStationListA() {
  if (Form3 != nullptr) InitStationList(Form3->LV1A);
}

void InitStationListB() {
  if (Form3 != nullptr) InitStationList(Form3->LV1B);
}

StationCellColors StationCellDrawColors(int column, int position, forms::TColor normal_font) {
  StationCellColors colors{normal_font, forms::clWhite};
  if (column == kStatusColumn) colors.font = kStatusTextColor;
  if (column == kStateColumn && position >= 0 && position < kCellColorPositions) {
    const std::int32_t code = CellColorCodes[static_cast<std::size_t>(position)];
    if (code == kCellColorConnected) colors.brush = kCellConnectedBrush;
    if (code == kCellColorReady) colors.brush = kCellReadyBrush;
  }
  return colors;
}

void TForm3::FormCreate() {
  forms::RemoveCaptionBar(*this);
}

void TForm3::FormResize() {
  const int half = Width() / 2;
  LV1A.SetWidth(half - 10);
  LV1B.SetLeft(half);
  LV1B.SetWidth(half - 10);
}

void TForm3::Timer1Timer() {
  EditNUMST.SetText(std::to_string(CurrentStation));
  DeselectAfter(LV1A, DeselectCountA);
  DeselectAfter(LV1B, DeselectCountB);
}

void TForm3::BitBtn2Click() {
  if (CurrentStation > 1) --CurrentStation;
}

void TForm3::BitBtn3Click() {
  if (CurrentStation < 100) ++CurrentStation;
}

void TForm3::LV1AClick() {
  PutSelectedNumber(LV1A, EditINDN);
}

void TForm3::LV1BClick() {
  PutSelectedNumber(LV1B, EditINDN);
}

void TForm3::LV1ACustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int column,
                                   int, bool&) {
  DrawStationCell(sender, item, column, 0);
}

void TForm3::LV1BCustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int column,
                                   int, bool&) {
  DrawStationCell(sender, item, column, kStationListRows);
}

void TForm3::BitBtn1Click() {
  if (FormSVET == nullptr) return;
  FormSVET->SetLeft(MainWindowLeft() + 200);
  FormSVET->SetTop(MainWindowTop() + 200);
  FormSVET->Show();
  FormSVET->EditTN.SetText(EditINDN.Text());
  // Characters as the card's reads count them: in 8-bit text.
  if (lamp::Utf8ToCp1251(EditINDN.Text()).size() >= 2) {
    ReloadLampCard();
  } else {
    ClearLampCard();
    FormSVET->ListView1.Items().Clear();
  }
}

void TForm3::BitBtn5Click() {
  OpenEventHistory(MainWindowLeft() + 80, MainWindowTop() + 50, EditINDN.Text());
}

void TForm3::BitBtn4Click() {
  if (FormLOG != nullptr) FormLOG->Show();
}

}  // namespace lumora
