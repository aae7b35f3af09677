#pragma once
// The event history "СОБЫТИЯ": the last events of one lamp from EVENT, newest first, with
// their texts and a note of their parameters. Opened from the station view; hidden at start.
//
// The constructor builds the controls with their load-time state; the handlers, beside it,
// call the reading of event_history.h and are connected by ConnectHandlers().
#include "platform/forms/controls.h"

namespace lumora {

class TFormSOB : public forms::TForm {
 public:
  TFormSOB();
  ~TFormSOB() override;

  void ConnectHandlers();

  forms::TListView ListView1{this, "ListView1"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "OK"};
  forms::TRadioGroup RadioNSTR{this, "RadioNSTR", "Строк"};

  void BitBtn1Click();  // empty the list, hide
  void FormResize();
  void FormCloseQuery(bool& can_close);
  void ListView1CustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int column,
                                  int state, bool& default_draw);
};

// The program's event history (null when none exists).
extern TFormSOB* FormSOB;

}  // namespace lumora
