#include "workstation/datagram_decoder.h"

#include <cstdio>
#include <cstring>

#include "link/station_frame.h"
#include "workstation/battery_editor.h"
#include "workstation/cell_table.h"
#include "workstation/command_sender.h"
#include "workstation/device_number_tool.h"
#include "workstation/lamp_card.h"
#include "workstation/live_events.h"
#include "workstation/measurement_log.h"
#include "workstation/traffic_window.h"

namespace lumora {

lamp::StatusDatagram StatusBuffer;
lamp::BatteryDatagram BatteryBuffer;

namespace {

// Traffic lines are built in fixed buffers.
constexpr std::size_t kLineBytes = 96;

// The individual number of a datagram as text: its six bytes up to the first NUL.
void CopyDatagramNumber(const std::uint8_t* datagram, char (&out)[lamp::kIndNumLength + 1]) {
  std::memcpy(out, datagram + lamp::kIndNumOffset, lamp::kIndNumLength);
  out[lamp::kIndNumLength] = '\0';
}

// The first words of every traffic line: "nn= " and the datagram's length.
void FormatLengthLine(std::int32_t n, char (&line)[24]) {
  std::snprintf(line, sizeof line, "nn= %d ", n);
}

// The line of a status datagram: its id, its number and what kind of datagram it is.
void LogStatusTraffic(std::uint32_t id, const char* number, const char* kind, int category) {
  if (!IsTrafficListed(category)) return;
  char line[kLineBytes];
  std::snprintf(line, sizeof line, "id= %4.4X  inum=%s%s", id, number, kind);
  LogTraffic(line, category);
}

void HandleCommandAnswer() {
  const std::uint32_t frame_type = StatusBuffer.answer_frame_type() & 0xFF;
  const std::uint32_t command = StatusBuffer.answer_command();
  if (frame_type == lamp::FrameCellCommand) {
    if (command == lamp::StationCmdCellControl || command == lamp::StationCmdCellReset ||
        command == lamp::StationCmdCycleMode) {
      ConfirmLampCommand();
    }
    SetLastAnswerCommand(static_cast<std::int32_t>(command));
  } else if (frame_type == lamp::FrameNumberCommand) {
    if (command == lamp::StationCmdFindDevice) ShowDeviceInfo(StatusBuffer.bytes.data());
    LatchNumberAnswer(StatusBuffer.bytes.data());
    SetLastAnswerCommand(static_cast<std::int32_t>(command));
  }
}

void HandleCellStatus(const char* number) {
  const std::int32_t slot = FindWorkerIndex(StatusBuffer.data() + lamp::kIndNumOffset);
  if (slot < 0) return;
  const lamp::StatusDatagram& d = StatusBuffer;
  const bool has_event = d.event_code() != 0;
  LogLampMeasurement(
      number, static_cast<std::int32_t>(d.state()), static_cast<std::int32_t>(d.fault_bits()),
      static_cast<std::int32_t>(d.voltage()), static_cast<std::int32_t>(d.current()));
  const auto i = static_cast<std::size_t>(slot);
  CellTable.state[i] = d.state();
  CellTable.mode_error_bits[i] = d.mode_error_bits();
  CellTable.fault_bits[i] = d.fault_bits();
  CellTable.voltage[i] = static_cast<std::int32_t>(d.voltage());
  CellTable.current[i] = static_cast<std::int32_t>(d.current());
  CellTable.charge_time[i] = static_cast<std::int32_t>(d.minutes());
  CellTable.cycle_mode[i] = static_cast<std::int32_t>(d.cycle_mode());
  CellTable.first_counter[i] = static_cast<std::int32_t>(d.first_counter());
  CellTable.second_counter[i] = static_cast<std::int32_t>(d.second_counter());
  CellTable.Pow[i] = static_cast<std::int32_t>(d.upw());
  CellTable.uCH[i] = static_cast<std::int32_t>(d.uzr());
  CellTable.u5V[i] = static_cast<std::int32_t>(d.u5v());
  CellTable.fourth_supply[i] = d.gr();
  CellTable.link_age[i] = 0;
  CellTable.datagram_count[i] += 1;
  if (has_event) {
    AddLiveEvent(number, d.time(), d.event_code(), d.mode_error_bits(), d.fault_bits());
  }
}

void HandleStatusDatagram(const std::uint8_t* bytes) {
  std::memcpy(StatusBuffer.bytes.data(), bytes, StatusBuffer.bytes.size());
  char number[lamp::kIndNumLength + 1];
  CopyDatagramNumber(StatusBuffer.bytes.data(), number);
  const std::uint32_t id = StatusBuffer.id();
  if (id == IdCellStatus) {
    LogStatusTraffic(id, number, " k92 ", kTrafficCellStatus);
    HandleCellStatus(number);
  } else if (id == IdPing) {
    LogStatusTraffic(id, number, " ping ", kTrafficPing);
    SendCommand(CmdKeepAlive, kTargetNone, "");
  } else if (id == IdCommandAnswer) {
    if (IsTrafficListed(kTrafficCommandAnswer)) {
      char answer[40];
      std::snprintf(answer, sizeof answer, " ANSV  kom=%X FL=%X", StatusBuffer.answer_command(),
                    StatusBuffer.answer_frame_type());
      LogStatusTraffic(id, number, answer, kTrafficCommandAnswer);
    }
    HandleCommandAnswer();
  }
}

void ShowWaitFieldWhite() {
  if (forms::TEdit* edit_wait = LampWaitField(); edit_wait != nullptr) {
    edit_wait->SetColor(forms::clWhite);
  }
}

void HandleBatteryDatagram(const std::uint8_t* bytes) {
  std::memcpy(BatteryBuffer.bytes.data(), bytes, BatteryBuffer.bytes.size());
  char number[lamp::kIndNumLength + 1];
  CopyDatagramNumber(BatteryBuffer.bytes.data(), number);
  const lamp::BatteryDatagram& d = BatteryBuffer;
  const std::uint32_t id = d.id();
  const char* tag = nullptr;
  if (id == IdCapacityData) {
    ConfirmLampCommand();
    ShowWaitFieldWhite();
    ShowBatteryCapacity(d.data_u16(lamp::BatteryDatagram::kCapacityDischargeCurrent),
                        d.data_u16(lamp::BatteryDatagram::kCapacityDischargeTime),
                        d.data_u16(lamp::BatteryDatagram::kCapacityNominalCapacity));
    tag = " Cx BATT ";
  } else if (id == IdChargeData) {
    ConfirmLampCommand();
    ShowWaitFieldWhite();
    const std::int32_t last = d.data()[lamp::BatteryDatagram::kChargeReportByte] == 5
                                  ? d.data_u16(lamp::BatteryDatagram::kChargeReportWord)
                                  : -1;
    ShowChargeCount(d.data_u16(lamp::BatteryDatagram::kChargeCount), last);
    tag = " KK BATT ";
  } else if (id == IdModeRecord) {
    ConfirmLampCommand();
    ShowWaitFieldWhite();
    tag = " par BATT ";
  } else {
    return;
  }
  if (IsTrafficListed(kTrafficBattery)) {
    char length_line[24];
    FormatLengthLine(kBatteryDatagramSize, length_line);
    char line[kLineBytes];
    std::snprintf(line, sizeof line, "%s%s%s", length_line, number, tag);
    LogTraffic(line, kTrafficBattery);
  }
  if (id == IdModeRecord) {
    const std::int32_t slot = FindWorkerIndex(
        reinterpret_cast<const char*>(BatteryBuffer.bytes.data()) + lamp::kIndNumOffset);
    HandleModeRecordReply(slot, d.data().data());
  }
}

}  // namespace

void HandleDatagram(std::int32_t n, const std::uint8_t* bytes) {
  // Traffic lines are formatted only when the traffic window lists them: the formatting
  // would cost more than the rest of a datagram's decoding.
  if (IsTrafficListed(kTrafficLength)) {
    char length_line[24];
    FormatLengthLine(n, length_line);
    LogTraffic(length_line, kTrafficLength);
  }
  if (n == kStatusDatagramSize) {
    HandleStatusDatagram(bytes);
  } else if (n == kBatteryDatagramSize) {
    HandleBatteryDatagram(bytes);
  }
}

}  // namespace lumora
