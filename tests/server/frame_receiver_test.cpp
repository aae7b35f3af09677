#include "server/frame_receiver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "server/host_table.h"
#include "server/service_window.h"
#include "server/station_frame.h"
#include "server/workstation_socket.h"
#include "simulator/station_codec.h"

namespace {

using namespace tolvex;
using Bytes = std::vector<std::uint8_t>;

// What the receivers handed on, and in which order relative to the workstation datagrams.
struct Delivery {
  Bytes header;
  std::int32_t payload_length;
  Bytes body;
  std::int32_t slot;
};
struct WorkstationDatagram {
  Bytes bytes;
  std::string sender_ip;
  int sender_port;
};
std::vector<Delivery> deliveries;
std::vector<WorkstationDatagram> workstation_datagrams;
std::string arrival_order;  // 'W' per workstation datagram, 'S' per station frame

void RecordFrame(const std::uint8_t* header, std::int32_t payload_length, const std::uint8_t* body,
                 std::int32_t slot) {
  const std::size_t body_size =
      payload_length + 2 > 0 ? static_cast<std::size_t>(payload_length + 2) : 1;
  deliveries.push_back({Bytes(header, header + lamp::kFrameHeaderSize), payload_length,
                        Bytes(body, body + body_size), slot});
  arrival_order += 'S';
}

void RecordWorkstationDatagram(int length, const std::uint8_t* bytes, const char* sender_ip,
                               int sender_port) {
  workstation_datagrams.push_back({Bytes(bytes, bytes + length), sender_ip, sender_port});
  arrival_order += 'W';
}

// An answer frame of a station: status answer words after command 0x92.
Bytes Answer(const char* address, std::vector<std::uint16_t> words = {0, 3700, 120, 0, 4},
             std::uint8_t tag = 0x01) {
  std::uint8_t payload[lamp::kMaxFramePayload];
  const std::size_t n = stationsim::BuildAnswerPayload(0x92, words, payload);
  std::uint8_t frame[lamp::kFrameBufferSize];
  const std::size_t length = stationsim::BuildAnswerFrame(
      stationsim::MakeAnswerHeader(tag, 0xC1, 0x1122334455667788u, address), {payload, n}, frame);
  return Bytes(frame, frame + length);
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class ReceiverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFrameReceivers();
    SetStationFrameHandler(&RecordFrame);
    SetWorkstationDatagramHandler(&RecordWorkstationDatagram);
    deliveries.clear();
    workstation_datagrams.clear();
    arrival_order.clear();
  }
  void TearDown() override {
    SetStationFrameHandler(nullptr);
    SetWorkstationDatagramHandler(nullptr);
  }
  static void Feed(int slot, const Bytes& bytes) {
    FeedStationDatagram(slot, bytes.data(), static_cast<int>(bytes.size()));
  }
};

TEST_F(ReceiverTest, GoodAnswerIsDeliveredOnceWithItsPayloadLengthAndSlot) {
  const Bytes frame = Answer("123aaa");
  Feed(7, frame);
  ASSERT_EQ(deliveries.size(), 1u);
  const Delivery& d = deliveries[0];
  EXPECT_EQ(d.slot, 7);
  EXPECT_EQ(d.payload_length, frame[24] - 2);
  EXPECT_EQ(d.header, Bytes(frame.begin() + 4, frame.begin() + 26));
  // The body is the payload and its two CRC bytes.
  EXPECT_EQ(d.body, Bytes(frame.begin() + 26, frame.end() - 1));
  EXPECT_EQ(FrameReceivers[7].state, lamp::kReceiverHunting);
}

