#pragma once
// The station reply decoder: where every answer of a charging station takes effect. It reads
// the payload words, finds the cell by the address in the header and, by frame type and
// command, forwards the answer to the workstation, updates the cell registry, writes events
// and reports to the database and asks for a report when a cell has just finished one.
//
// The decoder keeps no state between calls; everything it remembers is in the registry.
#include <cstdint>
#include <span>

namespace tolvex {

// Debug switches copied from the service window's check boxes by the watchdog timer.
extern std::int32_t DebugFlagDM92;
extern std::int32_t DebugFlagEX92K;

// The words of one answer payload, as the count byte admits them (word N is the 16-bit
// little-endian value of payload bytes N and N + 1). Words that are not read are 0, words
// 39 and 41 are -1 then (and above 65530); word 35 is signed.
struct StationReplyWords {
  std::int32_t command = 0;  // payload byte 0
  std::int32_t count = 0;    // payload byte 2
  std::int32_t w3 = 0, w5 = 0, w7 = 0, w9 = 0, w11 = 0, w13 = 0, w15 = 0, w17 = 0;
  std::int32_t w19 = 0, w21 = 0, w23 = 0, w25 = 0, w29 = 0, w31 = 0, w33 = 0, w35 = 0;
  std::int32_t w37 = 0, w39 = -1, w41 = -1;
};

// The report a cell is to be asked for once it reports this event code: the discharge report
// (0x93) after a control discharge, the charge report (0x94) after a charge, else 0.
std::int32_t ReportDueOnEvent(std::int32_t event_code);

// Reads the words of a payload. Bytes past the end of the payload count as 0.
StationReplyWords ReadStationReplyWords(std::span<const std::uint8_t> payload);

// Called by the frame receiver of host slot `slot` for every frame whose CRC is good:
// header = the lamp::kFrameHeaderSize header bytes, body = payload_length payload bytes and
// the two CRC bytes.
void DecodeStationReply(const std::uint8_t* header, std::int32_t payload_length,
                        const std::uint8_t* body, std::int32_t slot);

}  // namespace tolvex
