#pragma once
// The service window: the set-up panel of the lamp room and the owner of the server's main
// loop timers. It is created hidden at program start and lives until exit.
//
// The constructor builds the controls with their load-time state. The handlers are short and
// call the modules that hold the algorithms and their state (receive tick, poll cycle and
// watchdogs, state rows, workstation link); they live in service_window_timers.cpp (the main
// loop) and service_window_buttons.cpp, and the program connects them with ConnectHandlers().
// The modules show what they do here only through the few functions declared at the end.
#include <cstdint>

#include "platform/forms/controls.h"
#include "server/poll_cycle.h"

namespace tolvex {

class TFormSV : public forms::TForm {
 public:
  TFormSV();
  ~TFormSV() override;

  void ConnectHandlers();

  // Fields of the test datagram and the hand-made requests.
  forms::TEdit Edit3{this, "Edit3", "1"};
  forms::TEdit Edit5{this, "Edit5", "0"};
  forms::TEdit Edit6{this, "Edit6", "0"};
  forms::TEdit Edit7{this, "Edit7", "0"};
  forms::TEdit Edit8{this, "Edit8", "3000"};
  forms::TEdit EditKSOB{this, "EditKSOB", "3000"};
  forms::TEdit Edit4{this, "Edit4", "123aaa"};
  forms::TEdit EditIDN{this, "EditIDN", "001aaa"};
  forms::TEdit EditSTZ{this, "EditSTZ", "202"};
  forms::TEdit Edit14{this, "Edit14", "0"};
  forms::TLabel Label1{this, "Label1", "Stat"};
  forms::TLabel Label2{this, "Label2", "Nsp1"};
  forms::TLabel Label3{this, "Label3", "Nsp2"};
  forms::TLabel Label4{this, "Label4", "FL"};
  forms::TLabel Label5{this, "Label5", "uACC"};
  forms::TLabel Label6{this, "Label6", "kSob"};
  forms::TLabel Label7{this, "Label7", "tZAPR"};
  forms::TLabel Label8{this, "Label8", "UpSob"};

  // Status fields written by the main loop.
  forms::TEdit Edit2{this, "Edit2"};    // database ping result
  forms::TEdit Edit9{this, "Edit9"};    // last workstation command code
  forms::TEdit Edit10{this, "Edit10"};  // length of the last workstation datagram
  forms::TEdit Edit11{this, "Edit11"};  // longest poll tick time
  forms::TEdit Edit12{this, "Edit12"};  // workstation socket watchdog
  forms::TEdit Edit13{this, "Edit13"};  // station socket countdown
  forms::TEdit EditSV{this, "EditSV"};  // socket state text

  forms::TCheckBox CheckOPR{this, "CheckOPR", "OPROS", true};
  forms::TCheckBox CheckPTX{this, "CheckPTX", "PrnTX92"};
  forms::TCheckBox CheckIP{this, "CheckIP", "IP"};
  forms::TCheckBox CheckDM92{this, "CheckDM92", "DM92"};
  forms::TCheckBox CheckEX92K{this, "CheckEX92K", "DMeX92K"};
  forms::TCheckBox CheckMon{this, "CheckMon", "kMon"};

  forms::TListBox ListBox1{this, "ListBox1"};

  forms::TBitBtn BitBtn1{this, "BitBtn1", "openMn"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "SQL"};
  forms::TBitBtn BitBtn3{this, "BitBtn3", "kSob"};
  forms::TBitBtn BitBtn4{this, "BitBtn4", "Zapros"};
  forms::TBitBtn BitBtn5{this, "BitBtn5", "Host"};
  forms::TBitBtn BitBtn6{this, "BitBtn6", "Num"};
  forms::TBitBtn BitBtn7{this, "BitBtn7", "Rd-Host"};
  forms::TBitBtn BitBtn8{this, "BitBtn8", "C"};
  forms::TBitBtn BitBtn9{this, "BitBtn9", "STOP"};
  forms::TBitBtn BitBtn10{this, "BitBtn10", "PUSK"};
  forms::TBitBtn BitBtn11{this, "BitBtn11", "openSV"};
  forms::TBitBtn BitBtn12{this, "BitBtn12", "PING"};
  forms::TBitBtn BitBtn13{this, "BitBtn13", "kSTAT"};
  forms::TBitBtn BitBtn14{this, "BitBtn14", "setSTZR"};
  forms::TBitBtn BitBtn15{this, "BitBtn15", "STOP"};
  forms::TBitBtn BitBtn16{this, "BitBtn16", "Loss"};
  forms::TBitBtn BitBtn17{this, "BitBtn17", "cLoss"};

  // The main loop, enabled from creation.
  forms::TTimer Timer1{this, "Timer1", 12, true};
  forms::TTimer Timer2{this, "Timer2", 500, true};
  forms::TTimer Timer3{this, "Timer3", kPollTickMilliseconds, true};
  forms::TTimer Timer4{this, "Timer4", 600000, true};
  forms::TTimer TimerSTAT{this, "TimerSTAT", 10000, true};

  // Handlers.
  void Timer1Timer();     // receive tick
  void Timer2Timer();     // debug flags, watchdogs, polling pause
  void Timer3Timer();     // poll tick
  void Timer4Timer();     // database ping
  void TimerSTATTimer();  // periodic state rows
  void BitBtn1Click();    // "openMn"
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn5Click();
  void BitBtn6Click();
  void BitBtn7Click();
  void BitBtn8Click();
  void BitBtn9Click();
  void BitBtn10Click();
  void BitBtn11Click();
  void BitBtn12Click();
  void BitBtn13Click();
  void BitBtn14Click();
  void BitBtn15Click();
  void BitBtn16Click();
  void BitBtn17Click();
  void FormResize();
  void Edit11DblClick();

 private:
  void LayOutControls();
  // Pings the database (a success adds one to count) and shows in Edit2 the ping's result,
  // 1 when there is no connection, and the count.
  void ShowDatabasePing(std::int32_t& count);
};

// The program's service window (null when none exists).
extern TFormSV* FormSV;

// Successful database pings made by hand ("PING"), apart from the poll cycle's own count.
extern std::int32_t ManualPingCount;

// What the modules show in the service window; each does nothing while there is none.
// A line at the end of ListBox1.
void AddServiceLine(const char* line);
// The socket state text (EditSV).
void ShowSocketState(const char* text);
// The code of the last workstation command (Edit9), in decimal.
void ShowCommandCode(std::uint32_t code);
// Whether "kMon" (CheckMon) is ticked: the command and mode-record lines are wanted.
bool MonitorLogOn();

}  // namespace tolvex
