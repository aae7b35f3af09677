#include "workstation/traffic_window.h"

#include "link/cp1251.h"
#include "workstation/receive_socket.h"

namespace lumora {

TFormSV* FormSV = nullptr;

TFormSV::TFormSV() : forms::TForm("FormSV", "Serv") {
  FormSV = this;
  SetBounds(300, 120, 520, 560);
  ListBox1.SetBounds(8, 40, 500, 480);
  CheckLOG.SetBounds(8, 8, 70, 20);
  CheckNN.SetBounds(84, 8, 50, 20);
  Check2.SetBounds(140, 8, 50, 20);
  Check3.SetBounds(196, 8, 50, 20);
  Check4.SetBounds(252, 8, 56, 20);
  Check5.SetBounds(314, 8, 64, 20);
  BitBtn1.SetBounds(470, 6, 36, 24);
  StartWinsock(2, 2);
}

TFormSV::~TFormSV() {
  if (FormSV == this) FormSV = nullptr;
}

void TFormSV::BitBtn1Click() {
  ListBox1.Items().Clear();
}

void TFormSV::TimerSTTimer() {
  OpenReceiveSocket();
  TimerST.SetEnabled(false);
}

void TFormSV::Timer1Timer() {
  DrainReceiveSocket();
}

void TFormSV::Timer2Timer() {
  // 500 ms after a long silence the socket is closed and opened again.
  if (SuperviseLinkSilence()) TimerST.SetEnabled(true);
}

namespace {

forms::TCheckBox* CategoryBox(TFormSV& form, int category) {
  switch (category) {
    case kTrafficLength:
      return &form.CheckNN;
    case kTrafficCellStatus:
      return &form.Check2;
    case kTrafficPing:
      return &form.Check3;
    case kTrafficBattery:
      return &form.Check4;
    case kTrafficCommandAnswer:
      return &form.Check5;
    default:
      return nullptr;
  }
}

}  // namespace

bool IsTrafficListed(int category) {
  if (FormSV == nullptr) return false;
  if (FormSV->CheckLOG.Checked()) return true;
  const forms::TCheckBox* box = CategoryBox(*FormSV, category);
  return box != nullptr && box->Checked();
}

void LogTraffic(const char* line, int category) {
  if (!IsTrafficListed(category)) return;
  forms::TStrings& lines = FormSV->ListBox1.Items();
  // Lines carry a lamp's number as the datagram does, in cp1251.
  lines.Add(lamp::Cp1251ToUtf8(line));
  // Only the list of every line is emptied when it grows long.
  if (FormSV->CheckLOG.Checked() && lines.Count() > kTrafficAllLogLimit) lines.Clear();
}

void TFormSV::ConnectHandlers() {
  TimerST.OnTimer = [this] { TimerSTTimer(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
}

}  // namespace lumora
