#pragma once
// The three fixed-size datagrams of the workstation link, little-endian on the wire:
//   CommandDatagram  (204 bytes) workstation -> server, 127.0.0.1:4010
//   StatusDatagram   (220 bytes) server -> workstation, 127.0.0.1:4011
//   BatteryDatagram  (92 bytes)  server -> workstation, 127.0.0.1:4011
// Each is a byte array with named offsets and typed field access. Which fields a sender
// writes, and that each program keeps one buffer whose other fields go out as the previous
// datagram left them, is the senders' business; here only the layout.
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string_view>

#include "link/little_endian.h"

namespace lamp {

// Fixed ends of the link, both on the loopback address.
inline constexpr std::uint16_t ServerLinkPort = 4010;
inline constexpr std::uint16_t WorkstationLinkPort = 4011;

// Datagram ids (the u32 at offset 0).
inline constexpr std::uint32_t IdCommand = 0xA5B7;
inline constexpr std::uint32_t IdCellStatus = 0xA5B6;
inline constexpr std::uint32_t IdPing = 0xA5CC;
inline constexpr std::uint32_t IdCommandAnswer = 0xA511;
inline constexpr std::uint32_t IdModeRecord = 0xA5BB;
inline constexpr std::uint32_t IdCapacityData = 0xA5CB;
inline constexpr std::uint32_t IdChargeData = 0xA5DB;

// Command codes of a CommandDatagram (offset 28). The workstation sends all of these but
// CmdPanelStart, CmdNoFrame and CmdCycleStart, which the server accepts all the same.
inline constexpr std::int32_t CmdKeepAlive = 0;
inline constexpr std::int32_t CmdStop = 1;
inline constexpr std::int32_t CmdPanelStart = 2;
inline constexpr std::int32_t CmdControlDischarge = 4;
inline constexpr std::int32_t CmdStart = 10;
inline constexpr std::int32_t CmdNoFrame = 11;  // the server sends nothing for it
inline constexpr std::int32_t CmdCycleStart = 20;
inline constexpr std::int32_t CmdReset = 30;
inline constexpr std::int32_t CmdInitDevice = 131;
inline constexpr std::int32_t CmdReadDischargeReport = 147;
inline constexpr std::int32_t CmdReadChargeReport = 148;
inline constexpr std::int32_t CmdReadModeRecord = 158;
inline constexpr std::int32_t CmdSetCycleMode = 163;
inline constexpr std::int32_t CmdBatteryChange = 166;
inline constexpr std::int32_t CmdFindDevice = 257;
inline constexpr std::int32_t CmdShowNumber = 258;
inline constexpr std::int32_t CmdWriteNumber = 0xA09C;
inline constexpr std::int32_t CmdWriteModeRecord = 0xB09F;

// Number kinds (CommandDatagram offset 20): how a device-number frame addresses its device,
// in the low nibble of the frame's header byte 0.
inline constexpr std::int32_t AddressByIndNum = 1;
inline constexpr std::int32_t AddressByFabNum = 2;
inline constexpr std::int32_t AddressEveryDevice = 11;  // the show-number command's

// Every datagram carries the individual number (TABNUM) of its cell at offset 4: six bytes,
// then a terminating 0 at offset 10, so that offsets 4..10 read as a NUL-terminated text.
inline constexpr std::size_t kIndNumOffset = 4;
inline constexpr std::size_t kIndNumLength = 6;
inline constexpr std::size_t kIndNumTerminatorOffset = 10;

// Copies exactly six bytes from `six_bytes` (an early NUL and what follows it included) and
// writes the terminator.
void WriteIndNumBytes(std::span<std::uint8_t> datagram, std::span<const char, 6> six_bytes);
// Writes at most six characters of `number`, pads with zero bytes, writes the terminator.
void WriteIndNumText(std::span<std::uint8_t> datagram, std::string_view number);
// The number as text: the bytes from offset 4 up to the first NUL, at most six.
std::string_view ReadIndNum(std::span<const std::uint8_t> datagram);

// The time field of a StatusDatagram: whole seconds of local time since 1899-12-30 00:00,
// of which the low 32 bits are kept (so it wraps to 0 at 2036-02-05 06:28:16).
std::uint32_t DatagramTimeOf(const std::tm& local);
// The time field of a moment: DatagramTimeOf its local calendar time (what a sender writes
// for "now").
std::uint32_t DatagramTimeAt(std::time_t moment);
// Back to the local calendar time that the field names (1899-12-30 plus the seconds).
std::tm LocalTimeOfDatagram(std::uint32_t seconds);

// Shared accessors over a datagram's bytes.
template <std::size_t Size>
struct DatagramBytes {
  static constexpr std::size_t kSize = Size;
  std::array<std::uint8_t, Size> bytes{};

