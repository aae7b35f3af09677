#include "workstation/about_box.h"

namespace lumora {

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox() : forms::TForm("AboutBox", "About") {
  AboutBox = this;
  SetBorderStyle(forms::TBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poScreenCenter);
  SetBounds(200, 108, 298, 239);
  Panel1.SetBounds(8, 8, 281, 161);
  ProgramIcon.SetBounds(8, 8, 65, 57);
  ProgramIcon.SetFontSize(28);
  ProductName.SetBounds(88, 16, 180, 13);
  Version.SetBounds(88, 40, 180, 13);
  Copyright.SetBounds(8, 80, 265, 13);
  Comments.SetBounds(8, 104, 265, 39);
  OKButton.SetBounds(111, 178, 75, 25);
  OKButton.SetModalResult(forms::IDOK);
  SetVisible(false);
}

TAboutBox::~TAboutBox() {
  if (AboutBox == this) AboutBox = nullptr;
}

}  // namespace lumora
