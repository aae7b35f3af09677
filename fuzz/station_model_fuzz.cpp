// A simulated station fed arbitrary request datagrams: every answer it builds must be a
// well-formed answer frame (bit 7 of header byte 0 clear, body length and CRC right).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "server/station_frame.h"
#include "simulator/station_link.h"

namespace {

struct Room {
  Room() {
    std::string warnings;
    room->Build(stationsim::MakeSampleWorkers(1, 4), stationsim::RoomOptions{}, 0, nullptr,
                warnings);
  }
  std::unique_ptr<stationsim::LampRoom> room = std::make_unique<stationsim::LampRoom>();
};

}  // namespace

// Input: a mode byte, then either a raw datagram (odd mode) or the frame type, tag, cell
// number 1..4 and payload of a request that gets a correct frame around it, so the cells'
// handling of every command and word is reached.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Room room;
  static double now = 0;
  now += 7;
  if (size < 1) return 0;
  std::array<std::uint8_t, 256> request{};
  std::span<const std::uint8_t> datagram(data + 1, size - 1);
  if ((data[0] & 1) == 0) {
    if (size < 4) return 0;
    std::array<std::uint8_t, lamp::kFrameHeaderSize> header{};
    header[0] = static_cast<std::uint8_t>(0x80 | (data[2] & 0x0F));
    header[1] = data[1];
    const char address[7] = {'0', '0', '1', 'a', '0', static_cast<char>('1' + data[3] % 4), 0};
    for (int i = 0; i < 6; ++i) header[10 + i] = static_cast<std::uint8_t>(address[i]);
    const std::size_t payload = std::min<std::size_t>(size - 4, 128);
    header[20] = static_cast<std::uint8_t>(payload + 2);
    const std::size_t n =
        lamp::WriteStationFrame(header, std::span<const std::uint8_t>(data + 4, payload), request);
    datagram = std::span<const std::uint8_t>(request.data(), n);
  }
  std::array<std::uint8_t, 256> frame{};
  stationsim::LinkCounts counts;
  const std::size_t length =
      stationsim::AnswerRequestDatagram(room.room->station(0), datagram, now, frame, counts);
  if (length == 0) return 0;
  const std::uint8_t* header = frame.data() + 4;
  if (header[0] >= 0x80) __builtin_trap();
  if (header[20] != length - lamp::kFrameOverhead + 2) __builtin_trap();
  const auto checked = std::span<const std::uint8_t>(header, length - 5);
  if (lamp::Crc16Modbus(checked) != 0) __builtin_trap();
  return 0;
}
