#pragma once
// The diagnostics window "FormDBG": raw values of the workstation's tables for service
// staff. Every button only reads and lists.
#include <cstdint>

#include "platform/forms/controls.h"

namespace lumora {

class TFormDBG : public forms::TForm {
 public:
  TFormDBG();
  ~TFormDBG() override;

  void ConnectHandlers();

  forms::TListBox ListBox1{this, "ListBox1"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "PosF"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "C"};
  forms::TBitBtn BitBtn3{this, "BitBtn3", "List SVT"};
  forms::TEdit Edit1{this, "Edit1", "010aaa"};
  forms::TBitBtn BitBtn4{this, "BitBtn4", "iis"};
  forms::TEdit Edit2{this, "Edit2", "Edit2"};
  forms::TBitBtn BitBtn5{this, "BitBtn5", "wCONN"};
  forms::TBitBtn BitBtn6{this, "BitBtn6", "STAT"};
  forms::TBitBtn BitBtn9{this, "BitBtn9", "POW"};
  forms::TEdit Edit3{this, "Edit3", "Edit3"};
  forms::TCheckBox CheckIZM3F{this, "CheckIZM3F", "IZM3F"};
  forms::TEdit Edit4{this, "Edit4", "Edit4"};
  forms::TEdit Edit5{this, "Edit5", "Edit5"};
  forms::TEdit Edit7{this, "Edit7", "003aaa"};
  forms::TBitBtn BitBtn7{this, "BitBtn7", "CntALL"};
  forms::TEdit Edit6{this, "Edit6", "Edit6"};
  forms::TEdit Edit10{this, "Edit10", "0"};
  forms::TBitBtn BitBtn8{this, "BitBtn8", "BitBtn8"};
  forms::TEdit Edit8{this, "Edit8", "Edit8"};
  forms::TEdit Edit9{this, "Edit9", "Edit9"};

  void BitBtn1Click();  // "PosF"
  void BitBtn2Click();  // "C"
  void BitBtn3Click();  // "List SVT"
  void BitBtn4Click();  // "iis"
  void BitBtn5Click();  // "wCONN"
  void BitBtn6Click();  // "STAT"
  void BitBtn7Click();  // "CntALL"
  void BitBtn8Click();  // number text of a slot
  void BitBtn9Click();  // "POW"
};

// The program's diagnostics window (null when none exists).
extern TFormDBG* FormDBG;

// The display loop's station-view change count and mask, shown while "IZM3F" is checked.
void ShowMeasureDebug(std::int32_t count, std::int32_t mask);

}  // namespace lumora
