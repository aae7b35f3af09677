// Connects the live events window's timer, menu, mouse and custom draw to their handlers.
#include "workstation/live_events_window.h"

namespace lumora {

void TForm1::ConnectHandlers() {
  Timer1.OnTimer = [this] { Timer1Timer(); };
  N1.OnClick = [this] { N1Click(); };
  OnResize = [this] { FormResize(); };
  OnCreate = [this] { FormCreate(); };
  OnMouseUp = [this](forms::TMouseButton button, int shift, int x, int y) {
    FormMouseUp(button, shift, x, y);
  };
  LV1.OnCustomDrawSubItem = [this](forms::TListView& sender, forms::TListItem& item, int column,
                                   int state, bool& default_draw) {
    LV1CustomDrawSubItem(sender, item, column, state, default_draw);
  };
}

}  // namespace lumora
