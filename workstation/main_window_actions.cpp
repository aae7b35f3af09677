// The main window's menus, tool bar, hidden diagnostics gesture and close question.
#include "platform/forms/application.h"
#include "platform/sys/session_end.h"
#include "workstation/about_box.h"
#include "workstation/connect_window.h"
#include "workstation/device_number_tool.h"
#include "workstation/diagnostics_window.h"
#include "workstation/main_window.h"
#include "workstation/window_layout.h"

namespace lumora {

void TMainForm::FileExit1Execute() {
  Close();
}

// Tool bar actions without a job in this program.
void TMainForm::FileNew1Execute() {}
void TMainForm::FileOpen1Execute() {}

void TMainForm::ConnClick() {
  if (FormSQL == nullptr) return;
  FormSQL->SetLeft(Left() + 150);
  FormSQL->SetTop(Top() + 150);
  FormSQL->Show();
}

void TMainForm::NumberClick() {
  if (FormNUM != nullptr) FormNUM->Show();
}

void TMainForm::WindowCascadeItemClick() {
  ApplyLayoutVid1(ProgramLayoutWindows());
}

void TMainForm::WindowTileItemClick() {
  ApplyLayoutVid2(ProgramLayoutWindows());
}

void TMainForm::HelpAbout1Execute() {
  if (AboutBox != nullptr) AboutBox->ShowModal();
}

void TMainForm::FormMouseUp(forms::TMouseButton, int shift, int x, int) {
  if ((shift & forms::ssShift) == 0 || x >= kMainDiagnosticsHotZone) return;
  if (FormDBG != nullptr) FormDBG->Show();
}

void TMainForm::FormCloseQuery(bool& can_close) {
  const int answer = forms::Application().MessageBox("Сохранить?", "Выход", forms::MB_YESNOCANCEL);
  if (answer == forms::IDYES) {
    SaveLayout();
    can_close = true;
  } else {
    can_close = answer == forms::IDNO;
  }
}

void InstallWorkstationEndHandlers() {
  sys::SetEndRequestHandler([] { forms::Application().Terminate(); });
  sys::InstallEndSignalHandlers();
}

}  // namespace lumora
