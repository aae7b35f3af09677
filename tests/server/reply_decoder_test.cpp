// The station reply decoder without a database: the word table, the registry updates, the
// report requests and the datagrams to the workstation. The stations' answers are built with
// the station-side codec; the workstation is a loopback UDP socket.
#include "server/reply_decoder.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/datagrams.h"
#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/frame_receiver.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/service_window.h"
#include "server/station_frame.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"
#include "simulator/station_codec.h"
#include "tests/server/server_state.h"
#include "tests/server/udp_peer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using server_test::AsBattery;
using server_test::AsStatus;
using server_test::UdpPeer;

// An answer of a station: the words at payload offsets 3, 5, ..., 41 (word N at offset N).
struct Answer {
  std::uint8_t frame_type = 0xC1;
  std::uint8_t command = 0x92;
  std::uint64_t fabnum = 0x0102030405060708;
  const char* address = "010aaa";
  int count_byte = -1;  // the payload's own length
  std::array<std::uint16_t, 20> words{};

  Answer& Word(int n, std::uint16_t value) {
    words[static_cast<size_t>((n - 3) / 2)] = value;
    return *this;
  }
  Bytes Frame() const {
    Bytes payload(64);
    const size_t n = stationsim::BuildAnswerPayload(command, words, payload, count_byte);
    payload.resize(n);
    Bytes frame(lamp::kFrameBufferSize);
    const auto header = stationsim::MakeAnswerHeader(0x01, frame_type, fabnum, address);
    frame.resize(stationsim::BuildAnswerFrame(header, payload, frame));
    return frame;
  }
};

// Hands a whole answer frame to the decoder as the receiver does.
void Decode(const Bytes& frame, std::int32_t slot = 0) {
  const std::uint8_t* header = frame.data() + lamp::kFrameHeaderOffset;
  tolvex::DecodeStationReply(header, header[lamp::kHeaderBodyLength] - 2,
                             frame.data() + lamp::kFramePayloadOffset, slot);
}

void Decode(const Answer& a, std::int32_t slot = 0) {
  Decode(a.Frame(), slot);
}

class ReplyDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    using namespace tolvex;
    forms::Application().UseManualClock();
    server_test::ResetCellRegistry();
    const char* numbers[] = {"001aaa", "010aaa", "020bbb"};
    for (int r = 0; r < 3; ++r) {
      SetTabnum(r, numbers[r]);
      Cells.ST[r] = r + 1;
    }
    CellCount = 3;
    DebugFlagDM92 = 0;
    DebugFlagEX92K = 0;
    StatusDatagramBuffer = lamp::StatusDatagram{};
    BatteryDatagramBuffer = lamp::BatteryDatagram{};
    MonitorEndpoints = WorkstationEndpoints{"127.0.0.1", 0, "127.0.0.1", workstation_.port()};
    ASSERT_EQ(OpenMonitorSocket(), 0);
  }
  void TearDown() override {
    using namespace tolvex;
    server_test::CloseMonitorSocket();
  }
  Bytes Datagram() {
    auto d = workstation_.Receive();
    EXPECT_TRUE(d.has_value());
    return d.value_or(Bytes{});
  }

  UdpPeer workstation_;
  tolvex::TFormSV sv_;
  tolvex::TForm1 main_;
};

// ---- The word table ----

