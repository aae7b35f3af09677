#pragma once
// The battery charge-mode editor "Режим  батареи": one lamp's charge-mode record (number in
// EditTN) with defaults per battery type, its checks, reading it from the device or the
// database, and writing it to the device and then to the database. Created hidden at program
// start and shown from the lamp card.
//
// The constructor builds the controls with their load-time state; the handlers live in
// battery_editor_fields.cpp (fields) and battery_editor_protocol.cpp (device and database) and
// are connected by ConnectHandlers().
#include <array>
#include <cstdint>
#include <string>

#include "link/mode_record.h"
#include "platform/forms/controls.h"

namespace lumora {

inline constexpr const char* kModeNoAnswerText = "Нет ответа";
inline constexpr forms::TColor kModeWriteWaitColor = 0xFFFF;  // yellow
inline constexpr forms::TColor kModeNoAnswerColor = 255;      // red

// ModeWritePending when a write is requested.
inline constexpr std::int32_t kModeWriteRequested = 5;
// Ticks of 150 ms the read and the write windows stay open.
inline constexpr std::int32_t kModeReadTicks = 6;
inline constexpr std::int32_t kModeWriteTicks = 8;
// ModeWriteState: sent (0), battery change sent (21), confirmed (22), written to the
// database (23).
inline constexpr std::int32_t kModeWriteSent = 0;
inline constexpr std::int32_t kModeWriteChangeSent = 21;
inline constexpr std::int32_t kModeWriteConfirmed = 22;
inline constexpr std::int32_t kModeWriteStored = 23;
// What the database-only button stores as the comment.
inline constexpr const char* kDatabaseOnlyComment = "newBATT";
// The longest comment stored, and the longest number kept for a write.
inline constexpr std::size_t kModeCommentLength = 31;
inline constexpr std::size_t kModeFormNumberLength = 19;
// Index of "Другой" in ComboRR, and the largest own resistance stored (milliohm).
inline constexpr int kOwnResistanceItem = 11;
inline constexpr std::int32_t kOwnResistanceLimit = 950;

// The check results of FillDefaultMode and CollectModeForm.
inline constexpr int kModeFormOk = 0;
inline constexpr int kModeNoCapacity = 1;
inline constexpr int kModeNoType = 2;
inline constexpr int kModeNoCellCount = 3;

class TFormBAT : public forms::TForm {
 public:
  TFormBAT();
  ~TFormBAT() override;

  void ConnectHandlers();

  // Top.
  forms::TLabel Label19{this, "Label19", "Инд.номер"};
  forms::TEdit EditTN{this, "EditTN", "002aaa"};
  forms::TCheckBox CheckSMB{this, "CheckSMB", "Смена батареи"};
  forms::TBitBtn BitBtn4{this, "BitBtn4", "По умолчанию"};

  // Battery.
  forms::TGroupBox GroupBox8{this, "GroupBox8"};
  forms::TLabel Label21{&GroupBox8, "Label21", "Батарея"};
  forms::TRadioGroup RadioTIP{&GroupBox8, "RadioTIP", "Тип"};
  forms::TRadioGroup RadioCELL{&GroupBox8, "RadioCELL", "Кол.аккум."};
  forms::TLabel Label23{&GroupBox8, "Label23", "Ёмкость батареи"};
  forms::TEdit EditACC{&GroupBox8, "EditACC", "2.0"};
  forms::TLabel Label20{&GroupBox8, "Label20", "Номин. напряжение"};
  forms::TEdit EditVN{&GroupBox8, "EditVN", "3.6"};
  forms::TEdit EditCOMT{&GroupBox8, "EditCOMT"};

  forms::TLabel Label17{this, "Label17", "Режимы заряда"};

  // Pre-discharge.
  forms::TGroupBox GroupBox1{this, "GroupBox1"};
  forms::TCheckBox CB1{&GroupBox1, "CB1", "Доразряд"};
  forms::TLabel Label1{&GroupBox1, "Label1", "Ток"};
  forms::TEdit EditP1{&GroupBox1, "EditP1"};
  forms::TLabel Label2{&GroupBox1, "Label2", "Мин. напр"};
  forms::TEdit EditP2{&GroupBox1, "EditP2"};

