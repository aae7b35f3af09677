#pragma once
// The station view "ЗАРЯДНАЯ СТАНЦИЯ": the cells of the current station in two lists of 27
// rows, and the cell card "ЗАРЯДНАЯ ЯЧЕЙКА" with the live values of one lamp, from which the
// lamp card, the event history and the measurement log of that lamp are opened. Rows and card
// values are written by the display loop.
#include <array>
#include <cstdint>
#include <string>

#include "platform/forms/controls.h"

namespace lumora {

inline constexpr int kStationListRows = 27;
inline constexpr int kStationPositions = 2 * kStationListRows;  // 54 cells per station
inline constexpr int kCellColorPositions = 100;
inline constexpr int kStationListColumns = 5;
// Cell colour codes of the "Состояние" column.
inline constexpr std::int32_t kCellColorPlain = 0;
inline constexpr std::int32_t kCellColorConnected = 2;
inline constexpr std::int32_t kCellColorReady = 3;
inline constexpr forms::TColor kCellConnectedBrush = 0x00FFFF;
inline constexpr forms::TColor kCellReadyBrush = 0x97FF97;
inline constexpr forms::TColor kStatusTextColor = 0x0000FF;
// The list's selection is dropped once its counter exceeds this (41st tick of Timer1).
inline constexpr int kStationDeselectTicks = 40;
inline constexpr int kStatusPanels = 7;

class TForm3 : public forms::TForm {
 public:
  TForm3();
  ~TForm3() override;

  void ConnectHandlers();

  forms::TLabel Label1{this, "Label1", "ЗАРЯДНАЯ СТАНЦИЯ"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "<<"};
  forms::TEdit EditNUMST{this, "EditNUMST", "0"};
  forms::TBitBtn BitBtn3{this, "BitBtn3", ">>"};
  forms::TEdit Edit1{this, "Edit1"};
  forms::TListView LV1A{this, "LV1A"};
  forms::TListView LV1B{this, "LV1B"};

  forms::TPanel Panel1{this, "Panel1"};
  forms::TLabel Label6{&Panel1, "Label6", "ЗАРЯДНАЯ ЯЧЕЙКА"};
  forms::TLabel Label2{&Panel1, "Label2", "N"};
  forms::TEdit EditINDN{&Panel1, "EditINDN"};
  forms::TLabel LabIND{&Panel1, "LabIND", "<<"};
  forms::TEdit EditSTAT{&Panel1, "EditSTAT"};
  forms::TEdit EditTIM{&Panel1, "EditTIM"};
  forms::TLabel Label3{&Panel1, "Label3", "Цикл"};
  forms::TEdit EditMD{&Panel1, "EditMD"};
  forms::TEdit EditCK{&Panel1, "EditCK"};
  forms::TLabel Label4{&Panel1, "Label4", "Напр."};
  forms::TEdit EditUACC{&Panel1, "EditUACC"};
  forms::TLabel Label5{&Panel1, "Label5", "Ток"};
  forms::TEdit EditIACC{&Panel1, "EditIACC"};
  forms::TMemo Memo1{&Panel1, "Memo1"};
  forms::TBitBtn BitBtn1{&Panel1, "BitBtn1", "Доп. пар."};
  forms::TBitBtn BitBtn5{&Panel1, "BitBtn5", "Соб."};
  forms::TBitBtn BitBtn4{&Panel1, "BitBtn4", "LOG"};

  forms::TStatusBar StatusBar{this, "StatusBar"};
  forms::TTimer Timer1{this, "Timer1", 100, true};

  // Ticks of Timer1 since a row of LV1A / LV1B was selected.
  int DeselectCountA = 0;
  int DeselectCountB = 0;

  void FormCreate();
  void FormResize();
  void Timer1Timer();
  void BitBtn2Click();  // "<<"
  void BitBtn3Click();  // ">>"
  void LV1AClick();
  void LV1BClick();
  void LV1ACustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int column,
                             int state, bool& default_draw);
  void LV1BCustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int column,
                             int state, bool& default_draw);
  void BitBtn1Click();  // "Доп. пар."
  void BitBtn5Click();  // "Соб."
  void BitBtn4Click();  // "LOG"
};

// The program's station view (null when none exists).
extern TForm3* Form3;

// Colour code per list position (0..26 LV1A, 27..53 LV1B).
extern std::array<std::int32_t, kCellColorPositions> CellColorCodes;

void SetCurrentStation(std::int32_t station);
// Stores code for position; a position outside 0..99 is ignored.
void SetCellColorState(std::int32_t code, std::int32_t position);

// Grid lines, report style, the five columns and 27 rows with three empty sub-items.
void InitStationList(forms::TListView& list);
void InitStationListA();
void InitStationListB();

// Text and background colours of one cell of a station list at a position.
struct StationCellColors {
  forms::TColor font;
  forms::TColor brush;
};
StationCellColors StationCellDrawColors(int column, int position, forms::TColor normal_font);

}  // namespace lumora
