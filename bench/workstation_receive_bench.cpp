// The workstation's receive path against what the machine can do at all:
// - the 20 ms receive tick (TFormSV::Timer1Timer) taking and decoding a burst of 100
//   IdCellStatus datagrams, one per station, with a worker list of 6000 lamps, against bare
//   recvfrom of the same 100 datagrams;
// - the decoder alone over the same burst, without and with an event in every datagram, and
//   the number lookups it makes; one datagram of each other kind on its own;
// - the five command builders, each sending its datagram, against five bare sendto calls.
// Every benchmark reports the allocations its measured calls made per iteration: the receive
// tick, the decoder of a datagram without event and the builders should make none.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

#include "bench/allocation_count.h"
#include "bench/workstation_room.h"
#include "link/datagrams.h"
#include "workstation/cell_table.h"
#include "workstation/command_sender.h"
#include "workstation/datagram_decoder.h"
#include "workstation/live_events_window.h"
#include "workstation/receive_socket.h"

namespace {

using bench_support::AllocationCount;
using bench_support::kRoomStations;

constexpr int kBurst = kRoomStations;

int BoundLoopbackSocket(int receive_buffer) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = 0;
  inet_pton(AF_INET, "127.0.0.1", &local.sin_addr);
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

sockaddr_in LoopbackAddress(std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  return to;
}

void Drain(int fd) {
  std::array<std::uint8_t, 2048> buffer;
  while (::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT) > 0) {
  }
}

// The workstation of 6000 lamps with its socket open on a free port; the server's end is a
// sink socket that takes the commands.
struct ReceiveRoom {
  ReceiveRoom() {
    bench_support::Room();
    server_sink = BoundLoopbackSocket(4 << 20);
    lumora::ReceiveEndpoints =
        lumora::LinkEndpoints{"127.0.0.1", 0, "127.0.0.1", LocalPort(server_sink)};
    lumora::OpenReceiveSocket();
    workstation = LoopbackAddress(lumora::ReceiveSocketLocalPort());
    sender = ::socket(AF_INET, SOCK_DGRAM, 0);
  }
  int server_sink = -1;
  int sender = -1;
  sockaddr_in workstation{};
};

ReceiveRoom& Receive() {
  static ReceiveRoom* room = new ReceiveRoom();
  return *room;
}

// One burst as the server relays it: the status of one cell of every station, cells spread
// over the station (so the lookups land all over the 6000-lamp list).
std::vector<lamp::StatusDatagram> Burst(bool with_events) {
  std::vector<lamp::StatusDatagram> burst(kBurst);
  for (int s = 1; s <= kBurst; ++s) {
    lamp::StatusDatagram& d = burst[static_cast<std::size_t>(s - 1)];
    char number[8];
    bench_support::RoomNumber(s, 1 + s % bench_support::kRoomCellsPerStation, number);
    d.set_id(lamp::IdCellStatus);
    d.set_ind_num_text(number);
    d.set_station_number(static_cast<std::uint32_t>(s));
    d.set_time(36000);
    d.set_state(4);
    d.set_voltage(4100);
    d.set_current(1500);
    d.set_minutes(95);
    d.set_cycle_mode(2);
    d.set_first_counter(3);
    d.set_second_counter(321);
    d.set_upw(12000);
    d.set_uzr(9000);
    d.set_u5v(5000);
    d.set_gr(215);
    d.set_event_code(with_events ? 0x3004 : 0);
  }
  return burst;
}

std::int64_t DatagramsCounted() {
  const auto& counts = lumora::CellTable.datagram_count;
  return std::accumulate(counts.begin(), counts.end(), std::int64_t{0});
}

void SendBurst(int fd, const std::vector<lamp::StatusDatagram>& burst, const sockaddr_in& to) {
  for (const lamp::StatusDatagram& d : burst) {
    ::sendto(fd, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
             sizeof to);
  }
}