  // Charge 1.
  forms::TGroupBox GroupBox2{this, "GroupBox2"};
  forms::TLabel Label5{&GroupBox2, "Label5", "Заряд 1"};
  forms::TLabel Label3{&GroupBox2, "Label3", "Макс ток"};
  forms::TEdit EditP3{&GroupBox2, "EditP3"};
  forms::TLabel Label4{&GroupBox2, "Label4", "Макс. напр"};
  forms::TEdit EditP4{&GroupBox2, "EditP4"};
  forms::TLabel Label6{&GroupBox2, "Label6", "Время"};
  forms::TEdit EditP5{&GroupBox2, "EditP5"};

  // Charge 2.
  forms::TGroupBox GroupBox3{this, "GroupBox3"};
  forms::TCheckBox CB3{&GroupBox3, "CB3", "Заряд 2"};
  forms::TLabel Label7{&GroupBox3, "Label7", "Макс ток"};
  forms::TEdit EditP6{&GroupBox3, "EditP6"};
  forms::TLabel Label8{&GroupBox3, "Label8", "Макс. напр"};
  forms::TEdit EditP7{&GroupBox3, "EditP7"};
  forms::TLabel Label10{&GroupBox3, "Label10", "Время"};
  forms::TEdit EditP8{&GroupBox3, "EditP8"};

  // Trickle charge.
  forms::TGroupBox GroupBox4{this, "GroupBox4"};
  forms::TCheckBox CB4{&GroupBox4, "CB4", "Подзаряд"};
  forms::TLabel Label9{&GroupBox4, "Label9", "Ток"};
  forms::TEdit EditP11{&GroupBox4, "EditP11"};
  forms::TLabel Label11{&GroupBox4, "Label11", "Макс. напр"};
  forms::TEdit EditP12{&GroupBox4, "EditP12"};

  // Control discharge.
  forms::TGroupBox GroupBox5{this, "GroupBox5"};
  forms::TLabel Label14{&GroupBox5, "Label14", "Контр. разряд"};
  forms::TLabel Label12{&GroupBox5, "Label12", "Ток"};
  forms::TEdit EditP9{&GroupBox5, "EditP9"};
  forms::TLabel Label13{&GroupBox5, "Label13", "Мин. напр"};
  forms::TEdit EditP10{&GroupBox5, "EditP10"};

  // End-of-charge tests.
  forms::TGroupBox GroupBox6{this, "GroupBox6"};
  forms::TLabel Label15{&GroupBox6, "Label15", "Контроль окончания заряда"};
  forms::TCheckBox CheckBox3{&GroupBox6, "CheckBox3", "Время"};  // greyed, read by nothing
  forms::TCheckBox CB2{&GroupBox6, "CB2", "Дельта"};
  forms::TEdit EditP13{&GroupBox6, "EditP13"};
  forms::TCheckBox CB5{&GroupBox6, "CB5", "Мин.ток"};
  forms::TEdit EditPMT{&GroupBox6, "EditPMT"};

  // Extras.
  forms::TGroupBox GroupBox7{this, "GroupBox7"};
  forms::TLabel Label16{&GroupBox7, "Label16", "Дополнительно  "};
  forms::TLabel Label22{&GroupBox7, "Label22", "Сопротивление цепи "};
  forms::TComboBox ComboRR{&GroupBox7, "ComboRR"};
  forms::TEdit EditRRNET{&GroupBox7, "EditRRNET"};
  forms::TCheckBox CheckAVAR1{&GroupBox7, "CheckAVAR1", "Инд. Аварии при уменьшении тока заряда"};
  forms::TCheckBox CheckKZAR{&GroupBox7, "CheckKZAR", "ОТКЛ КНТ.Заряд"};
  forms::TCheckBox CheckKRAZ{&GroupBox7, "CheckKRAZ", "ОТКЛ КНТ.Разряд"};
  forms::TCheckBox CheckKBAT{&GroupBox7, "CheckKBAT", "ОТКЛ КНТ.Бат"};
  forms::TCheckBox CheckCNTOK{&GroupBox7, "CheckCNTOK", "КНТ Ток Подкл."};

