// The lamp card: its command buttons through the pending lamp command (a peer plays the
// server), the battery answers from the decoder, the database re-read through its hooks, the
// parameter list's colours, its columns and closing. The reads against the database are in
// lamp_card_db_test.
#include "workstation/lamp_card.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/cp1251.h"
#include "platform/forms/application.h"
#include "tests/workstation/link_peer.h"
#include "workstation/battery_editor.h"
#include "workstation/command_sender.h"
#include "workstation/connect_window.h"
#include "workstation/database_client.h"
#include "workstation/datagram_decoder.h"
#include "workstation/main_window.h"

namespace {

using namespace lumora;
using link_test::LinkToPeer;
using link_test::ServerPeer;

using link_test::ManualClockFirst;

class LampCardTest : public ::testing::Test {
 protected:
  LampCardTest() {
    card_.ConnectHandlers();
    LampCardReloadFlag = false;
    card_.EditTN.SetText("101abc");
  }
  ~LampCardTest() override {
    BatteryEditorHooks = BatteryEditorLinks{};
    SetLampWaitField(nullptr);
  }

  // One 100 ms tick of the card; the datagram it sent, if any.
  std::optional<lamp::CommandDatagram> Tick() {
    forms::Application().AdvanceTime(100);
    return server_.Next(50);
  }

  void FillBatteryFields(const char* text) {
    for (forms::TEdit* e : BatteryFields()) e->SetText(text);
  }
  std::vector<forms::TEdit*> BatteryFields() {
    return {&card_.EditSMTIME, &card_.EditSMBATT, &card_.EditTIMIZM, &card_.EditDATIZM,
            &card_.EditDAT2,   &card_.EditDAT1,   &card_.EditKK,     &card_.EditCBATX,
            &card_.EditPROC,   &card_.EditCNAK};
  }

  ManualClockFirst clock_;
  ServerPeer server_;
  LinkToPeer link_{server_};
  TMainForm main_;
  TFormSQL connect_;
  TFormBAT editor_;
  TFormSVET card_;
};

TEST_F(LampCardTest, CellButtonsQueueTheirCommandForTheCardsLamp) {
  const struct {
    forms::TBitBtn TFormSVET::*button;
    std::int32_t command;
  } cases[] = {{&TFormSVET::BitBtn1, CmdStart},
               {&TFormSVET::BitBtn2, CmdStop},
               {&TFormSVET::BitBtn8, CmdControlDischarge},
               {&TFormSVET::BitBtn10, CmdReset}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    card_.EditWAIT.SetText("ЗАРЯД");
    card_.EditWAIT.SetColor(forms::clWhite);
    (card_.*c.button).Click();
    EXPECT_EQ(card_.EditWAIT.Color(), kWaitColor);
    EXPECT_EQ(card_.EditWAIT.Text(), "");
    EXPECT_EQ(LampMessageHold, 10);
    const auto sent = Tick();
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->command_code(), static_cast<std::uint32_t>(c.command));
    EXPECT_EQ(sent->target_word(), 201u);
    EXPECT_EQ(sent->ind_num(), "101abc");
    EXPECT_EQ(sent->p1(), 0);
    EXPECT_EQ(sent->p2(), 0);
    EXPECT_EQ(sent->p3(), 0);
    ConfirmLampCommand();
  }
}

TEST_F(LampCardTest, CyclicModeSendsTheCountKeptToAThousand) {
  const struct {
    const char* typed;
    std::int32_t sent;
    const char* shown;
  } cases[] = {{"1500", 1000, "1000"},
               {"1000", 1000, "1000"},
               {"-3", -3, "-3"},
               {"7", 7, "7"},
               {"abc", 0, "0"},
               {"", 0, "0"},
               {"99999999999", 1000, "1000"},
               {"-2147483648", INT32_MIN, "-2147483648"},
               {"-99999999999", INT32_MIN, "-2147483648"}};  // below the range: the value used
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    LampMessageHold = 0;
    card_.RadioMD.SetItemIndex(1);
    card_.EditKC.SetText(c.typed);
    card_.EditCIK.SetText("АВТО");
    card_.BitBtn3.Click();
    EXPECT_EQ(card_.EditKC.Text(), c.shown);
    EXPECT_EQ(card_.EditCIK.Text(), "");
    EXPECT_EQ(card_.EditWAIT.Color(), kWaitColor);
    EXPECT_EQ(LampMessageHold, 0);  // no hold: the state text may come back at once
    const auto sent = Tick();
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->command_code(), static_cast<std::uint32_t>(CmdSetCycleMode));
    EXPECT_EQ(sent->target_word(), 201u);
    EXPECT_EQ(sent->p1(), 1);
    EXPECT_EQ(sent->p2(), c.sent);
    EXPECT_EQ(sent->p3(), 0);
    ConfirmLampCommand();
  }
}