// Byte streams of one slot and how many frames each must deliver.
TEST_F(ReceiverTest, FramingRules) {
  const Bytes good = Answer("000001");
  Bytes flipped = Answer("000002");
  flipped[30] ^= 0x01;
  Bytes request_tag = Answer("000003", {0, 1, 2}, 0x81);
  Bytes too_long_header(good.begin(), good.begin() + 26);
  too_long_header[24] = 201;
  Bytes short_body_header(good.begin(), good.begin() + 26);
  short_body_header[24] = 1;
  // The sync pattern inside a body is not looked for.
  const Bytes sync_in_payload = Answer("000004", {0xF7FF, 0x0010, 0xF7FF});
  const Bytes bare = Bytes(good.begin() + 3, good.end() - 1);  // F7, header, payload, CRC
  // The longest body a frame may have.
  std::uint8_t longest[lamp::kFrameBufferSize];
  const std::uint8_t filler[lamp::kMaxBodyLength - 2] = {0x92};
  const Bytes longest_body(
      longest, longest + stationsim::BuildAnswerFrame(
                             stationsim::MakeAnswerHeader(1, 0xC1, 0, "000005"), filler, longest));
  // A dropped header whose last two bytes are FF F7: the window spans it, so the next byte
  // below 0x80 starts a header at once.
  Bytes header_ending_in_sync(good.begin(), good.begin() + 26);
  header_ending_in_sync[24] = 0xFF;
  header_ending_in_sync[25] = 0xF7;

  struct Case {
    const char* name;
    Bytes stream;
    std::size_t delivered;
  };
  const std::vector<Case> cases = {
      {"two frames back to back", Join({good, good}), 2},
      {"flipped payload byte, then a good frame", Join({flipped, good}), 1},
      {"request tag 0x81", request_tag, 0},
      {"body length 201, then a good frame right after its header", Join({too_long_header, good}),
       1},
      {"body length 1 takes one byte", Join({short_body_header, {0x00}, good}), 1},
      {"sync inside a payload", sync_in_payload, 1},
      {"body length 200", longest_body, 1},
      {"a dropped header ending in FF F7, then a header and body",
       Join({header_ending_in_sync, Bytes(good.begin() + 4, good.end())}), 1},
      {"only FF F7 is needed before the header", Join({{0xFF}, bare, {0xFF}, bare}), 2},
      {"noise between frames", Join({{0x00, 0xF7, 0xFF, 0x80, 0xFF}, good, {0x12, 0xFF}, good}), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetFrameReceivers();
    deliveries.clear();
    Feed(3, c.stream);
    EXPECT_EQ(deliveries.size(), c.delivered);
  }
}

TEST_F(ReceiverTest, FrameSplitAnywhereIsReassembledOnce) {
  const Bytes frame = Answer("123aaa");
  for (std::size_t cut = 1; cut < frame.size(); ++cut) {
    SCOPED_TRACE(cut);
    ResetFrameReceivers();
    deliveries.clear();
    Feed(0, Bytes(frame.begin(), frame.begin() + cut));
    // The frame is complete with its CRC; the end mark is only hunted over.
    EXPECT_EQ(deliveries.size(), cut >= frame.size() - 1 ? 1u : 0u);
    Feed(0, Bytes(frame.begin() + cut, frame.end()));
    EXPECT_EQ(deliveries.size(), 1u);
  }
}

TEST_F(ReceiverTest, CutShortFrameSwallowsTheNextBytesBeforeHuntingAgain) {
  const Bytes frame = Answer("123aaa");
  Feed(0, Bytes(frame.begin(), frame.begin() + 30));
  Feed(0, frame);  // completes the cut frame (bad CRC) and is lost with it
  EXPECT_EQ(deliveries.size(), 0u);
  Feed(0, frame);
  EXPECT_EQ(deliveries.size(), 1u);
}

TEST_F(ReceiverTest, SlotsKeepTheirOwnStateWhenInterleaved) {
  const Bytes a = Answer("aaaaaa");
  const Bytes b = Answer("bbbbbb", {1, 2, 3, 4, 5, 6, 7, 8, 9});
  for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    if (i < a.size()) FeedStationDatagram(0, &a[i], 1);
    if (i < b.size()) FeedStationDatagram(99, &b[i], 1);
  }
  const std::uint8_t sync = 0xFF;
  FeedStationDatagram(100, &sync, 1);  // no such slot: ignored
  FeedStationDatagram(-1, &sync, 1);
  ASSERT_EQ(deliveries.size(), 2u);
  EXPECT_EQ(deliveries[0].slot, 0);
  EXPECT_EQ(deliveries[0].header[10], 'a');
  EXPECT_EQ(deliveries[1].slot, 99);
  EXPECT_EQ(deliveries[1].header[10], 'b');
}

// --- The receive tick over real sockets on loopback ------------------------------------------

class LoopbackEndpoint {
 public:
  explicit LoopbackEndpoint(const std::string& ip) : ip_(ip) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, ip.c_str(), &address.sin_addr);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << ip;
    port_ = PortOf(fd_);
  }
  ~LoopbackEndpoint() { ::close(fd_); }
  LoopbackEndpoint(const LoopbackEndpoint&) = delete;
  LoopbackEndpoint& operator=(const LoopbackEndpoint&) = delete;

  static std::uint16_t PortOf(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
  }
  const std::string& ip() const { return ip_; }
  std::uint16_t port() const { return port_; }
  int fd() const { return fd_; }

  void SendTo(std::uint16_t port, const Bytes& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
        static_cast<ssize_t>(bytes.size()));
  }
  // Takes the server's request (waits up to a second) and parses it as a station does.
  stationsim::RequestFrame ReceiveRequest() {
    stationsim::RequestFrame request;
    pollfd waiting{fd_, POLLIN, 0};
    EXPECT_EQ(::poll(&waiting, 1, 1000), 1);
    std::uint8_t buffer[512];
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    EXPECT_GT(got, 0);
    EXPECT_EQ(stationsim::ParseRequestFrame({buffer, static_cast<std::size_t>(got > 0 ? got : 0)},
                                            request),
              stationsim::RequestParse::kOk);
    return request;
  }

 private:
  std::string ip_;
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

