#pragma once
// The workstation's main window "Монитор ЖВК (08.05.16)": the MDI parent of the live events
// list, the lamp-room overview and the station view. Its one-shot timers run the start-up
// (window layout, lists, cell table, database connect window); its running timers age every
// cell's link age and drive the display loop.
//
// The constructor builds the controls with their load-time state; the handlers are defined
// in main_window_timers.cpp and main_window_actions.cpp and connected by ConnectHandlers().
#include <cstdint>

#include "platform/forms/controls.h"

namespace lumora {

// A Shift-release at an X below this on the main window's surface shows the diagnostics
// window.
inline constexpr int kMainDiagnosticsHotZone = 50;

class TMainForm : public forms::TForm {
 public:
  TMainForm();
  ~TMainForm() override;

  void ConnectHandlers();

  forms::TMainMenu MainMenu1{this, "MainMenu1"};
  forms::TMenuItem File1{this, "File1", "&Файл"};
  forms::TMenuItem FileExitItem{this, "FileExitItem", "Выход"};
  forms::TMenuItem Connection1{this, "Connection1", "Подключение"};
  forms::TMenuItem Conn{this, "Conn", "Подключить базу"};
  forms::TMenuItem Tools1{this, "Tools1", "Инструменты"};
  forms::TMenuItem Number{this, "Number", "Инд. номер"};
  forms::TMenuItem Window1{this, "Window1", "Окно"};
  forms::TMenuItem WindowCascadeItem{this, "WindowCascadeItem", "Вид1"};
  forms::TMenuItem WindowTileItem{this, "WindowTileItem", "Вид2"};
  forms::TMenuItem Help1{this, "Help1", "&Help"};
  forms::TMenuItem HelpAboutItem{this, "HelpAboutItem", "&About..."};

  forms::TToolBar ToolBar2{this, "ToolBar2"};
  forms::TToolButton ToolButton1{&ToolBar2, "ToolButton1", "&New"};
  forms::TToolButton ToolButton2{&ToolBar2, "ToolButton2", "&Open"};
  forms::TToolButton ToolButton3{&ToolBar2, "ToolButton3", "&Save"};
  forms::TToolButton ToolButton4{&ToolBar2, "ToolButton4"};
  forms::TToolButton ToolButton5{&ToolBar2, "ToolButton5", "Cu&t"};
  forms::TToolButton ToolButton6{&ToolBar2, "ToolButton6", "&Copy"};
  forms::TToolButton ToolButton7{&ToolBar2, "ToolButton7", "&Paste"};
  forms::TToolButton ToolButton8{&ToolBar2, "ToolButton8"};
  forms::TToolButton ToolButton9{&ToolBar2, "ToolButton9", "Tile &Horizontally"};
  forms::TToolButton ToolButton10{&ToolBar2, "ToolButton10", "Tile &Vertically"};
  forms::TToolButton ToolButton11{&ToolBar2, "ToolButton11", "&Cascade"};

  // One simple panel: the hint of the control under the mouse.
  forms::TStatusBar StatusBar{this, "StatusBar"};

  forms::TTimer TimerPOSF{this, "TimerPOSF", 20, true};
  forms::TTimer TimerST{this, "TimerST", 400, true};
  forms::TTimer TimerINDIK{this, "TimerINDIK", 500, true};
  forms::TTimer Timer2{this, "Timer2", 1000, true};

  void TimerPOSFTimer();   // window layout
  void TimerSTTimer();     // lists, cell table, connect window
  void TimerINDIKTimer();  // display loop
  void Timer2Timer();      // link ageing

  // Menu, tool bar and window events (main_window_actions.cpp).
  void FileExit1Execute();
  void FileNew1Execute();
  void FileOpen1Execute();
  void ConnClick();
  void NumberClick();
  void WindowCascadeItemClick();
  void WindowTileItemClick();
  void HelpAbout1Execute();
  void FormMouseUp(forms::TMouseButton button, int shift, int x, int y);
  void FormCloseQuery(bool& can_close);
};

// SIGTERM and SIGINT end the program on the user-interface thread. Nobody is there to answer
// the close question, so the program ends as on "No": the saved layout stays as it is.
void InstallWorkstationEndHandlers();

// The program's main window (null when none exists).
extern TMainForm* MainForm;

// The main window's place, for the windows opened beside it (0 when there is none).
int MainWindowLeft();
int MainWindowTop();

// 1 once the start-up timer has built the lists and cleared the cell table; never cleared.
extern std::int32_t DisplayReady;
// The station the station view shows, 1..100 (0 is read as 1).
extern std::int32_t CurrentStation;
// Lines of the cell card's memo, built by the display loop; lives for the whole run.
extern forms::TStrings MemoLines;

}  // namespace lumora
