// Arbitrary datagrams from the server into the workstation's decoder: as they come, and cut
// or padded to the two decoded sizes with each of the known ids, so every branch sees
// arbitrary field values.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "link/datagrams.h"
#include "workstation/battery_editor.h"
#include "workstation/cell_table.h"
#include "workstation/datagram_decoder.h"
#include "workstation/device_number_tool.h"
#include "workstation/lamp_card.h"
#include "workstation/live_events_window.h"
#include "workstation/measurement_log.h"
#include "workstation/traffic_window.h"

namespace {

struct Windows {
  Windows() {
    lumora::BeginWorkerListLoad();
    lumora::StoreWorkerRow(0, "010aaa", 1);
    lumora::StoreWorkerRow(1, "", 2);
    traffic.CheckLOG.SetChecked(true);
    events.Timer1Timer();
    measurement_log.Check1.SetChecked(true);
    measurement_log.Edit1.SetText("010aaa");
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
  lumora::HandleDatagram(static_cast<std::int32_t>(size), data);
  const std::uint32_t id = kIds[size > 1 ? data[1] % 6 : 0];
  Feed(static_cast<std::int32_t>(lamp::StatusDatagram::kSize), data, size, id);
  Feed(static_cast<std::int32_t>(lamp::BatteryDatagram::kSize), data, size, id);
  if (windows.events.LV1.Items().Count() > 200) windows.events.LV1.Items().Clear();
  if (windows.number_tool.ListBox1.Items().Count() > 200) {
    windows.number_tool.ListBox1.Items().Clear();
  }
  for (std::int32_t slot = 0; slot < 2; ++slot) {
    if (lumora::CellTable.datagram_count[static_cast<std::size_t>(slot)] < 0) __builtin_trap();
  }
  return 0;
}