  std::span<std::uint8_t> span() { return bytes; }
  std::span<const std::uint8_t> span() const { return bytes; }
  const char* data() const { return reinterpret_cast<const char*>(bytes.data()); }
  char* data() { return reinterpret_cast<char*>(bytes.data()); }

  std::uint32_t u32(std::size_t offset) const { return ReadU32(bytes, offset); }
  std::int32_t i32(std::size_t offset) const { return ReadI32(bytes, offset); }
  void set_u32(std::size_t offset, std::uint32_t value) { WriteU32(bytes, offset, value); }
  void set_i32(std::size_t offset, std::int32_t value) { WriteI32(bytes, offset, value); }

  std::uint32_t id() const { return u32(0); }
  void set_id(std::uint32_t value) { set_u32(0, value); }
  std::string_view ind_num() const { return ReadIndNum(bytes); }
  void set_ind_num_text(std::string_view number) { WriteIndNumText(bytes, number); }
  void set_ind_num_bytes(std::span<const char, 6> six) { WriteIndNumBytes(bytes, six); }
};

// Workstation -> server: one operator command.
struct CommandDatagram : DatagramBytes<204> {
  static constexpr std::size_t kMagic = 0;  // IdCommand
  static constexpr std::size_t kIndNum = kIndNumOffset;
  static constexpr std::size_t kTerminator = kIndNumTerminatorOffset;
  static constexpr std::size_t kReservedByte = 11;
  static constexpr std::size_t kFabNum = 12;  // 8 bytes, byte 12 least significant
  static constexpr std::size_t kNumberKind = 20;
  static constexpr std::size_t kReserved24 = 24;
  static constexpr std::size_t kCommandCode = 28;
  static constexpr std::size_t kP1 = 32;
  static constexpr std::size_t kP2 = 36;
  static constexpr std::size_t kP3 = 40;
  static constexpr std::size_t kModeCopy = 44;  // 6 u32: values 2..7 again
  static constexpr std::size_t kModeCopyCount = 6;
  static constexpr std::size_t kValues = 68;  // 32 u32
  static constexpr std::size_t kValueCount = 32;
  static constexpr std::size_t kTargetWord = 196;
  static constexpr std::size_t kReserved200 = 200;

  static constexpr std::size_t ValueOffset(std::size_t i) { return kValues + 4 * i; }
  static constexpr std::size_t ModeCopyOffset(std::size_t i) { return kModeCopy + 4 * i; }