TEST(StationReplyWords, CountByteDecidesWhichWordsAreRead) {
  Bytes payload(48);
  payload[0] = 0x92;
  for (size_t n = 3; n + 1 < payload.size(); n += 2) {
    payload[n] = static_cast<std::uint8_t>(n);
    payload[n + 1] = 0x01;
  }
  auto word = [](int n) { return 0x100 + n; };
  struct Case {
    int count;
    bool w7_17, w19, w21, w23_37, w39_41;
  };
  const Case cases[] = {
      {0, false, false, false, false, false}, {7, false, false, false, false, false},
      {8, true, false, false, false, false},  {19, true, false, false, false, false},
      {20, true, true, false, false, false},  {22, true, true, true, false, false},
      {24, true, true, true, true, false},    {39, true, true, true, true, false},
      {40, true, true, true, true, true},     {255, true, true, true, true, true},
  };
  for (const Case& c : cases) {
    payload[2] = static_cast<std::uint8_t>(c.count);
    const auto w = tolvex::ReadStationReplyWords(payload);
    EXPECT_EQ(w.command, 0x92);
    EXPECT_EQ(w.w3, word(3)) << c.count;
    EXPECT_EQ(w.w5, word(5)) << c.count;
    EXPECT_EQ(w.w7, c.w7_17 ? word(7) : 0) << c.count;
    EXPECT_EQ(w.w17, c.w7_17 ? word(17) : 0) << c.count;
    EXPECT_EQ(w.w19, c.w19 ? word(19) : 0) << c.count;
    EXPECT_EQ(w.w21, c.w21 ? word(21) : 0) << c.count;
    EXPECT_EQ(w.w23, c.w23_37 ? word(23) : 0) << c.count;
    EXPECT_EQ(w.w29, c.w23_37 ? word(29) : 0) << c.count;
    EXPECT_EQ(w.w35, c.w23_37 ? word(35) : 0) << c.count;
    EXPECT_EQ(w.w37, c.w23_37 ? word(37) : 0) << c.count;
    EXPECT_EQ(w.w39, c.w39_41 ? word(39) : -1) << c.count;
    EXPECT_EQ(w.w41, c.w39_41 ? word(41) : -1) << c.count;
  }
}

