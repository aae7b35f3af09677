// Datagrams of the workstation link from any bytes: every accessor stays inside its bytes,
// a field written back with the value it read leaves the datagram unchanged, the cell
// number read is at most six characters without a NUL, and the time field goes to the
// calendar and back to the same seconds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "link/datagrams.h"

namespace {

// How many fields of each datagram kind one input reads and writes back.
constexpr std::size_t kFieldsPerInput = 8;

// The bytes of one datagram kind, taken from the input (zero past its end); u32 and i32
// fields read and written back in place must give the same bytes. The input's last bytes
// choose the fields' offsets, past the end of the datagram too.
template <typename Datagram>
void CheckFieldsRoundTrip(const std::uint8_t* data, std::size_t size) {
  Datagram datagram;
  std::memcpy(datagram.bytes.data(), data, size < Datagram::kSize ? size : Datagram::kSize);
  const auto before = datagram.bytes;
  for (std::size_t i = 0; i < kFieldsPerInput && i < size; ++i) {
    const std::size_t offset = data[size - 1 - i] % (Datagram::kSize + 4);
    datagram.set_u32(offset, datagram.u32(offset));
    datagram.set_i32(offset, datagram.i32(offset));
  }
  if (datagram.bytes != before) std::abort();
  // A field that does not lie wholly inside reads as 0 and is not written.
  if (datagram.u32(Datagram::kSize - 3) != 0) std::abort();
  datagram.set_u32(Datagram::kSize - 3, 0xFFFFFFFFu);
  if (datagram.bytes != before) std::abort();

  const std::string_view number = datagram.ind_num();
  if (number.size() > lamp::kIndNumLength) std::abort();
  if (number.find('\0') != std::string_view::npos) std::abort();
  if (std::memcmp(number.data(), datagram.bytes.data() + lamp::kIndNumOffset, number.size()) != 0) {
    std::abort();
  }
  // Writing the number back as text gives the same number and the terminator.
  const std::string copy(number);
  datagram.set_ind_num_text(copy);
  if (datagram.ind_num() != copy) std::abort();
  if (datagram.bytes[lamp::kIndNumTerminatorOffset] != 0) std::abort();
}

// The raw helpers over a buffer exactly as long as the input: nothing is read or written
// past it (the sanitizer watches the heap block).
void CheckShortBuffer(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  const std::string_view number = lamp::ReadIndNum(bytes);
  if (number.size() > lamp::kIndNumLength) std::abort();
  if (size < lamp::kIndNumOffset + lamp::kIndNumLength && !number.empty()) std::abort();
  const std::size_t offset = size > 0 ? data[0] % (size + 8) : 0;
  const std::uint32_t value = lamp::ReadU32(bytes, offset);
  if (!lamp::FieldFits(size, offset, 4) && value != 0) std::abort();
  lamp::WriteU32(bytes, offset, value);
  lamp::WriteU64(bytes, offset, lamp::ReadU64(bytes, offset));
  const char six[6] = {'0', '1', '0', 'a', 'a', 'a'};
  lamp::WriteIndNumBytes(bytes, six);
  lamp::WriteIndNumText(bytes, std::string_view(reinterpret_cast<const char*>(data), size));
}

// The time field: seconds to the calendar and back are the same seconds; any calendar time,
// even one out of its ranges, converts without fault.
void CheckTimeField(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return;
  std::uint32_t seconds = 0;
  std::memcpy(&seconds, data, 4);
  const std::tm local = lamp::LocalTimeOfDatagram(seconds);
  if (lamp::DatagramTimeOf(local) != seconds) std::abort();
  if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_mday > 31 ||
      local.tm_hour > 23 || local.tm_min > 59 || local.tm_sec > 59 || local.tm_wday < 0 ||
      local.tm_wday > 6 || local.tm_yday < 0 || local.tm_yday > 365) {
    std::abort();
  }

  lamp::StatusDatagram status;
  status.set_time(seconds);
  if (status.time() != seconds) std::abort();

  if (size >= 4 + 6 * sizeof(int)) {
    int fields[6];
    std::memcpy(fields, data + 4, sizeof fields);
    std::tm any{};
    any.tm_year = fields[0];
    any.tm_mon = fields[1];
    any.tm_mday = fields[2];
    any.tm_hour = fields[3];
    any.tm_min = fields[4];
    any.tm_sec = fields[5];
    (void)lamp::DatagramTimeOf(any);
  }
  if (size >= 4 + sizeof(std::int64_t)) {
    std::int64_t moment = 0;
    std::memcpy(&moment, data + 4, sizeof moment);
    (void)lamp::DatagramTimeAt(static_cast<std::time_t>(moment));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckFieldsRoundTrip<lamp::CommandDatagram>(data, size);
  CheckFieldsRoundTrip<lamp::StatusDatagram>(data, size);
  CheckFieldsRoundTrip<lamp::BatteryDatagram>(data, size);
  CheckShortBuffer(data, size);
  CheckTimeField(data, size);
  return 0;
}
