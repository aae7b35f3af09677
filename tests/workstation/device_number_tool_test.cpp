// The device-number tool: the device lines of a find answer, the factory number from its two
// hexadecimal halves, the answer latch, and the renumbering sequence tick by tick with a peer
// playing the server.
#include "workstation/device_number_tool.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "tests/workstation/link_peer.h"
#include "workstation/command_sender.h"
#include "workstation/datagram_decoder.h"

namespace {

using namespace lumora;
using link_test::LinkToPeer;
using link_test::ServerPeer;

using link_test::ManualClockFirst;

lamp::StatusDatagram NumberAnswer(std::uint32_t command) {
  lamp::StatusDatagram d;
  d.set_id(lamp::IdCommandAnswer);
  d.set_answer_frame_type(0x7A);
  d.set_answer_command(command);
  return d;
}

TEST(DeviceInfo, LinesOfAFindAnswer) {
  lamp::StatusDatagram d = NumberAnswer(1);
  d.set_station_number(17);
  d.set_ind_num_text("12ab");
  d.set_fab_num(0x1A2B3C4D00000001ull);
  d.set_first_version_word(0x0302);
  d.set_second_version_word(0x0A01);
  const auto lines = DeviceInfoLines(d.bytes);
  EXPECT_EQ(lines[0], "----");
  EXPECT_EQ(lines[1], "Зар. ст.  17");
  EXPECT_EQ(lines[2], "Ver. 2.3.1.10");
  EXPECT_EQ(lines[3], "Инд.номер 12ab");
  EXPECT_EQ(lines[4], "Зав.номер 1A2B3C4D-00000001");
}

TEST(DeviceInfo, NumberWithoutTerminatorIsCutAtSixAndCyrillicIsShown) {
  lamp::StatusDatagram d = NumberAnswer(1);
  const char raw[] =
      "\xE6\xEA"
      "3456789";  // "жк3456" then more bytes over the terminator
  std::copy(raw, raw + 9, d.bytes.begin() + 4);
  EXPECT_EQ(DeviceInfoLines(d.bytes)[3], "Инд.номер жк3456");
}

TEST(DeviceInfo, FactoryNumberFromItsHexadecimalHalves) {
  const struct {
    const char* high;
    const char* low;
    std::array<std::uint8_t, 8> bytes;
  } cases[] = {
      {"1A2B3C4D", "00000001", {0x01, 0, 0, 0, 0x4D, 0x3C, 0x2B, 0x1A}},
      {"0", "0", {}},
      {"ff", "0x10", {0x10, 0, 0, 0, 0xFF, 0, 0, 0}},
      {"zz", "12", {0x12, 0, 0, 0, 0, 0, 0, 0}},  // no number: 0
      {"", "", {}},
      {"123456789", "1", {1, 0, 0, 0, 0x89, 0x67, 0x45, 0x23}},  // low 32 bits kept
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FactoryNumberFromTexts(c.high, c.low), c.bytes) << c.high << " " << c.low;
  }
}

class DeviceNumberToolTest : public ::testing::Test {
 protected:
  DeviceNumberToolTest() {
    tool_.ConnectHandlers();
    NumberAnswerLatch = kLatchNone;
    RenumberState = kRenumberIdle;
    RenumberTicks = 0;
  }

  void Tick() { forms::Application().AdvanceTime(110); }

  void Answer(std::uint32_t command) {
    lamp::StatusDatagram d = NumberAnswer(command);
    d.set_ind_num_text("12ab");
    HandleDatagram(220, d.bytes.data());
  }

  std::vector<std::string> List() const { return tool_.ListBox1.Items().Items(); }

  ManualClockFirst clock_;
  ServerPeer server_;
  LinkToPeer link_{server_};
  TFormNUM tool_;
};

TEST_F(DeviceNumberToolTest, FindSendsTheNumberFactoryNumberAndKind) {
  tool_.EditTN.SetText("77ab");
  tool_.EditNM1.SetText("1A2B3C4D");
  tool_.EditNM2.SetText("00000001");
  tool_.BitBtn1.Click();
  auto sent = server_.Next();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->command_code(), 257u);
  EXPECT_EQ(sent->target_word(), 201u);
  EXPECT_EQ(sent->ind_num(), "77ab");
  EXPECT_EQ(sent->number_kind(), 1);
  const std::uint8_t expected[8] = {0x01, 0, 0, 0, 0x4D, 0x3C, 0x2B, 0x1A};
  EXPECT_TRUE(std::equal(expected, expected + 8, sent->bytes.begin() + 12));

  tool_.RadioFN.Click();
  EXPECT_FALSE(tool_.RadioTN.Checked());
  tool_.BitBtn1.Click();
  sent = server_.Next();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->number_kind(), 2);
}

