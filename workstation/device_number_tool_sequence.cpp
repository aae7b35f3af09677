// The device-number tool's requests and its renumbering sequence: find the device by its old
// number, write the new number, initialise the device, find it by the new number. Each step
// waits for its answer latched by the decoder; a step without answer by the sixth tick ends
// the run with "Нет ответа".
#include <cstring>
#include <string>

#include "link/cp1251.h"
#include "link/datagrams.h"
#include "link/number_text.h"
#include "link/station_frame.h"
#include "workstation/command_sender.h"
#include "workstation/device_number_tool.h"
#include "workstation/screen_text.h"

namespace lumora {

std::int32_t NumberAnswerLatch = kLatchNone;
std::int32_t RenumberState = kRenumberIdle;
std::int32_t RenumberTicks = 0;
std::int32_t RenumberKind = AddressByIndNum;
std::array<char, kOldNumberLength + 1> RenumberOldNumber{};
std::array<std::uint8_t, 8> RenumberFactoryNumber{};
std::array<char, kNewNumberBytes> RenumberNewNumber{};
std::array<std::int32_t, kNewNumberBytes> RenumberNewValues{};

namespace {

void AddListLine(const std::string& line) {
  if (FormNUM == nullptr) return;
  forms::TListBox& list = FormNUM->ListBox1;
  list.Items().Add(line);
  if (list.Items().Count() > kNumberListScrollLines) list.SetItemIndex(list.Items().Count() - 1);
}

void StartRenumbering(TFormNUM& tool) {
  NumberAnswerLatch = kLatchNone;
  RenumberState = kRenumberStart;
  CopyEditCp1251(tool.EditOLDN, RenumberOldNumber, kOldNumberLength);
  RenumberFactoryNumber = FactoryNumberFromTexts(tool.EditN1.Text(), tool.EditN2.Text());
  RenumberKind = tool.RadioTNS.Checked() ? AddressByIndNum : AddressByFabNum;
  CopyEditCp1251(tool.EditNEWN, RenumberNewNumber, kNewNumberBytes - 1);
  for (std::size_t i = 0; i < RenumberNewValues.size(); ++i) {
    RenumberNewValues[i] = static_cast<signed char>(RenumberNewNumber[i]);
  }
  RenumberTicks = 0;
}

void SendRenumberValues(std::int32_t command, std::int32_t p1) {
  SendCommandValues(command, p1, RenumberOldNumber.data(), RenumberFactoryNumber.data(),
                    RenumberKind, RenumberNewValues.data(), kNewNumberBytes, kTargetDevice);
}

void GiveUpAfterWindow() {
  if (RenumberTicks > kRenumberAnswerTicks) RenumberState = kRenumberNoAnswer;
}

}  // namespace

void ShowDeviceInfo(const std::uint8_t* datagram) {
  const auto lines = DeviceInfoLines(std::span<const std::uint8_t, lamp::StatusDatagram::kSize>(
      datagram, lamp::StatusDatagram::kSize));
  for (const std::string& line : lines) AddListLine(line);
}

void LatchNumberAnswer(const std::uint8_t* datagram) {
  const std::uint32_t command =
      lamp::ReadU32(std::span<const std::uint8_t>(datagram, lamp::StatusDatagram::kSize),
                    lamp::StatusDatagram::kAnswerCommand);
  if (command == lamp::StationCmdFindDevice) {
    NumberAnswerLatch = kLatchFindAnswer;
  } else if (command == lamp::StationCmdWriteNumber) {
    NumberAnswerLatch = kLatchWriteAnswer;
  } else if (command == lamp::StationCmdInitDevice) {
    NumberAnswerLatch = kLatchInitAnswer;
  }
}

void TFormNUM::BitBtn1Click() {
  const auto factory_number = FactoryNumberFromTexts(EditNM1.Text(), EditNM2.Text());
  const std::int32_t kind = RadioTN.Checked() ? AddressByIndNum : AddressByFabNum;
  const std::string number = lamp::Utf8ToCp1251(EditTN.Text());
  SendCommandByNumber(CmdFindDevice, kTargetCell, number.c_str(), factory_number.data(), kind, 0, 0,
                      0);
}

void TFormNUM::BitBtn6Click() {
  const std::int32_t seconds = lamp::ReadDecimal(EditTIM.Text()).value_or(0);
  // Every device shows its number, so no number is given; the factory number stays the one
  // the link last carried, so later station frames keep their addressing.
  std::uint8_t factory_number[8];
  std::memcpy(factory_number, CommandBuffer.bytes.data() + lamp::CommandDatagram::kFabNum,
              sizeof factory_number);
  SendCommandByNumber(CmdShowNumber, kTargetCell, "", factory_number, AddressEveryDevice,
                      kShowNumberP1, seconds, 0);
}

void TFormNUM::BitBtn4Click() {
  NumberAnswerLatch = kLatchStartRequest;
}

void TFormNUM::Timer1Timer() {
  if (NumberAnswerLatch == kLatchStartRequest) StartRenumbering(*this);
  if (RenumberState == kRenumberStart) {
    SendCommandByNumber(CmdFindDevice, kTargetCell, RenumberOldNumber.data(),
                        RenumberFactoryNumber.data(), RenumberKind, 0, 0, 0);
    RenumberTicks = 0;
    RenumberState = kRenumberWaitFind;
    RenumberTicks += 1;
    return;
  }
  if (RenumberState == kRenumberWaitFind) {
    if (NumberAnswerLatch == kLatchFindAnswer) {
      RenumberState = kRenumberWaitWrite;
      SendRenumberValues(CmdWriteNumber, kWriteNumberP1);
    }
    GiveUpAfterWindow();
  }
  if (RenumberState == kRenumberWaitWrite) {
    if (NumberAnswerLatch == kLatchWriteAnswer) {
      RenumberState = kRenumberWaitInit;
      RenumberTicks = 0;
      SendRenumberValues(CmdInitDevice, kInitDeviceP1);
    }
    GiveUpAfterWindow();
  }
  if (RenumberState == kRenumberWaitInit) {
    if (NumberAnswerLatch == kLatchInitAnswer) {
      RenumberState = kRenumberWaitCheck;
      RenumberTicks = 0;
      SendCommandByNumber(CmdFindDevice, kTargetCell, RenumberNewNumber.data(),
                          RenumberFactoryNumber.data(), AddressByIndNum, 0, 0, 0);
    }
    GiveUpAfterWindow();
  }
  if (RenumberState == kRenumberWaitCheck && NumberAnswerLatch == kLatchFindAnswer) {
    RenumberState = kRenumberIdle;
    AddListLine(kRenumberDoneText);
  }
  if (RenumberState == kRenumberNoAnswer) {
    RenumberState = kRenumberIdle;
    AddListLine(kRenumberNoAnswerText);
  }
  NumberAnswerLatch = kLatchNone;
  RenumberTicks += 1;
}

}  // namespace lumora
