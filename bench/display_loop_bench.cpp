// One tick of the workstation's 500 ms display loop (TMainForm::TimerINDIKTimer) with 6000
// lamps over 100 stations, the current station's 54 shown cells, an open lamp card and the
// cell card, with every window created and no window system:
// - a tick in which nothing changed (no row rewritten, the station view not redrawn);
// - a tick in which one lamp of every station changed state, among them the lamp on both
//   cards and the first cell of the station view (every lamp-room row and the view redrawn);
// - the periodic tick that rewrites every lamp-room row with unchanged counts;
// - the one pass over the table that counts the lamp room, alone.
// Each reports the lamp-room rows rewritten, the station-view redraws and the allocations
// per tick.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/allocation_count.h"
#include "bench/workstation_room.h"
#include "workstation/cell_table.h"
#include "workstation/display_loop.h"
#include "workstation/lamp_card.h"
#include "workstation/station_view.h"

namespace {

using bench_support::AllocationCount;
using bench_support::kRoomCellsPerStation;
using bench_support::kRoomStations;
using bench_support::RoomSlot;

constexpr int kShownStation = 7;
// A tick value that is none of the periodic ones (2, 110, 121).
constexpr std::uint32_t kOrdinaryTick = 50;

// The lamp room in a mixed steady state, shown as the operator leaves it: station 7 in the
// station view, its first lamp on the lamp card and on the cell card.
struct DisplayRoom {
  DisplayRoom() {
    bench_support::WorkstationRoom& room = bench_support::Room();
    using lumora::CellTable;
    for (int s = 1; s <= kRoomStations; ++s) {
      for (int c = 1; c <= kRoomCellsPerStation; ++c) {
        const auto i = static_cast<std::size_t>(RoomSlot(s, c));
        static constexpr std::uint32_t kStates[] = {4, 4, 9, 9, 6, 1, 0, 2, 5, 0x102};
        CellTable.state[i] = kStates[c % 10];
        CellTable.cycle_mode[i] = 2;
        CellTable.voltage[i] = 4100;
        CellTable.current[i] = 1500;
        CellTable.charge_time[i] = 95;
        CellTable.Pow[i] = 12000;
        CellTable.uCH[i] = 9000;
        CellTable.u5V[i] = 5000;
        CellTable.fourth_supply[i] = 215;
        CellTable.link_age[i] = c % 17;
        if (c == 13) CellTable.fault_bits[i] = 0x20;   // a battery fault per station
        if (c == 29) CellTable.fault_bits[i] = 0x800;  // a cell fault per station
        if (c == 44) CellTable.link_age[i] = 60;       // a lamp without link per station
      }
    }
    lumora::SetCurrentStation(kShownStation);
    char number[8];
    bench_support::RoomNumber(kShownStation, 1, number);
    room.windows->lamp_card.EditTN.SetText(number);
    room.windows->lamp_card.Show();
    room.windows->station_view.EditINDN.SetText(number);
    // Two ticks: the first draws everything, the second leaves the caches as steady ticks
    // see them.
    lumora::RunDisplayTick();
    lumora::RunDisplayTick();
  }

  // One lamp of every station between charge and ready: every station's counts change.
  void ToggleOneLampPerStation() {
    for (int s = 1; s <= kRoomStations; ++s) {
      const auto i = static_cast<std::size_t>(RoomSlot(s, 1));
      lumora::CellTable.state[i] = lumora::CellTable.state[i] == 4 ? 9 : 4;
      lumora::CellTable.datagram_count[i] += 1;
    }
  }
};

DisplayRoom& Display() {
  static DisplayRoom* room = new DisplayRoom();
  return *room;
}

struct TickFigures {
  std::uint32_t rows_before = lumora::DisplayLoop.RowRewriteCount;
  std::int32_t redraws_before = lumora::DisplayLoop.ChangeCount;
  std::uint64_t allocations = 0;

  void Report(benchmark::State& state) const {
    const auto per_tick = [&](double value) {
      return value / static_cast<double>(state.iterations());
    };
    state.counters["rows_rewritten_per_tick"] =
        per_tick(static_cast<double>(lumora::DisplayLoop.RowRewriteCount - rows_before));
    state.counters["view_redraws_per_tick"] =
        per_tick(static_cast<double>(lumora::DisplayLoop.ChangeCount - redraws_before));
    state.counters["allocations_per_tick"] = per_tick(static_cast<double>(allocations));
  }
};

void MeasuredTick(TickFigures& figures) {
  const std::uint64_t before = AllocationCount();
  lumora::RunDisplayTick();
  figures.allocations += AllocationCount() - before;
}

void BM_DisplayTickUnchanged(benchmark::State& state) {
  Display();
  TickFigures figures;
  for (auto _ : state) {
    state.PauseTiming();
    lumora::DisplayLoop.DisplayTick = kOrdinaryTick;
    state.ResumeTiming();
    MeasuredTick(figures);
  }
  figures.Report(state);
}
BENCHMARK(BM_DisplayTickUnchanged)->Unit(benchmark::kMicrosecond);

void BM_DisplayTickEveryStationChanged(benchmark::State& state) {
  DisplayRoom& room = Display();
  TickFigures figures;
  for (auto _ : state) {
    state.PauseTiming();
    lumora::DisplayLoop.DisplayTick = kOrdinaryTick;
    room.ToggleOneLampPerStation();
    state.ResumeTiming();
    MeasuredTick(figures);
  }
  figures.Report(state);
}
BENCHMARK(BM_DisplayTickEveryStationChanged)->Unit(benchmark::kMicrosecond);

void BM_DisplayTickPeriodicRewrite(benchmark::State& state) {
  Display();
  TickFigures figures;
  for (auto _ : state) {
    state.PauseTiming();
    lumora::DisplayLoop.DisplayTick = lumora::kDisplayCycleTicks - 1;
    state.ResumeTiming();
    MeasuredTick(figures);
  }
  figures.Report(state);
}
BENCHMARK(BM_DisplayTickPeriodicRewrite)->Unit(benchmark::kMicrosecond);

void BM_CountLampRoom(benchmark::State& state) {
  Display();
  lumora::LampRoomCounts counts;
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    const std::uint64_t before = AllocationCount();
    lumora::CountLampRoom(counts);
    allocations += AllocationCount() - before;
    benchmark::DoNotOptimize(counts);
  }
  state.counters["allocations_per_tick"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CountLampRoom)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
