#include "workstation/event_history_window.h"

namespace lumora {

TFormSOB* FormSOB = nullptr;

TFormSOB::TFormSOB() : forms::TForm("FormSOB", "СОБЫТИЯ") {
  FormSOB = this;
  SetBounds(80, 50, 720, 480);
  ListView1.SetBounds(4, 4, 700, 385);
  ListView1.SetViewStyle(forms::TViewStyle::vsReport);
  BitBtn1.SetBounds(16, 404, 90, 28);
  RadioNSTR.SetBounds(140, 400, 180, 56);
  RadioNSTR.SetColumns(2);
  RadioNSTR.Items().Add("100");
  RadioNSTR.Items().Add("500");
  RadioNSTR.SetItemIndex(0);
}

TFormSOB::~TFormSOB() {
  if (FormSOB == this) FormSOB = nullptr;
}

}  // namespace lumora
