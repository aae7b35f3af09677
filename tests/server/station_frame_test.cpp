#include "server/station_frame.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "server/host_table.h"
#include "server/service_window.h"
#include "simulator/station_codec.h"

namespace {

using namespace tolvex;
using Bytes = std::vector<std::uint8_t>;

// A UDP endpoint on a loopback address playing a station. Bound to "0.0.0.0" it receives for
// every 127.0.0.x at its port and tells which one each datagram was sent to.
class LoopbackStation {
 public:
  explicit LoopbackStation(const std::string& ip, std::uint16_t port = 0) : ip_(ip) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, ip.c_str(), &address.sin_addr);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << ip;
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackStation() { ::close(fd_); }
  LoopbackStation(const LoopbackStation&) = delete;
  LoopbackStation& operator=(const LoopbackStation&) = delete;

  const std::string& ip() const { return ip_; }
  std::uint16_t port() const { return port_; }

  // The next datagram (waits up to a second); destination gets the address it was sent to.
  bool Receive(Bytes& bytes, std::string* destination = nullptr) {
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, 1000) != 1) return false;
    std::uint8_t buffer[4096];
    char control[256];
    iovec io{buffer, sizeof buffer};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(fd_, &message, 0);
    if (got < 0) return false;
    bytes.assign(buffer, buffer + got);
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
      if (destination != nullptr && c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
        in_pktinfo info;
        std::memcpy(&info, CMSG_DATA(c), sizeof info);
        char text[INET_ADDRSTRLEN];
        ::inet_ntop(AF_INET, &info.ipi_addr, text, sizeof text);
        *destination = text;
      }
    }
    return true;
  }
  // Loopback delivery is complete when sendto returns, so an empty queue is final.
  bool Idle() {
    pollfd waiting{fd_, POLLIN, 0};
    return ::poll(&waiting, 1, 0) == 0;
  }

 private:
  std::string ip_;
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

std::uint16_t BoundPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

class StationSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    forms::Application().UseManualClock();
    form_ = std::make_unique<TFormSV>();
    // The sender's load-time state, as right after start.
    FrameTag = 3;
    TargetHost = 1;
    std::memset(RequestAddress, 0, sizeof RequestAddress);
    std::memset(RequestFabNum, 0, sizeof RequestFabNum);
    LastFrameType = 0;
    std::memset(LastTargetAddressText, 0, sizeof LastTargetAddressText);
    for (HostEntry& entry : HostTable) entry = HostEntry{};
    HostCount = 0;
    SetStationSocketPort(0);
    ASSERT_EQ(OpenStationSocket(), 0);
  }
  void TearDown() override {
    if (StationSocketState == kStationSocketOpen) wsock::closesocket(StationSocket);
    StationSocketState = 0;
    StationSocket = wsock::INVALID_SOCKET;
    SetStationSocketPort(kStationPort);
    form_.reset();
  }

  static int AddHost(int number, const std::string& ip, std::uint16_t port) {
    HostEntry& entry = HostTable[HostCount];
    entry.StationNumber = number;
    entry.Port = port;
    std::snprintf(entry.AddressText, sizeof entry.AddressText, "%s", ip.c_str());
    return HostCount++;
  }
  static int AddHost(int number, const LoopbackStation& station) {
    return AddHost(number, station.ip(), station.port());
  }

  // Receives one request and checks it the way a station does.
  static stationsim::RequestFrame ReceiveRequest(LoopbackStation& station, Bytes* raw = nullptr) {
    Bytes bytes;
    stationsim::RequestFrame request;
    EXPECT_TRUE(station.Receive(bytes));
    EXPECT_EQ(stationsim::ParseRequestFrame(bytes, request), stationsim::RequestParse::kOk);
    if (raw != nullptr) *raw = bytes;
    return request;
  }

  std::unique_ptr<TFormSV> form_;
};

