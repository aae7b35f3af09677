#include "workstation/lamp_room_overview.h"

#include "link/number_text.h"
#include "workstation/diagnostics_window.h"
#include "workstation/station_view.h"

namespace lumora {

TForm2* Form2 = nullptr;

namespace {

void InitSummaryLamp(forms::TLabel& label, forms::TEdit& lamp, int left) {
  label.SetBounds(left, 6, 44, 13);
  lamp.SetBounds(left + 46, 3, 22, 19);
  lamp.SetColor(forms::clSilver);
  lamp.SetReadOnly(true);
}

}  // namespace

TForm2::TForm2() : forms::TForm("Form2", "Form2") {
  Form2 = this;
  SetFormStyle(forms::TFormStyle::fsMDIChild);
  SetBorderIcons(0);
  SetColor(0xB9D2DB);
  SetBounds(0, 0, 645, 400);
  Label5.SetBounds(8, 4, 120, 16);
  Label5.SetFontColor(forms::clMaroon);
  Label5.SetFontBold(true);
  InitSummaryLamp(Label1, Edit1, 330);
  InitSummaryLamp(Label2, Edit2, 430);
  InitSummaryLamp(Label3, Edit3, 530);
  LV1.SetBounds(5, 26, 625, 360);
  LV1.SetReadOnly(true);
  LV1.SetRowSelect(true);
  SetVisible(true);
}

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
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

void TForm2::LV1CustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int column, int,
                                  bool&) {
  const CellColors colors = LampRoomCellColors(column, item.ColumnText(column));
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

void TForm2::ConnectHandlers() {
  OnCreate = [this] { FormCreate(); };
  OnResize = [this] { FormResize(); };
  OnMouseUp = [this](forms::TMouseButton button, int shift, int x, int y) {
    FormMouseUp(button, shift, x, y);
  };
  LV1.OnClick = [this] { LV1Click(); };
  LV1.OnCustomDrawSubItem = [this](forms::TListView& sender, forms::TListItem& item, int column,
                                   int state, bool& default_draw) {
    LV1CustomDrawSubItem(sender, item, column, state, default_draw);
  };
  Timer1.OnTimer = [this] { Timer1Timer(); };
}

}  // namespace lumora