class ReceiveTickTest : public ReceiverTest {
 protected:
  void SetUp() override {
    ReceiverTest::SetUp();
    forms::Application().UseManualClock();
    form_ = std::make_unique<TFormSV>();
    for (HostEntry& entry : HostTable) entry = HostEntry{};
    HostCount = 0;
    SetStationSocketPort(0);
    ASSERT_EQ(OpenStationSocket(), 0);
    server_port_ = LoopbackEndpoint::PortOf(StationSocket);
    monitor_ = std::make_unique<LoopbackEndpoint>("127.0.0.1");
    MonitorSocket.handle = monitor_->fd();
    MonitorSocket.open = true;
  }
  void TearDown() override {
    MonitorSocket.open = false;
    MonitorSocket.handle = wsock::INVALID_SOCKET;
    monitor_.reset();
    wsock::closesocket(StationSocket);
    StationSocket = wsock::INVALID_SOCKET;
    StationSocketState = 0;
    SetStationSocketPort(kStationPort);
    form_.reset();
    ReceiverTest::TearDown();
  }

  // A station in the host table; `polled` sends it a status poll first, which is what lets
  // its answers in.
  int AddStation(int number, LoopbackEndpoint& station, bool polled = true) {
    const int slot = HostCount++;
    HostTable[slot].StationNumber = number;
    HostTable[slot].Port = station.port();
    std::snprintf(HostTable[slot].AddressText, sizeof HostTable[slot].AddressText, "%s",
                  station.ip().c_str());
    if (polled) {
      TargetHost = number;
      std::strcpy(RequestAddress, "123aaa");
      PollCellStatus(0xFFFF);
      station.ReceiveRequest();
    }
    return slot;
  }
  void Tick() { form_->Timer1Timer(); }

  std::unique_ptr<TFormSV> form_;
  std::unique_ptr<LoopbackEndpoint> monitor_;
  std::uint16_t server_port_ = 0;
};

TEST_F(ReceiveTickTest, AnswersCountOnlyFromHostsThatWereSentTo) {
  LoopbackEndpoint polled("127.0.0.2");
  LoopbackEndpoint listed("127.0.0.3");
  LoopbackEndpoint stranger("127.0.0.4");
  const int polled_slot = AddStation(2, polled);
  AddStation(3, listed, /*polled=*/false);

  // The station answers its request from the address the server sent to.
  TargetHost = 2;
  PollCellStatus(0x3001);
  const stationsim::RequestFrame request = polled.ReceiveRequest();
  std::uint8_t payload[64];
  const std::uint16_t words[] = {0, 3700, 120, 4};
  const std::size_t n = stationsim::BuildAnswerPayload(request.Command(), words, payload);
  std::uint8_t frame[lamp::kFrameBufferSize];
  const std::size_t length =
      stationsim::BuildAnswerFrame(stationsim::AnswerHeaderFor(request), {payload, n}, frame);
  polled.SendTo(server_port_, Bytes(frame, frame + length));
  listed.SendTo(server_port_, Bytes(frame, frame + length));
  stranger.SendTo(server_port_, Bytes(frame, frame + length));

  StationLinkCountdown = 3;
  Tick();
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].slot, polled_slot);
  EXPECT_EQ(deliveries[0].header[0], 0x01);
  EXPECT_EQ(deliveries[0].header[1], 0xC1);
  EXPECT_EQ(deliveries[0].payload_length, static_cast<std::int32_t>(n));
  EXPECT_EQ(deliveries[0].body[0], 0x92);
  EXPECT_EQ(StationLinkCountdown, 15);

  // Dropped datagrams still show the link is alive.
  StationLinkCountdown = 3;
  stranger.SendTo(server_port_, Bytes(frame, frame + length));
  Tick();
  EXPECT_EQ(StationLinkCountdown, 15);
  EXPECT_EQ(deliveries.size(), 1u);
}

TEST_F(ReceiveTickTest, SenderPortIsNotCompared) {
  LoopbackEndpoint station("127.0.0.5");
  const int slot = AddStation(5, station);
  LoopbackEndpoint same_address("127.0.0.5");
  same_address.SendTo(server_port_, Answer("123aaa"));
  Tick();
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].slot, slot);
}