TEST_F(LampCardTest, ModeRecordAndBatteryStateReadsEmptyTheBatteryFields) {
  ShowModeOnLampCard(lamp::ModeDisplayRecord{});
  ASSERT_EQ(card_.ListView1.Items().Count(), 15);
  FillBatteryFields("x");
  card_.EditFIO.SetText("Иванов");
  card_.BitBtn4.Click();
  for (forms::TEdit* e : BatteryFields()) EXPECT_EQ(e->Text(), "") << e->Name();
  EXPECT_EQ(card_.EditFIO.Text(), "Иванов");
  EXPECT_EQ(card_.ListView1.Items().Count(), 0);
  EXPECT_EQ(LampMessageHold, 10);
  EXPECT_EQ(card_.EditWAIT.Color(), kWaitColor);
  auto sent = Tick();
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(sent->command_code(), static_cast<std::uint32_t>(CmdReadModeRecord));
  EXPECT_EQ(sent->target_word(), 0u);
  EXPECT_EQ(sent->p1(), 64);
  ConfirmLampCommand();

  ShowModeOnLampCard(lamp::ModeDisplayRecord{});
  FillBatteryFields("y");
  card_.BitBtn9.Click();
  for (forms::TEdit* e : BatteryFields()) EXPECT_EQ(e->Text(), "") << e->Name();
  EXPECT_EQ(card_.ListView1.Items().Count(), 15);  // the parameters stay
  sent = Tick();
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(sent->command_code(), static_cast<std::uint32_t>(CmdReadDischargeReport));
  EXPECT_EQ(sent->target_word(), 0u);
  EXPECT_EQ(sent->p1(), 0);
}

lamp::BatteryDatagram BatteryAnswer(std::uint32_t id, const char* number) {
  lamp::BatteryDatagram d;
  d.set_id(id);
  d.set_ind_num_text(number);
  return d;
}

void PutDataU16(lamp::BatteryDatagram& d, std::size_t offset, std::uint16_t v) {
  d.data()[offset] = static_cast<std::uint8_t>(v);
  d.data()[offset + 1] = static_cast<std::uint8_t>(v >> 8);
}

TEST_F(LampCardTest, CapacityAnswerShowsAmpereHoursAndPercentThenAsksForTheChargeReport) {
  const struct {
    std::uint16_t current, minutes, nominal;
    const char* capacity;
    const char* percent;
  } cases[] = {{1000, 90, 300, "1.50", "50%"},
               {1000, 90, 0, "1.50", "0%"},
               {0, 0, 200, "0.00", "0%"},
               {65535, 65535, 1, "71580.60", "715806016%"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.capacity);
    LampMessageHold = 0;
    auto d = BatteryAnswer(lamp::IdCapacityData, "999zzz");  // not the card's lamp
    PutDataU16(d, 2, c.current);
    PutDataU16(d, 4, c.minutes);
    PutDataU16(d, 6, c.nominal);
    HandleDatagram(92, d.bytes.data());
    EXPECT_EQ(card_.EditCBATX.Text(), c.capacity);
    EXPECT_EQ(card_.EditPROC.Text(), c.percent);
    EXPECT_EQ(card_.EditWAIT.Color(), kWaitColor);
    EXPECT_EQ(LampMessageHold, 10);
    const auto sent = Tick();
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->command_code(), static_cast<std::uint32_t>(CmdReadChargeReport));
    EXPECT_EQ(sent->ind_num(), "101abc");
    EXPECT_EQ(sent->target_word(), 0u);
    ConfirmLampCommand();
  }
}

