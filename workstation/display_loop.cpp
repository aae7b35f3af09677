// The display loop: one tick every 500 ms turns the cell table into the lamp-room rows, the
// station view, the lamp card's state and the cell card.
#include "workstation/display_loop.h"

#include <cstring>

#include "link/code_tables.h"
#include "link/cp1251.h"
#include "workstation/command_sender.h"
#include "workstation/diagnostics_window.h"
#include "workstation/lamp_card.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/live_events_window.h"
#include "workstation/main_window.h"
#include "workstation/screen_text.h"

namespace lumora {

DisplayLoopState DisplayLoop;

namespace {

constexpr std::uint32_t kStateConnected = 1;
constexpr std::uint32_t kStateFree = 0;
constexpr std::uint32_t kStateTrickleCharge = 6;
constexpr std::uint32_t kStateReady = 9;
constexpr std::uint32_t kSecondHalfShift = 8;

bool IsDisplayStation(std::int32_t station) {
  return station >= 1 && station <= kDisplayStations;
}

bool SameNumber(const NumberText& a, const NumberText& b) {
  return std::strncmp(a.data(), b.data(), a.size()) == 0;
}

// The nine counts that decide a rewrite (connected is not among them).
bool SameCachedCounts(const StationCounts& a, const StationCounts& b) {
  return a.numbered == b.numbered && a.free == b.free && a.discharge == b.discharge &&
         a.charge == b.charge && a.trickle_charge == b.trickle_charge && a.ready == b.ready &&
         a.cell_fault == b.cell_fault && a.battery_fault == b.battery_fault &&
         a.no_link == b.no_link;
}

void CountLinkedSlot(std::size_t slot, StationCounts& counts, LampRoomCounts& room) {
  const std::uint32_t fault_bits = CellTable.fault_bits[slot];
  const std::uint32_t state = CellTable.state[slot];
  if (lamp::IsCellFault(fault_bits, CellTable.mode_error_bits[slot])) {
    ++counts.cell_fault;
    room.any_cell_fault = true;
  }
  if (lamp::IsBatteryFault(fault_bits)) {
    ++counts.battery_fault;
    room.any_battery_fault = true;
  }
  switch (state & 0xFF) {
    case 1:
      ++counts.connected;
      break;
    case 2:
      ++counts.discharge;
      break;
    case 4:
      ++counts.charge;
      break;
    case 6:
      ++counts.trickle_charge;
      break;
    case 9:
      ++counts.ready;
      break;
    default:
      break;
  }
  if (state == kStateFree) ++counts.free;
}

void WriteStationRow(forms::TListView& list, std::int32_t station, const StationCounts& c) {
  forms::TListItem* row = list.Items().Item(station - 1);
  if (row == nullptr) return;
  const std::int32_t values[10] = {c.numbered,      c.connected,      c.free,  c.discharge,
                                   c.charge,        c.trickle_charge, c.ready, c.cell_fault,
                                   c.battery_fault, c.no_link};
  forms::TStrings& cells = row->SubItems();
  for (int i = 0; i < 10; ++i) {
    if (i < cells.Count()) {
      cells.Set(i, std::to_string(values[i]));
    } else {
      cells.Add(std::to_string(values[i]));
    }
  }
}

void LampRoomPass() {
  LampRoomCounts room;
  CountLampRoom(room);
  const bool periodic = DisplayLoop.DisplayTick > kDisplayCycleTicks - 1;
  for (std::int32_t q = 1; q <= kDisplayStations; ++q) {
    const auto i = static_cast<std::size_t>(q);
    const StationCounts& counts = room.station[i];
    const bool changed = (periodic && room.has_slot[i]) ||
                         !SameCachedCounts(counts, DisplayLoop.StationCountCache[i]);
    if (changed) {
      if (Form2 != nullptr) WriteStationRow(Form2->LV1, q, counts);
      ++DisplayLoop.RowRewriteCount;
      if (FormDBG != nullptr) FormDBG->Edit3.SetText(std::to_string(DisplayLoop.RowRewriteCount));
    }
    DisplayLoop.StationCountCache[i] = counts;
  }
  if (Form2 != nullptr) {
    Form2->Edit1.SetColor(room.any_cell_fault ? kSummaryFault : kSummaryGood);
    Form2->Edit2.SetColor(room.any_battery_fault ? kSummaryFault : kSummaryGood);
    Form2->Edit3.SetColor(room.any_no_link ? kSummaryFault : kSummaryGood);
  }
}

void BlankStationList(forms::TListView& list) {
  for (int r = 0; r < list.Items().Count(); ++r) {
    forms::TStrings& cells = list.Items().Item(r)->SubItems();
    for (int k = 0; k < 3 && k < cells.Count(); ++k) cells.Set(k, "");
  }
}

void NotePosition(int position, std::size_t slot) {
  PositionCacheEntry& entry = DisplayLoop.PositionCache[static_cast<std::size_t>(position)];
  const std::uint32_t shift = position < kStationListRows ? 0 : kSecondHalfShift;
  std::uint32_t mask = 0;
  if (!SameNumber(entry.number, WorkerList.number[slot])) mask |= kChangedNumber;
  if (entry.state != CellTable.state[slot]) mask |= kChangedState;
  if (entry.mode_error_bits != CellTable.mode_error_bits[slot]) mask |= kChangedModeError;
  if (entry.fault_bits != CellTable.fault_bits[slot]) mask |= kChangedFault;
  if (entry.no_link != CellTable.no_link[slot]) mask |= kChangedNoLink;
  DisplayLoop.ChangeMask |= mask << shift;
  entry.number = WorkerList.number[slot];
  entry.state = CellTable.state[slot];
  entry.mode_error_bits = CellTable.mode_error_bits[slot];
  entry.fault_bits = CellTable.fault_bits[slot];
  entry.no_link = CellTable.no_link[slot];
}

void StationViewFirstPass(std::int32_t station) {
  DisplayLoop.ChangeMask = 0;
  if (CurrentStation != DisplayLoop.CellCardCache.station_drawn) {
    DisplayLoop.ChangeMask = kChangedStation;
    if (Form3 != nullptr) {
      BlankStationList(Form3->LV1A);
      BlankStationList(Form3->LV1B);
    }
    DisplayLoop.CellCardCache.station_drawn = CurrentStation;
  }
  int position = 0;
  for (std::size_t slot = 0; slot < static_cast<std::size_t>(kSlotCount); ++slot) {
    if (WorkerList.station[slot] != station) continue;
    if (position < kStationPositions) NotePosition(position, slot);
    ++position;
  }
  if (DisplayLoop.DisplayTick == kStationViewRedrawTick) DisplayLoop.ChangeMask |= kChangedPeriodic;
  if (DisplayLoop.ChangeMask == 0) return;
  ++DisplayLoop.ChangeCount;
  ShowMeasureDebug(DisplayLoop.ChangeCount, static_cast<std::int32_t>(DisplayLoop.ChangeMask));
  if (Form3 != nullptr) Form3->Edit1.SetText(std::to_string(DisplayLoop.ChangeCount));
}

forms::TListItem* StationRow(int position) {
  if (Form3 == nullptr || position >= kStationPositions) return nullptr;
  if (position < kStationListRows) return Form3->LV1A.Items().Item(position);
  return Form3->LV1B.Items().Item(position - kStationListRows);
}

void SetCell(forms::TListItem& row, int sub_item, std::string_view text) {
  forms::TStrings& cells = row.SubItems();
  while (cells.Count() <= sub_item) cells.Add("");
  if (cells.Get(sub_item) != text) cells.Set(sub_item, std::string(text));
}

void StationViewSecondPass(std::int32_t station) {
  int position = 0;
  int shown = 0;
  for (std::size_t slot = 0; slot < static_cast<std::size_t>(kSlotCount); ++slot) {
    if (WorkerList.station[slot] != station) continue;
    const std::uint32_t state = CellTable.state[slot];
    std::int32_t code = kCellColorPlain;
    if (state == kStateConnected) code = kCellColorConnected;
    if (state == kStateReady || state == kStateTrickleCharge) code = kCellColorReady;
    SetCellColorState(code, position);
    if (forms::TListItem* row = StationRow(position)) {
      SetCell(*row, 0, ScreenNumber(WorkerList.number[slot]));
      if (CellTable.no_link[slot] == 1) {
        SetCell(*row, 2, kStationViewNoLinkText);
        SetCell(*row, 1, "");
      } else {
        SetCell(*row, 1, lamp::CellStateListText(state));
        SetCell(*row, 2,
                StationStatusText(CellTable.mode_error_bits[slot], CellTable.fault_bits[slot]));
      }
    }
    if (position < kCellColorPositions - 1) ++position;
    ++shown;
  }
  // Rows past the station's cells are empty: after a new worker list the station may have
  // fewer cells than the rows still show.
  for (int p = shown; p < kStationPositions; ++p) {
    SetCellColorState(kCellColorPlain, p);
    if (forms::TListItem* row = StationRow(p)) {
      for (int k = 0; k < 3; ++k) SetCell(*row, k, "");
    }
  }
}

void TrimLiveEvents() {
  if (Form1 == nullptr) return;
  forms::TListView* list = &Form1->LV1;
  if (list->Items().Count() <= kLiveEventsRowLimit) return;
  list->Items().BeginUpdate();
  while (list->Items().Count() > kLiveEventsRowsKept)
    list->Items().Delete(list->Items().Count() - 1);
  list->Items().EndUpdate();
}

void LampCardPass() {
  auto& cache = DisplayLoop.LampCardCache;
  if (FormSVET == nullptr || !FormSVET->Visible()) {
    cache.slot = 0;
    return;
  }
  const std::int32_t slot = FindDeviceSlot(LampCardNumber().c_str());
  bool changed = slot != cache.slot || DisplayLoop.DisplayTick == kLampCardRefreshTick;
  const auto i = static_cast<std::size_t>(slot);
  if (IsSlotIndex(slot) &&
      (CellTable.state[i] != cache.state || CellTable.cycle_mode[i] != cache.cycle_mode)) {
    changed = true;
  }
  if (changed) {
    if (!IsSlotIndex(slot)) {
      ShowLampStateText("");
    } else if (CellTable.no_link[i] == 1) {
      ShowLampStateText(std::string(kLampCardNoLinkText).c_str());
    } else {
      ShowLampStateText(std::string(lamp::CellStateText(CellTable.state[i])).c_str());
      FormSVET->EditCIK.SetText(
          std::string(lamp::CycleModeText(static_cast<std::uint32_t>(CellTable.cycle_mode[i]))));
      cache.state = CellTable.state[i];
      cache.cycle_mode = CellTable.cycle_mode[i];
    }
  }
  cache.slot = slot;
}

void StepMarquee(forms::TLabel& label) {
  int& step = DisplayLoop.CellCardCache.marquee_step;
  step = (step + 1) % 10;
  static constexpr int kLeft[10] = {0, 80, 60, 40, 20, 0, 40, 60, 80, 100};
  if (step == 0) {
    label.SetCaption("<<");
  } else if (step == 5) {
    label.SetCaption(">>");
  } else {
    label.SetLeft(kLeft[step]);
  }
}

void CellCardPass(TForm3& view) {
  const std::int32_t slot = FindSlotOfScreenNumber(view.EditINDN.Text());
  view.StatusBar.SetPanelText(0, std::to_string(slot));
  if (!IsSlotIndex(slot)) return;
  const auto i = static_cast<std::size_t>(slot);
  const bool no_link = CellTable.no_link[i] == 1;
  if (no_link) {
    for (int p = 1; p <= 4; ++p) view.StatusBar.SetPanelText(p, "");
  } else {
    view.StatusBar.SetPanelText(
        1, Format("%2.1f", static_cast<std::uint32_t>(CellTable.Pow[i]) * 0.001f));
    view.StatusBar.SetPanelText(
        2, Format("%2.1f", static_cast<std::uint32_t>(CellTable.uCH[i]) * 0.001f));
    view.StatusBar.SetPanelText(
        3, Format("%2.2f", static_cast<std::uint32_t>(CellTable.u5V[i]) * 0.001f));
    view.StatusBar.SetPanelText(4, std::to_string(CellTable.fourth_supply[i]));
  }
  if (CellTable.datagram_count[i] != DisplayLoop.CellCardCache.datagram_count) {
    StepMarquee(view.LabIND);
    DisplayLoop.CellCardCache.datagram_count = CellTable.datagram_count[i];
  }
  if (no_link) {
    view.Memo1.SetText(std::string(kStationViewNoLinkText));
    for (forms::TEdit* edit : {&view.EditSTAT, &view.EditUACC, &view.EditIACC, &view.EditTIM,
                               &view.EditMD, &view.EditCK}) {
      edit->SetText("");
    }
    return;
  }
  const std::uint32_t state = CellTable.state[i];
  view.EditSTAT.SetText(std::string(lamp::CellStateText(state)));
  view.EditMD.SetText(
      std::string(lamp::CycleModeText(static_cast<std::uint32_t>(CellTable.cycle_mode[i]))));
  view.EditCK.SetText(
      Format("N=%d  всего %d", CellTable.first_counter[i], CellTable.second_counter[i]));
  view.EditUACC.SetText(VoltageText(CellTable.voltage[i]));
  view.EditIACC.SetText(CurrentText(CellTable.current[i], state));
  view.EditTIM.SetText(ChargeTimeText(CellTable.charge_time[i]));
  BuildCellCardMemo(MemoLines, CellTable.mode_error_bits[i], CellTable.fault_bits[i]);
  const std::string text = MemoLines.Text();
  if (text != view.Memo1.Text()) view.Memo1.SetText(text);
}

}  // namespace

void ResetDisplayLoop() {
  DisplayLoop = DisplayLoopState{};
}

void CountLampRoom(LampRoomCounts& room) {
  room = LampRoomCounts{};
  for (std::size_t slot = 0; slot < static_cast<std::size_t>(kSlotCount); ++slot) {
    const std::int32_t station = WorkerList.station[slot];
    if (!IsDisplayStation(station)) continue;
    const auto q = static_cast<std::size_t>(station);
    StationCounts& counts = room.station[q];
    room.has_slot[q] = true;
    if (WorkerList.number[slot][0] != '\0') ++counts.numbered;
    if (lamp::HasNoLink(CellTable.link_age[slot])) {
      ++counts.no_link;
      room.any_no_link = true;
      CellTable.no_link[slot] = 1;
      continue;
    }
    CellTable.no_link[slot] = 0;
    CountLinkedSlot(slot, counts, room);
  }
}

std::string_view StationStatusText(std::uint32_t mode_error_bits, std::uint32_t fault_bits) {
  std::string_view text;
  if (fault_bits != 0) text = kCellFaultStatusText;
  if (mode_error_bits != 0) text = kCellFaultStatusText;
  if (lamp::IsBatteryFault(fault_bits)) text = kBatteryFaultStatusText;
  if ((fault_bits & lamp::kFaultNoAnswer) != 0) text = kStationViewNoLinkText;
  return text;
}

void BuildCellCardMemo(forms::TStrings& lines, std::uint32_t mode_error_bits,
                       std::uint32_t fault_bits) {
  lines.Clear();
  if (mode_error_bits != 0) {
    lines.Add(std::string(lamp::kModeErrorHeading));
    for (const lamp::BitText& line : lamp::ModeErrorTexts()) {
      if ((mode_error_bits & line.bit) != 0) lines.Add(line.text);
    }
  }
  if (fault_bits != 0) {
    for (const lamp::BitText& line : lamp::FaultTexts()) {
      if ((fault_bits & line.bit) != 0) lines.Add(line.text);
    }
  }
}

std::string ChargeTimeText(std::int32_t minutes) {
  return Format("%2.2d:%2.2d", minutes / 60, minutes % 60);
}

std::string VoltageText(std::int32_t millivolts) {
  return Format("%2.2f", static_cast<double>(static_cast<float>(millivolts) * 0.001f));
}

std::string CurrentText(std::int32_t milliamperes, std::uint32_t state) {
  const double amperes = static_cast<double>(static_cast<float>(milliamperes) * 0.001f);
  return Format(state == kStateTrickleCharge ? "%2.3f" : "%2.2f", amperes);
}

std::int32_t FindSlotOfScreenNumber(const std::string& number) {
  return FindDeviceSlot(lamp::Utf8ToCp1251(number).c_str());
}

void RunDisplayTick() {
  ++DisplayLoop.DisplayTick;
  if (DisplayReady != 0) {
    LampRoomPass();
    const std::int32_t station = CurrentStation == 0 ? 1 : CurrentStation;
    StationViewFirstPass(station);
    if (DisplayLoop.ChangeMask != 0) StationViewSecondPass(station);
    TrimLiveEvents();
  }
  LampCardPass();
  if (Form3 != nullptr) CellCardPass(*Form3);
  if (DisplayLoop.DisplayTick > kDisplayCycleTicks - 1) DisplayLoop.DisplayTick = 0;
}

}  // namespace lumora
