#include "server/workstation_link.h"

#include <cstdio>
#include <cstring>

#include "link/station_frame.h"
#include "server/service_window.h"
#include "server/station_frame.h"

namespace tolvex {

PendingStationCommandSlot PendingStationCommand;
lamp::StatusDatagram StatusDatagramBuffer;
lamp::BatteryDatagram BatteryDatagramBuffer;

namespace {

using Cmd = lamp::CommandDatagram;
using St = lamp::StatusDatagram;
using Bt = lamp::BatteryDatagram;

// The slot's code for a mode-record write (lamp::CmdWriteModeRecord in the datagram).
constexpr std::int32_t kCodeWriteModeRecord = 0xA09F;

Cmd CommandBuffer;
ClockSource LinkClock = nullptr;

// Exactly six bytes of the caller's text (bytes after an early NUL go as they stand), then 0.
template <typename Datagram>
void PutAddress(Datagram& datagram, const char* address) {
  datagram.set_ind_num_bytes(std::span<const char, 6>(address, 6));
}

std::time_t LinkNow() {
  return LinkClock != nullptr ? LinkClock() : std::time(nullptr);
}

void SendStatusBuffer() {
  StatusDatagramBuffer.set_time(lamp::DatagramTimeAt(LinkNow()));
  SendToWorkstation(StatusDatagramBuffer.bytes.data(), kStatusDatagramSize);
}

void SendBatteryBuffer() {
  // A battery datagram also clears the answer command kept in the status buffer, so no later
  // status datagram carries the command of an answer the battery datagram already stood for.
  StatusDatagramBuffer.set_answer_command(0);
  SendToWorkstation(BatteryDatagramBuffer.bytes.data(), kBatteryDatagramSize);
}

void StartBatteryDatagram(std::uint32_t id, std::int32_t spare_word, const char* address) {
  BatteryDatagramBuffer.set_id(id);
  PutAddress(BatteryDatagramBuffer, address);
  BatteryDatagramBuffer.set_spare_word(spare_word);
}

void CopyAddressToRequest(const std::array<char, 7>& address) {
  const std::size_t length = strnlen(address.data(), 6);
  std::memcpy(RequestAddress, address.data(), length);
  RequestAddress[length] = '\0';
}

}  // namespace

void SetLinkClock(ClockSource source) {
  LinkClock = source;
}

void ParseCommandDatagram(int length, const std::uint8_t* bytes, const char* /*sender_ip*/,
                          int /*sender_port*/) {
  MonitorWatchdog = 15;
  if (length != kCommandDatagramSize || bytes == nullptr) return;
  std::memcpy(CommandBuffer.bytes.data(), bytes, kCommandDatagramSize);
  PendingStationCommandSlot& slot = PendingStationCommand;
  slot.P1 = 0;
  slot.P2 = 0;
  slot.P3 = 0;
  if (CommandBuffer.magic() != IdCommand) return;

  const std::uint32_t code = CommandBuffer.command_code();
  ShowCommandCode(code);
  auto take_params = [] {
    PendingStationCommand.P1 = CommandBuffer.p1();
    PendingStationCommand.P2 = CommandBuffer.p2();
    PendingStationCommand.P3 = CommandBuffer.p3();
  };
  switch (code) {
    case lamp::CmdStop:
    case lamp::CmdPanelStart:
    case lamp::CmdControlDischarge:
    case lamp::CmdStart:
    case lamp::CmdNoFrame:
    case lamp::CmdCycleStart:
    case lamp::CmdReset:
      slot.code = static_cast<std::int32_t>(code);
      break;
    case lamp::CmdInitDevice:
    case lamp::CmdReadDischargeReport:
    case lamp::CmdReadChargeReport:
    case lamp::CmdReadModeRecord:
    case lamp::CmdSetCycleMode:
    case lamp::CmdBatteryChange:
      slot.code = static_cast<std::int32_t>(code);
      take_params();
      break;
    case lamp::CmdFindDevice:
      slot.code = lamp::CmdFindDevice;
      slot.number_kind = CommandBuffer.number_kind();
      break;
    case lamp::CmdShowNumber:
      slot.code = lamp::CmdShowNumber;
      slot.number_kind = CommandBuffer.number_kind();
      take_params();
      break;
    case lamp::CmdWriteNumber:
      slot.code = lamp::CmdWriteNumber;
      slot.payload_word = CommandBuffer.p1();
      for (std::size_t i = 0; i < 16; ++i) {
        slot.payload[i] = static_cast<std::uint8_t>(CommandBuffer.value(i));
      }
      break;
    case lamp::CmdWriteModeRecord:
      slot.code = kCodeWriteModeRecord;
      slot.payload_word = CommandBuffer.p1();
      for (std::size_t i = 0; i < 24; ++i) {
        const std::uint32_t value = CommandBuffer.value(i);
        slot.payload[2 * i] = static_cast<std::uint8_t>(value);
        slot.payload[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
      }
      break;
    default:  // keep-alive and unknown codes leave the slot's code as it is
      break;
  }
  std::memcpy(slot.address.data(), &CommandBuffer.bytes[Cmd::kIndNum], 6);
  slot.address[6] = '\0';
  std::memcpy(&RequestFabNum[0], &CommandBuffer.bytes[Cmd::kFabNum], 8);

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
  // Every code but CmdNoFrame sends a frame, and each frame is addressed to the slot's cell.
  if (code != lamp::CmdNoFrame) CopyAddressToRequest(slot.address);
  switch (code) {
    case lamp::CmdStop:
      SendCellControl(0, lamp::CellControlStop);
      break;
    case lamp::CmdPanelStart:
      SendCellControl(0, lamp::CellControlPanelStart);
      break;
    case lamp::CmdControlDischarge:
      SendCellControl(lamp::CellControlDischargeWord, lamp::CellControlDischarge);
      break;
    case lamp::CmdStart:
      SendCellControl(0, lamp::CellControlStart);
      break;
    case lamp::CmdCycleStart:
      SendCellControl(0, lamp::CellControlCycleStart);
      break;
    case lamp::CmdReset:
      SendCellReset(1, 2);
      break;
    case lamp::CmdInitDevice:
      SetFrameTag(kind);
      SendCommandWords2(lamp::FrameNumberCommand, lamp::StationCmdInitDevice, slot.P1, slot.P2);
      break;
    case lamp::CmdReadDischargeReport:
      SendCommandWords2(lamp::FrameCellCommand, lamp::StationCmdDischargeReport, 0, 0);
      break;
    case lamp::CmdReadChargeReport:
      SendCommandWords2(lamp::FrameCellCommand, lamp::StationCmdChargeReport, 0, 0);
      break;
    case lamp::CmdReadModeRecord:
      SendModeRecordRequest(slot.P1);
      break;
    case lamp::CmdSetCycleMode:
      SendCycleMode(slot.P1, slot.P2, slot.P3);
      break;
    case lamp::CmdBatteryChange:
      SendBatteryChange(slot.P1, slot.P2, slot.P3);
      break;
    case lamp::CmdFindDevice:
      SetFrameTag(kind);
      SendCommandWords2(lamp::FrameNumberCommand, lamp::StationCmdFindDevice, 0, 0);
      break;
    case lamp::CmdShowNumber:
      SetFrameTag(kind);
      SendCommandWords2(lamp::FrameNumberCommand, lamp::StationCmdShowNumber, slot.P1, slot.P2);
      break;
    case lamp::CmdWriteNumber:
      SetFrameTag(kind);
      SendCommandBytes(lamp::FrameNumberCommand, lamp::StationCmdWriteNumber, slot.payload_word, 16,
                       slot.payload.data());
      break;
    case kCodeWriteModeRecord:
      SendCommandBytes(lamp::FrameCellCommand, lamp::StationCmdModeWrite, slot.payload_word, 48,
                       slot.payload.data());
      break;
    default:  // CmdNoFrame: nothing to send; the tick is used up all the same
      break;
  }
  slot.code = 0;
  return code;
}

void SendCellControl(std::int32_t word1, std::int32_t word2) {
  SendCommandWords2(lamp::FrameCellCommand, lamp::StationCmdCellControl, word1, word2);
}

void SendCellReset(std::int32_t word1, std::int32_t word2) {
  SendCommandWords2(lamp::FrameCellCommand, lamp::StationCmdCellReset, word1, word2);
}

void SendCycleMode(std::int32_t word1, std::int32_t word2, std::int32_t word3) {
  SendCommandWords3(lamp::FrameCellCommand, lamp::StationCmdCycleMode, word1, word2, word3);
}

void SendBatteryChange(std::int32_t word1, std::int32_t word2, std::int32_t word3) {
  SendCommandWords3(lamp::FrameCellCommand, lamp::StationCmdBatteryChange, word1, word2, word3);
}

void SendModeRecordRequest(std::int32_t word1) {
  SendCommandWords3(lamp::FrameCellCommand, lamp::StationCmdModeRead, word1, 0, 0);
}

void SendStatusReport(std::int32_t state, std::int32_t mode_error_bits, std::int32_t fault_bits,
                      std::int32_t spare_word, const char* address, std::int32_t event_code,
                      std::int32_t voltage, std::int32_t current, std::int32_t minutes,
                      std::int32_t cycle_mode, std::int32_t first_counter,
                      std::int32_t second_counter, std::int32_t upw, std::int32_t uzr,
                      std::int32_t u5v, std::int32_t gr) {
  auto& b = StatusDatagramBuffer;
  b.set_id(IdCellStatus);
  PutAddress(b, address);
  b.set_station_number(0);
  b.set_i32(St::kState, state);
  b.set_i32(St::kModeErrorBits, mode_error_bits);
  b.set_i32(St::kFaultBits, fault_bits);
  b.set_i32(St::kSpareWord, spare_word);
  b.set_i32(St::kEventCode, event_code);
  b.set_i32(St::kVoltage, voltage);
  b.set_i32(St::kCurrent, current);
  b.set_i32(St::kMinutes, minutes);
  b.set_i32(St::kCycleMode, cycle_mode);
  b.set_i32(St::kFirstCounter, first_counter);
  b.set_i32(St::kSecondCounter, second_counter);
  b.set_i32(St::kUPW, upw);
  b.set_i32(St::kUZR, uzr);
  b.set_i32(St::kU5V, u5v);
  b.set_gr(gr);
  SendStatusBuffer();
}

void SendPing(std::int32_t state, std::int32_t mode_error_bits, std::int32_t fault_bits,
              std::int32_t spare_word, const char* address, std::int32_t voltage,
              std::int32_t event_code) {
  auto& b = StatusDatagramBuffer;
  b.set_id(IdPing);
  PutAddress(b, address);
  b.set_i32(St::kState, state);
  b.set_i32(St::kModeErrorBits, mode_error_bits);
  b.set_i32(St::kFaultBits, fault_bits);
  b.set_i32(St::kSpareWord, spare_word);
  b.set_i32(St::kEventCode, event_code);
  b.set_i32(St::kVoltage, voltage);
  b.set_current(0);
  b.set_minutes(0);
  SendStatusBuffer();
}

namespace {

void WriteCommandAnswer(std::int32_t frame_type, std::int32_t command, const char* address) {
  auto& b = StatusDatagramBuffer;
  b.set_id(IdCommandAnswer);
  PutAddress(b, address);
  for (std::size_t offset = St::kState; offset <= St::kMinutes; offset += 4) b.set_u32(offset, 0);
  b.set_i32(St::kAnswerCommand, command);
  b.set_i32(St::kAnswerFrameType, frame_type);
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
  std::memcpy(&b.bytes[St::kFabNum], factory_number, 8);
  b.set_i32(St::kStationNumber, station_number);
  b.set_i32(St::kFirstVersionWord, first_version_word);
  b.set_i32(St::kSecondVersionWord, second_version_word);
  SendStatusBuffer();
}

void SendBatteryParameters(std::int32_t spare_word, const char* address,
                           const std::uint8_t* data48) {
  StartBatteryDatagram(IdModeRecord, spare_word, address);
  std::memcpy(BatteryDatagramBuffer.data().data(), data48, 48);
  SendBatteryBuffer();
}

void SendCapacityData(std::int32_t spare_word, const char* address, const std::uint8_t* data16) {
  StartBatteryDatagram(IdCapacityData, spare_word, address);
  const auto data = BatteryDatagramBuffer.data();
  std::memcpy(data.data(), data16, 16);
  std::memset(data.data() + 16, 0, 32);
  SendBatteryBuffer();
}

void SendChargeData(std::int32_t spare_word, const char* address, const std::uint8_t* data32) {
  StartBatteryDatagram(IdChargeData, spare_word, address);
  const auto data = BatteryDatagramBuffer.data();
  std::memcpy(data.data(), data32, 32);
  std::memset(data.data() + 32, 0, Bt::kDataLength - 32);
  SendBatteryBuffer();
}

}  // namespace tolvex
