// Arbitrary datagrams from the server into the workstation's decoder: as they come, and cut
// or padded to the two decoded sizes with each of the known ids, so every branch sees
// arbitrary field values.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "link/datagrams.h"
#include "workstation/battery_editor.h"
#include "workstation/cell_table.h"
#include "workstation/command_sender.h"
#include "workstation/datagram_decoder.h"
#include "workstation/device_number_tool.h"
#include "workstation/lamp_card.h"
#include "workstation/live_events_window.h"
#include "workstation/measurement_log.h"
#include "workstation/traffic_window.h"

namespace {

struct Windows {
  static constexpr int kNumberLinesAtStart = lumora::kNumberListScrollLines - 2;

  Windows() {
    lumora::BeginWorkerListLoad();
    lumora::StoreWorkerRow(0, "010aaa", 1);
    lumora::StoreWorkerRow(1, "", 2);
    traffic.CheckLOG.SetChecked(true);
    events.Timer1Timer();
    measurement_log.Check1.SetChecked(true);
    measurement_log.Edit1.SetText("010aaa");
    Reset();
  }

  // A lamp's line into a log at its line limit drops the oldest lines. Trimming a list of
  // 15000 lines costs as much as thousands of inputs, so no input's start state holds a full
  // log; the decoder meets one once per run instead, in the first input's run (libFuzzer
  // counts no coverage of the empty input it runs before).
  void DecodeIntoAFullMeasurementLog() {
    forms::TStrings& lines = measurement_log.ListBoxL1.Items();
    while (lines.Count() < lumora::kLogLineLimit) lines.Add("");
    lamp::StatusDatagram status;
    status.set_id(lamp::IdCellStatus);
    status.set_ind_num_text("010aaa");
    status.set_state(4);  // a state other than the log's last, so a line is due
    lumora::HandleDatagram(static_cast<std::int32_t>(status.bytes.size()), status.bytes.data());
    if (lines.Count() != lumora::kLogLineLimit + 1 - lumora::kLogLinesDropped) __builtin_trap();
    Reset();
  }

  // What one input leaves behind, put back before the next, so that every input starts from
  // the same state: the lists empty but the device-number tool's, which holds two lines less
  // than it shows before it scrolls, so that one device's lines take it past; the lamp logs
  // and the link state as at start.
  void Reset() {
    traffic.ListBox1.Items().Clear();
    events.LV1.Items().Clear();
    // The tool only ever adds lines: while it holds as many as at the start, they are the
    // start's.
    forms::TStrings& number_lines = number_tool.ListBox1.Items();
    if (number_lines.Count() != kNumberLinesAtStart) {
      number_lines.Clear();
      while (number_lines.Count() < kNumberLinesAtStart) number_lines.Add("");
    }
    measurement_log.ListBoxL1.Items().Clear();
    measurement_log.ListBoxL2.Items().Clear();
    lumora::MeasurementLogs[0] = lumora::MeasurementLogState{};
    lumora::MeasurementLogs[1] = lumora::MeasurementLogState{};
    for (std::size_t slot = 0; slot < 2; ++slot) lumora::CellTable.datagram_count[slot] = 0;
    lumora::StatusBuffer = lamp::StatusDatagram{};
    lumora::BatteryBuffer = lamp::BatteryDatagram{};
    lumora::CommandBuffer = lamp::CommandDatagram{};
    lumora::PendingCommand = lumora::PendingLampCommand{};
    lumora::LampCommandTries = 0;
    lumora::LampCommandWait = 0;
    lumora::LampMessageHold = 0;
    lumora::NumberAnswerLatch = 0;
    lumora::LastAnswerCommand = 0;
    // The battery editor takes every mode record, as while it waits for one.
    lumora::ModeReadWindow = 1000000;
  }
  // Every window the decoder hands on to, so their handling of arbitrary fields runs too.
  lumora::TFormSV traffic;
  lumora::TForm1 events;
  lumora::TFormSVET lamp_card;
  lumora::TFormNUM number_tool;
  lumora::TFormLOG measurement_log;
  lumora::TFormBAT battery_editor;
};

constexpr std::uint32_t kIds[] = {lamp::IdCellStatus, lamp::IdPing,         lamp::IdCommandAnswer,
                                  lamp::IdModeRecord, lamp::IdCapacityData, lamp::IdChargeData};

// Decodes the input as a datagram of decoded_size bytes (cut, or padded with zeros) with id.
void Feed(std::int32_t decoded_size, const std::uint8_t* data, std::size_t size, std::uint32_t id) {
  std::uint8_t datagram[lamp::StatusDatagram::kSize] = {};
  std::memcpy(datagram, data, size < sizeof datagram ? size : sizeof datagram);
  lamp::WriteU32(datagram, 0, id);
  // Often a number of the worker list, so the cell table and the events list are reached.
  if (size > 0 && (data[0] & 1) != 0) std::memcpy(datagram + 4, "010aaa", 7);
  lumora::HandleDatagram(decoded_size, datagram);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Windows windows;
  static bool met_full_log = false;
  if (!met_full_log && size > 0) {
    met_full_log = true;
    windows.DecodeIntoAFullMeasurementLog();
  }
  lumora::HandleDatagram(static_cast<std::int32_t>(size), data);
  const std::uint32_t id = kIds[size > 1 ? data[1] % 6 : 0];
  Feed(static_cast<std::int32_t>(lamp::StatusDatagram::kSize), data, size, id);
  Feed(static_cast<std::int32_t>(lamp::BatteryDatagram::kSize), data, size, id);
  // Of the three datagrams only the input as it came and its 220-byte form can be cell
  // states, and only the listed numbers count them.
  if (lumora::CellTable.datagram_count[0] + lumora::CellTable.datagram_count[1] > 2) {
    __builtin_trap();
  }
  // Here rather than before the next input: what the input made is freed within its own run.
  windows.Reset();
  return 0;
}