  // Bottom.
  forms::TEdit Edit1{this, "Edit1"};  // status
  forms::TBitBtn BitBtn3{this, "BitBtn3", "Записать"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "Считать из  устройства"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "Считать из базы"};

  // Never made visible.
  forms::TBitBtn BitBtn5{this, "BitBtn5", "BitBtn5"};
  forms::TBitBtn BitBtn6{this, "BitBtn6", "WB"};

  forms::TTimer Timer1{this, "Timer1", 150, true};

  void BitBtn4Click();  // "По умолчанию"
  void BitBtn3Click();  // "Записать"
  void BitBtn2Click();  // "Считать из  устройства"
  void BitBtn1Click();  // "Считать из базы"
  void BitBtn5Click();  // show ModeFormRecord again
  void BitBtn6Click();  // "WB": store in the database only
  void RadioTIPClick();
  void Timer1Timer();  // the write protocol
};

// The error box of the editor's checks.
class TFormERR : public forms::TForm {
 public:
  TFormERR();
  ~TFormERR() override;

  void ConnectHandlers();

  forms::TLabel Label{this, "Label"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "OK"};

  void BitBtn1Click();  // close the box
};

// The program's editor and its error box (null when none exists).
extern TFormBAT* FormBAT;
extern TFormERR* FormERR;

// Editor state (user-interface thread only).
extern lamp::ModeDisplayRecord ModeFormRecord;
// The 24 ModeRecord words of the record being written, then two zero words.
extern std::array<std::uint16_t, 26> ModeWriteWords;
extern std::int32_t ModeWritePending;
extern std::int32_t ModeReadWindow;
extern std::int32_t ModeWriteWindow;
extern std::int32_t ModeWriteState;
// The number (cp1251) a write addresses, cut to 19 characters.
extern std::array<char, 20> ModeFormNumber;
// The command of the last command answer; set by the datagram decoder, read and cleared here.
extern std::int32_t LastAnswerCommand;

// The decoder's hand-offs: a received mode record (data: the record's 48 bytes first) and
// every command answer.
void HandleModeRecordReply(std::int32_t slot, const std::uint8_t* data);
void SetLastAnswerCommand(std::int32_t command);

// Unpacks a received record and shows it on the lamp card and on the editor.
void UnpackModeRecord(const std::uint8_t* bytes);
// Inside the read window, the record becomes ModeFormRecord and is shown.
void TakeModeRecordReply(const std::uint8_t* bytes);

void ShowModeOnBatteryForm(const lamp::ModeDisplayRecord& record);
void ClearModeForm();
// The defaults of the form's battery type, capacity and cell count written into its fields;
// kModeFormOk, or the code of the check that failed (the steps before it stay done).
int FillDefaultMode(TFormBAT& form);
// The form's fields collected into ModeFormRecord; kModeFormOk, or the check that failed
// (ModeFormRecord then unchanged).
int CollectModeForm(TFormBAT& form);
void SetErrorMessage(int code);
// The text of an error code (empty for codes without one).
const char* ModeErrorMessage(int code);

// The lamp card's parts the editor reaches. Each entry may be empty: the step is skipped
// (the worker fields then read as 0, 9, 0). The program's wiring fills them in.
struct BatteryEditorLinks {
  void (*ShowModeOnLampCard)(const lamp::ModeDisplayRecord& record) = nullptr;
  // The lamp card's EditZST, EditUCH and EditBR texts.
  void (*ReadLampCardWorker)(std::string& station, std::string& section,
                             std::string& brigade) = nullptr;
};
extern BatteryEditorLinks BatteryEditorHooks;

// Places the editor at (left, top), shows it and puts number (UTF-8) into EditTN.
void ShowBatteryEditor(int left, int top, const std::string& number);

}  // namespace lumora
