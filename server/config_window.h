#pragma once
// The configuration form: poll period, hiding at start, report file, database login, the four
// times of the periodic state rows and the auto start. Created hidden at program start.
#include <cstdint>
#include <string>

#include "platform/forms/controls.h"
#include "server/server_config.h"

namespace tolvex {

class TFormCFG : public forms::TForm {
 public:
  TFormCFG();
  ~TFormCFG() override;

  void ConnectHandlers();

  forms::TEdit Edit1{this, "Edit1", "5"};
  forms::TCheckBox CheckHIDE{this, "CheckHIDE", "Скрыть при запуске"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "Сохранить"};
  forms::TUpDown UpTT{this, "UpTT", 5, 60, 5};
  forms::TLabel Label1{this, "Label1", "Период опроса"};
  forms::TEdit EditH{this, "EditH"};  // the local machine's name, set by the constructor
  forms::TEdit EditU{this, "EditU", "root"};
  forms::TEdit EditP{this, "EditP", "q758"};
  forms::TLabel Label2{this, "Label2", "host"};
  forms::TLabel Label3{this, "Label3", "Логин"};
  forms::TLabel Label4{this, "Label4", "Пароль"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "Тест"};
  forms::TEdit Edit2{this, "Edit2"};
  forms::TCheckBox CheckLOG{this, "CheckLOG", "Запись лог-файла"};
  forms::TPanel Panel1{this, "Panel1"};
  forms::TMaskEdit MaskEdit1{&Panel1, "MaskEdit1", "!90:00;1;_", "01:00"};
  forms::TMaskEdit MaskEdit2{&Panel1, "MaskEdit2", "!90:00;1;_", "07:00"};
  forms::TMaskEdit MaskEdit3{&Panel1, "MaskEdit3", "!90:00;1;_", "13:00"};
  forms::TMaskEdit MaskEdit4{&Panel1, "MaskEdit4", "!90:00;1;_", "19:00"};
  forms::TLabel Label5{&Panel1, "Label5", "Запись состояния"};
  forms::TCheckBox CheckT1{&Panel1, "CheckT1", "", true};
  forms::TCheckBox CheckT2{&Panel1, "CheckT2"};
  forms::TCheckBox CheckT3{&Panel1, "CheckT3"};
  forms::TCheckBox CheckT4{&Panel1, "CheckT4"};
  forms::TCheckBox CheckAUTO{this, "CheckAUTO", "АВТО ПУСК"};

  // The form's settings into a record, as "Сохранить" stores them.
  void StoreInto(ServerConfigRecord& record) const;

  void BitBtn1Click();    // "Сохранить"
  void BitBtn2Click();    // "Тест"
  void CheckLOGClick();   // report file on or off at once
  void CheckAUTOClick();  // write or delete the auto-start entry, show what it holds
  void FormActivate();    // show the auto-start entry's state
};

extern TFormCFG* FormCFG;

// Reads "ddport.sbp" into ServerConfig (ReadServerConfigFile) and shows in Edit2 how many
// bytes it read: 0 when a whole record was read, else 1.
int LoadServerConfig();
// Applies ServerConfig to this form and the main window when its magic is valid.
void ShowServerConfig();
// Connects the server's one database connection with the host, login and password texts of
// this form: 0 connected, else non-zero.
int ConnectDatabaseFromForm();
// Sets CheckAUTO from the auto-start entry.
void ReadAutoStartState();

// What SaveBuiltInServerConfig wrote.
struct BuiltInServerConfig {
  std::int32_t poll_period = 0;           // seconds
  std::int32_t built_in_poll_period = 0;  // the form's own
  std::string failure;                    // empty when the file was written
};
// Writes at `path` what "Сохранить" of a fresh form writes, the settings the server uses
// without a file, but with the shortest poll period from the form's own up whose pass reaches
// `cells_per_station` cells of every station (PassPollingTicks).
BuiltInServerConfig SaveBuiltInServerConfig(const std::string& path,
                                            std::uint32_t cells_per_station);

}  // namespace tolvex
