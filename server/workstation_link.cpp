#include "server/workstation_link.h"

#include <cstdio>
#include <cstring>

#include "server/service_window.h"
#include "server/station_frame.h"

namespace tolvex {

PendingStationCommandSlot PendingStationCommand;
std::array<std::uint8_t, kStatusDatagramSize> StatusDatagramBuffer{};
std::array<std::uint8_t, kBatteryDatagramSize> BatteryDatagramBuffer{};

namespace {

// CommandDatagram fields the server reads.
constexpr int kCmdMagic = 0;
constexpr int kCmdIndNum = 4;
constexpr int kCmdFabNum = 12;
constexpr int kCmdNumberKind = 20;
constexpr int kCmdCode = 28;
constexpr int kCmdP1 = 32;
constexpr int kCmdP2 = 36;
constexpr int kCmdP3 = 40;
constexpr int kCmdValues = 68;

// Shared StatusDatagram / BatteryDatagram fields.
constexpr int kDgId = 0;
constexpr int kDgIndNum = 4;
constexpr int kDgTerminator = 10;

// StatusDatagram fields.
constexpr int kStFabNum = 12;
constexpr int kStStation = 24;
constexpr int kStTime = 28;
constexpr int kStState = 32;
constexpr int kStModeErrors = 36;
constexpr int kStFaults = 40;
constexpr int kStSpare = 44;
constexpr int kStEvent = 48;
constexpr int kStVoltage = 52;
constexpr int kStCurrent = 56;
constexpr int kStMinutes = 60;
constexpr int kStCycleMode = 64;
constexpr int kStFirstCounter = 68;
constexpr int kStSecondCounter = 72;
constexpr int kStAnswerCommand = 76;
constexpr int kStAnswerFrameType = 80;
constexpr int kStFirstVersion = 84;
constexpr int kStSecondVersion = 88;
constexpr int kStUpw = 92;
constexpr int kStUzr = 96;
constexpr int kStU5v = 100;
constexpr int kStGr = 104;

// BatteryDatagram fields.
constexpr int kBtSpare = 20;
constexpr int kBtData = 28;
constexpr int kBtDataSize = 64;

// Workstation command codes the slot keeps.
constexpr std::int32_t kCodeWriteNumber = 0xA09C;
constexpr std::int32_t kCodeWriteModeRecordIn = 0xB09F;
constexpr std::int32_t kCodeWriteModeRecord = 0xA09F;

constexpr int kFrameCellCommand = 0x79;
constexpr int kFrameNumberCommand = 0x7A;

std::uint8_t CommandBuffer[kCommandDatagramSize];
ClockSource LinkClock = nullptr;

std::uint32_t ReadU32(const std::uint8_t* bytes, int offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::int32_t ReadI32(const std::uint8_t* bytes, int offset) {
  return static_cast<std::int32_t>(ReadU32(bytes, offset));
}

template <std::size_t N>
void PutU32(std::array<std::uint8_t, N>& buffer, int offset, std::uint32_t value) {
  buffer[offset] = static_cast<std::uint8_t>(value);
  buffer[offset + 1] = static_cast<std::uint8_t>(value >> 8);
  buffer[offset + 2] = static_cast<std::uint8_t>(value >> 16);
  buffer[offset + 3] = static_cast<std::uint8_t>(value >> 24);
}

template <std::size_t N>
void PutI32(std::array<std::uint8_t, N>& buffer, int offset, std::int32_t value) {
  PutU32(buffer, offset, static_cast<std::uint32_t>(value));
}

// Exactly six bytes of the caller's text (bytes after an early NUL go as they stand), then 0.
template <std::size_t N>
void PutAddress(std::array<std::uint8_t, N>& buffer, const char* address) {
  std::memcpy(&buffer[kDgIndNum], address, 6);
  buffer[kDgTerminator] = 0;
}

std::time_t LinkNow() { return LinkClock != nullptr ? LinkClock() : std::time(nullptr); }

void SendStatusBuffer() {
  PutU32(StatusDatagramBuffer, kStTime, StatusTimeField(LinkNow()));
  SendToWorkstation(StatusDatagramBuffer.data(), kStatusDatagramSize);
}

void SendBatteryBuffer() {
  // The next command answer must not show the answer command of an earlier one.
  PutU32(StatusDatagramBuffer, kStAnswerCommand, 0);
  SendToWorkstation(BatteryDatagramBuffer.data(), kBatteryDatagramSize);
}

void StartBatteryDatagram(std::uint32_t id, std::int32_t spare_word, const char* address) {
  PutU32(BatteryDatagramBuffer, kDgId, id);
  PutAddress(BatteryDatagramBuffer, address);
  PutI32(BatteryDatagramBuffer, kBtSpare, spare_word);
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

void AddServiceLine(const char* line) {
  if (FormSV != nullptr) FormSV->ListBox1.Items().Add(line);
}

bool MonitorLogOn() { return FormSV != nullptr && FormSV->CheckMon.Checked(); }

void CopyAddressToRequest(const std::array<char, 7>& address) {
  const std::size_t length = strnlen(address.data(), 6);
  std::memcpy(RequestAddress, address.data(), length);
  RequestAddress[length] = '\0';
}

}  // namespace

std::uint32_t StatusTimeField(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  const std::int64_t days = DaysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday) -
                            DaysFromCivil(1899, 12, 30);
  const std::int64_t seconds =
      days * 86400 + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds));
}

