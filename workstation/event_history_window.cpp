#include "workstation/event_history_window.h"

#include "workstation/event_history.h"

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

void TFormSOB::BitBtn1Click() {
  ClearEventHistory();
  Hide();
}

void TFormSOB::FormResize() {
  ListView1.SetWidth(Width() - 20);
  ListView1.SetHeight(Height() - 95);
  BitBtn1.SetTop(Height() - 76);
  RadioNSTR.SetTop(Height() - 80);
}

void TFormSOB::FormCloseQuery(bool& can_close) {
  ClearEventHistory();
  can_close = true;
}

void TFormSOB::ListView1CustomDrawSubItem(forms::TListView& sender, forms::TListItem& item,
                                          int column, int /*state*/, bool& /*default_draw*/) {
  sender.Canvas().Brush.Color = EventHistoryCellBackground(item, column);
}

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
