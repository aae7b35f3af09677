// The server's two hot ticks against what the machine can do at all:
// - the poll tick (Timer3) with 100 stations of 60 cells, against 100 bare sendto calls of a
//   status poll to the same 100 addresses;
// - the receive tick (Timer1) taking and decoding 100 status answers with a registry of 6000
//   cells, against bare recvfrom of the same 100 datagrams, and against those recvfrom calls
//   with the 100 bare sendto calls of the 220-byte status datagrams the tick relays.
// The two ticks report the allocations their measured calls made per iteration: none.
// The stations are loopback addresses 127.0.0.11 .. 127.0.0.110 with one sink socket taking
// everything sent to them; the workstation is a sink socket too.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "bench/allocation_count.h"
#include "link/datagrams.h"
#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/frame_receiver.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/poll_cycle.h"
#include "server/reply_decoder.h"
#include "server/service_window.h"
#include "server/station_frame.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"
#include "simulator/station_codec.h"

namespace {

using bench_support::AllocationCount;

constexpr int kStations = 100;
constexpr int kCellsPerStation = 60;
constexpr int kAddressBase = 10;

int BoundSocket(const char* address, std::uint16_t port, int receive_buffer) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  inet_pton(AF_INET, address, &local.sin_addr);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::uint16_t LocalPort(int fd) {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
  return ntohs(local.sin_port);
}

void ReportAllocations(benchmark::State& state, std::uint64_t allocations) {
  state.counters["allocations_per_iteration"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void Drain(int fd) {
  std::array<std::uint8_t, 2048> buffer;
  while (::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT) > 0) {
  }
}

sockaddr_in StationAddress(int station, std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  char text[32];
  std::snprintf(text, sizeof text, "127.0.0.%d", kAddressBase + station);
  inet_pton(AF_INET, text, &to.sin_addr);
  return to;
}

// The server's state with 6000 cells, 100 hosts and both sockets open, built once.
struct ServerRoom {
  ServerRoom() {
    using namespace tolvex;
    forms::Application().UseManualClock();
    service = std::make_unique<TFormSV>();
    main = std::make_unique<TForm1>();
    station_sink = BoundSocket("0.0.0.0", 0, 4 << 20);
    station_port = LocalPort(station_sink);
    workstation_sink = BoundSocket("127.0.0.1", 0, 4 << 20);
    MonitorEndpoints =
        WorkstationEndpoints{"127.0.0.1", 0, "127.0.0.1", LocalPort(workstation_sink)};
    OpenMonitorSocket();
    SetStationSocketPort(0);
    OpenStationSocket();

    const auto dir = std::filesystem::temp_directory_path() / "lamp_server_ticks_bench";
    std::filesystem::create_directories(dir);
    std::ofstream hosts(dir / "hostab.txt");
    int row = 0;
    for (int s = 1; s <= kStations; ++s) {
      hosts << s << " 127.0.0." << kAddressBase + s << " " << station_port << "\n";
      for (int c = 1; c <= kCellsPerStation; ++c, ++row) {
        char number[8];
        std::snprintf(number, sizeof number, "%03da%02d", s, c);
        SetTabnum(row, number);
        Cells.ST[row] = s;
      }
    }
    hosts.close();
    CellCount = row;
    SetHostTablePath((dir / "hostab.txt").string());
    LoadHostTable();
    InitCellStatistics();
  }

  // A healthy room: every cell answered its last poll.
  void ForgetUnansweredPolls() {
    tolvex::Cells.kZAPR.fill(0);
    tolvex::Cells.RequestState.fill(0);
  }

  std::unique_ptr<tolvex::TFormSV> service;
  std::unique_ptr<tolvex::TForm1> main;
  int station_sink = -1;
  std::uint16_t station_port = 0;
  int workstation_sink = -1;
};

ServerRoom& Room() {
  static ServerRoom* room = new ServerRoom();
  return *room;
}

void BM_PollTick(benchmark::State& state) {
  ServerRoom& room = Room();
  std::array<std::uint8_t, 2048> buffer;
  double frames_seen = 0;
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    state.PauseTiming();
    while (::recv(room.station_sink, buffer.data(), buffer.size(), MSG_DONTWAIT) > 0) {
      ++frames_seen;
    }
    room.ForgetUnansweredPolls();
    // The pass restarts at its 56th tick, like a server whose poll period is already up.
    room.main->PollPeriodFlag = 1;
    state.ResumeTiming();
    const std::uint64_t before = AllocationCount();
    room.service->Timer3Timer();
    allocations += AllocationCount() - before;
  }
  state.counters["frames_per_tick"] = frames_seen / static_cast<double>(state.iterations());
  ReportAllocations(state, allocations);
}
BENCHMARK(BM_PollTick)->Unit(benchmark::kMicrosecond);

void BM_BareSendto100(benchmark::State& state) {
  ServerRoom& room = Room();
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  // The status poll frame for one cell (36 bytes).
  std::array<std::uint8_t, lamp::kFrameHeaderSize> header{};
  header[0] = 0x81;
  header[1] = 0xC1;
  std::memcpy(header.data() + 10, "001a01", 6);
  header[20] = 9;
  const std::uint8_t payload[7] = {0x92, 0x80, 7, 0, 0, 0xFF, 0xFF};
  std::array<std::uint8_t, 64> frame{};
  const std::size_t length = lamp::WriteStationFrame(header, payload, frame);
  std::array<sockaddr_in, kStations> to{};
  for (int s = 1; s <= kStations; ++s) to[s - 1] = StationAddress(s, room.station_port);
  for (auto _ : state) {
    state.PauseTiming();
    Drain(room.station_sink);
    state.ResumeTiming();
    for (const sockaddr_in& address : to) {
      ::sendto(fd, frame.data(), length, 0, reinterpret_cast<const sockaddr*>(&address),
               sizeof address);
    }
  }
  ::close(fd);
  state.counters["frames_per_tick"] = kStations;
}
BENCHMARK(BM_BareSendto100)->Unit(benchmark::kMicrosecond);

// 100 station sockets, each with the status answer of one of its cells.
struct Answers {
  Answers() {
    for (int s = 1; s <= kStations; ++s) {
      char address[32];
      std::snprintf(address, sizeof address, "127.0.0.%d", kAddressBase + s);
      const int fd = BoundSocket(address, 0, 1 << 16);
      senders.push_back(fd);
      char number[8];
      std::snprintf(number, sizeof number, "%03da%02d", s, 1 + s % kCellsPerStation);
      std::vector<std::uint16_t> words(20, 0);
      words[1] = 4100;  // word 5: voltage
      words[2] = 1500;  // word 7: current
      words[4] = 4;     // word 11: charge
      words[13] = 12000;
      words[14] = 9000;
      words[15] = 5000;
      words[16] = 215;
      words[17] = 0xFFFF;  // word 37: no event age
      words[18] = 0xFFFF;
      words[19] = 0xFFFF;
      std::array<std::uint8_t, 128> payload{};
      const std::size_t n = stationsim::BuildAnswerPayload(0x92, words, payload);
      const auto header = stationsim::MakeAnswerHeader(1, 0xC1, 0x5A1700000000ull + s, number);
      std::vector<std::uint8_t> frame(256);
      frame.resize(stationsim::BuildAnswerFrame(
          header, std::span<const std::uint8_t>(payload.data(), n), frame));
      frames.push_back(frame);
    }
    server.sin_family = AF_INET;
    server.sin_port = htons(LocalPort(tolvex::StationSocket));
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
  }
  ~Answers() {
    for (int fd : senders) ::close(fd);
  }
  void SendAll(const sockaddr_in& to) const {
    for (std::size_t i = 0; i < senders.size(); ++i) {
      ::sendto(senders[i], frames[i].data(), frames[i].size(), 0,
               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
  }
  std::vector<int> senders;
  std::vector<std::vector<std::uint8_t>> frames;
  sockaddr_in server{};
};

void BM_ReceiveTick100Answers(benchmark::State& state) {
  ServerRoom& room = Room();
  // One poll tick resolves every host, so the answers are recognised by their addresses.
  room.service->Timer3Timer();
  Answers answers;
  const std::uint32_t decoded_before = room.main->FramesReceived;
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Drain(room.workstation_sink);
    answers.SendAll(answers.server);
    state.ResumeTiming();
    const std::uint64_t before = AllocationCount();
    room.service->Timer1Timer();
    allocations += AllocationCount() - before;
  }
  // Every answer must have been taken and decoded, or the figure means nothing.
  state.counters["decoded_per_tick"] =
      static_cast<double>(room.main->FramesReceived - decoded_before) /
      static_cast<double>(state.iterations());
  ReportAllocations(state, allocations);
}
BENCHMARK(BM_ReceiveTick100Answers)->Unit(benchmark::kMicrosecond);

sockaddr_in LoopbackAddress(std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  return to;
}

// Bare recvfrom of the 100 answers; with `relay`, each followed by the sendto of one 220-byte
// status datagram to the workstation's socket, as the decoder relays every status answer.
void BareRecvfrom100(benchmark::State& state, bool relay) {
  ServerRoom& room = Room();
  Answers answers;
  const int fd = BoundSocket("127.0.0.1", 0, 1 << 20);
  const sockaddr_in to = LoopbackAddress(LocalPort(fd));
  const sockaddr_in workstation = LoopbackAddress(LocalPort(room.workstation_sink));
  const lamp::StatusDatagram relayed;
  std::array<std::uint8_t, 2000> buffer;
  for (auto _ : state) {
    state.PauseTiming();
    Drain(room.workstation_sink);
    answers.SendAll(to);
    state.ResumeTiming();
    for (int i = 0; i < kStations; ++i) {
      sockaddr_in from{};
      socklen_t size = sizeof from;
      benchmark::DoNotOptimize(::recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                          reinterpret_cast<sockaddr*>(&from), &size));
      if (relay) {
        ::sendto(fd, relayed.bytes.data(), relayed.bytes.size(), 0,
                 reinterpret_cast<const sockaddr*>(&workstation), sizeof workstation);
      }
    }
  }
  ::close(fd);
  state.counters["answers_per_tick"] = kStations;
}

void BM_BareRecvfrom100(benchmark::State& state) {
  BareRecvfrom100(state, false);
}
BENCHMARK(BM_BareRecvfrom100)->Unit(benchmark::kMicrosecond);

// The system calls the receive tick cannot avoid.
void BM_BareRecvfromRelay100(benchmark::State& state) {
  BareRecvfrom100(state, true);
}
BENCHMARK(BM_BareRecvfromRelay100)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
