#pragma once
// The server's main window: a small tray window that owns the program's life (start-up and
// shutdown sequencers, poll-period clock, operator controls) and the report file.
//
// The constructor builds the components and the fields. The handlers live in the window's
// files: main_window_controls.cpp (poll-period clock, operator controls),
// main_window_startup.cpp and main_window_shutdown.cpp (the sequencers), main_window_tray.cpp
// and main_window_messages.cpp; the program connects them with ConnectHandlers().
#include <cstdint>

#include "platform/forms/controls.h"

namespace tolvex {

class TForm1 : public forms::TForm {
 public:
  TForm1();
  ~TForm1() override;

  void ConnectHandlers();

  forms::TStatusBar StatusBar1{this, "StatusBar1"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "ip"};
  forms::TTimer TmStart{this, "TmStart", 300, true};
  forms::TEdit Edit9{this, "Edit9"};
  forms::TEdit Edit10{this, "Edit10"};
  forms::TBitBtn BitBtn4{this, "BitBtn4", "Выход"};
  forms::TPopupMenu PopupMenu1{this, "PopupMenu1"};
  forms::TMenuItem N1{this, "N1", "Открыть"};
  forms::TBitBtn BitBtn5{this, "BitBtn5", "Конфиг"};
  forms::TTimer TimerINTERVAL{this, "TimerINTERVAL", 1000, true};
  forms::TLabel Label1{this, "Label1", "Опрос"};
  forms::TLabel Label2{this, "Label2", "Принято"};
  forms::TLabel Label3{this, "Label3", "Зар.ячеек"};
  forms::TLabel Label4{this, "Label4", "Кол.зар.ст"};
  forms::TEdit Edit1{this, "Edit1"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "Обновить"};
  forms::TEdit Edit2{this, "Edit2"};
  forms::TTimer Timer1{this, "Timer1", 1000, false};
  forms::TEdit Edit3{this, "Edit3", "1"};
  forms::TBitBtn BitBtn3{this, "BitBtn3", "ОТКЛ-Опрос"};
  forms::TListBox ListBox1{this, "ListBox1"};
  forms::TBitBtn BitBtn6{this, "BitBtn6", "Host"};

  // Seconds per poll period; the configuration may replace it.
  std::int32_t PollPeriod = 5;
  // 1 once a poll period has elapsed; the poll cycle clears it when it restarts its pass.
  std::int32_t PollPeriodFlag = 0;
  // Station frames decoded.
  std::uint32_t FramesReceived = 0;
  // 1: AppendServerReport writes to svreport.txt.
  std::int32_t ReportEnabled = 0;

  // Handlers.
  void TmStartTimer();
  void Timer1Timer();
  void TimerINTERVALTimer();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn5Click();
  void BitBtn6Click();
  void Edit9DblClick();
  void Edit10DblClick();
  void N1Click();
  void FormCloseQuery(bool& can_close);
  void FormDestroy();
  void FormMouseUp(forms::TMouseButton button, int shift, int x, int y);
  // The message map: end of session and the tray icon's callback. True when handled.
  bool WindowMessage(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam,
                     std::intptr_t& result);
};

extern TForm1* Form1;

// Moves a form to the given position, then shows it.
void ShowFormAt(forms::TForm& form, int left, int top);

// Ends the program: every form is hidden, so no window of the window system can hold the end
// up, and the application loop is told to stop.
void EndProgram();

// The end of a confirmed exit: the report line "Exit  Programm", the server's stop row, the
// end of the program.
void ConfirmedExit();

// One more station frame decoded (FramesReceived), when there is a main window.
void CountReceivedFrame();

// Appends a time line and a message line to "svreport.txt" in the current directory when the
// main window's report switch is on; an entry that cannot be written is dropped.
void AppendServerReport(const char* message);

}  // namespace tolvex
