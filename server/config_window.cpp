#include "server/config_window.h"

#include <unistd.h>

#include <array>
#include <cstring>
#include <string>

#include "link/cp1251.h"
#include "platform/forms/application.h"
#include "platform/sys/autostart.h"
#include "platform/sys/module_path.h"
#include "server/database_connection.h"
#include "server/main_window.h"
#include "server/poll_cycle.h"
#include "server/server_config.h"

namespace tolvex {

TFormCFG* FormCFG = nullptr;

namespace {

std::string LocalMachineName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "localhost";
  return name;
}

// True while the box is set to what the entry holds: that change of the box is no request to
// write or delete the entry (it would delete another copy's entry after a move).
bool showing_auto_start_state = false;

void SetAutoStartBoxFromEntry(const sys::AutoStartEntries& entries) {
  const std::string value = entries.Read(kAutoStartValueName);
  const std::string path = sys::ExecutablePath();
  showing_auto_start_state = true;
  FormCFG->CheckAUTO.SetChecked(!path.empty() && value == path);
  showing_auto_start_state = false;
}

// The local machine's own name reaches its database server through the local socket, as
// "localhost" does: the local server need not listen on the network at all.
void ReplaceOwnMachineName(std::array<char, 32>& host) {
  char own[256] = {};
  if (gethostname(own, sizeof own - 1) != 0 || own[0] == '\0') return;
  if (std::strcmp(host.data(), own) == 0) std::strcpy(host.data(), "localhost");
}

}  // namespace

TFormCFG::TFormCFG() : forms::TForm("FormCFG", "Конфигурация") {
  FormCFG = this;
  SetVisible(false);
  SetBounds(330, 470, 350, 330);
  UpTT.SetAssociate(&Edit1);
  EditH.SetText(LocalMachineName());
  Edit1.SetBounds(110, 8, 40, 22);
  UpTT.SetBounds(150, 8, 16, 22);
  Label1.SetBounds(8, 10, 100, 16);
  CheckHIDE.SetBounds(176, 8, 170, 20);
  Label2.SetBounds(8, 42, 60, 16);
  EditH.SetBounds(70, 40, 150, 22);
  Label3.SetBounds(8, 68, 60, 16);
  EditU.SetBounds(70, 66, 150, 22);
  Label4.SetBounds(8, 94, 60, 16);
  EditP.SetBounds(70, 92, 150, 22);
  BitBtn2.SetBounds(230, 66, 80, 26);
  Edit2.SetBounds(8, 122, 212, 22);
  CheckLOG.SetBounds(8, 150, 160, 20);
  CheckAUTO.SetBounds(180, 150, 130, 20);
  Panel1.SetBounds(8, 176, 310, 100);
  Label5.SetBounds(8, 4, 200, 16);
  MaskEdit1.SetBounds(8, 24, 60, 22);
  MaskEdit2.SetBounds(8, 50, 60, 22);
  MaskEdit3.SetBounds(150, 24, 60, 22);
  MaskEdit4.SetBounds(150, 50, 60, 22);
  CheckT1.SetBounds(72, 26, 20, 20);
  CheckT2.SetBounds(72, 52, 20, 20);
  CheckT3.SetBounds(214, 26, 20, 20);
  CheckT4.SetBounds(214, 52, 20, 20);
  BitBtn1.SetBounds(8, 284, 110, 28);
}

TFormCFG::~TFormCFG() {
  if (FormCFG == this) FormCFG = nullptr;
}

void TFormCFG::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  CheckLOG.OnClick = [this] { CheckLOGClick(); };
  CheckAUTO.OnClick = [this] { CheckAUTOClick(); };
  OnActivate = [this] { FormActivate(); };
}

int LoadServerConfig() {
  const std::size_t bytes = ReadServerConfigFile();
  if (FormCFG != nullptr) FormCFG->Edit2.SetText(std::to_string(bytes));
  return bytes == kServerConfigSize ? 0 : 1;
}