void SetLinkClock(ClockSource source) { LinkClock = source; }

void ParseCommandDatagram(int length, const std::uint8_t* bytes, const char* /*sender_ip*/,
                          int /*sender_port*/) {
  MonitorWatchdog = 15;
  if (length != kCommandDatagramSize || bytes == nullptr) return;
  std::memcpy(CommandBuffer, bytes, kCommandDatagramSize);
  PendingStationCommandSlot& slot = PendingStationCommand;
  slot.P1 = 0;
  slot.P2 = 0;
  slot.P3 = 0;
  if (ReadU32(CommandBuffer, kCmdMagic) != IdCommand) return;

  const std::uint32_t code = ReadU32(CommandBuffer, kCmdCode);
  if (FormSV != nullptr) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", code);
    FormSV->Edit9.SetText(text);
  }
  auto take_params = [] {
    PendingStationCommand.P1 = ReadI32(CommandBuffer, kCmdP1);
    PendingStationCommand.P2 = ReadI32(CommandBuffer, kCmdP2);
    PendingStationCommand.P3 = ReadI32(CommandBuffer, kCmdP3);
  };
  switch (code) {
    case 1: case 2: case 4: case 10: case 11: case 20: case 30:
      slot.code = static_cast<std::int32_t>(code);
      break;
    case 131: case 147: case 148: case 158: case 163: case 166:
      slot.code = static_cast<std::int32_t>(code);
      take_params();
      break;
    case 257:
      slot.code = 257;
      slot.number_kind = ReadI32(CommandBuffer, kCmdNumberKind);
      break;
    case 258:
      slot.code = 258;
      slot.number_kind = ReadI32(CommandBuffer, kCmdNumberKind);
      take_params();
      break;
    case kCodeWriteNumber:
      slot.code = kCodeWriteNumber;
      slot.payload_word = ReadI32(CommandBuffer, kCmdP1);
      for (int i = 0; i < 16; ++i) slot.payload[i] = CommandBuffer[kCmdValues + 4 * i];
      break;
    case kCodeWriteModeRecordIn:
      slot.code = kCodeWriteModeRecord;
      slot.payload_word = ReadI32(CommandBuffer, kCmdP1);
      for (int i = 0; i < 24; ++i) {
        slot.payload[2 * i] = CommandBuffer[kCmdValues + 4 * i];
        slot.payload[2 * i + 1] = CommandBuffer[kCmdValues + 4 * i + 1];
      }
      break;
    default:  // keep-alive and unknown codes leave the slot's code as it is
      break;
  }
  std::memcpy(slot.address.data(), &CommandBuffer[kCmdIndNum], 6);
  slot.address[6] = '\0';
  std::memcpy(&RequestFabNum[0], &CommandBuffer[kCmdFabNum], 8);

  if (MonitorLogOn()) {
    char line[64];
    std::snprintf(line, sizeof line, "mon %X  %X  %X  %X", static_cast<unsigned>(slot.code),
                  static_cast<unsigned>(slot.P1), static_cast<unsigned>(slot.P2),
                  static_cast<unsigned>(slot.P3));
    AddServiceLine(line);
  }
}

