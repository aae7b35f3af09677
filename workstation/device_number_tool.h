#pragma once
// The device-number tool "Инд.номер": finds a device by its individual or factory number,
// lets the devices show their number, and gives a device a new individual number through a
// four-step sequence on its 110 ms timer. Opened from the main window's menu; closing only
// hides it and its timer keeps running.
//
// The constructor builds the controls with their load-time state; the handlers are defined
// in device_number_tool.cpp and device_number_tool_sequence.cpp and connected by
// ConnectHandlers().
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/forms/controls.h"

namespace lumora {

class TFormNUM : public forms::TForm {
 public:
  TFormNUM();
  ~TFormNUM() override;

  void ConnectHandlers();

  forms::TListBox ListBox1{this, "ListBox1"};
  forms::TBitBtn BitBtn5{this, "BitBtn5", "с"};

  // Find.
  forms::TPanel Panel1{this, "Panel1", "Поиск устройства"};
  forms::TEdit EditTN{&Panel1, "EditTN", "11aa"};
  forms::TRadioButton RadioTN{&Panel1, "RadioTN", "Инд.ном", true};
  forms::TRadioButton RadioFN{&Panel1, "RadioFN", "Зав.ном"};
  forms::TEdit EditNM1{&Panel1, "EditNM1", "0"};
  forms::TEdit EditNM2{&Panel1, "EditNM2", "0"};
  forms::TBitBtn BitBtn1{&Panel1, "BitBtn1", "Поиск"};
  forms::TEdit EditTIM{&Panel1, "EditTIM", "20"};
  forms::TBitBtn BitBtn6{&Panel1, "BitBtn6", "Индик. Ном."};

  // Renumber.
  forms::TPanel Panel2{this, "Panel2", "Смена номера"};
  forms::TLabel LabelNEWN{&Panel2, "LabelNEWN", "Новый номер"};
  forms::TEdit EditNEWN{&Panel2, "EditNEWN", "123a"};
  forms::TLabel LabelOLDN{&Panel2, "LabelOLDN", "Старый номер"};
  forms::TEdit EditOLDN{&Panel2, "EditOLDN", "12ab"};
  forms::TRadioButton RadioTNS{&Panel2, "RadioTNS", "Инд.ном", true};
  forms::TRadioButton RadioFNS{&Panel2, "RadioFNS", "Зав.ном"};
  forms::TEdit EditN1{&Panel2, "EditN1", "0"};
  forms::TEdit EditN2{&Panel2, "EditN2", "0"};
  forms::TBitBtn BitBtn4{&Panel2, "BitBtn4", "Запись"};
  forms::TBitBtn BitBtn2{&Panel2, "BitBtn2", "Запись"};  // never visible
  forms::TBitBtn BitBtn3{&Panel2, "BitBtn3", "INI"};     // never visible

  forms::TTimer Timer1{this, "Timer1", 110, true};

  void BitBtn1Click();  // "Поиск"
  void BitBtn6Click();  // "Индик. Ном."
  void BitBtn4Click();  // "Запись": start the sequence at the next tick
  void BitBtn5Click();  // "с": empty the list
  void ListBox1DblClick();
  void Timer1Timer();  // the renumbering tick
};

// The program's device-number tool (null when none exists).
extern TFormNUM* FormNUM;

// NumberAnswerLatch values.
inline constexpr std::int32_t kLatchNone = 0;
inline constexpr std::int32_t kLatchFindAnswer = 1;
inline constexpr std::int32_t kLatchWriteAnswer = 2;
inline constexpr std::int32_t kLatchInitAnswer = 3;
inline constexpr std::int32_t kLatchStartRequest = 255;

// RenumberState values.
inline constexpr std::int32_t kRenumberIdle = 0;
inline constexpr std::int32_t kRenumberStart = 1;
inline constexpr std::int32_t kRenumberWaitFind = 2;
inline constexpr std::int32_t kRenumberWaitWrite = 3;
inline constexpr std::int32_t kRenumberWaitInit = 4;
inline constexpr std::int32_t kRenumberWaitCheck = 5;
inline constexpr std::int32_t kRenumberNoAnswer = 20;

// A waiting state gives up once its tick count passes this.
inline constexpr std::int32_t kRenumberAnswerTicks = 5;
// P1 of the number write and of the initialise.
inline constexpr std::int32_t kWriteNumberP1 = 208;
inline constexpr std::int32_t kInitDeviceP1 = 1;
// "Индик. Ном." P1.
inline constexpr std::int32_t kShowNumberP1 = 2;

inline constexpr int kOldNumberLength = 15;
inline constexpr int kNewNumberBytes = 8;  // 7 characters and the terminator
// The list selects its last line once it holds more than this.
inline constexpr int kNumberListScrollLines = 10;

inline constexpr const char* kRenumberDoneText = "Выполнено";
inline constexpr const char* kRenumberNoAnswerText = "Нет ответа";

extern std::int32_t NumberAnswerLatch;
extern std::int32_t RenumberState;
extern std::int32_t RenumberTicks;
extern std::int32_t RenumberKind;
extern std::array<char, kOldNumberLength + 1> RenumberOldNumber;  // 8-bit text
extern std::array<std::uint8_t, 8> RenumberFactoryNumber;
extern std::array<char, kNewNumberBytes> RenumberNewNumber;  // zero-filled 8-bit text
extern std::array<std::int32_t, kNewNumberBytes> RenumberNewValues;

// The five device lines of a find answer (the whole 220-byte IdCommandAnswer), UTF-8.
std::array<std::string, 5> DeviceInfoLines(std::span<const std::uint8_t, 220> datagram);
// Adds the device lines of a find answer to the list.
void ShowDeviceInfo(const std::uint8_t* datagram);
// Latches the command of a number answer (1, 0x9C, 0x83; others leave the latch).
void LatchNumberAnswer(const std::uint8_t* datagram);

// Factory number bytes (least significant first) from the two hexadecimal texts of the high
// and the low 32 bits.
std::array<std::uint8_t, 8> FactoryNumberFromTexts(std::string_view high_hex,
                                                   std::string_view low_hex);

}  // namespace lumora