void ShowServerConfig() {
  if (ServerConfig.Magic != kServerConfigMagic) return;
  if (FormCFG != nullptr) {
    FormCFG->CheckHIDE.SetChecked(ServerConfig.HideAtStart == 1);
    FormCFG->CheckLOG.SetChecked(ServerConfig.LogFile == 1);
  }
  if (Form1 != nullptr) {
    Form1->ReportEnabled = ServerConfig.LogFile;
    Form1->PollPeriod = ServerConfig.PollPeriod;
  }
  if (FormCFG == nullptr) return;
  FormCFG->UpTT.SetPosition(ServerConfig.PollPeriod);
  FormCFG->EditH.SetText(ConfigTextOf(ServerConfig.Host));
  FormCFG->EditU.SetText(ConfigTextOf(ServerConfig.Login));
  FormCFG->EditP.SetText(ConfigTextOf(ServerConfig.Password));
  forms::TMaskEdit* times[] = {&FormCFG->MaskEdit1, &FormCFG->MaskEdit2, &FormCFG->MaskEdit3,
                               &FormCFG->MaskEdit4};
  forms::TCheckBox* enables[] = {&FormCFG->CheckT1, &FormCFG->CheckT2, &FormCFG->CheckT3,
                                 &FormCFG->CheckT4};
  for (std::size_t k = 0; k < 4; ++k) {
    times[k]->SetText(ConfigTextOf(ServerConfig.Times[k]));
    enables[k]->SetChecked(ServerConfig.TimeEnabled[k] == 1);
  }
}

int ConnectDatabaseFromForm() {
  if (FormCFG == nullptr) return 1;
  // Each text is cut to 31 characters, as the record's fields hold them.
  std::array<char, 32> host{};
  std::array<char, 32> login{};
  std::array<char, 32> password{};
  lamp::Utf8ToCp1251(FormCFG->EditH.Text(), host);
  lamp::Utf8ToCp1251(FormCFG->EditU.Text(), login);
  lamp::Utf8ToCp1251(FormCFG->EditP.Text(), password);
  ReplaceOwnMachineName(host);
  return ConnectDatabase(host.data(), login.data(), password.data());
}

void TFormCFG::StoreInto(ServerConfigRecord& record) const {
  StoreConfigText(record.Host, EditH.Text());
  StoreConfigText(record.Login, EditU.Text());
  StoreConfigText(record.Password, EditP.Text());
  record.HideAtStart = CheckHIDE.Checked() ? 1 : 0;
  record.LogFile = CheckLOG.Checked() ? 1 : 0;
  record.PollPeriod = static_cast<std::int16_t>(UpTT.Position());
  const forms::TMaskEdit* times[] = {&MaskEdit1, &MaskEdit2, &MaskEdit3, &MaskEdit4};
  const forms::TCheckBox* enables[] = {&CheckT1, &CheckT2, &CheckT3, &CheckT4};
  for (std::size_t k = 0; k < 4; ++k) {
    StoreConfigText(record.Times[k], times[k]->Text());
    record.TimeEnabled[k] = enables[k]->Checked() ? 1 : 0;
  }
  record.Magic = kServerConfigMagic;
}

void TFormCFG::BitBtn1Click() {
  StoreInto(ServerConfig);
  const std::string failure = SaveServerConfig();
  if (!failure.empty()) forms::Application().MessageBox(failure, "Ошибка", forms::MB_OK);
}

BuiltInServerConfig SaveBuiltInServerConfig(const std::string& path,
                                            std::uint32_t cells_per_station) {
  // A form of its own; the program's form, if any, stays the one that FormCFG names.
  TFormCFG* const program_form = FormCFG;
  BuiltInServerConfig result;
  {
    TFormCFG form;
    result.built_in_poll_period = form.UpTT.Position();
    int period = result.built_in_poll_period;
    while (PassPollingTicks(period) < cells_per_station && period < form.UpTT.Max()) ++period;
    form.UpTT.SetPosition(period);
    result.poll_period = form.UpTT.Position();
    if (PassPollingTicks(result.poll_period) < cells_per_station) {
      result.failure = "no poll period up to " + std::to_string(form.UpTT.Max()) + " s reaches " +
                       std::to_string(cells_per_station) + " cells of a station";
    } else {
      ServerConfigRecord record;
      form.StoreInto(record);
      result.failure = SaveServerConfigRecord(record, path);
    }
  }
  FormCFG = program_form;
  return result;
}

void TFormCFG::BitBtn2Click() {
  Edit2.SetText(ConnectDatabaseFromForm() == 0 ? "Подключено" : "Ошибка");
}

void TFormCFG::CheckLOGClick() {
  if (Form1 != nullptr) Form1->ReportEnabled = CheckLOG.Checked() ? 1 : 0;
}

void TFormCFG::CheckAUTOClick() {
  if (showing_auto_start_state) return;
  const sys::AutoStartEntries entries(AutoStartDirectory());
  if (CheckAUTO.Checked()) {
    entries.Write(kAutoStartValueName, sys::ExecutablePath());
  } else {
    entries.Delete(kAutoStartValueName);
  }
  SetAutoStartBoxFromEntry(entries);
}

void TFormCFG::FormActivate() {
  ReadAutoStartState();
}

void ReadAutoStartState() {
  if (FormCFG == nullptr) return;
  SetAutoStartBoxFromEntry(sys::AutoStartEntries(AutoStartDirectory()));
}

}  // namespace tolvex
