#include "server/workstation_socket.h"

namespace tolvex {

MonitorSocketState MonitorSocket;
std::int32_t MonitorWatchdog = 0;
std::int32_t MissedPingCount = 0;

}  // namespace tolvex
