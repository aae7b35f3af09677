#include "server/service_window.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/station_frame.h"

namespace tolvex {

TFormSV* FormSV = nullptr;

TFormSV::TFormSV() : forms::TForm("FormSV", "FormSV") {
  FormSV = this;
  SetBounds(200, 150, 760, 520);
  ListBox1.SetBounds(250, 8, 500, 480);
  LayOutControls();
  StartWinsock();
  PrepareCellRegistry();
}

// The set-up panel on the left, the list on the right.
void TFormSV::LayOutControls() {
  const auto row = [](int r) { return 8 + 26 * r; };
  forms::TLabel* labels[] = {&Label1, &Label3, &Label5};
  forms::TEdit* left_edits[] = {&Edit3, &Edit6, &Edit8};
  forms::TLabel* right_labels[] = {&Label2, &Label4, &Label6};
  forms::TEdit* right_edits[] = {&Edit5, &Edit7, &EditKSOB};
  for (int r = 0; r < 3; ++r) {
    labels[r]->SetBounds(8, row(r) + 3, 40, 16);
    left_edits[r]->SetBounds(50, row(r), 64, 22);
    right_labels[r]->SetBounds(124, row(r) + 3, 40, 16);
    right_edits[r]->SetBounds(166, row(r), 74, 22);
  }
  Edit4.SetBounds(8, row(3), 106, 22);
  const auto buttons = [](int y, std::initializer_list<forms::TBitBtn*> list) {
    int left = 8;
    for (forms::TBitBtn* button : list) {
      button->SetBounds(left, y, 56, 24);
      left += 59;
    }
  };
  buttons(row(4), {&BitBtn3, &BitBtn9, &BitBtn10, &BitBtn8});
  EditIDN.SetBounds(8, row(5) + 6, 80, 22);
  EditSTZ.SetBounds(94, row(5) + 6, 60, 22);
  Edit14.SetBounds(160, row(5) + 6, 80, 22);
  buttons(row(6) + 6, {&BitBtn4, &BitBtn14, &BitBtn15, &BitBtn11});
  buttons(row(7) + 12, {&BitBtn5, &BitBtn6, &BitBtn7, &BitBtn2});
  buttons(row(8) + 12, {&BitBtn12, &BitBtn13, &BitBtn16, &BitBtn17});
  BitBtn1.SetBounds(8, row(9) + 12, 56, 24);
  Edit2.SetBounds(70, row(9) + 12, 170, 22);
  Label7.SetBounds(8, row(10) + 21, 40, 16);
  Edit11.SetBounds(50, row(10) + 18, 64, 22);
  Edit12.SetBounds(120, row(10) + 18, 56, 22);
  Edit13.SetBounds(182, row(10) + 18, 58, 22);
  Label8.SetBounds(8, row(11) + 21, 40, 16);
  Edit9.SetBounds(50, row(11) + 18, 64, 22);
  EditSV.SetBounds(120, row(11) + 18, 56, 22);
  Edit10.SetBounds(182, row(11) + 18, 58, 22);
  CheckOPR.SetBounds(8, row(12) + 26, 76, 20);
  CheckPTX.SetBounds(86, row(12) + 26, 80, 20);
  CheckIP.SetBounds(168, row(12) + 26, 72, 20);
  CheckDM92.SetBounds(8, row(13) + 26, 76, 20);
  CheckEX92K.SetBounds(86, row(13) + 26, 80, 20);
  CheckMon.SetBounds(168, row(13) + 26, 72, 20);
}

TFormSV::~TFormSV() {
  if (FormSV == this) FormSV = nullptr;
}

void TFormSV::ConnectHandlers() {
  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
  Timer3.OnTimer = [this] { Timer3Timer(); };
  Timer4.OnTimer = [this] { Timer4Timer(); };
  TimerSTAT.OnTimer = [this] { TimerSTATTimer(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  BitBtn7.OnClick = [this] { BitBtn7Click(); };
  BitBtn8.OnClick = [this] { BitBtn8Click(); };
  BitBtn9.OnClick = [this] { BitBtn9Click(); };
  BitBtn10.OnClick = [this] { BitBtn10Click(); };
  BitBtn11.OnClick = [this] { BitBtn11Click(); };
  BitBtn12.OnClick = [this] { BitBtn12Click(); };
  BitBtn13.OnClick = [this] { BitBtn13Click(); };
  BitBtn14.OnClick = [this] { BitBtn14Click(); };
  BitBtn15.OnClick = [this] { BitBtn15Click(); };
  BitBtn16.OnClick = [this] { BitBtn16Click(); };
  BitBtn17.OnClick = [this] { BitBtn17Click(); };
  Edit11.OnDblClick = [this] { Edit11DblClick(); };
  OnResize = [this] { FormResize(); };
}

void TFormSV::ShowDatabasePing(std::int32_t& count) {
  const DatabasePing ping = PingDatabase();
  if (ping.made && ping.result == 0) ++count;
  char text[48];
  std::snprintf(text, sizeof text, "%X %X  %d", static_cast<unsigned>(ping.result),
                ping.made ? 0u : 1u, count);
  Edit2.SetText(text);
}

void TFormSV::FormResize() {
  ListBox1.SetWidth(std::max(Width() - 260, 200));
}

void AddServiceLine(const char* line) {
  if (FormSV != nullptr) FormSV->ListBox1.Items().Add(line);
}

void ShowSocketState(const char* text) {
  if (FormSV != nullptr) FormSV->EditSV.SetText(text);
}

void ShowCommandCode(std::uint32_t code) {
  if (FormSV != nullptr) FormSV->Edit9.SetText(std::to_string(code));
}

bool MonitorLogOn() {
  return FormSV != nullptr && FormSV->CheckMon.Checked();
}

}  // namespace tolvex
