#pragma once
// The about box: the program icon, four labels and an "OK" button that closes it.
#include "platform/forms/controls.h"

namespace lumora {

class TAboutBox : public forms::TForm {
 public:
  TAboutBox();
  ~TAboutBox() override;

  forms::TPanel Panel1{this, "Panel1"};
  forms::TLabel ProgramIcon{&Panel1, "ProgramIcon", "◉"};
  forms::TLabel ProductName{&Panel1, "ProductName", "Lumora"};
  forms::TLabel Version{&Panel1, "Version", "08.05.16"};
  forms::TLabel Copyright{&Panel1, "Copyright", "Монитор ЖВК"};
  forms::TLabel Comments{&Panel1, "Comments", "Контроль заряда головных светильников"};
  forms::TButton OKButton{this, "OKButton", "OK"};
};

// The program's about box (null when none exists).
extern TAboutBox* AboutBox;

}  // namespace lumora
