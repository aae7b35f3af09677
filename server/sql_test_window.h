#pragma once
// The SQL test window: one button per database writer, each called with fixed test values for
// the number in Edit1, and a memo with fixed lines telling what was sent.
#include "platform/forms/controls.h"

namespace tolvex {

class TFormSQL : public forms::TForm {
 public:
  TFormSQL();
  ~TFormSQL() override;

  void ConnectHandlers();

  forms::TEdit Edit1{this, "Edit1", "TEST"};
  forms::TEdit Edit2{this, "Edit2"};
  forms::TMemo Memo1{this, "Memo1"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "AccDIS"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "count"};
  forms::TBitBtn BitBtn3{this, "BitBtn3", "UPD-CHALL"};
  forms::TBitBtn BitBtn4{this, "BitBtn4", "ADD-CHALL"};
  forms::TBitBtn BitBtn5{this, "BitBtn5", "ADD-DisAll"};
  forms::TBitBtn BitBtn7{this, "BitBtn7", "BattCH"};
  forms::TBitBtn BitBtn8{this, "BitBtn8", "UpdDisAll"};
  forms::TBitBtn BitBtn9{this, "BitBtn9", "Stat"};
  forms::TBitBtn BitBtn10{this, "BitBtn10", "C"};

  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn5Click();
  void BitBtn7Click();
  void BitBtn8Click();
  void BitBtn9Click();
  void BitBtn10Click();
  void FormResize();
};

extern TFormSQL* FormSQL;

}  // namespace tolvex
