#pragma once
// Every operator command leaves the workstation as one CommandDatagram to the server. The
// workstation keeps one datagram buffer for its whole run: each builder writes only its own
// fields and sends all 204 bytes, so every other field goes out as the previous datagram
// left it (the server relies on the factory number staying).
//
// The lamp card's commands wait in PendingCommand: sent up to 3 times, 300 ms apart, until
// an answer confirms them or the window runs out ("Нет связи").
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "link/datagrams.h"
#include "platform/forms/controls.h"

namespace lumora {

using lamp::IdCommand;
using lamp::kCommandDatagramSize;

// Command codes the workstation sends.
using lamp::CmdBatteryChange;
using lamp::CmdControlDischarge;
using lamp::CmdFindDevice;
using lamp::CmdInitDevice;
using lamp::CmdKeepAlive;
using lamp::CmdReadChargeReport;
using lamp::CmdReadDischargeReport;
using lamp::CmdReadModeRecord;
using lamp::CmdReset;
using lamp::CmdSetCycleMode;
using lamp::CmdShowNumber;
using lamp::CmdStart;
using lamp::CmdStop;
using lamp::CmdWriteModeRecord;
using lamp::CmdWriteNumber;

// Target words.
inline constexpr std::int32_t kTargetCell = 201;
inline constexpr std::int32_t kTargetNone = 0;
inline constexpr std::int32_t kTargetDevice = 122;

// Number kinds: how the station frame addresses the device.
using lamp::AddressByFabNum;
using lamp::AddressByIndNum;
using lamp::AddressEveryDevice;

inline constexpr int kModeRecordValueCount = 24;
inline constexpr int kMaxCommandValues = 32;
// SendCommandValues clears the values from its count up to this one.
inline constexpr int kClearedValueCount = 16;

using FactoryNumber = std::array<std::uint8_t, 8>;  // byte 0 least significant

// The one datagram buffer of the program (zero at start).
extern lamp::CommandDatagram CommandBuffer;

void SendCommand(std::int32_t command, std::int32_t target, const char* number);
void SendCommandParams(std::int32_t command, std::int32_t target, const char* number,
                       std::int32_t p1, std::int32_t p2, std::int32_t p3);
void SendCommandByNumber(std::int32_t command, std::int32_t target, const char* number,
                         const std::uint8_t* factory_number, std::int32_t number_kind,
                         std::int32_t p1, std::int32_t p2, std::int32_t p3);
// values: 24 words.
void SendModeRecord(std::int32_t command, std::int32_t p1, const char* number,
                    const std::int32_t* values, std::int32_t target);
// values: n words (at most 32 are read).
void SendCommandValues(std::int32_t command, std::int32_t p1, const char* number,
                       const std::uint8_t* factory_number, std::int32_t number_kind,
                       const std::int32_t* values, std::int32_t n, std::int32_t target);

// The lamp card's one waiting command.
inline constexpr int kPendingNumberLength = 11;
struct PendingLampCommand {
  std::int32_t command = 0;
  std::int32_t target = 0;
  std::int32_t P1 = 0;
  std::int32_t P2 = 0;
  std::int32_t P3 = 0;
  std::array<char, kPendingNumberLength + 1> number{};
};
extern PendingLampCommand PendingCommand;

inline constexpr std::int32_t kLampCommandSends = 3;
inline constexpr std::int32_t kLampAnswerTicks = 4;
inline constexpr std::int32_t kFailedMessageHold = 40;

extern std::int32_t LampCommandTries;  // sends left, 0..3
extern std::int32_t LampCommandWait;   // ticks left in the answer window, 0..4
extern std::int32_t LampMessageHold;   // ticks the state text must not overwrite EditWAIT

// The lamp card's wait field when a command got no answer, or its lamp has no link.
inline constexpr std::string_view kLampCardNoLinkText = "Нет связи";

// Replaces the waiting command and gives it 3 fresh sends.
void QueueLampCommand(std::int32_t command, std::int32_t target, const char* number,
                      std::int32_t p1, std::int32_t p2, std::int32_t p3);
// An answer arrived: the window and the sends end, EditWAIT is emptied on white.
void ConfirmLampCommand();
// The display loop's state text, in blue, unless a message holds EditWAIT.
void ShowLampStateText(const char* text);
// The lamp card's 100 ms tick after its database re-read: send, count the window, hold.
void RunLampCommandTick();

// The lamp card's wait field the operations above write (none: nothing is shown).
void SetLampWaitField(forms::TEdit* edit_wait);
forms::TEdit* LampWaitField();

}  // namespace lumora
