// The station frame reader that takes a datagram at a time against the reference that takes
// one byte at a time: for any bytes, cut into datagrams where the input says, both deliver
// the same frames after the same byte, and after every datagram both are in the same state.
//
// Input: chunks, each a length byte and then that many bytes of one station's stream (the
// last chunk is cut at the end of the input; a length of 0 is an empty datagram).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "fuzz/frame_receiver_reference.h"
#include "link/station_frame.h"

namespace {

struct Delivered {
  std::size_t at;  // stream position of the byte that completed the frame
  std::uint32_t expected;
  std::uint8_t header[lamp::kFrameHeaderSize];
  std::uint8_t body[lamp::kFrameBufferSize];
};

void Record(std::vector<Delivered>& frames, std::size_t at,
            const lamp::StationFrameReceiverState& r) {
  Delivered d{};
  d.at = at;
  d.expected = r.expected;
  std::memcpy(d.header, r.header, sizeof d.header);
  // What the decoder may read: the payload and the CRC, at least one byte.
  std::memcpy(d.body, r.body, r.expected > 0 ? r.expected : 1);
  frames.push_back(d);
}

bool SameFrames(const std::vector<Delivered>& a, const std::vector<Delivered>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].at != b[i].at || a[i].expected != b[i].expected ||
        std::memcmp(a[i].header, b[i].header, sizeof a[i].header) != 0 ||
        std::memcmp(a[i].body, b[i].body, sizeof a[i].body) != 0) {
      return false;
    }
  }
  return true;
}

bool SameState(const lamp::StationFrameReceiverState& a, const lamp::StationFrameReceiverState& b) {
  return std::memcmp(a.window, b.window, sizeof a.window) == 0 && a.state == b.state &&
         a.count == b.count && a.expected == b.expected &&
         std::memcmp(a.header, b.header, sizeof a.header) == 0 &&
         std::memcmp(a.body, b.body, sizeof a.body) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lamp::StationFrameReceiverState taken;
  lamp::StationFrameReceiverState reference;
  // Kept from input to input, so their storage is reused.
  static std::vector<Delivered> taken_frames;
  static std::vector<Delivered> reference_frames;
  taken_frames.clear();
  reference_frames.clear();
  std::size_t stream_at = 0;
  std::size_t at = 0;
  while (at < size) {
    std::size_t length = data[at++];
    if (length > size - at) length = size - at;
    const std::uint8_t* datagram = data + at;
    at += length;

    for (std::size_t i = 0; i < length; ++i) {
      if (frame_reference::ReceiveByte(reference, datagram[i])) {
        Record(reference_frames, stream_at + i, reference);
      }
    }
    std::span<const std::uint8_t> rest(datagram, length);
    while (!rest.empty()) {
      const lamp::StationFrameTake take = lamp::TakeStationFrameBytes(taken, rest);
      if (take.taken == 0 || take.taken > rest.size()) __builtin_trap();
      rest = rest.subspan(take.taken);
      if (take.frame_complete) Record(taken_frames, stream_at + length - rest.size() - 1, taken);
    }
    stream_at += length;

    if (!SameState(taken, reference) || !SameFrames(taken_frames, reference_frames)) {
      __builtin_trap();
    }
  }
  return 0;
}
