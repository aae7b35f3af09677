#include "workstation/main_window.h"

#include "platform/forms/application.h"

namespace lumora {

TMainForm* MainForm = nullptr;
std::int32_t DisplayReady = 0;
std::int32_t CurrentStation = 1;
// Lives from static initialisation to the end of the program, ahead of every window.
forms::TStrings MemoLines;

namespace {

void AddMenu(forms::TMainMenu& menu, forms::TMenuItem& heading,
             std::initializer_list<forms::TMenuItem*> items) {
  for (forms::TMenuItem* item : items) heading.Add(item);
  menu.Add(&heading);
}

void SetToolButton(forms::TToolButton& button, const char* hint,
                   forms::TStandardAction action = forms::TStandardAction::None) {
  button.SetHint(hint);
  button.SetStandardAction(action);
}

}  // namespace

TMainForm::TMainForm() : forms::TForm("MainForm", "Монитор ЖВК (08.05.16)") {
  MainForm = this;
  SetFormStyle(forms::TFormStyle::fsMDIForm);
  SetBounds(0, 0, 1287, 820);

  AddMenu(MainMenu1, File1, {&FileExitItem});
  AddMenu(MainMenu1, Connection1, {&Conn});
  AddMenu(MainMenu1, Tools1, {&Number});
  AddMenu(MainMenu1, Window1, {&WindowCascadeItem, &WindowTileItem});
  AddMenu(MainMenu1, Help1, {&HelpAboutItem});
  SetMenu(&MainMenu1);

  ToolBar2.SetBounds(0, 0, 1279, 29);
  ToolBar2.SetShowCaptions(false);
  SetToolButton(ToolButton1, "New");
  SetToolButton(ToolButton2, "Open");
  SetToolButton(ToolButton3, "Save");
  ToolButton4.SetSeparator(true);
  SetToolButton(ToolButton5, "Cut", forms::TStandardAction::EditCut);
  SetToolButton(ToolButton6, "Copy", forms::TStandardAction::EditCopy);
  SetToolButton(ToolButton7, "Paste", forms::TStandardAction::EditPaste);
  ToolButton8.SetSeparator(true);
  SetToolButton(ToolButton9, "Tile Horizontally", forms::TStandardAction::WindowTileHorizontal);
  SetToolButton(ToolButton10, "Tile Vertically", forms::TStandardAction::WindowTileVertical);
  SetToolButton(ToolButton11, "Cascade", forms::TStandardAction::WindowCascade);

  StatusBar.SetBounds(0, 754, 1279, 19);
  StatusBar.SetSimplePanel(true);
  SetVisible(true);
}

TMainForm::~TMainForm() {
  if (MainForm == this) MainForm = nullptr;
}

int MainWindowLeft() {
  return MainForm != nullptr ? MainForm->Left() : 0;
}

int MainWindowTop() {
  return MainForm != nullptr ? MainForm->Top() : 0;
}

void TMainForm::ConnectHandlers() {
  TimerPOSF.OnTimer = [this] { TimerPOSFTimer(); };
  TimerST.OnTimer = [this] { TimerSTTimer(); };
  TimerINDIK.OnTimer = [this] { TimerINDIKTimer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };

  FileExitItem.OnClick = [this] { FileExit1Execute(); };
  Conn.OnClick = [this] { ConnClick(); };
  Number.OnClick = [this] { NumberClick(); };
  WindowCascadeItem.OnClick = [this] { WindowCascadeItemClick(); };
  WindowTileItem.OnClick = [this] { WindowTileItemClick(); };
  HelpAboutItem.OnClick = [this] { HelpAbout1Execute(); };
  ToolButton1.OnClick = [this] { FileNew1Execute(); };
  ToolButton2.OnClick = [this] { FileOpen1Execute(); };
  // "&Save" has no handler; the clipboard and window buttons carry their standard actions.

  OnMouseUp = [this](forms::TMouseButton button, int shift, int x, int y) {
    FormMouseUp(button, shift, x, y);
  };
  OnCloseQuery = [this](bool& can_close) { FormCloseQuery(can_close); };
}

}  // namespace lumora
