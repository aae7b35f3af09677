#include "workstation/lamp_room_overview.h"

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

}  // namespace lumora