TEST_F(StationSendTest, StatusPollFrameIsLaidOutByteForByte) {
  LoopbackStation station("127.0.0.2");
  const int slot = AddHost(7, station);
  TargetHost = 7;
  std::strcpy(RequestAddress, "ab1");
  const std::uint8_t fab[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::memcpy(RequestFabNum, fab, sizeof fab);

  PollCellStatus(0xFFFF);

  Bytes raw;
  ReceiveRequest(station, &raw);
  Bytes expected = {0xFF, 0xFF, 0xFF, 0xF7,                            // sync
                    0x83, 0xC1, 1,    2,    3,    4,    5,   6, 7, 8,  // tag 3 of the first frame
                    'a',  'b',  '1',  0,    0,    0,    0,   0, 0, 0, 9, 0,  // address, NUL, zeros
                    0x92, 0x80, 0x07, 0x00, 0x00, 0xFF, 0xFF};               // payload
  const std::uint16_t crc = lamp::Crc16Modbus(std::span<const std::uint8_t>(expected).subspan(4));
  expected.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  expected.push_back(static_cast<std::uint8_t>(crc >> 8));
  expected.push_back(0xFF);
  EXPECT_EQ(raw, expected);
  EXPECT_EQ(raw.size(), 36u);

  EXPECT_EQ(LastFrameType, 0xC1);
  EXPECT_STREQ(LastTargetAddressText, "127.0.0.2");
  EXPECT_EQ(HostTable[slot].ResolvedAddress, wsock::inet_addr("127.0.0.2"));
  EXPECT_EQ(FrameTag, 1);

  // Every later frame carries tag 1 until a caller sets another, and reuses the factory
  // number whatever the cell.
  std::strcpy(RequestAddress, "zz9");
  RequestChargeReport();
  const stationsim::RequestFrame second = ReceiveRequest(station);
  EXPECT_EQ(second.header[0], 0x81);
  EXPECT_EQ(second.FabNumValue(), 0x0807060504030201u);
  EXPECT_STREQ(second.address, "zz9");
}

TEST_F(StationSendTest, PayloadBuildersAndFixedRequests) {
  LoopbackStation station("127.0.0.3");
  AddHost(1, station);
  Bytes mode_record(48);
  for (std::size_t i = 0; i < mode_record.size(); ++i)
    mode_record[i] = static_cast<std::uint8_t>(i);
  Bytes mode_payload = {0x9F, 0x80, 53, 0x34, 0x12};
  mode_payload.insert(mode_payload.end(), mode_record.begin(), mode_record.end());
  struct Case {
    const char* name;
    void (*send)(const Bytes&);
    int type;
    Bytes payload;
  };
  const std::vector<Case> cases = {
      {"words2",
       [](const Bytes&) { SendCommandWords2(0x79, 0xA1, 0, 10); },
       0x79,
       {0xA1, 0x80, 7, 0, 0, 10, 0}},
      {"words3",
       [](const Bytes&) { SendCommandWords3(0x7A, 0x9C, 0x1234, 0xFFFF, 0x8001); },
       0x7A,
       {0x9C, 0x80, 9, 0x34, 0x12, 0xFF, 0xFF, 0x01, 0x80}},
      {"mode record", [](const Bytes& m) { SendCommandBytes(0x79, 0x9F, 0x1234, 48, m.data()); },
       0x79, mode_payload},
      {"bytes, none",
       [](const Bytes&) { SendCommandBytes(0x79, 0xA6, 5, 0, nullptr); },
       0x79,
       {0xA6, 0x80, 5, 5, 0}},
      {"status poll",
       [](const Bytes&) { PollCellStatus(0x3001); },
       0xC1,
       {0x92, 0x80, 7, 0, 0, 0x01, 0x30}},
      {"discharge report",
       [](const Bytes&) { RequestDischargeReport(); },
       0xC1,
       {0x93, 0x80, 7, 0, 0, 0, 0}},
      {"charge report",
       [](const Bytes&) { RequestChargeReport(); },
       0xC1,
       {0x94, 0x80, 7, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.send(mode_record);
    Bytes raw;
    const stationsim::RequestFrame request = ReceiveRequest(station, &raw);
    EXPECT_EQ(request.frame_type, c.type);
    EXPECT_EQ(Bytes(request.payload.begin(), request.payload.begin() + request.payload_size),
              c.payload);
    EXPECT_EQ(raw.size(), 29 + c.payload.size());
    EXPECT_EQ(request.header[20], c.payload.size() + 2);
    EXPECT_EQ(LastFrameType, c.type);
  }
}

TEST_F(StationSendTest, ModeRecordWriteIsAnEightyTwoByteDatagram) {
  LoopbackStation station("127.0.0.3");
  AddHost(1, station);
  const Bytes record(48, 0x5A);
  SendCommandBytes(0x79, 0x9F, 0, 48, record.data());
  Bytes raw;
  ReceiveRequest(station, &raw);
  EXPECT_EQ(raw.size(), 82u);
  EXPECT_EQ(raw[24], 55);
}

TEST_F(StationSendTest, ByteCountBeyondTheCommandAreaSendsNothing) {
  LoopbackStation station("127.0.0.3");
  AddHost(1, station);
  const Bytes bytes(200, 0x11);
  SendCommandBytes(0x79, 0x9F, 0, kMaxCommandBytes + 1, bytes.data());
  SendCommandBytes(0x79, 0x9F, 0, -1, bytes.data());
  EXPECT_TRUE(station.Idle());
  SendCommandBytes(0x79, 0x9F, 0, kMaxCommandBytes, bytes.data());
  Bytes raw;
  const stationsim::RequestFrame request = ReceiveRequest(station, &raw);
  EXPECT_EQ(request.payload_size, 128u);
  EXPECT_EQ(raw.size(), 157u);
}

TEST_F(StationSendTest, AddressIsCopiedUpToItsFirstNulAtMostSixBytes) {
  LoopbackStation station("127.0.0.4");
  AddHost(1, station);
  struct Case {
    const char address[7];
    std::uint8_t header[6];
  };
  const Case cases[] = {
      {"123aaa", {'1', '2', '3', 'a', 'a', 'a'}},
      {"x", {'x', 0, 0, 0, 0, 0}},
      {{'q', 'r', 0, 's', 't', 'u', 0}, {'q', 'r', 0, 0, 0, 0}},
      {"", {0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    std::memcpy(RequestAddress, c.address, sizeof RequestAddress);
    PollCellStatus(0);
    const stationsim::RequestFrame request = ReceiveRequest(station);
    EXPECT_EQ(Bytes(request.header.begin() + 10, request.header.begin() + 16),
              Bytes(c.header, c.header + 6))
        << c.address;
  }
}

TEST_F(StationSendTest, TagIsMaskedToFourBitsWhenTheHeaderIsBuilt) {
  SetFrameTag(0x1B);
  BuildFrameHeader(0x7A, 9);
  EXPECT_EQ(FrameHeader[0], 0x8B);
  EXPECT_EQ(FrameTag, 0x0B);
  EXPECT_EQ(FrameHeader[1], 0x7A);
  EXPECT_EQ(FrameHeader[20], 9);
  EXPECT_EQ(FrameHeader[21], 0);
}

TEST_F(StationSendTest, BroadcastGoesOnceToEachNumberOneToHundredInNumberOrder) {
  // One socket on every loopback address at one port, so the order of the copies shows.
  LoopbackStation all("0.0.0.0");
  const int five = AddHost(5, "127.0.0.5", all.port());
  const int far = AddHost(150, "127.0.0.150", all.port());
  const int one = AddHost(1, "127.0.0.11", all.port());
  const int five_again = AddHost(5, "127.0.0.55", all.port());
  const int hundred = AddHost(100, "127.0.0.100", all.port());
  TargetHost = 2;
  std::strcpy(RequestAddress, "zz");
  AddHost(2, "127.0.0.2", all.port());
  SendCommandWords2(0x79, 0xA0, 0, 0);  // a single send first, for LastTargetAddressText
  Bytes bytes;
  ASSERT_TRUE(all.Receive(bytes));

  TargetHost = kAllHosts;
  SetFrameTag(2);
  SendCommandWords2(0x79, 0xA1, 0, 10);

  std::vector<std::string> destinations;
  Bytes first;
  for (std::string destination; all.Receive(bytes, &destination);) {
    destinations.push_back(destination);
    if (first.empty()) first = bytes;
    EXPECT_EQ(bytes, first);  // the same datagram to every host
    if (all.Idle()) break;
  }
  EXPECT_EQ(destinations,
            (std::vector<std::string>{"127.0.0.11", "127.0.0.2", "127.0.0.5", "127.0.0.100"}));
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first[4], 0x82);  // the broadcast frame keeps the tag it was built with
  EXPECT_EQ(TargetHost, kAllHosts);
  EXPECT_STREQ(LastTargetAddressText, "127.0.0.2");
  EXPECT_EQ(HostTable[one].ResolvedAddress, wsock::inet_addr("127.0.0.11"));
  EXPECT_EQ(HostTable[five].ResolvedAddress, wsock::inet_addr("127.0.0.5"));
  EXPECT_EQ(HostTable[hundred].ResolvedAddress, wsock::inet_addr("127.0.0.100"));
  EXPECT_EQ(HostTable[far].ResolvedAddress, 0u);
  EXPECT_EQ(HostTable[five_again].ResolvedAddress, 0u);

  TargetHost = 1;
  PollCellStatus(0);
  ASSERT_TRUE(all.Receive(bytes));
  EXPECT_EQ(bytes[4], 0x81);
}

TEST_F(StationSendTest, UnknownTargetSendsNothingAndResolvesNothing) {
  LoopbackStation station("127.0.0.6");
  AddHost(6, station);
  TargetHost = 6;
  PollCellStatus(0);
  Bytes bytes;
  ASSERT_TRUE(station.Receive(bytes));
  HostTable[0].ResolvedAddress = 0x12345678;

  TargetHost = 60;
  PollCellStatus(0);
  EXPECT_TRUE(station.Idle());
  EXPECT_EQ(HostTable[0].ResolvedAddress, 0x12345678u);
  EXPECT_STREQ(LastTargetAddressText, "127.0.0.6");
}

// Address text that is no address: converted to the all-ones value as the conversion gives
// it, and cut to fit the last-target text.
TEST_F(StationSendTest, OverlongAddressTextIsCutForTheLastTargetText) {
  const std::string text(63, '7');
  AddHost(4, text, 4001);
  TargetHost = 4;
  PollCellStatus(0);
  EXPECT_EQ(HostTable[0].ResolvedAddress, 0xFFFFFFFFu);
  EXPECT_EQ(std::string(LastTargetAddressText), text.substr(0, 31));
}

TEST_F(StationSendTest, PreparedCommandGoesWhereTheLastFrameWent) {
  LoopbackStation station("127.0.0.7");
  AddHost(9, station);
  TargetHost = 9;
  PreparedCommand.FrameType = 0xC2;
  PreparedCommand.Command = 0xA1;
  PreparedCommand.Word1 = 2;
  PreparedCommand.Word2 = 0x202;
  std::strcpy(PreparedCommand.Address, "001aaa");
  SendPreparedCommand();
  const stationsim::RequestFrame request = ReceiveRequest(station);
  EXPECT_EQ(request.frame_type, 0xC2);
  EXPECT_EQ(request.Command(), 0xA1);
  EXPECT_EQ(request.Word(3), 2);
  EXPECT_EQ(request.Word(5), 0x202);
  EXPECT_STREQ(request.address, "001aaa");
  EXPECT_STREQ(RequestAddress, "001aaa");
  EXPECT_EQ(TargetHost, 9);
  EXPECT_EQ(LastFrameType, 0xC2);
}

TEST_F(StationSendTest, OpeningTheSocketReportsItsState) {
  EXPECT_EQ(StationSocketState, kStationSocketOpen);
  EXPECT_EQ(StationLinkCountdown, 20);
  EXPECT_EQ(form_->EditSV.Text(), "SOK");
  EXPECT_EQ(form_->ListBox1.Items().Count(), 0);

  // Reopening on a chosen port closes the old socket first, so the same port binds again.
  const std::uint16_t port = BoundPort(StationSocket);
  SetStationSocketPort(port);
  StationLinkCountdown = 3;
  EXPECT_EQ(OpenStationSocket(), 0);
  EXPECT_EQ(OpenStationSocket(), 0);
  EXPECT_EQ(BoundPort(StationSocket), port);
  EXPECT_EQ(StationLinkCountdown, 20);

  // A port held by someone else: the bind fails.
  LoopbackStation holder("0.0.0.0");
  SetStationSocketPort(holder.port());
  StationLinkCountdown = 3;
  EXPECT_EQ(OpenStationSocket(), 1);
  EXPECT_EQ(StationSocketState, 0);
  EXPECT_EQ(StationLinkCountdown, 20);
  EXPECT_EQ(form_->EditSV.Text(), "ERR");
  ASSERT_EQ(form_->ListBox1.Items().Count(), 1);
  EXPECT_EQ(form_->ListBox1.Items()[0], "Mox ERR");
}

}  // namespace
