#pragma once
// The stations on the network: one UDP socket per station, bound to the station's loopback
// address and port, answering every request frame that arrives, with the faults of the
// network applied on the way out.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "simulator/fault_injector.h"
#include "simulator/lamp_room.h"
#include "simulator/random_source.h"
#include "simulator/sim_clock.h"

namespace stationsim {

struct LinkCounts {
  std::uint64_t requests = 0;      // good request frames
  std::uint64_t bad_requests = 0;  // datagrams that were no request frame
  std::uint64_t answers = 0;       // answer frames built
  std::uint64_t datagrams_sent = 0;
  std::uint64_t send_errors = 0;
  FaultCounts faults;
};

// The answer frame of a station to one request datagram, built into `frame`; returns its
// length, 0 when the station gives no answer (no such cell, silent, or no request frame).
std::size_t AnswerRequestDatagram(StationModel& station, std::span<const std::uint8_t> datagram,
                                  double now, std::span<std::uint8_t> frame, LinkCounts& counts);

class StationLink {
 public:
  StationLink() { sockets_.fill(-1); }
  ~StationLink();
  StationLink(const StationLink&) = delete;
  StationLink& operator=(const StationLink&) = delete;

  // Binds one socket per station of the room. On failure nothing stays open and `error`
  // names the station and the reason.
  bool Open(LampRoom& room, std::string& error);
  void Close();

  void SetFaults(const FaultRates& rates, std::uint64_t seed);

  // Waits up to timeout_ms for requests and answers every request waiting on any station,
  // each at the simulated moment it is taken. Returns the number of datagrams taken.
  int Serve(int timeout_ms, const SimClock& clock);

  const LinkCounts& counts() const { return counts_; }

 private:
  void Drain(std::size_t index, const SimClock& clock, int& taken);

  LampRoom* room_ = nullptr;
  std::array<int, kMaxStations> sockets_{};
  std::size_t socket_count_ = 0;
  FaultRates rates_;
  RandomSource random_;
  LinkCounts counts_;
};

}  // namespace stationsim