std::int32_t RunPendingCommand() {
  PendingStationCommandSlot& slot = PendingStationCommand;
  const std::int32_t code = slot.code;
  if (code == 0) return 0;
  TargetHost = kAllHosts;
  const int kind = slot.number_kind;
  auto address = [] { CopyAddressToRequest(PendingStationCommand.address); };
  switch (code) {
    case 1: address(); SendCellControl(0, 7); break;
    case 2: address(); SendCellControl(0, 0x101); break;
    case 4: address(); SendCellControl(2, 0x102); break;
    case 10: address(); SendCellControl(0, 10); break;
    case 20: address(); SendCellControl(0, 20); break;
    case 30: address(); SendCellReset(1, 2); break;
    case 131:
      address();
      SetFrameTag(kind);
      SendCommandWords2(kFrameNumberCommand, 0x83, slot.P1, slot.P2);
      break;
    case 147: address(); SendCommandWords2(kFrameCellCommand, 0x93, 0, 0); break;
    case 148: address(); SendCommandWords2(kFrameCellCommand, 0x94, 0, 0); break;
    case 158: address(); SendModeRecordRequest(slot.P1); break;
    case 163: address(); SendCycleMode(slot.P1, slot.P2, slot.P3); break;
    case 166: address(); SendBatteryChange(slot.P1, slot.P2, slot.P3); break;
    case 257:
      address();
      SetFrameTag(kind);
      SendCommandWords2(kFrameNumberCommand, 1, 0, 0);
      break;
    case 258:
      address();
      SetFrameTag(kind);
      SendCommandWords2(kFrameNumberCommand, 2, slot.P1, slot.P2);
      break;
    case kCodeWriteNumber:
      address();
      SetFrameTag(kind);
      SendCommandBytes(kFrameNumberCommand, 0x9C, slot.payload_word, 16, slot.payload.data());
      break;
    case kCodeWriteModeRecord:
      address();
      SendCommandBytes(kFrameCellCommand, 0x9F, slot.payload_word, 48, slot.payload.data());
      break;
    default:  // 11: nothing to send; the tick is used up all the same
      break;
  }
  slot.code = 0;
  return code;
}

void SendCellControl(std::int32_t word1, std::int32_t word2) {
  SendCommandWords2(kFrameCellCommand, 0xA1, word1, word2);
}

void SendCellReset(std::int32_t word1, std::int32_t word2) {
  SendCommandWords2(kFrameCellCommand, 0xA0, word1, word2);
}

void SendCycleMode(std::int32_t word1, std::int32_t word2, std::int32_t word3) {
  SendCommandWords3(kFrameCellCommand, 0xA3, word1, word2, word3);
}

void SendBatteryChange(std::int32_t word1, std::int32_t word2, std::int32_t word3) {
  SendCommandWords3(kFrameCellCommand, 0xA6, word1, word2, word3);
}

void SendModeRecordRequest(std::int32_t word1) {
  SendCommandWords3(kFrameCellCommand, 0x9E, word1, 0, 0);
}

