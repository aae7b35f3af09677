// Connects the lamp-room overview's list, timer and window events to their handlers.
#include "workstation/lamp_room_overview.h"

namespace lumora {

void TForm2::ConnectHandlers() {
  OnCreate = [this] { FormCreate(); };
  OnResize = [this] { FormResize(); };
  OnMouseUp = [this](forms::TMouseButton button, int shift, int x, int y) {
    FormMouseUp(button, shift, x, y);
  };
  LV1.OnClick = [this] { LV1Click(); };
  LV1.OnCustomDrawSubItem = [this](forms::TListView& sender, forms::TListItem& item, int column,
                                   int state, bool& default_draw) {
    LV1CustomDrawSubItem(sender, item, column, state, default_draw);
  };
  Timer1.OnTimer = [this] { Timer1Timer(); };
}

}  // namespace lumora
