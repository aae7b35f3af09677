#include "workstation/battery_editor.h"

#include <string>

namespace lumora {

TFormBAT* FormBAT = nullptr;
TFormERR* FormERR = nullptr;

namespace {

constexpr const char* kResistanceItems[] = {"0",    "0.02", "0.04", "0.06", "0.08", "0.10",
                                            "0.12", "0.14", "0.16", "0.18", "0.20", "Другой"};

void PlaceValue(forms::TLabel& label, forms::TEdit& edit, int left, int top) {
  label.SetBounds(left, top + 3, 70, 16);
  edit.SetBounds(left + 72, top, 56, 21);
}

}  // namespace

TFormBAT::TFormBAT() : forms::TForm("FormBAT", "Режим  батареи") {
  FormBAT = this;
  SetBounds(200, 60, 560, 560);

  Label19.SetBounds(8, 11, 70, 16);
  EditTN.SetBounds(80, 8, 80, 21);
  CheckSMB.SetBounds(176, 10, 130, 17);
  BitBtn4.SetBounds(420, 6, 120, 25);

  GroupBox8.SetBounds(8, 36, 536, 120);
  Label21.SetBounds(8, 4, 60, 16);
  RadioTIP.SetBounds(8, 22, 120, 92);
  for (const char* item : {"Ni-Cd", "Ni-Mh", "Li-Ion", "Доливной"}) RadioTIP.Items().Add(item);
  RadioTIP.SetItemIndex(1);
  RadioCELL.SetBounds(136, 22, 90, 92);
  for (const char* item : {"1", "2", "3"}) RadioCELL.Items().Add(item);
  RadioCELL.SetItemIndex(2);
  Label23.SetBounds(236, 26, 120, 16);
  EditACC.SetBounds(360, 22, 60, 21);
  Label20.SetBounds(236, 54, 120, 16);
  EditVN.SetBounds(360, 50, 60, 21);
  EditCOMT.SetBounds(236, 82, 292, 21);

  Label17.SetBounds(8, 162, 120, 16);

  GroupBox1.SetBounds(8, 180, 264, 70);
  CB1.SetBounds(8, 4, 100, 17);
  PlaceValue(Label1, EditP1, 8, 24);
  PlaceValue(Label2, EditP2, 136, 24);

  GroupBox2.SetBounds(280, 180, 264, 70);
  Label5.SetBounds(8, 4, 100, 16);
  PlaceValue(Label3, EditP3, 8, 24);
  PlaceValue(Label4, EditP4, 136, 24);
  PlaceValue(Label6, EditP5, 8, 46);

  GroupBox3.SetBounds(8, 256, 264, 70);
  CB3.SetBounds(8, 4, 100, 17);
  PlaceValue(Label7, EditP6, 8, 24);
  PlaceValue(Label8, EditP7, 136, 24);
  PlaceValue(Label10, EditP8, 8, 46);

  GroupBox4.SetBounds(280, 256, 264, 70);
  CB4.SetBounds(8, 4, 100, 17);
  PlaceValue(Label9, EditP11, 8, 24);
  PlaceValue(Label11, EditP12, 136, 24);

  GroupBox5.SetBounds(8, 332, 264, 70);
  Label14.SetBounds(8, 4, 100, 16);
  PlaceValue(Label12, EditP9, 8, 24);
  PlaceValue(Label13, EditP10, 136, 24);

  GroupBox6.SetBounds(280, 332, 264, 70);
  Label15.SetBounds(8, 4, 200, 16);
  CheckBox3.SetBounds(8, 24, 60, 17);
  CheckBox3.SetEnabled(false);
  CB2.SetBounds(72, 24, 70, 17);
  EditP13.SetBounds(144, 22, 56, 21);
  CB5.SetBounds(72, 46, 70, 17);
  EditPMT.SetBounds(144, 44, 56, 21);

  GroupBox7.SetBounds(8, 408, 536, 100);
  Label16.SetBounds(8, 4, 100, 16);
  Label22.SetBounds(8, 26, 130, 16);
  ComboRR.SetBounds(140, 22, 70, 21);
  for (const char* item : kResistanceItems) ComboRR.Items().Add(item);
  ComboRR.SetText("0");
  EditRRNET.SetBounds(216, 22, 56, 21);
  CheckAVAR1.SetBounds(8, 50, 260, 17);
  CheckKZAR.SetBounds(280, 4, 150, 17);
  CheckKRAZ.SetBounds(280, 26, 150, 17);
  CheckKBAT.SetBounds(280, 48, 150, 17);
  CheckCNTOK.SetBounds(280, 70, 150, 17);

  Edit1.SetBounds(8, 520, 160, 21);
  Edit1.SetColor(forms::clWhite);
  Edit1.SetReadOnly(true);
  BitBtn3.SetBounds(176, 516, 110, 29);
  BitBtn2.SetBounds(292, 516, 140, 29);
  BitBtn1.SetBounds(438, 516, 106, 29);

  BitBtn5.SetVisible(false);
  BitBtn6.SetVisible(false);
}

TFormBAT::~TFormBAT() {
  if (FormBAT == this) FormBAT = nullptr;
}

TFormERR::TFormERR() : forms::TForm("FormERR", std::string(30, ' ') + "ОШИБКА") {
  FormERR = this;
  SetBorderStyle(forms::TBorderStyle::bsToolWindow);
  SetBounds(0, 0, 300, 120);
  Label.SetBounds(16, 16, 268, 32);
  Label.SetFontColor(forms::clMaroon);
  BitBtn1.SetBounds(110, 60, 80, 28);
}

TFormERR::~TFormERR() {
  if (FormERR == this) FormERR = nullptr;
}

}  // namespace lumora
