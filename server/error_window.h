#pragma once
// The database error window: the list of failed statements, three lines each.
#include "platform/forms/controls.h"

namespace tolvex {

class TFormERR : public forms::TForm {
 public:
  TFormERR();
  ~TFormERR() override;

  forms::TListBox ListBox1{this, "ListBox1"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "OK"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "C"};

  void BitBtn1Click();  // "OK": hide the window
  void BitBtn2Click();  // "C": empty the list
};

extern TFormERR* FormERR;

}  // namespace tolvex
