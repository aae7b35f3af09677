#pragma once
// The lamp-room overview "ЛАМПОВАЯ": one row per station 1..100 with the counts of its cells
// by state, fault and link (written by the display loop), three summary lamps, and the
// click that picks the station the station view shows.
#include <cstdint>
#include <string>

#include "platform/forms/controls.h"

namespace lumora {

inline constexpr int kLampRoomStations = 100;
inline constexpr int kLampRoomColumns = 11;
// Column indices of LV1 (0 is the station number, k >= 1 is sub-item k - 1).
inline constexpr int kColumnConnected = 2;
inline constexpr int kColumnCellFault = 8;
inline constexpr int kColumnBatteryFault = 9;
inline constexpr int kColumnNoLink = 10;
// The selection is dropped once the deselect counter exceeds this (fifth tick of Timer1).
inline constexpr int kLampRoomDeselectTicks = 4;
// A Shift-release inside this square at the top left shows the diagnostics window.
inline constexpr int kOverviewDiagnosticsHotZone = 30;
// Summary lamp colours.
inline constexpr forms::TColor kSummaryFault = 0x0000FF;
inline constexpr forms::TColor kSummaryGood = 0x008000;

class TForm2 : public forms::TForm {
 public:
  TForm2();
  ~TForm2() override;

  void ConnectHandlers();

  forms::TLabel Label5{this, "Label5", "ЛАМПОВАЯ"};
  forms::TLabel Label1{this, "Label1", "Зар.Яч."};
  forms::TEdit Edit1{this, "Edit1"};
  forms::TLabel Label2{this, "Label2", "Бат."};
  forms::TEdit Edit2{this, "Edit2"};
  forms::TLabel Label3{this, "Label3", "Связь"};
  forms::TEdit Edit3{this, "Edit3"};
  forms::TListView LV1{this, "LV1"};
  forms::TTimer Timer1{this, "Timer1", 1000, true};

  // Ticks of Timer1 since a row was selected.
  int DeselectCount = 0;

  void FormCreate();
  void FormResize();
  void FormMouseUp(forms::TMouseButton button, int shift, int x, int y);
  void LV1Click();
  void LV1CustomDrawSubItem(forms::TListView& sender, forms::TListItem& item, int column, int state,
                            bool& default_draw);
  void Timer1Timer();
};

// The program's lamp-room overview (null when none exists).
extern TForm2* Form2;

// Grid lines, report style, the 11 columns and the 100 station rows with empty counts.
void InitLampRoomList(forms::TListView& list);
// The same for the program's overview (nothing when there is none).
void InitLampRoomList();

// Text and background colours of one lamp-room cell from its text and column.
struct CellColors {
  forms::TColor font;
  forms::TColor brush;
};
CellColors LampRoomCellColors(int column, const std::string& text);

}  // namespace lumora
