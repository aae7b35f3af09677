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

// Where the decoder hands on what belongs to other windows. Every entry may be empty, in
// which case that hand-off is skipped; the program's wiring fills them in.
struct DecoderHandOffs {
  // Lamp card: a capacity answer (current mA, minutes, nominal capacity in 0.01 A*h).
  void (*ShowBatteryCapacity)(std::int32_t current, std::int32_t minutes,
                              std::int32_t nominal) = nullptr;
  // Lamp card: a charge-data answer (count, last charge or -1).
  void (*ShowChargeCount)(std::int32_t count, std::int32_t last) = nullptr;
  // Device-number tool: the whole 220-byte command answer.
  void (*ShowDeviceInfo)(const std::uint8_t* datagram) = nullptr;
  void (*LatchNumberAnswer)(const std::uint8_t* datagram) = nullptr;
  // Measurement log: one cell state of a lamp in the worker list.
  void (*LogLampMeasurement)(const char* number, std::int32_t state, std::int32_t fault_bits,
                             std::int32_t voltage, std::int32_t current) = nullptr;
  // Battery editor: a mode record (slot, -1 for a number not in the list; 64 data bytes).
  void (*HandleModeRecordReply)(std::int32_t slot, const std::uint8_t* data) = nullptr;
  // Battery editor: the command of the last command answer of frame type 0x79 or 0x7A.
  void (*SetLastAnswerCommand)(std::int32_t command) = nullptr;
};
extern DecoderHandOffs DecoderHooks;

}  // namespace lumora