TEST_F(LampCardTest, ChargeAnswerShowsTheCountAndTheLastChargeWhenReported) {
  card_.EditCNAK.SetText("keep");
  auto d = BatteryAnswer(lamp::IdChargeData, "101abc");
  PutDataU16(d, 2, 7);
  d.data()[19] = 4;
  PutDataU16(d, 20, 12345);
  HandleDatagram(92, d.bytes.data());
  EXPECT_EQ(card_.EditKK.Text(), "7");
  EXPECT_EQ(card_.EditCNAK.Text(), "keep");

  d.data()[19] = 5;
  PutDataU16(d, 2, 8);
  HandleDatagram(92, d.bytes.data());
  EXPECT_EQ(card_.EditKK.Text(), "8");
  EXPECT_EQ(card_.EditCNAK.Text(), "12.345");
  ShowChargeCount(9, 0);
  EXPECT_EQ(card_.EditCNAK.Text(), "0.000");
  EXPECT_TRUE(server_.Silent());  // no further request
}

TEST_F(LampCardTest, ReReadWithoutDatabaseOpensTheConnectWindowOnly) {
  ASSERT_EQ(DbConnection, nullptr);
  main_.SetBounds(10, 20, 800, 600);
  connect_.Edit3.SetText("Ошибка");
  FillBatteryFields("x");
  card_.BitBtn6.Click();
  for (forms::TEdit* e : BatteryFields()) EXPECT_EQ(e->Text(), "");
  EXPECT_TRUE(LampCardReloadFlag);
  EXPECT_FALSE(connect_.Visible());
  Tick();
  EXPECT_FALSE(LampCardReloadFlag);
  EXPECT_TRUE(connect_.Visible());
  EXPECT_EQ(connect_.Left(), 160);
  EXPECT_EQ(connect_.Top(), 170);
  EXPECT_EQ(connect_.Edit3.Text(), "");
  EXPECT_EQ(card_.ListView1.Items().Count(), 0);
  connect_.Hide();
  Tick();
  EXPECT_FALSE(connect_.Visible());  // one read per request
}

TEST_F(LampCardTest, CyrillicNumberTravelsAsCp1251) {
  card_.EditTN.SetText("01жк");
  card_.BitBtn1.Click();
  const auto sent = Tick();
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(sent->ind_num(), lamp::Utf8ToCp1251("01жк"));
  EXPECT_EQ(LampCardNumber(), lamp::Utf8ToCp1251("01жк"));
}

TEST_F(LampCardTest, BatteryEditorOpensBesideTheCardWithItsNumber) {
  card_.SetBounds(300, 100, 582, 533);
  card_.BitBtn5.Click();
  EXPECT_TRUE(editor_.Visible());
  EXPECT_EQ(editor_.Left(), 380);
  EXPECT_EQ(editor_.Top(), 160);
  EXPECT_EQ(editor_.EditTN.Text(), "101abc");
}

TEST_F(LampCardTest, BatteryEditorReadsTheCardsWorkerFieldsAndShowsRecordsOnIt) {
  card_.EditZST.SetText("3");
  card_.EditUCH.SetText("12");
  card_.EditBR.SetText("");
  std::string station, section, brigade = "x";
  ASSERT_NE(BatteryEditorHooks.ReadLampCardWorker, nullptr);
  BatteryEditorHooks.ReadLampCardWorker(station, section, brigade);
  EXPECT_EQ(station, "3");
  EXPECT_EQ(section, "12");
  EXPECT_EQ(brigade, "");
  ASSERT_NE(BatteryEditorHooks.ShowModeOnLampCard, nullptr);
  lamp::ModeDisplayRecord r;
  r[1] = 4;
  BatteryEditorHooks.ShowModeOnLampCard(r);
  ASSERT_EQ(card_.ListView1.Items().Count(), 15);
  EXPECT_EQ(card_.ListView1.Items()[0]->SubItems()[0], "Доливн");
}

TEST_F(LampCardTest, ColumnsAppearAfterTheFirstSecond) {
  EXPECT_EQ(card_.ListView1.Columns().Count(), 0);
  forms::Application().AdvanceTime(999);
  EXPECT_EQ(card_.ListView1.Columns().Count(), 0);
  forms::Application().AdvanceTime(1);
  ASSERT_EQ(card_.ListView1.Columns().Count(), 5);
  const char* captions[] = {"Параметр", "Знач.", "Ток", "Напр.", "Время"};
  const int widths[] = {150, 50, 50, 50, 50};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(card_.ListView1.Columns()[i]->Caption(), captions[i]);
    EXPECT_EQ(card_.ListView1.Columns()[i]->Width(), widths[i]);
  }
  EXPECT_EQ(card_.ListView1.ViewStyle(), forms::TViewStyle::vsReport);
  EXPECT_TRUE(card_.ListView1.GridLines());
  EXPECT_FALSE(card_.TimerST.Enabled());
  while (server_.Next(10)) {
  }
}

