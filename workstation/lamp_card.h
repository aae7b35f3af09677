#pragma once
// The lamp card "Светильник": one lamp (individual number in EditTN) with its worker, its
// battery history, the charge-mode parameters of its battery and the command panel of its
// charging cell. Created hidden at program start; closing only hides it.
//
// The constructor builds the controls with their load-time state; the handlers are defined
// in lamp_card.cpp, lamp_card_commands.cpp and lamp_card_reread.cpp and connected by
// ConnectHandlers().
#include <cstdint>
#include <string>

#include "link/mode_record.h"
#include "platform/forms/controls.h"

namespace lumora {

// Ticks during which the display loop's state text leaves EditWAIT alone after a button.
inline constexpr std::int32_t kButtonMessageHold = 10;
// The largest cycle count "Установить" sends.
inline constexpr std::int32_t kMaxCycleCount = 1000;
// P1 of the mode-record read.
inline constexpr std::int32_t kModeRecordReadLength = 64;
// The number BitBtn7 reads (the button is never shown).
inline constexpr const char* kSampleModeNumber = "010aaa";

// Colours of the card (blue-green-red).
inline constexpr forms::TColor kWaitColor = 0x00FFFF;            // (255,255,0)
inline constexpr forms::TColor kDischargeRowsColor = 0x80FFFF;   // (255,255,128)
inline constexpr forms::TColor kChargeRowsColor = 0xB4FFB4;      // (180,255,180)
inline constexpr forms::TColor kTrickleCaptionColor = 0x84EF84;  // (132,239,132)
inline constexpr forms::TColor kTrickleValuesColor = 0x84CF84;   // (132,207,132)
inline constexpr forms::TColor kSwitchTextColor = 0x003060;      // (96,48,0)
inline constexpr forms::TColor kSwitchAlarmColor = 0x0000FF;     // (255,0,0)
inline constexpr forms::TColor kCurrentColumnColor = 0xFF0000;   // (0,0,255)

class TFormSVET : public forms::TForm {
 public:
  TFormSVET();
  ~TFormSVET() override;

  void ConnectHandlers();

  // Worker.
  forms::TPanel Panel1{this, "Panel1"};
  forms::TLabel LabelTN{&Panel1, "LabelTN", "Инд. номер"};
  forms::TEdit EditTN{&Panel1, "EditTN"};
  forms::TLabel LabelWTN{&Panel1, "LabelWTN", "Таб. номер"};
  forms::TEdit EditWTN{&Panel1, "EditWTN"};
  forms::TLabel LabelZST{&Panel1, "LabelZST", "Зар.ст."};
  forms::TEdit EditZST{&Panel1, "EditZST"};
  forms::TLabel LabelFIO{&Panel1, "LabelFIO", "ФИО"};
  forms::TEdit EditFIO{&Panel1, "EditFIO"};
  forms::TLabel LabelWTEL{&Panel1, "LabelWTEL", "Рабочий телефон"};
  forms::TEdit EditWTEL{&Panel1, "EditWTEL"};
  forms::TLabel LabelUCH{&Panel1, "LabelUCH", "Участок"};
  forms::TEdit EditUCH{&Panel1, "EditUCH"};
  forms::TLabel LabelBR{&Panel1, "LabelBR", "Бригада"};
  forms::TEdit EditBR{&Panel1, "EditBR"};
  forms::TLabel LabelNFIND{&Panel1, "LabelNFIND", "Номер поиска"};
  forms::TEdit EditNFIND{&Panel1, "EditNFIND"};
  forms::TLabel LabelNCALL{&Panel1, "LabelNCALL", "Номер оповещ."};
  forms::TEdit EditNCALL{&Panel1, "EditNCALL"};
  forms::TMemo MemoCM{&Panel1, "MemoCM"};

  // Battery.
  forms::TPanel Panel4{this, "Panel4", "Батарея"};
  forms::TLabel LabelCharge{&Panel4, "LabelCharge", "Заряд (циклов / А*ч)"};
  forms::TEdit EditKK{&Panel4, "EditKK"};
  forms::TEdit EditCNAK{&Panel4, "EditCNAK"};
  forms::TLabel LabelDAT2{&Panel4, "LabelDAT2", "Дата"};
  forms::TEdit EditDAT2{&Panel4, "EditDAT2"};
  forms::TLabel LabelCapacity{&Panel4, "LabelCapacity", "Текущая ёмкость (% / А*ч)"};
  forms::TEdit EditPROC{&Panel4, "EditPROC"};
  forms::TEdit EditCBATX{&Panel4, "EditCBATX"};
  forms::TLabel LabelDAT1{&Panel4, "LabelDAT1", "Дата"};
  forms::TEdit EditDAT1{&Panel4, "EditDAT1"};
  forms::TLabel LabelShift{&Panel4, "LabelShift", "Установлена"};
  forms::TEdit EditSMTIME{&Panel4, "EditSMTIME"};
  forms::TEdit EditSMBATT{&Panel4, "EditSMBATT"};
  forms::TLabel LabelModeChanged{&Panel4, "LabelModeChanged", "Изменён режим"};
  forms::TEdit EditTIMIZM{&Panel4, "EditTIMIZM"};
  forms::TEdit EditDATIZM{&Panel4, "EditDATIZM"};

