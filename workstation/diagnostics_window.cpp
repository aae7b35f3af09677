#include "workstation/diagnostics_window.h"

namespace lumora {

TFormDBG* FormDBG = nullptr;

TFormDBG::TFormDBG() : forms::TForm("FormDBG", "FormDBG") {
  FormDBG = this;
  SetBounds(400, 100, 560, 420);
  ListBox1.SetBounds(200, 8, 350, 400);
  BitBtn1.SetBounds(8, 8, 60, 24);
  BitBtn2.SetBounds(76, 8, 40, 24);
  BitBtn3.SetBounds(124, 8, 70, 24);
  Edit1.SetBounds(8, 40, 80, 21);
  BitBtn4.SetBounds(96, 40, 50, 24);
  Edit2.SetBounds(8, 70, 80, 21);
  BitBtn5.SetBounds(96, 70, 50, 24);
  BitBtn6.SetBounds(96, 98, 50, 24);
  BitBtn9.SetBounds(150, 98, 44, 24);
  Edit3.SetBounds(8, 130, 80, 21);
  CheckIZM3F.SetBounds(8, 160, 80, 20);
  Edit4.SetBounds(8, 186, 80, 21);
  Edit5.SetBounds(96, 186, 80, 21);
  Edit7.SetBounds(8, 216, 80, 21);
  BitBtn7.SetBounds(96, 216, 60, 24);
  Edit6.SetBounds(8, 246, 80, 21);
  Edit10.SetBounds(8, 276, 80, 21);
  BitBtn8.SetBounds(96, 276, 60, 24);
  Edit8.SetBounds(8, 306, 80, 21);
  Edit9.SetBounds(96, 306, 80, 21);
}

TFormDBG::~TFormDBG() {
  if (FormDBG == this) FormDBG = nullptr;
}

void TFormDBG::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  BitBtn7.OnClick = [this] { BitBtn7Click(); };
  BitBtn8.OnClick = [this] { BitBtn8Click(); };
  BitBtn9.OnClick = [this] { BitBtn9Click(); };
}

}  // namespace lumora
