#include "server/error_window.h"

namespace tolvex {

TFormERR* FormERR = nullptr;

TFormERR::TFormERR() : forms::TForm("FormERR", " ERROR") {
  FormERR = this;
  SetBounds(300, 200, 420, 300);
  ListBox1.SetMultiSelect(true);
  ListBox1.SetBounds(8, 8, 400, 220);
  BitBtn1.SetBounds(8, 240, 90, 28);
  BitBtn2.SetBounds(110, 240, 90, 28);
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
}

TFormERR::~TFormERR() {
  if (FormERR == this) FormERR = nullptr;
}

void TFormERR::BitBtn1Click() {
  Close();
}

void TFormERR::BitBtn2Click() {
  ListBox1.Items().Clear();
}

}  // namespace tolvex
