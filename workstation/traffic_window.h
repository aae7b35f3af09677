#pragma once
// The traffic window "Serv": a hidden list of the datagrams from the server, by category,
// for diagnosis. It also owns the receive socket's timers: the reopen (TimerST), the drain
// (Timer1) and the silence supervision (Timer2). Creating it starts the socket library.
//
// The constructor builds the controls with their load-time state; the handlers, beside it,
// call the receive socket's module and are connected by ConnectHandlers().
#include <cstdint>

#include "platform/forms/controls.h"

namespace lumora {

// Traffic line categories.
inline constexpr int kTrafficLength = 1;
inline constexpr int kTrafficCellStatus = 2;
inline constexpr int kTrafficPing = 3;
inline constexpr int kTrafficBattery = 4;
inline constexpr int kTrafficCommandAnswer = 5;
// With "ALL LOG" the list is emptied once it holds more lines than this.
inline constexpr int kTrafficAllLogLimit = 2000;

class TFormSV : public forms::TForm {
 public:
  TFormSV();
  ~TFormSV() override;

  void ConnectHandlers();

  forms::TListBox ListBox1{this, "ListBox1"};
  forms::TCheckBox CheckLOG{this, "CheckLOG", "ALL LOG"};
  forms::TCheckBox CheckNN{this, "CheckNN", "NN"};
  forms::TCheckBox Check2{this, "Check2", "k92"};
  forms::TCheckBox Check3{this, "Check3", "PNG"};
  forms::TCheckBox Check4{this, "Check4", "BATT"};
  forms::TCheckBox Check5{this, "Check5", "Check5"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "C"};

  forms::TTimer TimerST{this, "TimerST", 500, true};
  forms::TTimer Timer1{this, "Timer1", 20, true};
  forms::TTimer Timer2{this, "Timer2", 1000, true};

  void BitBtn1Click();  // clears the list
  void TimerSTTimer();  // opens the socket once, then stops
  void Timer1Timer();   // drains the socket
  void Timer2Timer();   // silence supervision
};

// The program's traffic window (null when none exists).
extern TFormSV* FormSV;

// Whether a line of a category 1..5 goes into the list, as the check boxes choose: a caller
// need not build a line that is not listed.
bool IsTrafficListed(int category);

// Adds one traffic line of a category 1..5 when it is listed; the line's 8-bit text (a
// lamp's number) is cp1251.
void LogTraffic(const char* line, int category);

}  // namespace lumora
