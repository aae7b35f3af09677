#pragma once
// The measurement log "LOG": follows up to two lamps by individual number and writes a line
// per lamp whenever its state or fault bits change, its voltage or current moves by a set
// step, or a set time has passed; either list can be saved to a text file (cp1251).
//
// The constructor builds the controls with their load-time state; the handlers are defined
// by measurement_log_lines and connected by ConnectHandlers().
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/forms/controls.h"

namespace lumora {

inline constexpr int kLogLineLimit = 15000;  // past this the oldest lines go
inline constexpr int kLogLinesDropped = 100;
inline constexpr int kLogScrollLines = 10;
inline constexpr int kLogListHeightMargin = 55;

class TFormLOG : public forms::TForm {
 public:
  TFormLOG();
  ~TFormLOG() override;

  void ConnectHandlers();

  forms::TLabel LabelNumber{this, "LabelNumber", "Инд.номер"};
  forms::TLabel LabelOn{this, "LabelOn", "Вкл"};
  forms::TCheckBox Check1{this, "Check1"};
  forms::TEdit Edit1{this, "Edit1", "st0101"};
  forms::TCheckBox Check2{this, "Check2"};
  forms::TEdit Edit5{this, "Edit5", "st0201"};

  forms::TLabel LabelDU{this, "LabelDU", "dU"};
  forms::TEdit Edit2{this, "Edit2"};
  forms::TUpDown UpDown1{this, "UpDown1", 1, 10000, 5};
  forms::TLabel LabelDI{this, "LabelDI", "dI"};
  forms::TEdit Edit3{this, "Edit3"};
  forms::TUpDown UpDown2{this, "UpDown2", 1, 10000, 10};
  forms::TLabel LabelDT{this, "LabelDT", "dT"};
  forms::TEdit Edit4{this, "Edit4"};
  forms::TUpDown UpDown3{this, "UpDown3", 5, 300, 60};

  forms::TListBox ListBoxL1{this, "ListBoxL1"};
  forms::TListBox ListBoxL2{this, "ListBoxL2"};
  forms::TRadioGroup RadioGroup1{this, "RadioGroup1"};
  forms::TCheckBox CheckSCR{this, "CheckSCR", "Scrol"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "C"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "Сохранить"};
  forms::TSaveDialog SaveDG{this, "SaveDG"};

  forms::TTimer Timer1{this, "Timer1", 1000, true};

  void Timer1Timer();   // seconds counters, shown list
  void BitBtn1Click();  // "C": empties ListBoxL1
  void BitBtn2Click();  // "Сохранить"
  void FormResize();
};

// The program's measurement log (null when none exists).
extern TFormLOG* FormLOG;

// What one log remembers of its lamp.
struct MeasurementLogState {
  std::int32_t last_state = 0;
  std::int32_t last_fault_bits = 0;
  std::int32_t last_voltage = 0;
  std::int32_t last_current = 0;
  std::uint32_t seconds = 0;
};
extern MeasurementLogState MeasurementLogs[2];

struct MeasurementSteps {
  std::int32_t voltage;  // "dU"
  std::int32_t current;  // "dI"
  std::int32_t seconds;  // "dT"
};

// Whether a line is due for a lamp value set against the log's last values.
bool IsLogLineDue(const MeasurementLogState& log, std::int32_t state, std::int32_t fault_bits,
                  std::int32_t voltage, std::int32_t current, const MeasurementSteps& steps);

// "<number>  <time>  <voltage>  <current>  <state text>" (number given as UTF-8).
std::string FormatLogLine(std::string_view number, std::string_view time_text, std::int32_t voltage,
                          std::int32_t current, std::int32_t state);

// One IdCellStatus of a lamp in the worker list (number: 8-bit text of the datagram).
void LogLampMeasurement(const char* number, std::int32_t state, std::int32_t fault_bits,
                        std::int32_t voltage, std::int32_t current);

// Writes the lines, one per line ("%s\n"), as cp1251 text; false when the file cannot be
// opened or written.
bool SaveLogLines(const forms::TStrings& lines, const std::string& path);

}  // namespace lumora