TEST_F(ReceiveTickTest, SplitAndBackToBackDatagramsAcrossTicks) {
  LoopbackEndpoint first("127.0.0.6");
  LoopbackEndpoint second("127.0.0.7");
  const int first_slot = AddStation(6, first);
  const int second_slot = AddStation(7, second);
  const Bytes frame = Answer("123aaa");

  first.SendTo(server_port_, Bytes(frame.begin(), frame.begin() + 20));
  second.SendTo(server_port_, Join({frame, frame}));
  Tick();
  ASSERT_EQ(deliveries.size(), 2u);
  EXPECT_EQ(deliveries[0].slot, second_slot);
  EXPECT_EQ(deliveries[1].slot, second_slot);

  first.SendTo(server_port_, Bytes(frame.begin() + 20, frame.end()));
  Tick();
  ASSERT_EQ(deliveries.size(), 3u);
  EXPECT_EQ(deliveries[2].slot, first_slot);
}

TEST_F(ReceiveTickTest, BadFramesAreDroppedAndTheNextGoodOneIsDelivered) {
  LoopbackEndpoint station("127.0.0.8");
  AddStation(8, station);
  const Bytes good = Answer("123aaa");
  Bytes flipped = good;
  flipped[27] ^= 0x40;
  Bytes long_header(good.begin(), good.begin() + 26);
  long_header[24] = 201;

  station.SendTo(server_port_, flipped);
  station.SendTo(server_port_, good);
  station.SendTo(server_port_, long_header);
  station.SendTo(server_port_, good);
  Tick();
  EXPECT_EQ(deliveries.size(), 2u);
}

TEST_F(ReceiveTickTest, EmptyDatagramDoesNotBlockTheQueue) {
  LoopbackEndpoint station("127.0.0.9");
  AddStation(9, station);
  station.SendTo(server_port_, {});
  station.SendTo(server_port_, Answer("123aaa"));
  Tick();
  Tick();
  EXPECT_EQ(deliveries.size(), 1u);

  monitor_->SendTo(monitor_->port(), {});
  monitor_->SendTo(monitor_->port(), {1, 2, 3});
  Tick();
  Tick();
  ASSERT_EQ(workstation_datagrams.size(), 1u);
  EXPECT_EQ(workstation_datagrams[0].bytes, (Bytes{1, 2, 3}));
}

TEST_F(ReceiveTickTest, OneWorkstationDatagramPerTickThenTheStationQueue) {
  LoopbackEndpoint station("127.0.0.10");
  AddStation(10, station);
  LoopbackEndpoint workstation("127.0.0.1");
  for (std::uint8_t i = 1; i <= 3; ++i) {
    workstation.SendTo(monitor_->port(), Bytes(10 * i, i));
  }
  station.SendTo(server_port_, Answer("123aaa"));
  station.SendTo(server_port_, Answer("123aab"));

  MissedPingCount = 3;
  Tick();
  EXPECT_EQ(arrival_order, "WSS");
  EXPECT_EQ(MissedPingCount, 0);
  EXPECT_EQ(form_->Edit10.Text(), "10");
  Tick();
  Tick();
  Tick();
  EXPECT_EQ(arrival_order, "WSSWW");
  ASSERT_EQ(workstation_datagrams.size(), 3u);
  EXPECT_EQ(workstation_datagrams[2].bytes, Bytes(30, 3));
  EXPECT_EQ(workstation_datagrams[2].sender_ip, "127.0.0.1");
  EXPECT_EQ(workstation_datagrams[2].sender_port, workstation.port());
  EXPECT_EQ(form_->Edit10.Text(), "30");
}

TEST_F(ReceiveTickTest, ClosedSocketsAreSkipped) {
  LoopbackEndpoint station("127.0.0.11");
  AddStation(11, station);
  station.SendTo(server_port_, Answer("123aaa"));
  monitor_->SendTo(monitor_->port(), {1});
  MonitorSocket.open = false;
  StationSocketState = 0;
  StationLinkCountdown = 3;
  MissedPingCount = 2;
  Tick();
  EXPECT_EQ(arrival_order, "");
  EXPECT_EQ(StationLinkCountdown, 3);
  EXPECT_EQ(MissedPingCount, 2);

  // Nothing was lost: the datagrams wait for the sockets to count as open again.
  MonitorSocket.open = true;
  StationSocketState = kStationSocketOpen;
  Tick();
  EXPECT_EQ(arrival_order, "WS");
}

}  // namespace
