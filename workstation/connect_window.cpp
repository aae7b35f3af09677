#include "workstation/connect_window.h"

namespace lumora {

TFormSQL* FormSQL = nullptr;

TFormSQL::TFormSQL() : forms::TForm("FormSQL", "Подключение к базе") {
  FormSQL = this;
  SetBounds(0, 0, 309, 161);
  SetBorderStyle(forms::TBorderStyle::bsDialog);

  Edit3.SetBounds(8, 8, 293, 24);
  Edit3.SetColor(forms::clBtnFace);
  Edit3.SetReadOnly(true);

  EditU.SetBounds(8, 40, 293, 24);
  EditU.SetFontBold(true);
  EditU.SetFontColor(forms::clNavy);

  EditP.SetBounds(8, 72, 293, 24);
  EditP.SetFontBold(true);
  EditP.SetFontColor(forms::clNavy);
  EditP.SetPasswordChar('*');

  BitBtn1.SetBounds(8, 112, 185, 33);
  BitBtn1.SetFontBold(true);
  BitBtn1.SetFontColor(forms::clBlue);

  Edit1.SetBounds(200, 116, 101, 24);
  Edit1.SetVisible(false);
}

TFormSQL::~TFormSQL() {
  if (FormSQL == this) FormSQL = nullptr;
}

void TFormSQL::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
}

}  // namespace lumora