TEST_F(LampCardTest, ParameterListColours) {
  lamp::ModeDisplayRecord r;
  r[1] = 0x0203;  // current control on, battery control on
  ShowModeOnLampCard(r);
  forms::TListView& list = card_.ListView1;
  const forms::TColor white = forms::clWindow;
  const forms::TColor black = forms::clWindowText;
  const struct {
    int row, column;
    forms::TColor brush, font;
  } cases[] = {
      {0, 0, white, black},
      {0, 2, white, kCurrentColumnColor},
      {4, 0, kDischargeRowsColor, black},
      {4, 4, kDischargeRowsColor, black},
      {10, 2, kDischargeRowsColor, kCurrentColumnColor},
      {5, 1, kChargeRowsColor, black},
      {9, 3, kChargeRowsColor, black},
      {11, 0, kTrickleCaptionColor, black},
      {11, 1, kTrickleValuesColor, black},
      {11, 2, kTrickleValuesColor, kCurrentColumnColor},
      {12, 0, white, black},
      {13, 1, white, kSwitchAlarmColor},
      {14, 1, white, kSwitchTextColor},
      {13, 0, white, black},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
    const forms::TCellDraw cell = list.DrawCell(c.row, c.column);
    EXPECT_EQ(cell.brush_color, c.brush);
    EXPECT_EQ(cell.font_color, c.font);
  }
  r[1] = 0x0403;  // current control off, battery control off
  ShowModeOnLampCard(r);
  EXPECT_EQ(list.DrawCell(13, 1).font_color, kSwitchTextColor);
  EXPECT_EQ(list.DrawCell(14, 1).font_color, kSwitchAlarmColor);
}

TEST_F(LampCardTest, ClosingHidesTheCardAndWhitensItsFields) {
  card_.Show();
  card_.EditWAIT.SetColor(kWaitColor);
  card_.EditWAIT.SetText("Нет связи");
  card_.EditKC.SetColor(kWaitColor);
  card_.Close();
  EXPECT_FALSE(card_.Visible());
  EXPECT_EQ(card_.EditWAIT.Color(), forms::clWhite);
  EXPECT_EQ(card_.EditWAIT.Text(), "");
  EXPECT_EQ(card_.EditKC.Color(), forms::clWhite);
}

TEST_F(LampCardTest, CellAnswerEndsTheCommandAndTheHoldRunsDown) {
  card_.BitBtn2.Click();
  ASSERT_TRUE(Tick());
  lamp::StatusDatagram answer;
  answer.set_id(lamp::IdCommandAnswer);
  answer.set_answer_frame_type(0x79);
  answer.set_answer_command(0xA1);
  HandleDatagram(220, answer.bytes.data());
  EXPECT_EQ(card_.EditWAIT.Color(), forms::clWhite);
  EXPECT_EQ(card_.EditWAIT.Text(), "");
  for (int tick = 0; tick < 9; ++tick) EXPECT_FALSE(Tick()) << tick;
  EXPECT_EQ(card_.EditWAIT.Text(), "");  // no "Нет связи"
  ShowLampStateText("ЗАРЯД");
  EXPECT_EQ(card_.EditWAIT.Text(), "");  // the button's hold has one tick left
  Tick();
  ShowLampStateText("ЗАРЯД");
  EXPECT_EQ(card_.EditWAIT.Text(), "ЗАРЯД");
}

TEST_F(LampCardTest, UnansweredCommandEndsInNoLinkOnTheCard) {
  card_.BitBtn1.Click();
  int sends = 0;
  for (int tick = 0; tick < 10; ++tick) {
    if (Tick()) ++sends;
  }
  EXPECT_EQ(sends, 3);
  EXPECT_EQ(card_.EditWAIT.Text(), "Нет связи");
  EXPECT_EQ(card_.EditWAIT.FontColor(), forms::clRed);
}

}  // namespace
