#include "workstation/live_events_window.h"

#include "workstation/live_events.h"
#include "workstation/traffic_window.h"

namespace lumora {

TForm1* Form1 = nullptr;

TForm1::TForm1() : forms::TForm("Form1", "Log") {
  Form1 = this;
  SetFormStyle(forms::TFormStyle::fsMDIChild);
  SetBounds(0, 420, 760, 240);
  Label1.SetBounds(8, 2, 120, 16);
  Label1.SetFontColor(forms::clMaroon);
  Label1.SetFontBold(true);
  LV1.SetBounds(8, 20, 740, 190);
  LV1.SetGridLines(true);
  LV1.SetViewStyle(forms::TViewStyle::vsReport);
  LV1.SetRowSelect(true);
  PopupMenu1.Add(&N1);
  LV1.SetPopupMenu(&PopupMenu1);
  SetVisible(true);
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
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

void TForm1::LV1CustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int column, int,
                                  bool&) {
  sender.Canvas().Font.Color = LiveEventFontColor(column, item.SubItems().Get(1));
}

void TForm1::N1Click() {
  LV1.Items().Clear();
}

void TForm1::ConnectHandlers() {
  Timer1.OnTimer = [this] { Timer1Timer(); };
  N1.OnClick = [this] { N1Click(); };
  OnResize = [this] { FormResize(); };
  OnCreate = [this] { FormCreate(); };
  OnMouseUp = [this](forms::TMouseButton button, int shift, int x, int y) {
    FormMouseUp(button, shift, x, y);
  };
  LV1.OnCustomDrawSubItem = [this](forms::TListView& sender, forms::TListItem& item, int column,
                                   int state, bool& default_draw) {
    LV1CustomDrawSubItem(sender, item, column, state, default_draw);
  };
}

}  // namespace lumora
