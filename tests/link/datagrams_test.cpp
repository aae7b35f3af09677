#include "link/datagrams.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/calendar_time.h"

namespace lamp {
namespace {

struct Field {
  const char* name;
  std::size_t offset;
  std::size_t width;
};

// Fields must follow each other without gap or overlap and fill the datagram exactly.
void ExpectCoversEveryByte(const std::vector<Field>& fields, std::size_t size) {
  std::size_t next = 0;
  for (const Field& f : fields) {
    EXPECT_EQ(f.offset, next) << f.name;
    next = f.offset + f.width;
  }
  EXPECT_EQ(next, size);
}

TEST(DatagramLayout, CommandDatagramOffsets) {
  using D = CommandDatagram;
  EXPECT_EQ(D::kSize, 204u);
  ExpectCoversEveryByte({{"magic", D::kMagic, 4},
                         {"IndNum", D::kIndNum, 6},
                         {"terminator", D::kTerminator, 1},
                         {"reserved", D::kReservedByte, 1},
                         {"FabNum", D::kFabNum, 8},
                         {"number kind", D::kNumberKind, 4},
                         {"reserved", D::kReserved24, 4},
                         {"command code", D::kCommandCode, 4},
                         {"P1", D::kP1, 4},
                         {"P2", D::kP2, 4},
                         {"P3", D::kP3, 4},
                         {"mode copy", D::kModeCopy, 4 * D::kModeCopyCount},
                         {"values", D::kValues, 4 * D::kValueCount},
                         {"target word", D::kTargetWord, 4},
                         {"reserved", D::kReserved200, 4}},
                        D::kSize);
  EXPECT_EQ(D::kCommandCode, 28u);
  EXPECT_EQ(D::kModeCopy, 44u);
  EXPECT_EQ(D::kValues, 68u);
  EXPECT_EQ(D::kTargetWord, 196u);
  EXPECT_EQ(D::ValueOffset(15), 128u);
  EXPECT_EQ(D::ValueOffset(23), 160u);
}

TEST(DatagramLayout, StatusDatagramOffsets) {
  using D = StatusDatagram;
  EXPECT_EQ(D::kSize, 220u);
  ExpectCoversEveryByte({{"id", D::kId, 4},
                         {"IndNum", D::kIndNum, 6},
                         {"terminator", D::kTerminator, 1},
                         {"reserved", D::kReservedByte, 1},
                         {"factory number", D::kFabNum, 8},
                         {"reserved", D::kReserved20, 4},
                         {"station number", D::kStationNumber, 4},
                         {"time", D::kTime, 4},
                         {"state", D::kState, 4},
                         {"mode-error bits", D::kModeErrorBits, 4},
                         {"fault bits", D::kFaultBits, 4},
                         {"spare word", D::kSpareWord, 4},
                         {"event code", D::kEventCode, 4},
                         {"voltage", D::kVoltage, 4},
                         {"current", D::kCurrent, 4},
                         {"minutes", D::kMinutes, 4},
                         {"cycle mode", D::kCycleMode, 4},
                         {"first counter", D::kFirstCounter, 4},
                         {"second counter", D::kSecondCounter, 4},
                         {"answer command", D::kAnswerCommand, 4},
                         {"answer frame type", D::kAnswerFrameType, 4},
                         {"first version word", D::kFirstVersionWord, 4},
                         {"second version word", D::kSecondVersionWord, 4},
                         {"UPW", D::kUPW, 4},
                         {"UZR", D::kUZR, 4},
                         {"U5V", D::kU5V, 4},
                         {"GR", D::kGR, 4},
                         {"reserved", D::kReserved108, D::kReserved108Length}},
                        D::kSize);
  EXPECT_EQ(D::kEventCode, 48u);
  EXPECT_EQ(D::kAnswerCommand, 76u);
  EXPECT_EQ(D::kGR, 104u);
}

TEST(DatagramLayout, BatteryDatagramOffsets) {
  using D = BatteryDatagram;
  EXPECT_EQ(D::kSize, 92u);
  ExpectCoversEveryByte({{"id", D::kId, 4},
                         {"IndNum", D::kIndNum, 6},
                         {"terminator", D::kTerminator, 1},
                         {"reserved", D::kReserved11, D::kReserved11Length},
                         {"spare word", D::kSpareWord, 4},
                         {"reserved", D::kReserved24, 4},
                         {"data", D::kData, D::kDataLength}},
                        D::kSize);
  EXPECT_EQ(D::kData, 28u);
}

TEST(DatagramLayout, IdsAndPorts) {
  EXPECT_EQ(IdCommand, 0xA5B7u);
  EXPECT_EQ(IdCellStatus, 0xA5B6u);
  EXPECT_EQ(IdPing, 0xA5CCu);
  EXPECT_EQ(IdCommandAnswer, 0xA511u);
  EXPECT_EQ(IdModeRecord, 0xA5BBu);
  EXPECT_EQ(IdCapacityData, 0xA5CBu);
  EXPECT_EQ(IdChargeData, 0xA5DBu);
  EXPECT_EQ(ServerLinkPort, 4010);
  EXPECT_EQ(WorkstationLinkPort, 4011);
}

// Each setter writes its value little-endian at its offset and nothing else.
template <typename D>
struct Accessor {
  const char* name;
  std::size_t offset;
  std::function<void(D&, std::uint32_t)> set;
  std::function<std::uint32_t(const D&)> get;
};

template <typename D>
void ExpectAccessorsWriteTheirOffset(const std::vector<Accessor<D>>& accessors) {
  for (const Accessor<D>& a : accessors) {
    D d;
    a.set(d, 0x11223344u);
    for (std::size_t i = 0; i < D::kSize; ++i) {
      std::uint8_t expected = 0;
      if (i >= a.offset && i < a.offset + 4) {
        expected = static_cast<std::uint8_t>(0x44 - 0x11 * (i - a.offset));
      }
      EXPECT_EQ(d.bytes[i], expected) << a.name << " byte " << i;
    }
    EXPECT_EQ(a.get(d), 0x11223344u) << a.name;
  }
}

#define ACCESSOR(D, field, offset)                                                                \
  Accessor<D> {                                                                                   \
#field, offset,                                                                               \
        [](D & d,                                                                                 \
           std::uint32_t                                                                          \
               v) { d.set_##field(v); },                                                          \
                                      [](const D&                                                 \
                                             d) { return static_cast<std::uint32_t>(d.field()); } \
  }

TEST(DatagramAccess, StatusDatagramFields) {
  using D = StatusDatagram;
  ExpectAccessorsWriteTheirOffset<D>({
      ACCESSOR(D, id, 0),
      ACCESSOR(D, station_number, 24),
      ACCESSOR(D, time, 28),
      ACCESSOR(D, state, 32),
      ACCESSOR(D, mode_error_bits, 36),
      ACCESSOR(D, fault_bits, 40),
      ACCESSOR(D, spare_word, 44),
      ACCESSOR(D, event_code, 48),
      ACCESSOR(D, voltage, 52),
      ACCESSOR(D, current, 56),
      ACCESSOR(D, minutes, 60),
      ACCESSOR(D, cycle_mode, 64),
      ACCESSOR(D, first_counter, 68),
      ACCESSOR(D, second_counter, 72),
      ACCESSOR(D, answer_command, 76),
      ACCESSOR(D, answer_frame_type, 80),
      ACCESSOR(D, first_version_word, 84),
      ACCESSOR(D, second_version_word, 88),
      ACCESSOR(D, upw, 92),
      ACCESSOR(D, uzr, 96),
      ACCESSOR(D, u5v, 100),
      ACCESSOR(D, gr, 104),
  });
  D d;
  d.set_gr(-20);
  EXPECT_EQ(d.gr(), -20);
  EXPECT_EQ(d.bytes[104], 0xEC);
  EXPECT_EQ(d.bytes[107], 0xFF);
  d.set_fab_num(0x0807060504030201ull);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(d.bytes[12 + i], i + 1);
  EXPECT_EQ(d.fab_num(), 0x0807060504030201ull);
}

TEST(DatagramAccess, CommandDatagramFields) {
  using D = CommandDatagram;
  ExpectAccessorsWriteTheirOffset<D>({
      ACCESSOR(D, magic, 0),
      ACCESSOR(D, number_kind, 20),
      ACCESSOR(D, command_code, 28),
      ACCESSOR(D, p1, 32),
      ACCESSOR(D, p2, 36),
      ACCESSOR(D, p3, 40),
      ACCESSOR(D, target_word, 196),
  });
  D d;
  for (std::size_t i = 0; i < D::kValueCount; ++i) d.set_value(i, static_cast<std::uint32_t>(i));
  for (std::size_t i = 0; i < D::kModeCopyCount; ++i) d.set_mode_copy(i, 0xA0 + i);
  d.set_value(D::kValueCount, 0xFFFFFFFF);  // past the list: ignored
  d.set_mode_copy(D::kModeCopyCount, 0xFFFFFFFF);
  EXPECT_EQ(d.bytes[44], 0xA0);
  EXPECT_EQ(d.bytes[64], 0xA5);
  EXPECT_EQ(d.bytes[68], 0);
  EXPECT_EQ(d.bytes[72], 1);
  EXPECT_EQ(d.bytes[192], 31);
  EXPECT_EQ(d.target_word(), 0u);
  EXPECT_EQ(d.value(31), 31u);
  d.set_fab_num(0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(d.u32(D::kNumberKind), 0u);
  EXPECT_EQ(d.bytes[11], 0);
}

TEST(DatagramAccess, BatteryDatagramFields) {
  using D = BatteryDatagram;
  ExpectAccessorsWriteTheirOffset<D>({
      ACCESSOR(D, id, 0),
      ACCESSOR(D, spare_word, 20),
  });
  D d;
  d.data()[0] = 0x11;
  d.data()[63] = 0x22;
  EXPECT_EQ(d.bytes[28], 0x11);
  EXPECT_EQ(d.bytes[91], 0x22);
  d.data()[D::kCapacityDischargeCurrent] = 0x34;
  d.data()[D::kCapacityDischargeCurrent + 1] = 0x12;
  EXPECT_EQ(d.data_u16(D::kCapacityDischargeCurrent), 0x1234);
  EXPECT_EQ(d.bytes[30], 0x34);
}

TEST(DatagramAccess, IndividualNumber) {
  StatusDatagram d;
  d.bytes.fill(0xEE);
  d.set_ind_num_text("010a");  // four characters: two zero bytes after them
  EXPECT_EQ(std::string(d.data() + 4, 7), std::string("010a\0\0\0", 7));
  EXPECT_EQ(d.ind_num(), "010a");
  EXPECT_EQ(d.bytes[3], 0xEE);
  EXPECT_EQ(d.bytes[11], 0xEE);

  d.set_ind_num_text("0123456789");  // cut to six
  EXPECT_EQ(d.ind_num(), "012345");
  EXPECT_EQ(d.bytes[10], 0);

  // Exactly six bytes, an early NUL and what follows it included.
  const char six[6] = {'A', 'B', '\0', 'x', 'y', 'z'};
  d.set_ind_num_bytes(six);
  EXPECT_EQ(std::string(d.data() + 4, 7), std::string("AB\0xyz\0", 7));
  EXPECT_EQ(d.ind_num(), "AB");

  // A full number reads as its six bytes even without the terminator.
  d.set_ind_num_text("010aaa");
  d.bytes[10] = 'Q';
  EXPECT_EQ(d.ind_num(), "010aaa");

  CommandDatagram c;
  c.set_ind_num_text("");
  EXPECT_EQ(c.ind_num(), "");
}

TEST(DatagramAccess, FieldsPastTheEndReadZeroAndAreNotWritten) {
  std::array<std::uint8_t, 6> shortBuffer{1, 2, 3, 4, 5, 6};
  EXPECT_EQ(ReadU32(shortBuffer, 4), 0u);
  EXPECT_EQ(ReadU32(shortBuffer, 2), 0x06050403u);
  WriteU32(shortBuffer, 3, 0xFFFFFFFF);
  EXPECT_EQ(shortBuffer[3], 4);
  EXPECT_EQ(ReadU16(shortBuffer, static_cast<std::size_t>(-1)), 0);
  EXPECT_EQ(ReadIndNum(shortBuffer), "");
}

using lamptest::CalendarTime;

TEST(DatagramTime, SecondsSince1899WrapAt2036) {
  struct Case {
    std::tm local;
    std::uint32_t seconds;
  };
  const Case cases[] = {
      {CalendarTime(1899, 12, 30, 0, 0, 0), 0u},
      {CalendarTime(1899, 12, 31, 0, 0, 1), 86401u},
      {CalendarTime(1900, 3, 1, 0, 0, 0), 61u * 86400u},  // 1900 is no leap year
      {CalendarTime(1970, 1, 1, 0, 0, 0), 25569u * 86400u},
      {CalendarTime(2026, 12, 10, 8, 15, 2), 46366u * 86400u + 8 * 3600 + 15 * 60 + 2},
      {CalendarTime(2036, 2, 5, 6, 28, 15), 0xFFFFFFFFu},
      {CalendarTime(2036, 2, 5, 6, 28, 16), 0u},
      {CalendarTime(2036, 2, 5, 6, 28, 17), 1u},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DatagramTimeOf(c.local), c.seconds) << c.local.tm_year + 1900;
  }
}

// Fields outside their ranges carry over as mktime has them, and none overflows.
TEST(DatagramTime, FieldsOutOfRangeCarryOver) {
  EXPECT_EQ(DatagramTimeOf(CalendarTime(2025, 13, 1, 0, 0, 0)),
            DatagramTimeOf(CalendarTime(2026, 1, 1, 0, 0, 0)));
  EXPECT_EQ(DatagramTimeOf(CalendarTime(2026, 0, 1, 0, 0, 0)),
            DatagramTimeOf(CalendarTime(2025, 12, 1, 0, 0, 0)));
  EXPECT_EQ(DatagramTimeOf(CalendarTime(2026, 3, 0, 0, 0, 0)),
            DatagramTimeOf(CalendarTime(2026, 2, 28, 0, 0, 0)));
  EXPECT_EQ(DatagramTimeOf(CalendarTime(2026, 1, 1, 25, 0, 0)),
            DatagramTimeOf(CalendarTime(2026, 1, 2, 1, 0, 0)));
  std::tm extreme = CalendarTime(2026, 1, 1, 0, 0, 0);
  extreme.tm_mon = std::numeric_limits<int>::max();
  extreme.tm_mday = std::numeric_limits<int>::min();
  extreme.tm_year = std::numeric_limits<int>::max();
  (void)DatagramTimeOf(extreme);  // the sanitizers watch for overflow
}

// A moment of the system clock goes through the local calendar: the field counts local
// seconds, so it wraps at 06:28:16 local time whatever the zone.
TEST(DatagramTime, MomentsCountLocalSecondsAndWrapIn2036) {
  auto moment = [](int year, int month, int day, int hour, int minute, int second) {
    std::tm t = CalendarTime(year, month, day, hour, minute, second);
    t.tm_isdst = -1;
    return std::mktime(&t);
  };
  EXPECT_EQ(DatagramTimeAt(moment(2026, 12, 10, 8, 0, 0)), 4006051200u);
  EXPECT_EQ(DatagramTimeAt(moment(1970, 1, 1, 0, 0, 0)), 25569u * 86400u);
  EXPECT_EQ(DatagramTimeAt(moment(2036, 2, 5, 6, 28, 15)), 0xFFFFFFFFu);
  EXPECT_EQ(DatagramTimeAt(moment(2036, 2, 5, 6, 28, 16)), 0u);
  EXPECT_EQ(DatagramTimeAt(moment(2036, 2, 5, 6, 30, 0)), 104u);
}

TEST(DatagramTime, BackToTheLocalCalendar) {
  const std::tm cases[] = {
      CalendarTime(1899, 12, 30, 0, 0, 0), CalendarTime(2000, 2, 29, 23, 59, 59),
      CalendarTime(2026, 12, 10, 8, 15, 2), CalendarTime(2036, 2, 5, 6, 28, 15)};
  for (const std::tm& c : cases) {
    const std::tm back = LocalTimeOfDatagram(DatagramTimeOf(c));
    EXPECT_EQ(back.tm_year, c.tm_year);
    EXPECT_EQ(back.tm_mon, c.tm_mon);
    EXPECT_EQ(back.tm_mday, c.tm_mday);
    EXPECT_EQ(back.tm_hour, c.tm_hour);
    EXPECT_EQ(back.tm_min, c.tm_min);
    EXPECT_EQ(back.tm_sec, c.tm_sec);
  }
  const std::tm thursday = LocalTimeOfDatagram(DatagramTimeOf(CalendarTime(2026, 12, 10, 0, 0, 0)));
  EXPECT_EQ(thursday.tm_wday, 4);
  EXPECT_EQ(thursday.tm_yday, 343);
}

}  // namespace
}  // namespace lamp
