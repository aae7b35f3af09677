#include "workstation/battery_editor.h"

#include <string>

namespace lumora {

TFormBAT* FormBAT = nullptr;
TFormERR* FormERR = nullptr;

namespace {

constexpr const char* kResistanceItems[] = {"0",    "0.02", "0.04", "0.06", "0.08", "0.10",
                                            "0.12", "0.14", "0.16", "0.18", "0.20", "Другой"};

void PlaceValue(forms::TLabel& label, forms::TEdit& edit, int left, int top) {
  label.SetBounds(left, top + 3, 76, 16);
  edit.SetBounds(left + 78, top, 56, 21);
}

}  // namespace

TFormBAT::TFormBAT() : forms::TForm("FormBAT", "Режим  батареи") {
  FormBAT = this;
  SetBounds(200, 60, 600, 590);

  Label19.SetBounds(8, 11, 70, 16);
  EditTN.SetBounds(80, 8, 80, 21);
  CheckSMB.SetBounds(176, 10, 130, 17);
  BitBtn4.SetBounds(460, 6, 132, 25);

  GroupBox8.SetBounds(8, 36, 584, 140);
  Label21.SetBounds(8, 4, 60, 16);
  RadioTIP.SetBounds(8, 22, 130, 112);
  for (const char* item : {"Ni-Cd", "Ni-Mh", "Li-Ion", "Доливной"}) RadioTIP.Items().Add(item);
  RadioTIP.SetItemIndex(1);
  RadioCELL.SetBounds(146, 22, 90, 112);
  for (const char* item : {"1", "2", "3"}) RadioCELL.Items().Add(item);
  RadioCELL.SetItemIndex(2);
  Label23.SetBounds(248, 26, 136, 16);
  EditACC.SetBounds(388, 22, 60, 21);
  Label20.SetBounds(248, 54, 136, 16);
  EditVN.SetBounds(388, 50, 60, 21);
  EditCOMT.SetBounds(248, 82, 328, 21);

  Label17.SetBounds(8, 182, 120, 16);

  GroupBox1.SetBounds(8, 200, 288, 70);
  CB1.SetBounds(8, 4, 100, 17);
  PlaceValue(Label1, EditP1, 8, 24);
  PlaceValue(Label2, EditP2, 146, 24);

  GroupBox2.SetBounds(304, 200, 288, 70);
  Label5.SetBounds(8, 4, 100, 16);
  PlaceValue(Label3, EditP3, 8, 24);
  PlaceValue(Label4, EditP4, 146, 24);
  PlaceValue(Label6, EditP5, 8, 46);

  GroupBox3.SetBounds(8, 276, 288, 70);
  CB3.SetBounds(8, 4, 100, 17);
  PlaceValue(Label7, EditP6, 8, 24);
  PlaceValue(Label8, EditP7, 146, 24);
  PlaceValue(Label10, EditP8, 8, 46);

  GroupBox4.SetBounds(304, 276, 288, 70);
  CB4.SetBounds(8, 4, 100, 17);
  PlaceValue(Label9, EditP11, 8, 24);
  PlaceValue(Label11, EditP12, 146, 24);

  GroupBox5.SetBounds(8, 352, 288, 70);
  Label14.SetBounds(8, 4, 100, 16);
  PlaceValue(Label12, EditP9, 8, 24);
  PlaceValue(Label13, EditP10, 146, 24);

  GroupBox6.SetBounds(304, 352, 288, 70);
  Label15.SetBounds(8, 4, 200, 16);
  CheckBox3.SetBounds(8, 24, 60, 17);
  CheckBox3.SetEnabled(false);
  CB2.SetBounds(72, 24, 70, 17);
  EditP13.SetBounds(144, 22, 56, 21);
  CB5.SetBounds(72, 46, 70, 17);
  EditPMT.SetBounds(144, 44, 56, 21);

  GroupBox7.SetBounds(8, 428, 584, 100);
  Label16.SetBounds(8, 4, 100, 16);
  Label22.SetBounds(8, 26, 150, 16);
  ComboRR.SetBounds(160, 22, 70, 21);
  for (const char* item : kResistanceItems) ComboRR.Items().Add(item);
  ComboRR.SetText("0");
  EditRRNET.SetBounds(236, 22, 56, 21);
  CheckAVAR1.SetBounds(8, 50, 310, 17);
  CheckKZAR.SetBounds(330, 4, 160, 17);
  CheckKRAZ.SetBounds(330, 26, 160, 17);
  CheckKBAT.SetBounds(330, 48, 160, 17);
  CheckCNTOK.SetBounds(330, 70, 160, 17);

  Edit1.SetBounds(8, 548, 150, 21);
  Edit1.SetColor(forms::clWhite);
  Edit1.SetReadOnly(true);
  BitBtn3.SetBounds(166, 544, 120, 29);
  BitBtn2.SetBounds(292, 544, 170, 29);
  BitBtn1.SetBounds(468, 544, 124, 29);

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

void TFormERR::BitBtn1Click() {
  Close();
}

void TFormBAT::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  RadioTIP.OnClick = [this] { RadioTIPClick(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
}

void TFormERR::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
}

}  // namespace lumora
