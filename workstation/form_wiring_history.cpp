// Connects the event history's handlers.
#include "workstation/event_history_window.h"

namespace lumora {

void TFormSOB::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  OnResize = [this] { FormResize(); };
  OnCloseQuery = [this](bool& can_close) { FormCloseQuery(can_close); };
  ListView1.OnCustomDrawSubItem = [this](forms::TListView& sender, forms::TListItem& item,
                                         int column, int state, bool& default_draw) {
    ListView1CustomDrawSubItem(sender, item, column, state, default_draw);
  };
}

}  // namespace lumora
