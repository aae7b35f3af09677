#pragma once
// The database connect window "Подключение к базе": login and password, the "Подключить"
// button and its status text. Shown modally at start-up and from the menu or the lamp card;
// it closes itself on the second second after a successful connect. A connect that found no
// answer succeeds later by itself once the database answers, and counts as the button's then.
//
// The constructor builds the controls with their load-time state; the handlers live in
// connect_window_actions.cpp and are connected by ConnectHandlers().
#include <cstdint>

#include "platform/forms/controls.h"

namespace lumora {

inline constexpr const char* kConnectedText = "Подключено";
inline constexpr const char* kConnectErrorText = "Ошибка";
inline constexpr const char* kCannotConnectText = "Can not connect.";
// ConnectTick at program start, at which the window closes, and at which the status text
// is emptied.
inline constexpr std::int32_t kConnectTickStart = 3;
inline constexpr std::int32_t kConnectTickClose = 2;
inline constexpr std::int32_t kConnectTickClearStatus = 600;

class TFormSQL : public forms::TForm {
 public:
  TFormSQL();
  ~TFormSQL() override;

  void ConnectHandlers();

  forms::TEdit Edit3{this, "Edit3"};          // status text
  forms::TEdit EditU{this, "EditU", "root"};  // login
  forms::TEdit EditP{this, "EditP"};          // password
  forms::TBitBtn BitBtn1{this, "BitBtn1", "Подключить"};
  forms::TEdit Edit1{this, "Edit1"};  // invisible: worker rows of the last connect
  forms::TTimer Timer1{this, "Timer1", 1000, true};
  forms::TTimer Timer2{this, "Timer2", 10000, true};

  void BitBtn1Click();  // connect, load the worker list
  void Timer1Timer();   // close after a connect, empty the status text later
  void Timer2Timer();   // keep the connection alive

 private:
  // A connect has succeeded: the status text, the worker list and its count, and the close
  // on the second tick.
  void ShowConnected();
};

// The program's connect window (null when none exists).
extern TFormSQL* FormSQL;

// Ticks of Timer1 since the last successful connect (kConnectTickStart at program start).
extern std::int32_t ConnectTick;

}  // namespace lumora
