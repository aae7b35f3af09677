#pragma once
// Station frames: the sockets layer start, the station socket and everything that sends.

namespace tolvex {

// Starts the sockets layer (version 2.2); failures are shown, start-up goes on.
void StartWinsock();

}  // namespace tolvex
