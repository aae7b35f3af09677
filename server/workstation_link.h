#pragma once
// The server's end of the workstation link: commands taken from CommandDatagrams into one
// pending slot, dispatched as station frames at the next poll tick, and the StatusDatagram
// and BatteryDatagram senders that carry cell state and station answers to the workstation.
//
// Each datagram kind is built in one buffer that lives for the whole run: a sender writes
// only its own fields, every other field goes out as the previous sender left it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>

#include "link/datagrams.h"
#include "server/workstation_socket.h"

namespace tolvex {

using lamp::IdCapacityData;
using lamp::IdCellStatus;
using lamp::IdChargeData;
using lamp::IdCommand;
using lamp::IdCommandAnswer;
using lamp::IdModeRecord;
using lamp::IdPing;
using lamp::kBatteryDatagramSize;
using lamp::kCommandDatagramSize;
using lamp::kStatusDatagramSize;

// The one command waiting for the next poll tick.
struct PendingStationCommandSlot {
  std::int32_t code = 0;  // 0 = none
  std::int32_t P1 = 0;
  std::int32_t P2 = 0;
  std::int32_t P3 = 0;
  std::int32_t payload_word = 0;           // word before the byte payload (0xA09C, 0xA09F)
  std::array<std::uint8_t, 48> payload{};  // 16 bytes (0xA09C) or a ModeRecord (0xA09F)
  std::int32_t number_kind = 1;            // low 4 bits go into header byte 0 (kind frames)
  std::array<char, 7> address{};           // 6 characters and a NUL
};
extern PendingStationCommandSlot PendingStationCommand;

// The two long-lived datagram buffers (all zero at start).
extern lamp::StatusDatagram StatusDatagramBuffer;
extern lamp::BatteryDatagram BatteryDatagramBuffer;

// Takes one datagram received on the workstation socket. The sender is not looked at.
void ParseCommandDatagram(int length, const std::uint8_t* bytes, const char* sender_ip,
                          int sender_port);

// Sends the pending command to every host and empties the slot; returns the code that was
// pending (0 = none, the tick is free for polling).
std::int32_t RunPendingCommand();

// Cell commands on the workstation's behalf (frame type 0x79); words are sent as 16 bits.
void SendCellControl(std::int32_t word1, std::int32_t word2);
void SendCellReset(std::int32_t word1, std::int32_t word2);
void SendCycleMode(std::int32_t word1, std::int32_t word2, std::int32_t word3);
void SendBatteryChange(std::int32_t word1, std::int32_t word2, std::int32_t word3);
void SendModeRecordRequest(std::int32_t word1);

// StatusDatagram senders. An address is read as exactly 6 bytes (a buffer of at least 6).
void SendStatusReport(std::int32_t state, std::int32_t mode_error_bits, std::int32_t fault_bits,
                      std::int32_t spare_word, const char* address, std::int32_t event_code,
                      std::int32_t voltage, std::int32_t current, std::int32_t minutes,
                      std::int32_t cycle_mode, std::int32_t first_counter,
                      std::int32_t second_counter, std::int32_t upw, std::int32_t uzr,
                      std::int32_t u5v, std::int32_t gr);
void SendPing(std::int32_t state, std::int32_t mode_error_bits, std::int32_t fault_bits,
              std::int32_t spare_word, const char* address, std::int32_t voltage,
              std::int32_t event_code);
void SendCommandAnswer(std::int32_t frame_type, std::int32_t command, const char* address);
void SendCommandAnswerRecord(std::int32_t frame_type, std::int32_t command, const char* address,
                             const std::uint8_t* factory_number, std::int32_t station_number,
                             std::int32_t first_version_word, std::int32_t second_version_word);

// BatteryDatagram senders; data points at the answer's payload from byte 5 on.
void SendBatteryParameters(std::int32_t spare_word, const char* address,
                           const std::uint8_t* data48);
void SendCapacityData(std::int32_t spare_word, const char* address, const std::uint8_t* data16);
void SendChargeData(std::int32_t spare_word, const char* address, const std::uint8_t* data32);

// Where the StatusDatagram senders take "now" for the time field (lamp::DatagramTimeAt);
// tests put a fixed moment here (null = the real clock).
using ClockSource = std::time_t (*)();
void SetLinkClock(ClockSource source);

}  // namespace tolvex