  std::uint32_t magic() const { return u32(kMagic); }
  void set_magic(std::uint32_t v) { set_u32(kMagic, v); }
  std::uint64_t fab_num() const { return ReadU64(bytes, kFabNum); }
  void set_fab_num(std::uint64_t v) { WriteU64(bytes, kFabNum, v); }
  std::int32_t number_kind() const { return i32(kNumberKind); }
  void set_number_kind(std::int32_t v) { set_i32(kNumberKind, v); }
  std::uint32_t command_code() const { return u32(kCommandCode); }
  void set_command_code(std::uint32_t v) { set_u32(kCommandCode, v); }
  std::int32_t p1() const { return i32(kP1); }
  std::int32_t p2() const { return i32(kP2); }
  std::int32_t p3() const { return i32(kP3); }
  void set_p1(std::int32_t v) { set_i32(kP1, v); }
  void set_p2(std::int32_t v) { set_i32(kP2, v); }
  void set_p3(std::int32_t v) { set_i32(kP3, v); }
  std::uint32_t mode_copy(std::size_t i) const { return u32(ModeCopyOffset(i)); }
  void set_mode_copy(std::size_t i, std::uint32_t v) {
    if (i < kModeCopyCount) set_u32(ModeCopyOffset(i), v);
  }
  std::uint32_t value(std::size_t i) const { return u32(ValueOffset(i)); }
  void set_value(std::size_t i, std::uint32_t v) {
    if (i < kValueCount) set_u32(ValueOffset(i), v);
  }
  std::uint32_t target_word() const { return u32(kTargetWord); }
  void set_target_word(std::uint32_t v) { set_u32(kTargetWord, v); }
};

// Server -> workstation: a cell's state (IdCellStatus), a ping (IdPing) or a station's
// answer to a command (IdCommandAnswer).
struct StatusDatagram : DatagramBytes<220> {
  static constexpr std::size_t kId = 0;
  static constexpr std::size_t kIndNum = kIndNumOffset;
  static constexpr std::size_t kTerminator = kIndNumTerminatorOffset;
  static constexpr std::size_t kReservedByte = 11;
  static constexpr std::size_t kFabNum = 12;  // 8 bytes
  static constexpr std::size_t kReserved20 = 20;
  static constexpr std::size_t kStationNumber = 24;
  static constexpr std::size_t kTime = 28;
  static constexpr std::size_t kState = 32;          // CellStateCode
  static constexpr std::size_t kModeErrorBits = 36;  // ModeErrorBits
  static constexpr std::size_t kFaultBits = 40;      // FaultBits
  static constexpr std::size_t kSpareWord = 44;
  static constexpr std::size_t kEventCode = 48;  // EventCode, 0 = none
  static constexpr std::size_t kVoltage = 52;    // thousandths of a volt
  static constexpr std::size_t kCurrent = 56;    // thousandths of an ampere
  static constexpr std::size_t kMinutes = 60;
  static constexpr std::size_t kCycleMode = 64;  // 0 off, 1 on, 2 automatic
  static constexpr std::size_t kFirstCounter = 68;
  static constexpr std::size_t kSecondCounter = 72;
  static constexpr std::size_t kAnswerCommand = 76;
  static constexpr std::size_t kAnswerFrameType = 80;
  static constexpr std::size_t kFirstVersionWord = 84;
  static constexpr std::size_t kSecondVersionWord = 88;
  static constexpr std::size_t kUPW = 92;  // supply voltage
  static constexpr std::size_t kUZR = 96;  // charge supply voltage
  static constexpr std::size_t kU5V = 100;
  static constexpr std::size_t kGR = 104;           // signed
  static constexpr std::size_t kReserved108 = 108;  // 112 bytes
  static constexpr std::size_t kReserved108Length = 112;

  std::uint64_t fab_num() const { return ReadU64(bytes, kFabNum); }
  void set_fab_num(std::uint64_t v) { WriteU64(bytes, kFabNum, v); }
  std::uint32_t station_number() const { return u32(kStationNumber); }
  void set_station_number(std::uint32_t v) { set_u32(kStationNumber, v); }
  std::uint32_t time() const { return u32(kTime); }
  void set_time(std::uint32_t v) { set_u32(kTime, v); }
  std::uint32_t state() const { return u32(kState); }
  void set_state(std::uint32_t v) { set_u32(kState, v); }
  std::uint32_t mode_error_bits() const { return u32(kModeErrorBits); }
  void set_mode_error_bits(std::uint32_t v) { set_u32(kModeErrorBits, v); }
  std::uint32_t fault_bits() const { return u32(kFaultBits); }
  void set_fault_bits(std::uint32_t v) { set_u32(kFaultBits, v); }
  std::uint32_t spare_word() const { return u32(kSpareWord); }
  void set_spare_word(std::uint32_t v) { set_u32(kSpareWord, v); }
  std::uint32_t event_code() const { return u32(kEventCode); }
  void set_event_code(std::uint32_t v) { set_u32(kEventCode, v); }
  std::uint32_t voltage() const { return u32(kVoltage); }
  void set_voltage(std::uint32_t v) { set_u32(kVoltage, v); }
  std::uint32_t current() const { return u32(kCurrent); }
  void set_current(std::uint32_t v) { set_u32(kCurrent, v); }
  std::uint32_t minutes() const { return u32(kMinutes); }
  void set_minutes(std::uint32_t v) { set_u32(kMinutes, v); }
  std::uint32_t cycle_mode() const { return u32(kCycleMode); }
  void set_cycle_mode(std::uint32_t v) { set_u32(kCycleMode, v); }
  std::uint32_t first_counter() const { return u32(kFirstCounter); }
  void set_first_counter(std::uint32_t v) { set_u32(kFirstCounter, v); }
  std::uint32_t second_counter() const { return u32(kSecondCounter); }
  void set_second_counter(std::uint32_t v) { set_u32(kSecondCounter, v); }
  std::uint32_t answer_command() const { return u32(kAnswerCommand); }
  void set_answer_command(std::uint32_t v) { set_u32(kAnswerCommand, v); }
  std::uint32_t answer_frame_type() const { return u32(kAnswerFrameType); }
  void set_answer_frame_type(std::uint32_t v) { set_u32(kAnswerFrameType, v); }
  std::uint32_t first_version_word() const { return u32(kFirstVersionWord); }
  void set_first_version_word(std::uint32_t v) { set_u32(kFirstVersionWord, v); }
  std::uint32_t second_version_word() const { return u32(kSecondVersionWord); }
  void set_second_version_word(std::uint32_t v) { set_u32(kSecondVersionWord, v); }
  std::uint32_t upw() const { return u32(kUPW); }
  void set_upw(std::uint32_t v) { set_u32(kUPW, v); }
  std::uint32_t uzr() const { return u32(kUZR); }
  void set_uzr(std::uint32_t v) { set_u32(kUZR, v); }
  std::uint32_t u5v() const { return u32(kU5V); }
  void set_u5v(std::uint32_t v) { set_u32(kU5V, v); }
  std::int32_t gr() const { return i32(kGR); }
  void set_gr(std::int32_t v) { set_i32(kGR, v); }
};

// Server -> workstation: data of a cell's answer (IdModeRecord, IdCapacityData,
// IdChargeData).
struct BatteryDatagram : DatagramBytes<92> {
  static constexpr std::size_t kId = 0;
  static constexpr std::size_t kIndNum = kIndNumOffset;
  static constexpr std::size_t kTerminator = kIndNumTerminatorOffset;
  static constexpr std::size_t kReserved11 = 11;  // 9 bytes
  static constexpr std::size_t kReserved11Length = 9;
  static constexpr std::size_t kSpareWord = 20;  // i32
  static constexpr std::size_t kReserved24 = 24;
  static constexpr std::size_t kData = 28;  // 64 bytes: the answer payload from its byte 5
  static constexpr std::size_t kDataLength = 64;

