#pragma once
// The live events list "Log": one row per cell state with a non-zero event code, newest on
// top, the code coloured by its class. A Shift-release near its left edge calls up the
// traffic window.
#include "platform/forms/controls.h"

namespace lumora {

// Shift-releases at an X below this show the traffic window.
inline constexpr int kTrafficWindowHotZone = 50;

class TForm1 : public forms::TForm {
 public:
  TForm1();
  ~TForm1() override;

  void ConnectHandlers();

  forms::TLabel Label1{this, "Label1", "СОБЫТИЯ"};
  forms::TListView LV1{this, "LV1"};
  forms::TPopupMenu PopupMenu1{this, "PopupMenu1"};
  forms::TMenuItem N1{this, "N1", "Очистить"};
  forms::TTimer Timer1{this, "Timer1", 100, true};

  // Ticks of Timer1, counted up to 100.
  int TimerTicks = 0;

  void Timer1Timer();
  void FormResize();
  void FormCreate();
  void FormMouseUp(forms::TMouseButton button, int shift, int x, int y);
  void LV1CustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int column, int state,
                            bool& default_draw);
  void N1Click();
};

// The program's live events window (null when none exists).
extern TForm1* Form1;

}  // namespace lumora
