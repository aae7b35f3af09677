// The editor's traffic: reading a record from the device or the database, the write to the
// device on the 150 ms timer with its answer windows, the battery change, and the database
// writes once the device has confirmed.
#include <span>
#include <string>

#include "link/cp1251.h"
#include "link/number_text.h"
#include "link/station_frame.h"
#include "platform/forms/application.h"
#include "workstation/battery_editor.h"
#include "workstation/battery_writes.h"
#include "workstation/command_sender.h"
#include "workstation/database_client.h"
#include "workstation/screen_text.h"

namespace lumora {

lamp::ModeDisplayRecord ModeFormRecord{};
std::array<std::uint16_t, 26> ModeWriteWords{};
std::int32_t ModeWritePending = 0;
std::int32_t ModeReadWindow = 0;
std::int32_t ModeWriteWindow = 0;
std::int32_t ModeWriteState = kModeWriteSent;
std::array<char, 20> ModeFormNumber{};
std::int32_t LastAnswerCommand = 0;
BatteryEditorLinks BatteryEditorHooks;

namespace {

// P1 of the record read: the bytes asked for.
constexpr std::int32_t kModeReadLength = 64;

std::string EditNumber(const TFormBAT& form) {
  return lamp::Utf8ToCp1251(form.EditTN.Text());
}

void ShowErrorBox(const TFormBAT& form, int code) {
  if (FormERR == nullptr) return;
  FormERR->SetLeft(form.Left() + 110);
  FormERR->SetTop(form.Top() + 90);
  SetErrorMessage(code);
  FormERR->ShowModal();
}

void ResetStatus(TFormBAT& form, forms::TColor colour) {
  form.Edit1.SetText("");
  form.Edit1.SetColor(colour);
}

// The database writes of a confirmed record, with the battery change when it is marked.
void StoreConfirmedRecord(TFormBAT& form) {
  std::string station, section, brigade;
  if (BatteryEditorHooks.ReadLampCardWorker != nullptr) {
    BatteryEditorHooks.ReadLampCardWorker(station, section, brigade);
  }
  // A field that holds no number gives these.
  const std::int32_t st = lamp::ReadDecimal(station).value_or(0);
  const std::int32_t uch = lamp::ReadDecimal(section).value_or(9);
  const std::int32_t brig = lamp::ReadDecimal(brigade).value_or(0);
  std::array<char, kModeCommentLength + 1> comment{};
  CopyEditCp1251(form.EditCOMT, comment, kModeCommentLength);
  CopyEditCp1251(form.EditTN, ModeFormNumber, kModeFormNumberLength);
  const char* number = ModeFormNumber.data();

  SaveBatteryParams(number, ModeFormRecord, st, uch, brig, comment.data());
  LogBatteryParams(number, ModeFormRecord, st, uch, brig, comment.data());
  if (form.CheckSMB.Checked()) {
    SaveShiftBattery(number, ModeFormRecord, st, uch, brig);
    ResetChargeReport(number);
    if (CountBatteryTotals(number) == 0) {
      InsertBatteryTotals(number, st, uch, brig);
    } else {
      ResetBatteryTotals(number, st, uch, brig);
    }
    if (CountDischargeReports(number) != 0) ResetDischargeReport(number, st, uch, brig);
  }
  form.Edit1.SetColor(forms::clWhite);
  ModeWriteState = kModeWriteStored;
}

void SendPendingRecord(TFormBAT& form) {
  ModeWritePending = 0;
  CopyEditCp1251(form.EditTN, ModeFormNumber, kModeFormNumberLength);
  std::array<std::int32_t, lamp::kModeRecordWordCount> values{};
  for (std::size_t n = 0; n < values.size(); ++n) values[n] = ModeWriteWords[n];
  SendModeRecord(CmdWriteModeRecord, 0, ModeFormNumber.data(), values.data(), kTargetNone);
  ResetStatus(form, kModeWriteWaitColor);
  ModeWriteWindow = kModeWriteTicks;
  LastAnswerCommand = 0;
  ModeWriteState = kModeWriteSent;
}

}  // namespace

void SetLastAnswerCommand(std::int32_t command) {
  LastAnswerCommand = command;
}

void UnpackModeRecord(const std::uint8_t* bytes) {
  const lamp::ModeDisplayRecord record = lamp::UnpackModeRecord(
      std::span<const std::uint8_t, lamp::kModeRecordSize>(bytes, lamp::kModeRecordSize));
  if (BatteryEditorHooks.ShowModeOnLampCard != nullptr) {
    BatteryEditorHooks.ShowModeOnLampCard(record);
  }
  ShowModeOnBatteryForm(record);
}

void TakeModeRecordReply(const std::uint8_t* bytes) {
  if (ModeReadWindow <= 0) return;
  ModeFormRecord = lamp::UnpackModeRecord(
      std::span<const std::uint8_t, lamp::kModeRecordSize>(bytes, lamp::kModeRecordSize));
  ShowModeOnBatteryForm(ModeFormRecord);
}

void HandleModeRecordReply(std::int32_t /*slot*/, const std::uint8_t* data) {
  if (data == nullptr) return;
  UnpackModeRecord(data);
  TakeModeRecordReply(data);
}

void ShowBatteryEditor(int left, int top, const std::string& number) {
  if (FormBAT == nullptr) return;
  FormBAT->SetLeft(left);
  FormBAT->SetTop(top);
  FormBAT->Show();
  FormBAT->EditTN.SetText(number);
}

void TFormBAT::BitBtn4Click() {
  Edit1.SetText("");
  const int result = FillDefaultMode(*this);
  if (result != kModeFormOk) ShowErrorBox(*this, result);
}

void TFormBAT::BitBtn3Click() {
  Edit1.SetText("");
  const int result = CollectModeForm(*this);
  ShowModeOnBatteryForm(ModeFormRecord);
  if (result != kModeFormOk) {
    ShowErrorBox(*this, result);
    return;
  }
  ModeWriteWords.fill(0);
  const lamp::ModeRecord packed = lamp::PackModeRecord(ModeFormRecord);
  for (std::size_t n = 0; n < lamp::kModeRecordWordCount; ++n) ModeWriteWords[n] = packed.word(n);
  ModeWritePending = kModeWriteRequested;
}

void TFormBAT::BitBtn2Click() {
  ClearModeForm();
  const std::string number = EditNumber(*this);
  SendCommandParams(CmdReadModeRecord, kTargetNone, number.c_str(), kModeReadLength, 0, 0);
  ModeReadWindow = kModeReadTicks;
  ResetStatus(*this, forms::clWhite);
}

void TFormBAT::BitBtn1Click() {
  ResetStatus(*this, forms::clWhite);
  ClearModeForm();
  lamp::ModeDisplayRecord record{};
  const std::string number = EditNumber(*this);
  if (LoadBatteryParams(number.c_str(), record) <= 0) return;
  ModeFormRecord = record;
  ShowModeOnBatteryForm(ModeFormRecord);
}

void TFormBAT::BitBtn5Click() {
  ShowModeOnBatteryForm(ModeFormRecord);
}

void TFormBAT::BitBtn6Click() {
  Edit1.SetText("");
  // A form that fails its checks would store the record collected before it; store nothing.
  const int result = CollectModeForm(*this);
  if (result != kModeFormOk) {
    ShowErrorBox(*this, result);
    return;
  }
  const std::string number = EditNumber(*this);
  SaveBatteryParams(number.c_str(), ModeFormRecord, 0, 0, 0, kDatabaseOnlyComment);
  if (CheckSMB.Checked()) {
    SaveShiftBattery(number.c_str(), ModeFormRecord, 0, 0, 0);
    ResetChargeReport(number.c_str());
  }
}

void TFormBAT::Timer1Timer() {
  if (ModeReadWindow > 0) --ModeReadWindow;
  if (ModeWriteWindow > 0) --ModeWriteWindow;
  if (ModeWriteWindow == 1) {
    if (ModeWriteState != kModeWriteStored) {
      Edit1.SetFontColor(kModeNoAnswerColor);
      Edit1.SetText(kModeNoAnswerText);
    }
    CheckSMB.SetChecked(false);
  }
  if (ModeWriteWindow > 0) {
    if (ModeWriteState == kModeWriteConfirmed) StoreConfirmedRecord(*this);
    if (ModeWriteState == kModeWriteChangeSent &&
        LastAnswerCommand == lamp::StationCmdBatteryChange) {
      ModeWriteState = kModeWriteConfirmed;
    }
    if (LastAnswerCommand == lamp::StationCmdModeWrite) {
      LastAnswerCommand = 0;
      if (CheckSMB.Checked()) {
        CopyEditCp1251(EditTN, ModeFormNumber, kModeFormNumberLength);
        SendCommandParams(CmdBatteryChange, kTargetCell, ModeFormNumber.data(), 1, 0, 0);
        ModeWriteState = kModeWriteChangeSent;
      } else {
        ModeWriteState = kModeWriteConfirmed;
      }
    }
  }
  if (ModeWritePending == kModeWriteRequested) SendPendingRecord(*this);
}

}  // namespace lumora
