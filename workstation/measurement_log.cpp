#include "workstation/measurement_log.h"

namespace lumora {

TFormLOG* FormLOG = nullptr;

TFormLOG::TFormLOG() : forms::TForm("FormLOG", "LOG") {
  FormLOG = this;
  SetBounds(260, 180, 529, 341);
  SetVisible(false);

  LabelNumber.SetBounds(40, 4, 70, 16);
  LabelOn.SetBounds(8, 4, 30, 16);
  Check1.SetBounds(8, 22, 20, 20);
  Edit1.SetBounds(40, 22, 70, 22);
  Check2.SetBounds(8, 50, 20, 20);
  Edit5.SetBounds(40, 50, 70, 22);

  LabelDU.SetBounds(8, 84, 24, 16);
  Edit2.SetBounds(40, 82, 50, 22);
  UpDown1.SetBounds(90, 82, 16, 22);
  LabelDI.SetBounds(8, 112, 24, 16);
  Edit3.SetBounds(40, 110, 50, 22);
  UpDown2.SetBounds(90, 110, 16, 22);
  LabelDT.SetBounds(8, 140, 24, 16);
  Edit4.SetBounds(40, 138, 50, 22);
  UpDown3.SetBounds(90, 138, 16, 22);
  UpDown3.SetIncrement(10);
  for (forms::TEdit* edit : {&Edit2, &Edit3, &Edit4}) edit->SetReadOnly(true);
  UpDown1.SetAssociate(&Edit2);
  UpDown2.SetAssociate(&Edit3);
  UpDown3.SetAssociate(&Edit4);

  RadioGroup1.SetBounds(8, 170, 100, 60);
  RadioGroup1.Items().Add("1");
  RadioGroup1.Items().Add("2");
  RadioGroup1.SetItemIndex(0);
  CheckSCR.SetBounds(8, 236, 80, 20);
  BitBtn1.SetBounds(8, 262, 40, 26);
  BitBtn2.SetBounds(8, 294, 100, 28);
  SaveDG.SetDefaultExt(".txt");
  SaveDG.SetFileName("*.txt");

  for (forms::TListBox* list : {&ListBoxL1, &ListBoxL2}) {
    list->SetBounds(150, 4, 370, Height() - kLogListHeightMargin);
    list->SetFontName("Courier New");
  }
  ListBoxL2.SetVisible(false);
}

TFormLOG::~TFormLOG() {
  if (FormLOG == this) FormLOG = nullptr;
}

void TFormLOG::Timer1Timer() {
  for (MeasurementLogState& log : MeasurementLogs) log.seconds += 1;
  const bool first = RadioGroup1.ItemIndex() == 0;
  ListBoxL1.SetVisible(first);
  ListBoxL2.SetVisible(!first);
}

void TFormLOG::BitBtn1Click() {
  ListBoxL1.Items().Clear();
}

void TFormLOG::FormResize() {
  ListBoxL1.SetHeight(Height() - kLogListHeightMargin);
  ListBoxL2.SetHeight(Height() - kLogListHeightMargin);
}

void TFormLOG::ConnectHandlers() {
  Timer1.OnTimer = [this] { Timer1Timer(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  OnResize = [this] { FormResize(); };
}

}  // namespace lumora
