// The command builders over loopback UDP (a peer plays the server) and the lamp card's
// pending command in ticks.
#include "workstation/command_sender.h"

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "tests/workstation/link_peer.h"
#include "workstation/receive_socket.h"

namespace {

using namespace lumora;
using link_test::Bytes;
using link_test::U32;

class CommandSenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    forms::Application().UseManualClock();
    SetLampWaitField(&card_.edit_wait);
  }

  void TearDown() override { SetLampWaitField(nullptr); }

  Bytes Sent() {
    auto d = server_.Receive();
    EXPECT_TRUE(d.has_value());
    if (!d) return Bytes(kCommandDatagramSize, 0);
    EXPECT_EQ(d->size(), static_cast<std::size_t>(kCommandDatagramSize));
    return *d;
  }

  // Runs one lamp card tick; true when it sent a datagram.
  bool Tick() {
    RunLampCommandTick();
    return !server_.Silent(20);
  }

  struct Card : forms::TForm {
    Card() : forms::TForm("Card") {}
    forms::TEdit edit_wait{this, "EditWAIT"};
  };

  link_test::UdpPeer server_;
  link_test::LinkToPeer link_{server_};
  Card card_;
};

std::uint64_t FabNumOf(const Bytes& d) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | d[12 + i];
  return v;
}

TEST_F(CommandSenderTest, SendCommandParamsWritesItsFields) {
  SendCommandParams(CmdSetCycleMode, kTargetCell, "010aaa", 1, 500, 0);
  const Bytes d = Sent();
  EXPECT_EQ(U32(d, 0), 0xA5B7u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&d[4]), 6), "010aaa");
  EXPECT_EQ(d[10], 0);
  EXPECT_EQ(U32(d, 20), 1u);
  EXPECT_EQ(U32(d, 28), 163u);
  EXPECT_EQ(U32(d, 32), 1u);
  EXPECT_EQ(U32(d, 36), 500u);
  EXPECT_EQ(U32(d, 40), 0u);
  EXPECT_EQ(U32(d, 196), 201u);
  EXPECT_EQ(FabNumOf(d), 0u);
}

TEST_F(CommandSenderTest, AShortNumberIsZeroPaddedAndTerminated) {
  CommandBuffer.set_ind_num_text("999999");
  SendCommandParams(CmdStart, kTargetCell, "12ab", 0, 0, 0);
  const Bytes d = Sent();
  const std::array<std::uint8_t, 7> expected = {'1', '2', 'a', 'b', 0, 0, 0};
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), d.begin() + 4));
}

