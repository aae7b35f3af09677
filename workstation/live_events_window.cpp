#include "workstation/live_events_window.h"

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

}  // namespace lumora
