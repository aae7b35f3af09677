#pragma once
// Decodes each datagram from the server by its length and id: cell states into the cell
// table and the live events list, pings answered with a keep-alive, command answers and
// battery data handed to the lamp card, the device-number tool and the battery editor.
// Every datagram is listed in the traffic window by its categories.
#include <cstdint>
#include <span>

#include "link/datagrams.h"

namespace lumora {

using lamp::IdCapacityData;
using lamp::IdCellStatus;
using lamp::IdChargeData;
using lamp::IdCommandAnswer;
using lamp::IdModeRecord;
using lamp::IdPing;
using lamp::kBatteryDatagramSize;
using lamp::kStatusDatagramSize;

// Copies of the last received datagram of each size; fields are read from these.
extern lamp::StatusDatagram StatusBuffer;
extern lamp::BatteryDatagram BatteryBuffer;

// Decodes one received datagram of length n (n bytes readable at bytes).
void HandleDatagram(std::int32_t n, const std::uint8_t* bytes);

}  // namespace lumora