TEST_F(CommandSenderTest, KeepAliveAfterANumberCommandRepeatsFabNumP2AndP3) {
  const std::uint8_t fab[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
  SendCommandByNumber(CmdFindDevice, kTargetCell, "010aaa", fab, AddressByFabNum, 5, 6, 7);
  const Bytes first = Sent();
  EXPECT_EQ(FabNumOf(first), 0x8877665544332211u);
  EXPECT_EQ(U32(first, 20), 2u);
  SendCommand(CmdKeepAlive, kTargetNone, "");
  const Bytes d = Sent();
  const std::array<std::uint8_t, 7> empty{};
  EXPECT_TRUE(std::equal(empty.begin(), empty.end(), d.begin() + 4));
  EXPECT_EQ(U32(d, 20), 1u);  // kind 1 again
  EXPECT_EQ(U32(d, 28), 0u);
  EXPECT_EQ(U32(d, 32), 0u);
  EXPECT_EQ(U32(d, 36), 6u);  // as left
  EXPECT_EQ(U32(d, 40), 7u);
  EXPECT_EQ(U32(d, 196), 0u);
  EXPECT_EQ(FabNumOf(d), 0x8877665544332211u);
}

TEST_F(CommandSenderTest, SendModeRecordWritesValuesAndTheirCopy) {
  std::int32_t values[24];
  for (int i = 0; i < 24; ++i) values[i] = 100 + i;
  // Values 24..31 are left from an earlier datagram.
  CommandBuffer.set_value(24, 0xDEAD);
  SendModeRecord(CmdWriteModeRecord, 0, "010aaa", values, kTargetNone);
  const Bytes d = Sent();
  EXPECT_EQ(U32(d, 28), 0xB09Fu);
  EXPECT_EQ(U32(d, 32), 0u);
  EXPECT_EQ(U32(d, 36), 100u);
  EXPECT_EQ(U32(d, 40), 101u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(U32(d, 44 + 4 * i), 102u + i) << i;
  for (int i = 0; i < 24; ++i) EXPECT_EQ(U32(d, 68 + 4 * i), 100u + i) << i;
  EXPECT_EQ(U32(d, 68 + 4 * 24), 0xDEADu);
  EXPECT_EQ(U32(d, 196), 0u);
}

TEST_F(CommandSenderTest, SendCommandValuesCountsClearsAndCapsItsValues) {
  for (std::size_t i = 0; i < 32; ++i) CommandBuffer.set_value(i, 0xEE);
  CommandBuffer.set_p3(77);
  const std::uint8_t fab[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::int32_t number[8] = {'0', '2', '0', 'b', 'b', 'b', 0, 0};
  SendCommandValues(CmdWriteNumber, 208, "010aaa", fab, 1, number, 8, kTargetDevice);
  Bytes d = Sent();
  EXPECT_EQ(U32(d, 28), 0xA09Cu);
  EXPECT_EQ(U32(d, 32), 208u);
  EXPECT_EQ(U32(d, 36), 8u);
  EXPECT_EQ(U32(d, 40), 77u);  // P3 as left
  EXPECT_EQ(U32(d, 68), static_cast<std::uint32_t>('0'));
  for (int i = 8; i < 16; ++i) EXPECT_EQ(U32(d, 68 + 4 * i), 0u) << i;
  for (int i = 16; i < 32; ++i) EXPECT_EQ(U32(d, 68 + 4 * i), 0xEEu) << i;
  EXPECT_EQ(U32(d, 196), 122u);

  std::int32_t many[40];
  for (int i = 0; i < 40; ++i) many[i] = i + 1;
  SendCommandValues(CmdInitDevice, 1, "010aaa", fab, 1, many, 40, kTargetDevice);
  d = Sent();
  EXPECT_EQ(U32(d, 36), 32u);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(U32(d, 68 + 4 * i), static_cast<std::uint32_t>(i + 1));
}

// Every builder writes only its own fields: over a buffer of 0xAB bytes, each byte outside
// them goes out as 0xAB, the reserved bytes 11, 24..27 and 200..203 included.
TEST_F(CommandSenderTest, EveryBuilderLeavesTheFieldsItDoesNotWrite) {
  struct Range {
    std::size_t first, end;
  };
  // Magic, number and terminator, number kind, command, target word.
  const std::vector<Range> common = {{0, 11}, {20, 24}, {28, 32}, {196, 200}};
  const std::uint8_t fab[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::int32_t values[24] = {};
  struct Case {
    const char* builder;
    std::function<void()> send;
    std::vector<Range> own;
  };
  const Case cases[] = {
      {"SendCommand", [] { SendCommand(CmdKeepAlive, kTargetNone, ""); }, {{32, 36}}},
      {"SendCommandParams",
       [] { SendCommandParams(CmdStart, kTargetCell, "010aaa", 1, 2, 3); },
       {{32, 44}}},
      {"SendCommandByNumber",
       [&] { SendCommandByNumber(CmdFindDevice, kTargetCell, "010aaa", fab, 2, 1, 2, 3); },
       {{12, 20}, {32, 44}}},
      {"SendModeRecord",
       [&] { SendModeRecord(CmdWriteModeRecord, 0, "010aaa", values, kTargetNone); },
       {{32, 164}}},
      {"SendCommandValues",
       [&] { SendCommandValues(CmdWriteNumber, 208, "010aaa", fab, 1, values, 3, kTargetDevice); },
       {{12, 20}, {32, 40}, {68, 68 + 4 * 16}}},
  };
  for (const Case& c : cases) {
    CommandBuffer.bytes.fill(0xAB);
    c.send();
    const Bytes d = Sent();
    std::vector<bool> written(d.size(), false);
    for (const std::vector<Range>* ranges : {&common, &c.own}) {
      for (const Range& r : *ranges) {
        for (std::size_t i = r.first; i < r.end; ++i) written[i] = true;
      }
    }
    for (std::size_t i = 0; i < d.size(); ++i) {
      if (!written[i]) {
        EXPECT_EQ(d[i], 0xAB) << c.builder << " wrote byte " << i;
      }
    }
  }
}

TEST_F(CommandSenderTest, SendCommandValuesSignExtendsNegativeBytes) {
  const std::uint8_t fab[8] = {};
  const std::int32_t values[1] = {static_cast<signed char>(0xC1)};
  SendCommandValues(CmdWriteNumber, 208, "010aaa", fab, 1, values, 1, kTargetDevice);
  EXPECT_EQ(U32(Sent(), 68), 0xFFFFFFC1u);
}

TEST_F(CommandSenderTest, UnansweredCommandIsSentThreeTimesThenReportsNoLink) {
  QueueLampCommand(CmdStart, kTargetCell, "010aaa", 0, 0, 0);
  std::vector<int> sends;
  int failed_at = -1;
  for (int tick = 0; tick < 12; ++tick) {
    if (Tick()) sends.push_back(tick);
    if (failed_at < 0 && card_.edit_wait.Text() == "Нет связи") failed_at = tick;
  }
  EXPECT_EQ(sends, (std::vector<int>{0, 3, 6}));
  EXPECT_EQ(failed_at, 9);
  EXPECT_EQ(card_.edit_wait.FontColor(), forms::clRed);
  // 40 ticks of hold counting the failure's own tick: 39 left after tick 9, 37 after 11.
  EXPECT_EQ(LampMessageHold, 37);
  ShowLampStateText("ЗАРЯД");
  EXPECT_EQ(card_.edit_wait.Text(), "Нет связи");
  for (int tick = 12; tick < 49; ++tick) RunLampCommandTick();
  EXPECT_EQ(LampMessageHold, 0);
  ShowLampStateText("ЗАРЯД");
  EXPECT_EQ(card_.edit_wait.Text(), "ЗАРЯД");
  EXPECT_EQ(card_.edit_wait.FontColor(), forms::clBlue);
}

TEST_F(CommandSenderTest, EachSendCarriesThePendingFields) {
  QueueLampCommand(CmdSetCycleMode, kTargetCell, "010aaa-long", 2, 1000, 0);
  EXPECT_STREQ(PendingCommand.number.data(), "010aaa-long");
  RunLampCommandTick();
  const Bytes d = Sent();
  EXPECT_EQ(U32(d, 28), 163u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&d[4]), 6), "010aaa");
  EXPECT_EQ(U32(d, 32), 2u);
  EXPECT_EQ(U32(d, 36), 1000u);
  EXPECT_EQ(U32(d, 196), 201u);
}

TEST_F(CommandSenderTest, ConfirmationStopsTheSendsAndEmptiesTheWaitField) {
  QueueLampCommand(CmdStop, kTargetCell, "010aaa", 0, 0, 0);
  LampMessageHold = 10;
  card_.edit_wait.SetColor(0x00FFFF);
  EXPECT_TRUE(Tick());
  EXPECT_FALSE(Tick());
  ConfirmLampCommand();
  EXPECT_EQ(card_.edit_wait.Color(), forms::clWhite);
  EXPECT_EQ(card_.edit_wait.Text(), "");
  EXPECT_EQ(LampMessageHold, 10);  // the hold runs on
  for (int tick = 2; tick < 12; ++tick) EXPECT_FALSE(Tick()) << tick;
  EXPECT_EQ(card_.edit_wait.Text(), "");
  EXPECT_EQ(LampMessageHold, 0);
}

TEST_F(CommandSenderTest, ANewCommandInTheWindowReplacesTheOldAtItsEnd) {
  QueueLampCommand(CmdStop, kTargetCell, "010aaa", 0, 0, 0);
  EXPECT_TRUE(Tick());   // tick 0: wait 3 after the tick
  EXPECT_FALSE(Tick());  // tick 1: wait 2
  QueueLampCommand(CmdReset, kTargetCell, "020bbb", 0, 0, 0);
  EXPECT_FALSE(Tick());  // tick 2: wait 1
  RunLampCommandTick();  // tick 3: wait is 1, the new command goes
  const Bytes d = Sent();
  EXPECT_EQ(U32(d, 28), 30u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&d[4]), 6), "020bbb");
  EXPECT_EQ(LampCommandTries, 2);
  EXPECT_NE(card_.edit_wait.Text(), "Нет связи");
}

TEST_F(CommandSenderTest, StateTextWaitsForTheHold) {
  LampMessageHold = 1;
  card_.edit_wait.SetText("");
  ShowLampStateText("ГОТОВ");
  EXPECT_EQ(card_.edit_wait.Text(), "");
  RunLampCommandTick();
  ShowLampStateText("ГОТОВ");
  EXPECT_EQ(card_.edit_wait.Text(), "ГОТОВ");
}

TEST_F(CommandSenderTest, SendsWithoutABoundSocketAreLostQuietly) {
  wsock::closesocket(ReceiveSocket);
  ReceiveSocket = wsock::INVALID_SOCKET;
  ReceiveSocketState = kSocketNotBound;
  SendCommandParams(CmdStart, kTargetCell, "010aaa", 0, 0, 0);
  EXPECT_TRUE(server_.Silent());
}

}  // namespace
