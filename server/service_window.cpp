#include "server/service_window.h"

#include "server/cell_registry.h"
#include "server/station_frame.h"

namespace tolvex {

TFormSV* FormSV = nullptr;

TFormSV::TFormSV() : forms::TForm("FormSV", "FormSV") {
  FormSV = this;
  SetBounds(200, 150, 760, 520);
  ListBox1.SetBounds(250, 8, 500, 480);
  StartWinsock();
  PrepareCellRegistry();
}

TFormSV::~TFormSV() {
  if (FormSV == this) FormSV = nullptr;
}

}  // namespace tolvex