void SendStatusReport(std::int32_t state, std::int32_t mode_error_bits, std::int32_t fault_bits,
                      std::int32_t spare_word, const char* address, std::int32_t event_code,
                      std::int32_t voltage, std::int32_t current, std::int32_t minutes,
                      std::int32_t cycle_mode, std::int32_t first_counter,
                      std::int32_t second_counter, std::int32_t upw, std::int32_t uzr,
                      std::int32_t u5v, std::int32_t gr) {
  auto& b = StatusDatagramBuffer;
  PutU32(b, kDgId, IdCellStatus);
  PutAddress(b, address);
  PutU32(b, kStStation, 0);
  PutI32(b, kStState, state);
  PutI32(b, kStModeErrors, mode_error_bits);
  PutI32(b, kStFaults, fault_bits);
  PutI32(b, kStSpare, spare_word);
  PutI32(b, kStEvent, event_code);
  PutI32(b, kStVoltage, voltage);
  PutI32(b, kStCurrent, current);
  PutI32(b, kStMinutes, minutes);
  PutI32(b, kStCycleMode, cycle_mode);
  PutI32(b, kStFirstCounter, first_counter);
  PutI32(b, kStSecondCounter, second_counter);
  PutI32(b, kStUpw, upw);
  PutI32(b, kStUzr, uzr);
  PutI32(b, kStU5v, u5v);
  PutI32(b, kStGr, gr);
  SendStatusBuffer();
}

void SendPing(std::int32_t state, std::int32_t mode_error_bits, std::int32_t fault_bits,
              std::int32_t spare_word, const char* address, std::int32_t voltage,
              std::int32_t event_code) {
  auto& b = StatusDatagramBuffer;
  PutU32(b, kDgId, IdPing);
  PutAddress(b, address);
  PutI32(b, kStState, state);
  PutI32(b, kStModeErrors, mode_error_bits);
  PutI32(b, kStFaults, fault_bits);
  PutI32(b, kStSpare, spare_word);
  PutI32(b, kStEvent, event_code);
  PutI32(b, kStVoltage, voltage);
  PutU32(b, kStCurrent, 0);
  PutU32(b, kStMinutes, 0);
  SendStatusBuffer();
}

namespace {

void WriteCommandAnswer(std::int32_t frame_type, std::int32_t command, const char* address) {
  auto& b = StatusDatagramBuffer;
  PutU32(b, kDgId, IdCommandAnswer);
  PutAddress(b, address);
  for (int offset = kStState; offset <= kStMinutes; offset += 4) PutU32(b, offset, 0);
  PutI32(b, kStAnswerCommand, command);
  PutI32(b, kStAnswerFrameType, frame_type);
}

}  // namespace

void SendCommandAnswer(std::int32_t frame_type, std::int32_t command, const char* address) {
  WriteCommandAnswer(frame_type, command, address);
  SendStatusBuffer();
}

void SendCommandAnswerRecord(std::int32_t frame_type, std::int32_t command, const char* address,
                             const std::uint8_t* factory_number, std::int32_t station_number,
                             std::int32_t first_version_word, std::int32_t second_version_word) {
  WriteCommandAnswer(frame_type, command, address);
  auto& b = StatusDatagramBuffer;
  std::memcpy(&b[kStFabNum], factory_number, 8);
  PutI32(b, kStStation, station_number);
  PutI32(b, kStFirstVersion, first_version_word);
  PutI32(b, kStSecondVersion, second_version_word);
  SendStatusBuffer();
}

void SendBatteryParameters(std::int32_t spare_word, const char* address,
                           const std::uint8_t* data48) {
  StartBatteryDatagram(IdModeRecord, spare_word, address);
  std::memcpy(&BatteryDatagramBuffer[kBtData], data48, 48);
  SendBatteryBuffer();
}

void SendCapacityData(std::int32_t spare_word, const char* address, const std::uint8_t* data16) {
  StartBatteryDatagram(IdCapacityData, spare_word, address);
  std::memcpy(&BatteryDatagramBuffer[kBtData], data16, 16);
  std::memset(&BatteryDatagramBuffer[kBtData + 16], 0, 32);
  SendBatteryBuffer();
}

void SendChargeData(std::int32_t spare_word, const char* address, const std::uint8_t* data32) {
  StartBatteryDatagram(IdChargeData, spare_word, address);
  std::memcpy(&BatteryDatagramBuffer[kBtData], data32, 32);
  std::memset(&BatteryDatagramBuffer[kBtData + 32], 0, kBtDataSize - 32);
  SendBatteryBuffer();
}

void TFormSV::BitBtn1Click() { OpenMonitorSocket(); }

}  // namespace tolvex
