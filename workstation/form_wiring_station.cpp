// Connects the station view's lists, buttons, timer and window events to their handlers.
#include "workstation/station_view.h"

namespace lumora {

void TForm3::ConnectHandlers() {
  OnCreate = [this] { FormCreate(); };
  OnResize = [this] { FormResize(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  LV1A.OnClick = [this] { LV1AClick(); };
  LV1B.OnClick = [this] { LV1BClick(); };
  LV1A.OnCustomDrawSubItem = [this](forms::TListView& sender, forms::TListItem& item, int column,
                                    int state, bool& default_draw) {
    LV1ACustomDrawSubItem(sender, item, column, state, default_draw);
  };
  LV1B.OnCustomDrawSubItem = [this](forms::TListView& sender, forms::TListItem& item, int column,
                                    int state, bool& default_draw) {
    LV1BCustomDrawSubItem(sender, item, column, state, default_draw);
  };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
}

}  // namespace lumora