void ReportAllocations(benchmark::State& state, std::uint64_t allocations) {
  state.counters["allocations_per_iteration"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BM_ReceiveTick100CellStatus(benchmark::State& state) {
  ReceiveRoom& room = Receive();
  lumora::TFormSV& traffic = bench_support::Room().windows->traffic;
  const std::vector<lamp::StatusDatagram> burst = Burst(false);
  const std::int64_t counted_before = DatagramsCounted();
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    state.PauseTiming();
    SendBurst(room.sender, burst, room.workstation);
    state.ResumeTiming();
    const std::uint64_t before = AllocationCount();
    traffic.Timer1Timer();
    allocations += AllocationCount() - before;
  }
  // Every datagram must have been taken and decoded, or the figure means nothing.
  state.counters["decoded_per_tick"] = static_cast<double>(DatagramsCounted() - counted_before) /
                                       static_cast<double>(state.iterations());
  ReportAllocations(state, allocations);
}
BENCHMARK(BM_ReceiveTick100CellStatus)->Unit(benchmark::kMicrosecond);

void BM_BareRecvfrom100(benchmark::State& state) {
  ReceiveRoom& room = Receive();
  const int fd = BoundLoopbackSocket(1 << 20);
  const sockaddr_in to = LoopbackAddress(LocalPort(fd));
  const std::vector<lamp::StatusDatagram> burst = Burst(false);
  std::array<std::uint8_t, lumora::kReceiveLimitBytes> buffer;
  std::int64_t received = 0;
  for (auto _ : state) {
    state.PauseTiming();
    SendBurst(room.sender, burst, to);
    state.ResumeTiming();
    for (int i = 0; i < kBurst; ++i) {
      sockaddr_in from{};
      socklen_t size = sizeof from;
      const ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &size);
      received += n > 0 ? 1 : 0;
    }
  }
  ::close(fd);
  state.counters["received_per_tick"] =
      static_cast<double>(received) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_BareRecvfrom100)->Unit(benchmark::kMicrosecond);

// The decoder alone over the burst, from memory: the lookup in the 6000-lamp list and the
// copy into the cell table.
void BM_Decode100CellStatus(benchmark::State& state) {
  bench_support::Room();
  const std::vector<lamp::StatusDatagram> burst = Burst(false);
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    const std::uint64_t before = AllocationCount();
    for (const lamp::StatusDatagram& d : burst) {
      lumora::HandleDatagram(lumora::kStatusDatagramSize, d.bytes.data());
    }
    allocations += AllocationCount() - before;
  }
  ReportAllocations(state, allocations);
}
BENCHMARK(BM_Decode100CellStatus)->Unit(benchmark::kMicrosecond);

// Only the lookups of the burst's numbers in the 6000-lamp list, through its index of the
// numbers.
void BM_FindWorkerIndex100(benchmark::State& state) {
  bench_support::Room();
  const std::vector<lamp::StatusDatagram> burst = Burst(false);
  for (auto _ : state) {
    for (const lamp::StatusDatagram& d : burst) {
      benchmark::DoNotOptimize(lumora::FindWorkerIndex(
          reinterpret_cast<const char*>(d.bytes.data()) + lamp::kIndNumOffset));
    }
  }
}
BENCHMARK(BM_FindWorkerIndex100)->Unit(benchmark::kMicrosecond);

// The same burst with an event in every datagram: 100 rows on top of the live events list
// (kept below its limit between iterations, as the display loop keeps it).
void BM_Decode100CellStatusWithEvents(benchmark::State& state) {
  bench_support::Room();
  forms::TListItems& events = lumora::Form1->LV1.Items();
  const std::vector<lamp::StatusDatagram> burst = Burst(true);
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (events.Count() > 5000 - kBurst) events.Clear();
    state.ResumeTiming();
    const std::uint64_t before = AllocationCount();
    for (const lamp::StatusDatagram& d : burst) {
      lumora::HandleDatagram(lumora::kStatusDatagramSize, d.bytes.data());
    }
    allocations += AllocationCount() - before;
  }
  ReportAllocations(state, allocations);
  state.counters["allocations_per_event_row"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations() * kBurst);
}
BENCHMARK(BM_Decode100CellStatusWithEvents)->Unit(benchmark::kMicrosecond);

// One datagram of every other kind the decoder handles, each on its own, repeated: what the
// lamp card, the device-number tool and the battery editor are handed.
struct NamedDatagram {
  const char* name;
  std::vector<std::uint8_t> bytes;
};

