#pragma once
// The workstation as it runs, for its benchmarks: the 14 windows created (no window system),
// a worker list of 6000 lamps over 100 stations (60 each, numbers "sssacc"), the lists built
// and the cell table at its start values with every lamp linked and charging.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/forms/application.h"
#include "workstation/cell_table.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/main_window.h"
#include "workstation/program_windows.h"
#include "workstation/station_view.h"

namespace bench_support {

inline constexpr int kRoomStations = 100;
inline constexpr int kRoomCellsPerStation = 60;

// The slot of a station's cell (station 1..100, cell 1..60).
inline std::int32_t RoomSlot(int station, int cell) {
  return (station - 1) * kRoomCellsPerStation + (cell - 1);
}

// The number text of a station's cell: "001a01" .. "100a60".
inline void RoomNumber(int station, int cell, char (&text)[8]) {
  std::snprintf(text, sizeof text, "%03da%02d", station, cell);
}

struct WorkstationRoom {
  WorkstationRoom() {
    forms::Application().UseManualClock();
    forms::Application().SetDialogService(&dialogs);
    windows = std::make_unique<lumora::ProgramWindows>();
    lumora::BeginWorkerListLoad();
    for (int s = 1; s <= kRoomStations; ++s) {
      for (int c = 1; c <= kRoomCellsPerStation; ++c) {
        char number[8];
        RoomNumber(s, c, number);
        lumora::StoreWorkerRow(RoomSlot(s, c), number, s);
      }
    }
    // What the start-up timer does before the connect window: lists, start values, ready.
    lumora::InitLampRoomList();
    lumora::InitStationListA();
    lumora::InitStationListB();
    lumora::SetCellTableStartValues();
    lumora::CellTable.state.fill(4);
    lumora::DisplayReady = 1;
    windows->live_events.Timer1Timer();  // builds the live events columns
  }

  forms::ScriptedDialogService dialogs;
  std::unique_ptr<lumora::ProgramWindows> windows;
};

// Built once per program and kept to its end, as the program keeps its windows.
inline WorkstationRoom& Room() {
  static WorkstationRoom* room = new WorkstationRoom();
  return *room;
}

}  // namespace bench_support