  // Where the workstation finds its values inside the data (offsets from kData).
  static constexpr std::size_t kModeRecordData = 0;            // 48 bytes
  static constexpr std::size_t kCapacityDischargeCurrent = 2;  // u16
  static constexpr std::size_t kCapacityDischargeTime = 4;     // u16
  static constexpr std::size_t kCapacityNominalCapacity = 6;   // u16
  static constexpr std::size_t kChargeCount = 2;               // u16
  static constexpr std::size_t kChargeReportByte = 19;         // u8
  static constexpr std::size_t kChargeReportWord = 20;         // u16

  std::int32_t spare_word() const { return i32(kSpareWord); }
  void set_spare_word(std::int32_t v) { set_i32(kSpareWord, v); }
  std::span<std::uint8_t, kDataLength> data() {
    return std::span<std::uint8_t, kDataLength>(bytes.data() + kData, kDataLength);
  }
  std::span<const std::uint8_t, kDataLength> data() const {
    return std::span<const std::uint8_t, kDataLength>(bytes.data() + kData, kDataLength);
  }
  std::uint16_t data_u16(std::size_t data_offset) const { return ReadU16(data(), data_offset); }
};

inline constexpr int kCommandDatagramSize = static_cast<int>(CommandDatagram::kSize);
inline constexpr int kStatusDatagramSize = static_cast<int>(StatusDatagram::kSize);
inline constexpr int kBatteryDatagramSize = static_cast<int>(BatteryDatagram::kSize);

static_assert(sizeof(CommandDatagram) == 204);
static_assert(sizeof(StatusDatagram) == 220);
static_assert(sizeof(BatteryDatagram) == 92);
static_assert(CommandDatagram::kReserved200 + 4 == CommandDatagram::kSize);
static_assert(CommandDatagram::ValueOffset(CommandDatagram::kValueCount) ==
              CommandDatagram::kTargetWord);
static_assert(CommandDatagram::ModeCopyOffset(CommandDatagram::kModeCopyCount) ==
              CommandDatagram::kValues);
static_assert(StatusDatagram::kReserved108 + StatusDatagram::kReserved108Length ==
              StatusDatagram::kSize);
static_assert(BatteryDatagram::kData + BatteryDatagram::kDataLength == BatteryDatagram::kSize);

}  // namespace lamp
