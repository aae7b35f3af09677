#include "workstation/command_sender.h"

#include <cstring>

#include "workstation/receive_socket.h"

namespace lumora {

lamp::CommandDatagram CommandBuffer;
PendingLampCommand PendingCommand;
std::int32_t LampCommandTries = 0;
std::int32_t LampCommandWait = 0;
std::int32_t LampMessageHold = 0;

namespace {

forms::TEdit* wait_field = nullptr;

// The fields every builder writes: magic, the number (at most six characters, zero-padded,
// the terminator at offset 10), the command and the target word.
void WriteCommonFields(std::int32_t command, std::int32_t target, const char* number) {
  CommandBuffer.set_magic(IdCommand);
  CommandBuffer.set_ind_num_text(number != nullptr ? std::string_view(number) : "");
  CommandBuffer.set_command_code(static_cast<std::uint32_t>(command));
  CommandBuffer.set_target_word(static_cast<std::uint32_t>(target));
}

void WriteFactoryNumber(const std::uint8_t* factory_number) {
  std::uint8_t bytes[8] = {};
  if (factory_number != nullptr) std::memcpy(bytes, factory_number, sizeof bytes);
  std::memcpy(CommandBuffer.bytes.data() + lamp::CommandDatagram::kFabNum, bytes, sizeof bytes);
}

void SendBuffer() {
  SendToServer(CommandBuffer.bytes.data(), kCommandDatagramSize);
}

}  // namespace

void SendCommand(std::int32_t command, std::int32_t target, const char* number) {
  WriteCommonFields(command, target, number);
  CommandBuffer.set_number_kind(AddressByIndNum);
  CommandBuffer.set_p1(0);
  SendBuffer();
}

void SendCommandParams(std::int32_t command, std::int32_t target, const char* number,
                       std::int32_t p1, std::int32_t p2, std::int32_t p3) {
  WriteCommonFields(command, target, number);
  CommandBuffer.set_number_kind(AddressByIndNum);
  CommandBuffer.set_p1(p1);
  CommandBuffer.set_p2(p2);
  CommandBuffer.set_p3(p3);
  SendBuffer();
}

void SendCommandByNumber(std::int32_t command, std::int32_t target, const char* number,
                         const std::uint8_t* factory_number, std::int32_t number_kind,
                         std::int32_t p1, std::int32_t p2, std::int32_t p3) {
  WriteCommonFields(command, target, number);
  WriteFactoryNumber(factory_number);
  CommandBuffer.set_number_kind(number_kind);
  CommandBuffer.set_p1(p1);
  CommandBuffer.set_p2(p2);
  CommandBuffer.set_p3(p3);
  SendBuffer();
}

void SendModeRecord(std::int32_t command, std::int32_t p1, const char* number,
                    const std::int32_t* values, std::int32_t target) {
  WriteCommonFields(command, target, number);
  CommandBuffer.set_number_kind(AddressByIndNum);
  CommandBuffer.set_p1(p1);
  CommandBuffer.set_p2(values[0]);
  CommandBuffer.set_p3(values[1]);
  for (std::size_t i = 0; i < lamp::CommandDatagram::kModeCopyCount; ++i) {
    CommandBuffer.set_mode_copy(i, static_cast<std::uint32_t>(values[i + 2]));
  }
  for (std::size_t i = 0; i < kModeRecordValueCount; ++i) {
    CommandBuffer.set_value(i, static_cast<std::uint32_t>(values[i]));
  }
  SendBuffer();
}

void SendCommandValues(std::int32_t command, std::int32_t p1, const char* number,
                       const std::uint8_t* factory_number, std::int32_t number_kind,
                       const std::int32_t* values, std::int32_t n, std::int32_t target) {
  const std::int32_t count = n >= kMaxCommandValues ? kMaxCommandValues : (n < 0 ? 0 : n);
  WriteCommonFields(command, target, number);
  WriteFactoryNumber(factory_number);
  CommandBuffer.set_number_kind(number_kind);
  CommandBuffer.set_p1(p1);
  CommandBuffer.set_p2(count);
  for (std::int32_t i = 0; i < count; ++i) {
    CommandBuffer.set_value(static_cast<std::size_t>(i), static_cast<std::uint32_t>(values[i]));
  }
  for (std::int32_t i = count; i < kClearedValueCount; ++i) {
    CommandBuffer.set_value(static_cast<std::size_t>(i), 0);
  }
  SendBuffer();
}

void QueueLampCommand(std::int32_t command, std::int32_t target, const char* number,
                      std::int32_t p1, std::int32_t p2, std::int32_t p3) {
  PendingCommand.command = command;
  PendingCommand.target = target;
  PendingCommand.P1 = p1;
  PendingCommand.P2 = p2;
  PendingCommand.P3 = p3;
  PendingCommand.number.fill('\0');
  if (number != nullptr) {
    const std::size_t n = std::strlen(number);
    std::memcpy(PendingCommand.number.data(), number,
                n < static_cast<std::size_t>(kPendingNumberLength) ? n : kPendingNumberLength);
  }
  LampCommandTries = kLampCommandSends;
}

void ConfirmLampCommand() {
  LampCommandWait = 0;
  LampCommandTries = 0;
  if (wait_field != nullptr) {
    wait_field->SetColor(forms::clWhite);
    wait_field->SetText("");
  }
}

void ShowLampStateText(const char* text) {
  if (LampMessageHold != 0 || wait_field == nullptr) return;
  wait_field->SetFontColor(forms::clBlue);
  wait_field->SetText(text != nullptr ? text : "");
}

void RunLampCommandTick() {
  if (LampCommandWait <= 1 && LampCommandTries > 0) {
    LampCommandTries -= 1;
    LampCommandWait = kLampAnswerTicks;
    SendCommandParams(PendingCommand.command, PendingCommand.target, PendingCommand.number.data(),
                      PendingCommand.P1, PendingCommand.P2, PendingCommand.P3);
  }
  if (LampCommandWait > 0) {
    LampCommandWait -= 1;
    if (LampCommandWait == 0) {
      if (wait_field != nullptr) {
        wait_field->SetFontColor(forms::clRed);
        wait_field->SetText(std::string(kLampCardNoLinkText));
      }
      LampMessageHold = kFailedMessageHold;
    }
  }
  if (LampCommandWait == 0 && LampMessageHold > 0) LampMessageHold -= 1;
}

void SetLampWaitField(forms::TEdit* edit_wait) {
  wait_field = edit_wait;
}

forms::TEdit* LampWaitField() {
  return wait_field;
}

}  // namespace lumora
