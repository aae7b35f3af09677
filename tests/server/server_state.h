#pragma once
// Test helpers that put the server's module-level state back between tests.
#include "platform/net/winsock.h"
#include "server/cell_registry.h"
#include "server/poll_cycle.h"
#include "server/station_frame.h"
#include "server/tick_timing.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"

namespace server_test {

// Every registry column at its load value, then the service window's and the start-up's
// start values (no event yet, statistics reset).
inline void ResetCellRegistry() {
  static const tolvex::CellRegistry blank;
  tolvex::Cells = blank;
  tolvex::PrepareCellRegistry();
  tolvex::InitCellStatistics();
}

// The registry as above and no cell, then the poll cycle's cursor, counters, watchdogs and
// command slots at their start values.
inline void ResetPollCycle() {
  using namespace tolvex;
  ResetCellRegistry();
  CellCount = 0;
  PassCursor.fill(0);
  PassTick = 0;
  MissedPingCount = 0;
  MaxTickTime = 0;
  WatchdogTickCount = 0;
  DatabasePingTickCount = 0;
  kPING = 0;
  PollingPause = 0;
  PreparedCommand = PreparedCommandRecord{};
  PendingStationCommand = PendingStationCommandSlot{};
  StationLinkCountdown = 0;
}

// Closes the workstation socket and, when open, the station socket.
inline void CloseMonitorSocket() {
  using namespace tolvex;
  if (MonitorSocket.open) wsock::closesocket(MonitorSocket.handle);
  MonitorSocket = MonitorSocketState{};
}
inline void CloseStationSocket() {
  using namespace tolvex;
  if (StationSocketState == kStationSocketOpen) wsock::closesocket(StationSocket);
  StationSocketState = 0;
}

}  // namespace server_test
