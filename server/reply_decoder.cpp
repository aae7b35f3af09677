#include "server/reply_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "link/code_tables.h"
#include "link/little_endian.h"
#include "link/station_frame.h"
#include "server/cell_registry.h"
#include "server/database_writer.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/service_window.h"
#include "server/workstation_link.h"

namespace tolvex {

std::int32_t DebugFlagDM92 = 0;
std::int32_t DebugFlagEX92K = 0;

namespace {

// The answer's data after the command, 0x80 and count bytes and the first word.
constexpr int kPayloadDataOffset = 5;

// Room for the largest payload a receiver can deliver (body length at most 200) and for every
// byte the decoder reads past a short payload, which then reads as 0.
constexpr std::size_t kPayloadCopySize = 256;

std::int32_t EventParameterWord(std::span<const std::uint8_t> payload, std::size_t n) {
  const std::uint32_t value = lamp::PayloadWord(payload, n);
  return value > 65530 ? -1 : static_cast<std::int32_t>(value);
}

bool IsDischargeState(std::int32_t state) {
  return state == 2 || state == 0x102 || state == 0x202;
}

std::uint64_t FactoryNumberOf(const std::uint8_t* header) {
  return lamp::ReadU64(std::span<const std::uint8_t>(header, lamp::kFrameHeaderSize),
                       lamp::kHeaderFabNum);
}

std::int32_t StationNumberOfSlot(std::int32_t slot) {
  if (slot < 0 || slot >= kHostSlots) return 0;
  return HostTable[slot].StationNumber;
}

// Received charge: reported only when payload byte 24 says so (5), whatever the count byte.
std::int32_t ReceivedCharge(std::span<const std::uint8_t> payload) {
  if (payload[24] != 5) return -1;
  return static_cast<std::int32_t>(lamp::PayloadWord(payload, 25));
}

void WriteChargeReport(const char* address, std::uint64_t factory_number, int r,
                       const StationReplyWords& w, std::span<const std::uint8_t> payload) {
  const std::int32_t tip = (w.w5 >> 4) & 7;
  const std::int32_t fzar = (w.w5 >> 8) & 0xFF;
  const std::int32_t cnak = ReceivedCharge(payload);
  const std::string_view tabnum(address);
  AddAccCH(tabnum, factory_number, w.w7, 0, tip, Cells.ST[r], Cells.UCH[r], Cells.BRIG[r], fzar,
           w.w13, w.w15, w.w17, w.w11, w.w21, cnak);
  if (GetCOUNT(tabnum) == 0) {
    AddCHALL(tabnum, w.w7, 0, tip, cnak, Cells.ST[r], Cells.UCH[r], Cells.BRIG[r], w.w21);
  } else {
    UpdCHALL(tabnum, w.w7, 0, tip, cnak, Cells.ST[r], Cells.UCH[r], Cells.BRIG[r], w.w21);
  }
  // This row carries the mode-error bits in NSP2 and the fault bits in FL.
  AddEvent(tabnum, factory_number, lamp::EventChargeResult, 0, Cells.NSP1[r], Cells.NSP2[r],
           Cells.ST[r], Cells.UCH[r], Cells.BRIG[r], Cells.WTBNUM[r], -1, Cells.PSTAT[r], cnak,
           w.w17, w.w11, 0, 0);
  Cells.PendingReport[r] = 0;
}

void WriteDischargeReport(const char* address, std::uint64_t factory_number, int r,
                          const StationReplyWords& w) {
  const std::int32_t tip = (w.w5 >> 4) & 7;
  const std::int32_t fraz = (w.w5 >> 8) & 0xFF;
  const std::string_view tabnum(address);
  AddChDis(tabnum, factory_number, w.w7, w.w9, w.w11, tip, Cells.ST[r], Cells.UCH[r], Cells.BRIG[r],
           fraz, w.w13, w.w15, w.w21);
  if (GetCOUNT(tabnum) == 0) {
    AddDISSALL(tabnum, w.w7, w.w9, w.w11, tip, Cells.ST[r], Cells.UCH[r], Cells.BRIG[r], w.w21);
  } else {
    UpdDISSALL(tabnum, w.w7, w.w9, w.w11, tip, Cells.ST[r], Cells.UCH[r], Cells.BRIG[r], w.w21);
  }
  Cells.PendingReport[r] = 0;
}

void TakeStatusAnswer(const char* address, std::uint64_t factory_number, int r, std::int32_t slot,
                      std::int32_t frame_type, const StationReplyWords& w) {
  const std::int32_t current = IsDischargeState(w.w11) ? w.w9 : w.w7;
  SendStatusReport(w.w11, w.w13, w.w15, 0, address, w.w17, w.w5, current, w.w19, w.w21, w.w23,
                   w.w25, w.w29, w.w31, w.w33, w.w35);
  if (DebugFlagDM92 == 1) {
    char line[128];
    std::snprintf(line, sizeof line, "%d  %s  DM92  RXP=%X  %X  %X  %X sob=%X",
                  StationNumberOfSlot(slot), address, static_cast<unsigned>(frame_type),
                  static_cast<unsigned>(w.w11), static_cast<unsigned>(w.w13),
                  static_cast<unsigned>(w.w15), static_cast<unsigned>(w.w17));
    AddServiceLine(line);
  }
  if (r < 0) return;

  Cells.RequestState[r] = 0;
  const bool changed = (w.w17 != Cells.LastEventCode[r] && w.w17 != 0) || w.w13 != Cells.NSP1[r] ||
                       w.w15 != Cells.NSP2[r];

  const auto upw = static_cast<std::uint32_t>(w.w29);
  const auto uzr = static_cast<std::uint32_t>(w.w31);
  const auto u5v = static_cast<std::uint32_t>(w.w33);
  Cells.UPW[r] = upw;
  Cells.UZR[r] = uzr;
  Cells.U5V[r] = u5v;
  Cells.GR[r] = w.w35;
  Cells.UPWMIN[r] = std::min(Cells.UPWMIN[r], upw);
  Cells.UPWMAX[r] = std::max(Cells.UPWMAX[r], upw);
  Cells.UZRMIN[r] = std::min(Cells.UZRMIN[r], uzr);
  Cells.UZRMAX[r] = std::max(Cells.UZRMAX[r], uzr);
  Cells.U5VMIN[r] = std::min(Cells.U5VMIN[r], u5v);
  Cells.U5VMAX[r] = std::max(Cells.U5VMAX[r], u5v);
  Cells.GRMIN[r] = std::min(Cells.GRMIN[r], w.w35);
  Cells.GRMAX[r] = std::max(Cells.GRMAX[r], w.w35);
  Cells.FabNum[r] = factory_number;
  Cells.PSTAT[r] = w.w11;
  Cells.PARM1[r] = w.w5;
  Cells.PARM2[r] = current;

  if (changed) {
    AddEvent(std::string_view(address), factory_number, w.w17, w.w13, w.w15, 0, Cells.ST[r],
             Cells.UCH[r], Cells.BRIG[r], Cells.WTBNUM[r], w.w37, w.w11, w.w39, w.w41, 0, 0, 0);
    // Only the answer in which the code turns up asks for the report.
    const std::int32_t report = ReportDueOnEvent(w.w17);
    if (report != 0 && Cells.LastEventCode[r] != w.w17) Cells.PendingReport[r] = report;
  }
  Cells.LastEventCode[r] = w.w17;
  Cells.NSP1[r] = w.w13;
  Cells.NSP2[r] = w.w15;
}

}  // namespace

std::int32_t ReportDueOnEvent(std::int32_t event_code) {
  if (event_code == lamp::EventControlDischargeDone) return lamp::StationCmdDischargeReport;
  if (event_code == lamp::EventChargeDone) return lamp::StationCmdChargeReport;
  return 0;
}

StationReplyWords ReadStationReplyWords(std::span<const std::uint8_t> payload) {
  StationReplyWords w;
  auto byte = [&payload](std::size_t n) -> std::uint32_t {
    return n < payload.size() ? payload[n] : 0;
  };
  auto word = [&payload](std::size_t n) {
    return static_cast<std::int32_t>(lamp::PayloadWord(payload, n));
  };
  w.command = static_cast<std::int32_t>(byte(0));
  w.count = static_cast<std::int32_t>(byte(2));
  w.w3 = word(3);
  w.w5 = word(5);
  if (w.count > 7) {
    w.w7 = word(7);
    w.w9 = word(9);
    w.w11 = word(11);
    w.w13 = word(13);
    w.w15 = word(15);
    w.w17 = word(17);
  }
  if (w.count > 19) w.w19 = word(19);
  if (w.count > 21) w.w21 = word(21);
  if (w.count > 23) {
    w.w23 = word(23);
    w.w25 = word(25);
    w.w29 = word(29);
    w.w31 = word(31);
    w.w33 = word(33);
    w.w35 = static_cast<std::int16_t>(lamp::PayloadWord(payload, 35));
    w.w37 = word(37);
  }
  if (w.count > 39) {
    w.w39 = EventParameterWord(payload, 39);
    w.w41 = EventParameterWord(payload, 41);
  }
  return w;
}

void DecodeStationReply(const std::uint8_t* header, std::int32_t payload_length,
                        const std::uint8_t* body, std::int32_t slot) {
  if (payload_length < 2 || header == nullptr || body == nullptr) return;

  // Work on a copy so that every byte the decoder reads past a short payload is 0.
  std::uint8_t payload_bytes[kPayloadCopySize] = {};
  const std::size_t length = std::min(static_cast<std::size_t>(payload_length), kPayloadCopySize);
  std::memcpy(payload_bytes, body, length);
  const std::span<const std::uint8_t> payload(payload_bytes, length);
  const std::span<const std::uint8_t> padded(payload_bytes, kPayloadCopySize);

  const std::uint64_t factory_number = FactoryNumberOf(header);
  const StationReplyWords w = ReadStationReplyWords(payload);
  const std::int32_t frame_type = header[lamp::kHeaderFrameType];
  const std::int32_t command = w.command;

  char address[7];
  std::memcpy(address, header + lamp::kHeaderAddress, lamp::kHeaderAddressLength);
  address[6] = '\0';
  const int r = FindWorkerByTabnum(std::string_view(address, 6));

  CountReceivedFrame();
  if (r >= 0) Cells.kZAPR[r] = 0;

  if (DebugFlagEX92K == 1 && command != lamp::StationCmdStatusPoll) {
    char line[128];
    std::snprintf(line, sizeof line, "%s  kMD=%x  RXP=%X  %X  %X  %X ", address,
                  static_cast<unsigned>(command), static_cast<unsigned>(frame_type),
                  static_cast<unsigned>(w.w3), static_cast<unsigned>(w.w5),
                  static_cast<unsigned>(w.w7));
    AddServiceLine(line);
  }

  if (command == lamp::StationCmdModeRead) {
    if (MonitorLogOn()) {
      char line[32];
      std::snprintf(line, sizeof line, "k9E iin= %d", r);
      AddServiceLine(line);
    }
    SendBatteryParameters(0, address, payload_bytes + kPayloadDataOffset);
  }

  if (frame_type == lamp::FrameCellCommand) {
    SendCommandAnswer(lamp::FrameCellCommand, command, address);
    if (command == lamp::StationCmdDischargeReport) {
      SendCapacityData(0, address, payload_bytes + kPayloadDataOffset);
    } else if (command == lamp::StationCmdChargeReport) {
      SendChargeData(0, address, payload_bytes + kPayloadDataOffset);
    }
  }

  if (frame_type == lamp::FrameNumberCommand) {
    SendCommandAnswerRecord(lamp::FrameNumberCommand, command, address,
                            header + lamp::kHeaderFabNum, StationNumberOfSlot(slot), w.w5, w.w7);
  }

  if (frame_type != lamp::FrameServerPoll) return;
  if (command == lamp::StationCmdChargeReport && r >= 0) {
    WriteChargeReport(address, factory_number, r, w, padded);
  }
  if (command == lamp::StationCmdDischargeReport && r >= 0) {
    WriteDischargeReport(address, factory_number, r, w);
  }
  if (command == lamp::StationCmdStatusPoll) {
    TakeStatusAnswer(address, factory_number, r, slot, frame_type, w);
  }
}

}  // namespace tolvex
