#include "workstation/device_number_tool.h"

namespace lumora {

TFormNUM* FormNUM = nullptr;

TFormNUM::TFormNUM() : forms::TForm("FormNUM", "Инд.номер") {
  FormNUM = this;
  SetBounds(240, 160, 548, 349);
  SetVisible(false);

  ListBox1.SetBounds(8, 8, 250, 300);
  BitBtn5.SetBounds(8, 314, 30, 26);

  Panel1.SetBounds(266, 8, 274, 150);
  EditTN.SetBounds(8, 22, 90, 22);
  RadioTN.SetBounds(106, 22, 80, 20);
  RadioFN.SetBounds(186, 22, 80, 20);
  EditNM1.SetBounds(8, 52, 90, 22);
  EditNM2.SetBounds(106, 52, 90, 22);
  BitBtn1.SetBounds(8, 84, 90, 28);
  EditTIM.SetBounds(106, 118, 50, 22);
  BitBtn6.SetBounds(164, 114, 100, 28);

  Panel2.SetBounds(266, 164, 274, 176);
  LabelNEWN.SetBounds(8, 20, 90, 16);
  EditNEWN.SetBounds(8, 36, 90, 22);
  LabelOLDN.SetBounds(106, 20, 90, 16);
  EditOLDN.SetBounds(106, 36, 90, 22);
  RadioTNS.SetBounds(8, 66, 80, 20);
  RadioFNS.SetBounds(96, 66, 80, 20);
  EditN1.SetBounds(8, 94, 90, 22);
  EditN2.SetBounds(106, 94, 90, 22);
  BitBtn4.SetBounds(8, 132, 90, 28);
  BitBtn2.SetBounds(106, 132, 70, 28);
  BitBtn2.SetVisible(false);
  BitBtn3.SetBounds(184, 132, 70, 28);
  BitBtn3.SetVisible(false);
}

TFormNUM::~TFormNUM() {
  if (FormNUM == this) FormNUM = nullptr;
}

void TFormNUM::BitBtn5Click() {
  ListBox1.Items().Clear();
}

void TFormNUM::ListBox1DblClick() {
  ListBox1.Items().Clear();
}

void TFormNUM::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  ListBox1.OnDblClick = [this] { ListBox1DblClick(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
}

}  // namespace lumora
