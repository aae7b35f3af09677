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

inline constexpr int kStatusDatagramSize = static_cast<int>(lamp::StatusDatagram::kSize);
inline constexpr int kBatteryDatagramSize = static_cast<int>(lamp::BatteryDatagram::kSize);

// Frame types of the station answers a command answer carries.
inline constexpr std::uint32_t kFrameCellCommand = 0x79;
inline constexpr std::uint32_t kFrameNumberCommand = 0x7A;

// Copies of the last received datagram of each size; fields are read from these.
extern lamp::StatusDatagram StatusBuffer;
extern lamp::BatteryDatagram BatteryBuffer;

// Decodes one received datagram of length n (n bytes readable at bytes).
void HandleDatagram(std::int32_t n, const std::uint8_t* bytes);

// Not read by the decoder, which calls the lamp card, the device-number tool, the
// measurement log and the battery editor directly; windows' wiring may still fill it.
struct DecoderHandOffs {
  void (*ShowBatteryCapacity)(std::int32_t current, std::int32_t minutes,
                              std::int32_t nominal) = nullptr;
  void (*ShowChargeCount)(std::int32_t count, std::int32_t last) = nullptr;
  void (*ShowDeviceInfo)(const std::uint8_t* datagram) = nullptr;
  void (*LatchNumberAnswer)(const std::uint8_t* datagram) = nullptr;
  void (*LogLampMeasurement)(const char* number, std::int32_t state, std::int32_t fault_bits,
                             std::int32_t voltage, std::int32_t current) = nullptr;
};
extern DecoderHandOffs DecoderHooks;

}  // namespace lumora