TEST_F(DeviceNumberToolTest, ShowNumberSendsSecondsToEveryDeviceAndKeepsTheFactoryNumber) {
  tool_.EditNM1.SetText("AABBCCDD");
  tool_.BitBtn1.Click();
  ASSERT_TRUE(server_.Next());
  tool_.EditTIM.SetText("35");
  tool_.BitBtn6.Click();
  const auto sent = server_.Next();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->command_code(), 258u);
  EXPECT_EQ(sent->target_word(), 201u);
  EXPECT_EQ(sent->number_kind(), 11);
  EXPECT_EQ(sent->p1(), 2);
  EXPECT_EQ(sent->p2(), 35);
  EXPECT_EQ(sent->p3(), 0);
  EXPECT_EQ(sent->ind_num(), "");
  EXPECT_EQ(sent->fab_num(), 0xAABBCCDD00000000ull);
}

TEST_F(DeviceNumberToolTest, AnswersFillTheListAndTheLatch) {
  Answer(1);
  EXPECT_EQ(List().size(), 5u);
  EXPECT_EQ(NumberAnswerLatch, kLatchFindAnswer);
  const struct {
    std::uint32_t command;
    std::int32_t latch;
  } cases[] = {{0x9C, kLatchWriteAnswer},
               {0x83, kLatchInitAnswer},
               {2, kLatchInitAnswer},
               {0x55, kLatchInitAnswer}};
  for (const auto& c : cases) {
    Answer(c.command);
    EXPECT_EQ(NumberAnswerLatch, c.latch) << c.command;
  }
  EXPECT_EQ(List().size(), 5u);  // only the find answer lists the device

  // Past ten lines the last one is selected.
  EXPECT_EQ(tool_.ListBox1.ItemIndex(), -1);
  Answer(1);
  Answer(1);
  EXPECT_EQ(tool_.ListBox1.ItemIndex(), 14);
  tool_.BitBtn5.Click();
  EXPECT_TRUE(List().empty());
  Answer(1);
  tool_.ListBox1.DoubleClickItem(0);
  EXPECT_TRUE(List().empty());
}

TEST_F(DeviceNumberToolTest, RenumberingWithPromptAnswersEndsInTheFifthTick) {
  tool_.EditOLDN.SetText("12ab");
  tool_.EditNEWN.SetText("99zz");
  tool_.EditN1.SetText("1A2B3C4D");
  tool_.EditN2.SetText("00000001");
  tool_.RadioFNS.Click();
  tool_.BitBtn4.Click();
  EXPECT_TRUE(server_.Silent());  // nothing before the tick

  Tick();  // 1: start and find by the old number
  auto sent = server_.Next();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->command_code(), 257u);
  EXPECT_EQ(sent->ind_num(), "12ab");
  EXPECT_EQ(sent->number_kind(), 2);
  EXPECT_EQ(sent->fab_num(), 0x1A2B3C4D00000001ull);
  EXPECT_EQ(RenumberState, kRenumberWaitFind);
  Answer(1);

  Tick();  // 2: write the new number
  sent = server_.Next();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->command_code(), static_cast<std::uint32_t>(CmdWriteNumber));
  EXPECT_EQ(sent->p1(), 208);
  EXPECT_EQ(sent->p2(), 8);
  EXPECT_EQ(sent->target_word(), 122u);
  EXPECT_EQ(sent->number_kind(), 2);
  EXPECT_EQ(sent->ind_num(), "12ab");
  const std::uint32_t values[8] = {'9', '9', 'z', 'z', 0, 0, 0, 0};
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(sent->value(i), i < 8 ? values[i] : 0u) << i;
  }
  Answer(0x9C);

  Tick();  // 3: initialise
  sent = server_.Next();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->command_code(), static_cast<std::uint32_t>(CmdInitDevice));
  EXPECT_EQ(sent->p1(), 1);
  EXPECT_EQ(sent->p2(), 8);
  EXPECT_EQ(sent->target_word(), 122u);
  Answer(0x83);

  Tick();  // 4: find by the new number, by individual number
  sent = server_.Next();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->command_code(), 257u);
  EXPECT_EQ(sent->ind_num(), "99zz");
  EXPECT_EQ(sent->number_kind(), 1);
  EXPECT_EQ(sent->fab_num(), 0x1A2B3C4D00000001ull);
  Answer(1);

  Tick();  // 5
  EXPECT_EQ(RenumberState, kRenumberIdle);
  ASSERT_EQ(List().size(), 11u);
  EXPECT_EQ(List()[3], "Инд.номер 12ab");
  EXPECT_EQ(List().back(), "Выполнено");
  EXPECT_EQ(tool_.ListBox1.ItemIndex(), 10);
  EXPECT_TRUE(server_.Silent());
}