TEST(StationReplyWords, SignedWord35AndEventParametersAboveTheLimit) {
  Bytes payload(44, 0);
  payload[2] = 44;
  auto put = [&payload](int n, std::uint16_t v) {
    payload[n] = static_cast<std::uint8_t>(v);
    payload[n + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  put(35, 0xFFF6);
  put(39, 65531);
  put(41, 65530);
  put(29, 0xFFFF);
  auto w = tolvex::ReadStationReplyWords(payload);
  EXPECT_EQ(w.w35, -10);
  EXPECT_EQ(w.w29, 0xFFFF);
  EXPECT_EQ(w.w39, -1);
  EXPECT_EQ(w.w41, 65530);
  // A count byte that admits words the payload does not hold: they read as 0.
  payload.resize(30);
  w = tolvex::ReadStationReplyWords(payload);
  EXPECT_EQ(w.w29, 0xFF);
  EXPECT_EQ(w.w35, 0);
  EXPECT_EQ(w.w39, 0);
}

// ---- Status answers ----

TEST_F(ReplyDecoderTest, StatusAnswerFillsTheRegistryAndTheDatagram) {
  using namespace tolvex;
  Answer a;
  a.Word(5, 12500).Word(7, 800).Word(9, 333).Word(11, 4).Word(13, 0x10).Word(15, 0x20);
  a.Word(17, 0x3001).Word(19, 61).Word(21, 2).Word(23, 3).Word(25, 40);
  a.Word(29, 12000).Word(31, 13000).Word(33, 5000).Word(35, 0xFFF6).Word(37, 5);
  Cells.kZAPR[1] = 7;
  Cells.RequestState[1] = 21;
  Decode(a, 1);
  EXPECT_EQ(main_.FramesReceived, 1u);
  EXPECT_EQ(Cells.kZAPR[1], 0);
  EXPECT_EQ(Cells.RequestState[1], 0);
  EXPECT_EQ(Cells.PSTAT[1], 4);
  EXPECT_EQ(Cells.PARM1[1], 12500);
  EXPECT_EQ(Cells.PARM2[1], 800);
  EXPECT_EQ(Cells.LastEventCode[1], 0x3001);
  EXPECT_EQ(Cells.NSP1[1], 0x10);
  EXPECT_EQ(Cells.NSP2[1], 0x20);
  EXPECT_EQ(Cells.UPW[1], 12000u);
  EXPECT_EQ(Cells.UPWMIN[1], 12000u);
  EXPECT_EQ(Cells.UPWMAX[1], 12000u);
  EXPECT_EQ(Cells.U5VMIN[1], 5000u);
  EXPECT_EQ(Cells.GR[1], -10);
  EXPECT_EQ(Cells.GRMIN[1], -10);
  EXPECT_EQ(Cells.GRMAX[1], -10);
  EXPECT_EQ(Cells.FabNum[1], 0x0102030405060708u);

  const auto s = AsStatus(Datagram());
  EXPECT_EQ(s.id(), lamp::IdCellStatus);
  EXPECT_EQ(s.ind_num(), "010aaa");
  EXPECT_EQ(s.state(), 4u);
  EXPECT_EQ(s.mode_error_bits(), 0x10u);
  EXPECT_EQ(s.fault_bits(), 0x20u);
  EXPECT_EQ(s.spare_word(), 0u);
  EXPECT_EQ(s.event_code(), 0x3001u);
  EXPECT_EQ(s.voltage(), 12500u);
  EXPECT_EQ(s.current(), 800u);
  EXPECT_EQ(s.minutes(), 61u);
  EXPECT_EQ(s.cycle_mode(), 2u);
  EXPECT_EQ(s.first_counter(), 3u);
  EXPECT_EQ(s.second_counter(), 40u);
  EXPECT_EQ(s.upw(), 12000u);
  EXPECT_EQ(s.uzr(), 13000u);
  EXPECT_EQ(s.u5v(), 5000u);
  EXPECT_EQ(s.gr(), -10);
  EXPECT_EQ(s.station_number(), 0u);
}

TEST_F(ReplyDecoderTest, DischargeStatesReportTheirOwnCurrent) {
  using namespace tolvex;
  for (std::uint16_t state : {2, 0x102, 0x202, 3, 0x104}) {
    Answer a;
    a.Word(7, 800).Word(9, 333).Word(11, state);
    Decode(a, 1);
    const bool discharge = state == 2 || state == 0x102 || state == 0x202;
    EXPECT_EQ(Cells.PARM2[1], discharge ? 333 : 800) << state;
    EXPECT_EQ(AsStatus(Datagram()).current(), discharge ? 333u : 800u) << state;
  }
}

TEST_F(ReplyDecoderTest, ShortStatusAnswerZeroesTheMeasurements) {
  using namespace tolvex;
  Answer a;
  a.count_byte = 7;
  a.Word(5, 12000).Word(7, 800).Word(11, 4).Word(17, 0x3001).Word(29, 12000).Word(35, 20);
  Decode(a, 1);
  EXPECT_EQ(Cells.PSTAT[1], 0);
  EXPECT_EQ(Cells.LastEventCode[1], 0);
  EXPECT_EQ(Cells.PARM1[1], 12000);
  EXPECT_EQ(Cells.PARM2[1], 0);
  EXPECT_EQ(Cells.UPW[1], 0u);
  EXPECT_EQ(Cells.UPWMIN[1], 0u);
  EXPECT_EQ(Cells.UZRMIN[1], 0u);
  EXPECT_EQ(Cells.U5VMIN[1], 0u);
  EXPECT_EQ(Cells.GRMIN[1], 0);
  EXPECT_EQ(Cells.GRMAX[1], 0);
}

TEST_F(ReplyDecoderTest, ExtremesFollowUnsignedAndSignedComparisons) {
  using namespace tolvex;
  Decode(Answer{}.Word(33, 55000).Word(35, 500), 1);
  EXPECT_EQ(Cells.U5VMIN[1], 50000u);
  EXPECT_EQ(Cells.U5VMAX[1], 55000u);
  EXPECT_EQ(Cells.GRMIN[1], 400);
  EXPECT_EQ(Cells.GRMAX[1], 500);
  Decode(Answer{}.Word(33, 40000).Word(35, 0x8000), 1);
  EXPECT_EQ(Cells.U5VMIN[1], 40000u);
  EXPECT_EQ(Cells.U5VMAX[1], 55000u);
  EXPECT_EQ(Cells.GRMIN[1], -32768);
  EXPECT_EQ(Cells.GRMAX[1], 500);
}

TEST_F(ReplyDecoderTest, ReportIsRequestedWhenTheEventCodeTurnsToDone) {
  using namespace tolvex;
  struct Step {
    std::uint16_t event;
    std::int32_t pending_after;  // PendingReport after the answer (cleared before each one)
  };
  const Step discharge[] = {{0x3502, 0x93}, {0x3502, 0}, {0, 0}, {0x3502, 0x93}};
  for (const Step& s : discharge) {
    Cells.PendingReport[1] = 0;
    Decode(Answer{}.Word(17, s.event), 1);
    EXPECT_EQ(Cells.PendingReport[1], s.pending_after) << std::hex << s.event;
  }
  const Step charge[] = {{0x3404, 0x94}, {0x3404, 0}, {0x3001, 0}, {0x3404, 0x94}};
  for (const Step& s : charge) {
    Cells.PendingReport[1] = 0;
    Decode(Answer{}.Word(17, s.event), 1);
    EXPECT_EQ(Cells.PendingReport[1], s.pending_after) << std::hex << s.event;
  }
}

TEST_F(ReplyDecoderTest, UnknownCellOnlyReachesTheWorkstation) {
  using namespace tolvex;
  Answer a;
  a.address = "999zzz";
  a.Word(11, 4).Word(17, 0x3502);
  Decode(a, 1);
  EXPECT_EQ(main_.FramesReceived, 1u);
  const auto s = AsStatus(Datagram());
  EXPECT_EQ(s.ind_num(), "999zzz");
  EXPECT_EQ(s.event_code(), 0x3502u);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(Cells.PSTAT[r], 0);
    EXPECT_EQ(Cells.PendingReport[r], 0);
    EXPECT_EQ(Cells.LastEventCode[r], 0xFFFF);
  }
}

TEST_F(ReplyDecoderTest, PayloadShorterThanTwoIsIgnored) {
  using namespace tolvex;
  Cells.kZAPR[1] = 5;
  Bytes frame = Answer{}.Word(11, 4).Frame();
  const std::uint8_t* header = frame.data() + lamp::kFrameHeaderOffset;
  DecodeStationReply(header, 1, frame.data() + lamp::kFramePayloadOffset, 1);
  DecodeStationReply(header, 0, frame.data() + lamp::kFramePayloadOffset, 1);
  EXPECT_EQ(main_.FramesReceived, 0u);
  EXPECT_EQ(Cells.kZAPR[1], 5);
  EXPECT_TRUE(workstation_.Silent());
  // Two bytes are enough to be counted.
  DecodeStationReply(header, 2, frame.data() + lamp::kFramePayloadOffset, 1);
  EXPECT_EQ(main_.FramesReceived, 1u);
  EXPECT_EQ(Cells.kZAPR[1], 0);
}

// ---- Answers to workstation commands and other frames ----

TEST_F(ReplyDecoderTest, CellCommandReportAnswerGoesToTheWorkstationOnly) {
  using namespace tolvex;
  Cells.PendingReport[1] = 0x93;
  Answer a;
  a.frame_type = 0x79;
  a.command = 0x93;
  for (int n = 5; n <= 41; n += 2) a.Word(n, static_cast<std::uint16_t>(0x1100 + n));
  Decode(a, 1);
  const auto answer = AsStatus(Datagram());
  EXPECT_EQ(answer.id(), lamp::IdCommandAnswer);
  EXPECT_EQ(answer.answer_command(), 0x93u);
  EXPECT_EQ(answer.answer_frame_type(), 0x79u);
  const auto capacity = AsBattery(Datagram());
  EXPECT_EQ(capacity.id(), lamp::IdCapacityData);
  EXPECT_EQ(capacity.ind_num(), "010aaa");
  // Data byte 0 is payload byte 5: the low byte of word 5.
  EXPECT_EQ(capacity.data_u16(0), 0x1105);
  EXPECT_EQ(capacity.data_u16(2), 0x1107);
  EXPECT_EQ(capacity.data_u16(14), 0x1113);
  EXPECT_EQ(capacity.data_u16(16), 0);
  EXPECT_EQ(Cells.PendingReport[1], 0x93);  // a report the poll cycle asked for is still due

  a.command = 0x94;
  Decode(a, 1);
  EXPECT_EQ(AsStatus(Datagram()).answer_command(), 0x94u);
  const auto charge = AsBattery(Datagram());
  EXPECT_EQ(charge.id(), lamp::IdChargeData);
  EXPECT_EQ(charge.data_u16(30), 0x1123);
  EXPECT_EQ(charge.data_u16(32), 0);
}

TEST_F(ReplyDecoderTest, ModeRecordAnswerSendsTheRecordThenTheAnswer) {
  using namespace tolvex;
  sv_.CheckMon.SetChecked(true);
  Answer a;
  a.frame_type = 0x79;
  a.command = 0x9E;
  a.address = "999zzz";
  for (int n = 5; n <= 41; n += 2) a.Word(n, static_cast<std::uint16_t>(n));
  Decode(a, 1);
  const auto record = AsBattery(Datagram());
  EXPECT_EQ(record.id(), lamp::IdModeRecord);
  EXPECT_EQ(record.data_u16(0), 5);
  EXPECT_EQ(record.data_u16(36), 41);
  EXPECT_EQ(record.data_u16(38), 0);  // past the answer's payload
  const auto answer = AsStatus(Datagram());
  EXPECT_EQ(answer.id(), lamp::IdCommandAnswer);
  EXPECT_EQ(answer.answer_command(), 0x9Eu);
  EXPECT_EQ(answer.answer_frame_type(), 0x79u);
  ASSERT_EQ(sv_.ListBox1.Items().Count(), 1);
  EXPECT_EQ(sv_.ListBox1.Items()[0], "k9E iin= -1");
}

TEST_F(ReplyDecoderTest, NumberCommandAnswerCarriesTheSendingStation) {
  using namespace tolvex;
  HostTable[3].StationNumber = 17;
  Answer a;
  a.frame_type = 0x7A;
  a.command = 0x83;
  a.fabnum = 0x8877665544332211;
  a.Word(5, 0x0102).Word(7, 0x0304);
  Decode(a, 3);
  const auto s = AsStatus(Datagram());
  EXPECT_EQ(s.id(), lamp::IdCommandAnswer);
  EXPECT_EQ(s.station_number(), 17u);
  EXPECT_EQ(s.fab_num(), 0x8877665544332211u);
  EXPECT_EQ(s.answer_frame_type(), 0x7Au);
  EXPECT_EQ(s.answer_command(), 0x83u);
  EXPECT_EQ(s.first_version_word(), 0x0102u);
  EXPECT_EQ(s.second_version_word(), 0x0304u);
  HostTable[3].StationNumber = 0;
}

TEST_F(ReplyDecoderTest, OtherFramesOnlyCountAndResetTheRequestCounter) {
  using namespace tolvex;
  Cells.kZAPR[1] = 9;
  Cells.PendingReport[1] = 0x94;
  Answer a;
  a.frame_type = 0xC2;
  a.command = 0xA1;
  a.Word(11, 4);
  Decode(a, 1);
  a.frame_type = 0xC1;
  a.command = 0x95;
  Decode(a, 1);
  EXPECT_EQ(main_.FramesReceived, 2u);
  EXPECT_EQ(Cells.kZAPR[1], 0);
  EXPECT_EQ(Cells.PSTAT[1], 0);
  EXPECT_EQ(Cells.PendingReport[1], 0x94);
  EXPECT_TRUE(workstation_.Silent());
}

TEST_F(ReplyDecoderTest, ReportAnswerOfThePollClearsTheRequestWithoutDatagrams) {
  using namespace tolvex;
  for (std::uint8_t command : {0x93, 0x94}) {
    Cells.PendingReport[1] = command == 0x93 ? 0x94 : 0x93;
    Answer a;
    a.command = command;
    Decode(a, 1);
    EXPECT_EQ(Cells.PendingReport[1], 0) << int{command};
  }
  EXPECT_TRUE(workstation_.Silent());
}

TEST_F(ReplyDecoderTest, DebugLines) {
  using namespace tolvex;
  HostTable[2].StationNumber = 5;
  DebugFlagDM92 = 1;
  DebugFlagEX92K = 1;
  Decode(Answer{}.Word(11, 4).Word(13, 0x1A).Word(15, 0x2B).Word(17, 0x3404), 2);
  Answer report;
  report.frame_type = 0x79;
  report.command = 0xA1;
  report.Word(3, 0x11).Word(5, 0x22).Word(7, 0x33);
  Decode(report, 2);
  ASSERT_EQ(sv_.ListBox1.Items().Count(), 2);
  EXPECT_EQ(sv_.ListBox1.Items()[0], "5  010aaa  DM92  RXP=C1  4  1A  2B sob=3404");
  EXPECT_EQ(sv_.ListBox1.Items()[1], "010aaa  kMD=a1  RXP=79  11  22  33 ");
  HostTable[2].StationNumber = 0;
}

// ---- Through the receive tick ----

TEST_F(ReplyDecoderTest, AnswerOverUdpReachesTheWorkstation) {
  using namespace tolvex;
  UdpPeer station;
  const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
  std::filesystem::path dir = scratch != nullptr ? scratch : "/tmp/reply_decoder_test";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "hostab.txt") << "7 127.0.0.1 " << station.port() << "\n";
  SetHostTablePath((dir / "hostab.txt").string());
  ASSERT_EQ(LoadHostTable(), 0);
  SetStationSocketPort(0);
  ASSERT_EQ(OpenStationSocket(), 0);

  // The server polls the cell; the station answers the request it got.
  std::memcpy(RequestAddress, "010aaa", 7);
  TargetHost = 7;
  PollCellStatus(0xFFFF);
  const auto request_bytes = station.Receive();
  ASSERT_TRUE(request_bytes.has_value());
  stationsim::RequestFrame request;
  ASSERT_EQ(stationsim::ParseRequestFrame(*request_bytes, request), stationsim::RequestParse::kOk);
  std::array<std::uint16_t, 20> words{};
  words[(11 - 3) / 2] = 4;
  words[(17 - 3) / 2] = 0x3404;
  Bytes payload(64);
  payload.resize(stationsim::BuildAnswerPayload(0x92, words, payload));
  Bytes frame(lamp::kFrameBufferSize);
  frame.resize(stationsim::BuildAnswerFrame(stationsim::AnswerHeaderFor(request), payload, frame));
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_addr.s_addr = ::inet_addr("127.0.0.1");
  socklen_t length = sizeof server;
  ::getsockname(StationSocket, reinterpret_cast<sockaddr*>(&server), &length);
  station.SendTo(ntohs(server.sin_port), frame);

  for (int i = 0; i < 100 && main_.FramesReceived == 0; ++i) {
    sv_.Timer1Timer();
    ::usleep(2000);
  }
  EXPECT_EQ(main_.FramesReceived, 1u);
  EXPECT_EQ(Cells.PendingReport[1], 0x94);
  const auto s = AsStatus(Datagram());
  EXPECT_EQ(s.ind_num(), "010aaa");
  EXPECT_EQ(s.event_code(), 0x3404u);
  wsock::closesocket(StationSocket);
  StationSocketState = 0;
}

}  // namespace