std::vector<NamedDatagram> OtherKinds() {
  char number[8];
  bench_support::RoomNumber(7, 1, number);
  const auto status = [&](std::uint32_t id, std::uint32_t frame_type, std::uint32_t command) {
    lamp::StatusDatagram d;
    d.set_id(id);
    d.set_ind_num_text(number);
    d.set_answer_frame_type(frame_type);
    d.set_answer_command(command);
    return std::vector<std::uint8_t>(d.bytes.begin(), d.bytes.end());
  };
  const auto battery = [&](std::uint32_t id) {
    lamp::BatteryDatagram d;
    d.set_id(id);
    d.set_ind_num_text(number);
    d.data()[lamp::BatteryDatagram::kChargeReportByte] = 5;
    return std::vector<std::uint8_t>(d.bytes.begin(), d.bytes.end());
  };
  return {
      {"IdPing (keep-alive sent)", status(lamp::IdPing, 0, 0)},
      {"IdCommandAnswer 0x79/0xA1 (confirms)", status(lamp::IdCommandAnswer, 0x79, 0xA1)},
      {"IdCommandAnswer 0x79/0xA6", status(lamp::IdCommandAnswer, 0x79, 0xA6)},
      {"IdCommandAnswer 0x7A/1 (device info)", status(lamp::IdCommandAnswer, 0x7A, 1)},
      {"IdCapacityData", battery(lamp::IdCapacityData)},
      {"IdChargeData", battery(lamp::IdChargeData)},
      {"IdModeRecord", battery(lamp::IdModeRecord)},
  };
}

void BM_DecodeOtherKind(benchmark::State& state) {
  ReceiveRoom& room = Receive();
  const NamedDatagram kind = OtherKinds().at(static_cast<std::size_t>(state.range(0)));
  state.SetLabel(kind.name);
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Drain(room.server_sink);
    state.ResumeTiming();
    const std::uint64_t before = AllocationCount();
    lumora::HandleDatagram(static_cast<std::int32_t>(kind.bytes.size()), kind.bytes.data());
    allocations += AllocationCount() - before;
  }
  ReportAllocations(state, allocations);
}
BENCHMARK(BM_DecodeOtherKind)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

// Each of the five builders once: five 204-byte datagrams to the server's end.
void BM_FiveCommandBuilders(benchmark::State& state) {
  ReceiveRoom& room = Receive();
  const lumora::FactoryNumber factory = {0x01, 0x00, 0x00, 0x00, 0x17, 0x5A, 0x00, 0x00};
  std::array<std::int32_t, lumora::kModeRecordValueCount> mode_values{};
  for (std::size_t i = 0; i < mode_values.size(); ++i) mode_values[i] = 100 + static_cast<int>(i);
  const std::array<std::int32_t, 8> number_values = {'0', '0', '7', 'a', '0', '1', 0, 0};
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Drain(room.server_sink);
    state.ResumeTiming();
    const std::uint64_t before = AllocationCount();
    lumora::SendCommand(lumora::CmdKeepAlive, lumora::kTargetNone, "");
    lumora::SendCommandParams(lumora::CmdStart, lumora::kTargetCell, "007a01", 0, 0, 0);
    lumora::SendCommandByNumber(lumora::CmdFindDevice, lumora::kTargetCell, "007a01",
                                factory.data(), lumora::AddressByFabNum, 0, 0, 0);
    lumora::SendModeRecord(lumora::CmdWriteModeRecord, 0, "007a01", mode_values.data(),
                           lumora::kTargetNone);
    lumora::SendCommandValues(lumora::CmdWriteNumber, 208, "007a01", factory.data(),
                              lumora::AddressByIndNum, number_values.data(), 8,
                              lumora::kTargetDevice);
    allocations += AllocationCount() - before;
  }
  ReportAllocations(state, allocations);
  state.counters["datagrams_per_iteration"] = 5;
}
BENCHMARK(BM_FiveCommandBuilders)->Unit(benchmark::kMicrosecond);

void BM_BareSendto5(benchmark::State& state) {
  ReceiveRoom& room = Receive();
  const sockaddr_in to = LoopbackAddress(LocalPort(room.server_sink));
  const lamp::CommandDatagram datagram;
  for (auto _ : state) {
    state.PauseTiming();
    Drain(room.server_sink);
    state.ResumeTiming();
    for (int i = 0; i < 5; ++i) {
      ::sendto(room.sender, datagram.bytes.data(), datagram.bytes.size(), 0,
               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
  }
  state.counters["datagrams_per_iteration"] = 5;
}
BENCHMARK(BM_BareSendto5)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
