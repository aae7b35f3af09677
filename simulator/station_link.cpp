#include "simulator/station_link.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/little_endian.h"
#include "simulator/station_codec.h"

namespace stationsim {

namespace {

// Requests are at most 29 + 128 bytes; anything longer is no request of the server.
constexpr std::size_t kReceiveSize = 2048;

StationRequest ViewOf(const RequestFrame& frame) {
  StationRequest request;
  request.tag = frame.tag;
  request.frame_type = frame.frame_type;
  request.fab_num = frame.fab_num;
  request.address = AddressOf(frame.address);
  request.payload = std::span<const std::uint8_t>(frame.payload.data(), frame.payload_size);
  return request;
}

}  // namespace

std::size_t AnswerRequestDatagram(StationModel& station, std::span<const std::uint8_t> datagram,
                                  double now, std::span<std::uint8_t> frame, LinkCounts& counts) {
  RequestFrame parsed;
  if (ParseRequestFrame(datagram, parsed) != RequestParse::kOk) {
    ++counts.bad_requests;
    return 0;
  }
  ++counts.requests;
  StationAnswer answer;
  if (station.Handle(ViewOf(parsed), now, std::span<StationAnswer>(&answer, 1)) == 0) return 0;
  char address[kAddressSize + 1] = {};
  std::memcpy(address, answer.address.data(), kAddressSize);
  const FrameHeaderBytes header =
      MakeAnswerHeader(static_cast<std::uint8_t>(answer.tag & 0x7F), answer.frame_type,
                       lamp::ReadU64(answer.fab_num, 0), address);
  const std::size_t length = BuildAnswerFrame(header, answer.payload_bytes(), frame);
  if (length > 0) ++counts.answers;
  return length;
}

StationLink::~StationLink() {
  Close();
}

bool StationLink::Open(LampRoom& room, std::string& error) {
  Close();
  room_ = &room;
  for (std::size_t i = 0; i < room.station_count(); ++i) {
    const StationModel& station = room.station(i);
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(station.port());
    const bool resolved = ::inet_pton(AF_INET, station.address_text(), &address.sin_addr) == 1;
    if (fd < 0 || !resolved ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      error = "station " + std::to_string(station.number()) + ": cannot bind " +
              station.address_text() + ":" + std::to_string(station.port()) + ": " +
              std::strerror(errno);
      if (fd >= 0) ::close(fd);
      Close();
      return false;
    }
    sockets_[i] = fd;
    socket_count_ = i + 1;
  }
  return true;
}

void StationLink::Close() {
  for (std::size_t i = 0; i < socket_count_; ++i) {
    if (sockets_[i] >= 0) ::close(sockets_[i]);
    sockets_[i] = -1;
  }
  socket_count_ = 0;
}

void StationLink::SetFaults(const FaultRates& rates, std::uint64_t seed) {
  rates_ = rates;
  random_ = RandomSource(seed);
}

int StationLink::Serve(int timeout_ms, const SimClock& clock) {
  std::array<pollfd, kMaxStations> fds{};
  for (std::size_t i = 0; i < socket_count_; ++i) fds[i] = {sockets_[i], POLLIN, 0};
  const int ready = ::poll(fds.data(), static_cast<nfds_t>(socket_count_), timeout_ms);
  if (ready <= 0) return 0;
  int taken = 0;
  for (std::size_t i = 0; i < socket_count_; ++i) {
    if (fds[i].revents & POLLIN) Drain(i, clock, taken);
  }
  return taken;
}

void StationLink::Drain(std::size_t index, const SimClock& clock, int& taken) {
  StationModel& station = room_->station(index);
  std::array<std::uint8_t, kReceiveSize> buffer;
  std::array<std::uint8_t, kMaxDatagramSize> frame;
  OutgoingDatagrams out;
  for (;;) {
    sockaddr_in sender{};
    socklen_t sender_size = sizeof sender;
    const ssize_t received = ::recvfrom(sockets_[index], buffer.data(), buffer.size(), MSG_DONTWAIT,
                                        reinterpret_cast<sockaddr*>(&sender), &sender_size);
    if (received < 0) return;
    ++taken;
    const std::size_t length = AnswerRequestDatagram(
        station, std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(received)),
        clock.Now(), frame, counts_);
    if (length == 0) continue;
    ApplyFaults(std::span<const std::uint8_t>(frame.data(), length), rates_, random_, out,
                counts_.faults);
    for (std::size_t d = 0; d < out.count; ++d) {
      const auto datagram = out.datagram(d);
      const ssize_t sent = ::sendto(sockets_[index], datagram.data(), datagram.size(), 0,
                                    reinterpret_cast<const sockaddr*>(&sender), sender_size);
      if (sent < 0) {
        ++counts_.send_errors;
      } else {
        ++counts_.datagrams_sent;
      }
    }
  }
}

}  // namespace stationsim
