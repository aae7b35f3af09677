#include "workstation/station_view.h"

namespace lumora {

TForm3* Form3 = nullptr;

namespace {

void PlaceLabelled(forms::TLabel& label, forms::TEdit& edit, int left, int top, int label_width,
                   int edit_width) {
  label.SetBounds(left, top + 3, label_width, 13);
  edit.SetBounds(left + label_width, top, edit_width, 21);
}

}  // namespace

TForm3::TForm3() : forms::TForm("Form3", "Form3") {
  Form3 = this;
  SetFormStyle(forms::TFormStyle::fsMDIChild);
  SetBorderIcons(0);
  SetColor(0xB9D2DB);
  SetBounds(650, 0, 620, 695);

  Label1.SetBounds(8, 6, 160, 16);
  Label1.SetFontColor(forms::clMaroon);
  Label1.SetFontBold(true);
  BitBtn2.SetBounds(200, 3, 30, 22);
  EditNUMST.SetBounds(234, 3, 40, 21);
  EditNUMST.SetReadOnly(true);
  BitBtn3.SetBounds(278, 3, 30, 22);
  Edit1.SetBounds(330, 3, 40, 21);
  Edit1.SetVisible(false);

  LV1A.SetBounds(5, 30, 300, 480);
  LV1B.SetBounds(310, 30, 300, 480);
  for (forms::TListView* list : {&LV1A, &LV1B}) {
    list->SetReadOnly(true);
    list->SetRowSelect(true);
  }

  Panel1.SetBounds(5, 515, 605, 132);
  Panel1.SetColor(0xB9C5C3);
  Label6.SetBounds(140, 4, 150, 16);
  Label6.SetFontColor(forms::clMaroon);
  Label6.SetFontBold(true);
  LabIND.SetBounds(100, 4, 20, 16);
  PlaceLabelled(Label2, EditINDN, 8, 24, 14, 70);
  EditSTAT.SetBounds(100, 24, 140, 21);
  EditSTAT.SetReadOnly(true);
  EditTIM.SetBounds(246, 24, 50, 21);
  EditTIM.SetReadOnly(true);
  PlaceLabelled(Label3, EditMD, 8, 52, 32, 60);
  EditMD.SetReadOnly(true);
  EditCK.SetBounds(106, 52, 150, 21);
  EditCK.SetReadOnly(true);
  PlaceLabelled(Label4, EditUACC, 8, 80, 36, 56);
  EditUACC.SetReadOnly(true);
  PlaceLabelled(Label5, EditIACC, 106, 80, 26, 56);
  EditIACC.SetReadOnly(true);
  Memo1.SetBounds(300, 4, 210, 122);
  Memo1.SetScrollBars(forms::TScrollStyle::ssBoth);
  Memo1.SetWordWrap(false);
  Memo1.SetReadOnly(true);
  BitBtn1.SetBounds(518, 8, 80, 25);
  BitBtn5.SetBounds(518, 40, 80, 25);
  BitBtn4.SetBounds(518, 72, 80, 25);

  StatusBar.SetBounds(0, 650, 612, 19);
  for (int i = 0; i < kStatusPanels; ++i) StatusBar.AddPanel(50);
  SetVisible(true);
}

TForm3::~TForm3() {
  if (Form3 == this) Form3 = nullptr;
}

void TForm3::ConnectHandlers() {
  OnCreate = [this] { FormCreate(); };
  OnResize = [this] { FormResize(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  LV1A.OnClick = [this] { LV1AClick(); };
  LV1B.OnClick = [this] { LV1BClick(); };
  LV1A.OnCustomDrawSubItem = [this](forms::TListView& sender, forms::TListItem& item, int column,
                                    int state, bool& default_draw) {
    LV1ACustomDrawSubItem(sender, item, column, state, default_draw);
  };
  LV1B.OnCustomDrawSubItem = [this](forms::TListView& sender, forms::TListItem& item, int column,
                                    int state, bool& default_draw) {
    LV1BCustomDrawSubItem(sender, item, column, state, default_draw);
  };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
}

}  // namespace lumora