TEST_F(DeviceNumberToolTest, NoFindAnswerGivesNoAnswerAtTheSixthTickAfterTheRequest) {
  tool_.BitBtn4.Click();
  Tick();
  ASSERT_TRUE(server_.Next());
  for (int tick = 1; tick <= 5; ++tick) {
    Tick();
    EXPECT_EQ(RenumberState, kRenumberWaitFind) << tick;
  }
  EXPECT_TRUE(List().empty());
  Tick();
  EXPECT_EQ(RenumberState, kRenumberIdle);
  EXPECT_EQ(List(), (std::vector<std::string>{"Нет ответа"}));
  EXPECT_TRUE(server_.Silent());  // nothing is retried
}

TEST_F(DeviceNumberToolTest, LateFindAnswerStillSendsTheWriteThenEndsWithNoAnswer) {
  tool_.BitBtn4.Click();
  Tick();
  ASSERT_TRUE(server_.Next());
  for (int tick = 1; tick <= 5; ++tick) Tick();
  Answer(1);  // just before the sixth tick
  Tick();
  const auto sent = server_.Next();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->command_code(), static_cast<std::uint32_t>(CmdWriteNumber));
  EXPECT_EQ(RenumberState, kRenumberIdle);
  EXPECT_EQ(List().back(), "Нет ответа");
}

TEST_F(DeviceNumberToolTest, WriteWindowCountsFromTheFindRequest) {
  tool_.BitBtn4.Click();
  Tick();
  ASSERT_TRUE(server_.Next());
  Tick();
  Tick();
  Answer(1);
  Tick();  // third tick after the find: the write goes out
  ASSERT_TRUE(server_.Next());
  EXPECT_EQ(RenumberState, kRenumberWaitWrite);
  Tick();
  Tick();
  EXPECT_EQ(RenumberState, kRenumberWaitWrite);
  Tick();  // sixth tick after the find request
  EXPECT_EQ(RenumberState, kRenumberIdle);
  EXPECT_EQ(List().back(), "Нет ответа");
}

TEST_F(DeviceNumberToolTest, CheckStepWaitsForAnyLaterFindAnswer) {
  tool_.BitBtn4.Click();
  Tick();
  Answer(1);
  Tick();
  Answer(0x9C);
  Tick();
  Answer(0x83);
  Tick();
  for (int tick = 0; tick < 20; ++tick) Tick();
  EXPECT_EQ(RenumberState, kRenumberWaitCheck);
  Answer(1);
  Tick();
  EXPECT_EQ(RenumberState, kRenumberIdle);
  EXPECT_EQ(List().back(), "Выполнено");
}

TEST_F(DeviceNumberToolTest, AnswerBetweenThePressAndTheTickReplacesTheStart) {
  tool_.BitBtn4.Click();
  Answer(2);  // command 2 leaves the latch
  Tick();
  EXPECT_EQ(RenumberState, kRenumberWaitFind);
  RenumberState = kRenumberIdle;
  while (server_.Next(20)) {
  }
  tool_.BitBtn4.Click();
  Answer(0x9C);
  Tick();
  EXPECT_EQ(RenumberState, kRenumberIdle);
  EXPECT_TRUE(server_.Silent());
}

TEST_F(DeviceNumberToolTest, LongNumbersAreCutToTheirBuffers) {
  tool_.EditOLDN.SetText("abcdefghijklmnopqrst");
  tool_.EditNEWN.SetText("ЖЖЖЖЖЖЖЖЖЖ");
  tool_.BitBtn4.Click();
  Tick();
  EXPECT_EQ(std::string(RenumberOldNumber.data()), "abcdefghijklmno");
  EXPECT_EQ(RenumberNewNumber[6], '\xC6');
  EXPECT_EQ(RenumberNewNumber[7], '\0');
  for (int i = 0; i < 7; ++i) EXPECT_EQ(RenumberNewValues[i], -58) << i;  // 0xC6 sign-extended
  EXPECT_EQ(RenumberNewValues[7], 0);
  const auto sent = server_.Next();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->ind_num(), "abcdef");
}

}  // namespace