  // Charge-mode parameters.
  forms::TListView ListView1{this, "ListView1"};

  // Command panel.
  forms::TPanel Panel2{this, "Panel2", "УПРАВЛЕНИЕ ЗАР.ЯЧЕЙКОЙ"};
  forms::TEdit EditWAIT{&Panel2, "EditWAIT"};
  forms::TBitBtn BitBtn1{&Panel2, "BitBtn1", "ПУСК"};
  forms::TBitBtn BitBtn2{&Panel2, "BitBtn2", "СТОП"};
  forms::TBitBtn BitBtn8{&Panel2, "BitBtn8", "К.Разряд"};
  forms::TBitBtn BitBtn10{&Panel2, "BitBtn10", "СБРОС"};
  forms::TBitBtn BitBtn4{&Panel2, "BitBtn4", "Режим Бат."};
  forms::TBitBtn BitBtn9{&Panel2, "BitBtn9", "Сост. Бат."};

  // Cycle mode.
  forms::TPanel Panel3{&Panel2, "Panel3", "Режим ЦИКЛА"};
  forms::TLabel LabelCIK{&Panel3, "LabelCIK", "Цикл"};
  forms::TEdit EditCIK{&Panel3, "EditCIK"};
  forms::TRadioGroup RadioMD{&Panel3, "RadioMD"};
  forms::TEdit EditKC{&Panel3, "EditKC", "1"};
  forms::TBitBtn BitBtn3{&Panel3, "BitBtn3", "Установить"};

  forms::TBitBtn BitBtn6{this, "BitBtn6", "Обновить(чт. базы)"};
  forms::TBitBtn BitBtn5{this, "BitBtn5", "Измененить режим"};
  forms::TBitBtn BitBtn7{this, "BitBtn7", "BitBtn7"};  // never visible

  forms::TTimer Timer1{this, "Timer1", 100, true};
  forms::TTimer TimerST{this, "TimerST", 1000, true};

  void BitBtn1Click();   // "ПУСК"
  void BitBtn2Click();   // "СТОП"
  void BitBtn8Click();   // "К.Разряд"
  void BitBtn10Click();  // "СБРОС"
  void BitBtn3Click();   // "Установить"
  void BitBtn4Click();   // "Режим Бат."
  void BitBtn9Click();   // "Сост. Бат."
  void BitBtn6Click();   // "Обновить(чт. базы)"
  void BitBtn5Click();   // "Измененить режим"
  void BitBtn7Click();
  void Timer1Timer();   // re-read, then the pending command
  void TimerSTTimer();  // builds the parameter list's columns once
  void FormCloseQuery(bool& can_close);
  void ListView1AdvancedCustomDrawItem(forms::TListView& sender, forms::TListItem& item, int state,
                                       forms::TCustomDrawStage stage, bool& default_draw);
  void ListView1AdvancedCustomDrawSubItem(forms::TListView& sender, forms::TListItem& item,
                                          int column, int state, forms::TCustomDrawStage stage,
                                          bool& default_draw);
};

// The program's lamp card (null when none exists).
extern TFormSVET* FormSVET;

// A re-read of the card is requested for the next tick.
extern bool LampCardReloadFlag;
// Set by ShowModeOnLampCard: row "КНТ Тока Подкл." shows "ВКЛ" / row "Контроль Бат." shows
// "ОТКЛ"; both colour their value red.
extern bool CurrentControlFlag;
extern bool BatteryControlFlag;

// The card's number as 8-bit text (what the reads and commands take).
std::string LampCardNumber();

// Empties the worker fields the reads fill (not EditTN, EditWTN, EditNFIND, EditNCALL, MemoCM)
// and the ten battery fields.
void ClearLampCard();
// Empties EditSMTIME, EditSMBATT, EditTIMIZM, EditDATIZM, EditDAT2, EditDAT1, EditKK,
// EditCBATX, EditPROC, EditCNAK.
void ClearBatteryFields();
// ClearLampCard, empty parameter list, re-read on the next tick.
void ReloadLampCard();
// Fills the parameter list with the 15 rows of a record and sets the two colour flags.
void ShowModeOnLampCard(const lamp::ModeDisplayRecord& record);
// A capacity answer: current mA, discharge minutes, nominal capacity in 0.01 A*h; then the
// charge report of the card's lamp is requested.
void ShowBatteryCapacity(std::int32_t current, std::int32_t minutes, std::int32_t nominal);
// A charge-data answer: charge count and the last charge in mA*h (-1: not reported).
void ShowChargeCount(std::int32_t count, std::int32_t last);

// Places the database connect window at the main window's left + 150, top + 150, shows it
// and empties its status field (a re-read found no database).
void ShowConnectWindowForCard();

// What the battery editor reads of the card: EditZST, EditUCH and EditBR.
void ReadLampCardWorker(std::string& station, std::string& section, std::string& brigade);

}  // namespace lumora
