// The decoder of the server's datagrams: cell states into the cell table and the live events
// list, pings answered over loopback, command answers and battery data handed on, and the
// traffic lines by category.
#include "workstation/datagram_decoder.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/mode_record.h"
#include "platform/forms/application.h"
#include "tests/workstation/cell_table_fixture.h"
#include "tests/workstation/link_peer.h"
#include "workstation/battery_editor.h"
#include "workstation/cell_table.h"
#include "workstation/command_sender.h"
#include "workstation/device_number_tool.h"
#include "workstation/lamp_card.h"
#include "workstation/live_events_window.h"
#include "workstation/measurement_log.h"
#include "workstation/receive_socket.h"
#include "workstation/traffic_window.h"

namespace {

using namespace lumora;
using link_test::Bytes;
using link_test::U32;

lamp::StatusDatagram Status(std::uint32_t id, const char* number) {
  lamp::StatusDatagram d;
  d.set_id(id);
  d.set_ind_num_text(number);
  return d;
}

lamp::StatusDatagram Answer(std::uint32_t frame_type, std::uint32_t command) {
  lamp::StatusDatagram d = Status(IdCommandAnswer, "010aaa");
  d.set_answer_frame_type(frame_type);
  d.set_answer_command(command);
  return d;
}

template <typename Datagram>
void Handle(const Datagram& d) {
  HandleDatagram(static_cast<std::int32_t>(d.bytes.size()), d.bytes.data());
}

class DatagramDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cell_table_test::StartTablesWithWorkers({{"001aaa", 1}, {"010aaa", 2}});
    LastAnswerCommand = 0;
    NumberAnswerLatch = kLatchNone;
    ModeReadWindow = 0;
    ModeFormRecord = lamp::ModeDisplayRecord{};
    events_.Timer1Timer();  // builds the columns
    SetLampWaitField(&card_.EditWAIT);
    card_.EditTN.SetText("010aaa");
  }

  void TearDown() override { SetLampWaitField(nullptr); }

  std::vector<std::string> TrafficLines() const { return traffic_.ListBox1.Items().Items(); }

  link_test::ManualClockFirst clock_;
  TFormSV traffic_;
  TForm1 events_;
  TFormSVET card_;
  TFormNUM number_tool_;
  TFormLOG measurement_log_;
  TFormBAT battery_editor_;
  link_test::UdpPeer server_;
  link_test::LinkToPeer link_{server_};
};

TEST_F(DatagramDecoderTest, CellStatusFillsEveryColumnOfItsSlot) {
  lamp::StatusDatagram d = Status(IdCellStatus, "010aaa");
  d.set_state(4);
  d.set_mode_error_bits(0x10);
  d.set_fault_bits(0x20);
  d.set_voltage(4100);
  d.set_current(750);
  d.set_minutes(95);
  d.set_cycle_mode(2);
  d.set_first_counter(3);
  d.set_second_counter(321);
  d.set_upw(12000);
  d.set_uzr(6000);
  d.set_u5v(5010);
  d.set_gr(-7);
  CellTable.link_age[1] = 55;
  CellTable.datagram_count[1] = 4;
  Handle(d);
  EXPECT_EQ(CellTable.state[1], 4u);
  EXPECT_EQ(CellTable.mode_error_bits[1], 0x10u);
  EXPECT_EQ(CellTable.fault_bits[1], 0x20u);
  EXPECT_EQ(CellTable.voltage[1], 4100);
  EXPECT_EQ(CellTable.current[1], 750);
  EXPECT_EQ(CellTable.charge_time[1], 95);
  EXPECT_EQ(CellTable.cycle_mode[1], 2);
  EXPECT_EQ(CellTable.first_counter[1], 3);
  EXPECT_EQ(CellTable.second_counter[1], 321);
  EXPECT_EQ(CellTable.Pow[1], 12000);
  EXPECT_EQ(CellTable.uCH[1], 6000);
  EXPECT_EQ(CellTable.u5V[1], 5010);
  EXPECT_EQ(CellTable.fourth_supply[1], -7);
  EXPECT_EQ(CellTable.link_age[1], 0);
  EXPECT_EQ(CellTable.datagram_count[1], 5);
  EXPECT_EQ(CellTable.state[0], kStateNeverReported);
  EXPECT_EQ(events_.LV1.Items().Count(), 0);  // event code 0: no row
}

TEST_F(DatagramDecoderTest, CellStatusWithAnEventAddsARowOnTop) {
  lamp::StatusDatagram d = Status(IdCellStatus, "001aaa");
  d.set_event_code(0x3004);
  Handle(d);
  d = Status(IdCellStatus, "010aaa");
  d.set_event_code(0x1040);
  d.set_fault_bits(0x8000);
  Handle(d);
  ASSERT_EQ(events_.LV1.Items().Count(), 2);
  const forms::TListItem& top = *events_.LV1.Items()[0];
  EXPECT_EQ(top.Caption(), "010aaa");
  EXPECT_EQ(top.SubItems().Get(1), "1040");
  EXPECT_EQ(top.SubItems().Get(2), "ПОТЕРЯ СВЯЗИ");
  EXPECT_EQ(top.SubItems().Get(3), "8000");
  EXPECT_EQ(top.SubItems().Get(4), "НЕТ  ОТВЕТА");
  EXPECT_EQ(events_.LV1.Items()[1]->Caption(), "001aaa");
}

TEST_F(DatagramDecoderTest, ACyrillicNumberIsMatchedAsBytesAndShownAsText) {
  // "абв001" as WORKER and the datagrams carry it, in cp1251.
  StoreWorkerRow(2,
                 "\xE0\xE1\xE2"
                 "001",
                 3);
  traffic_.Check2.SetChecked(true);
  lamp::StatusDatagram d = Status(IdCellStatus,
                                  "\xE0\xE1\xE2"
                                  "001");
  d.set_event_code(0x3004);
  Handle(d);
  EXPECT_EQ(CellTable.datagram_count[2], 1);
  ASSERT_EQ(events_.LV1.Items().Count(), 1);
  EXPECT_EQ(events_.LV1.Items()[0]->Caption(), "абв001");
  EXPECT_EQ(TrafficLines(), (std::vector<std::string>{"id= A5B6  inum=абв001 k92 "}));
}

TEST_F(DatagramDecoderTest, AKnownLampsStateReachesTheMeasurementLog) {
  measurement_log_.Check1.SetChecked(true);
  measurement_log_.Edit1.SetText("010aaa");
  lamp::StatusDatagram d = Status(IdCellStatus, "010aaa");
  d.set_state(4);
  d.set_voltage(4100);
  Handle(d);
  ASSERT_EQ(measurement_log_.ListBoxL1.Items().Count(), 1);
  EXPECT_EQ(measurement_log_.ListBoxL1.Items()[0].rfind("010aaa", 0), 0u);
  EXPECT_EQ(MeasurementLogs[0].last_voltage, 4100);
}

TEST_F(DatagramDecoderTest, UnknownNumberChangesNothingButIsListed) {
  measurement_log_.Check1.SetChecked(true);
  measurement_log_.Edit1.SetText("777zzz");
  traffic_.Check2.SetChecked(true);
  lamp::StatusDatagram d = Status(IdCellStatus, "777zzz");
  d.set_state(4);
  d.set_event_code(0x3004);
  Handle(d);
  for (std::int32_t slot = 0; slot < 2; ++slot) {
    EXPECT_EQ(CellTable.state[slot], kStateNeverReported);
    EXPECT_EQ(CellTable.datagram_count[slot], 0);
  }
  EXPECT_EQ(events_.LV1.Items().Count(), 0);
  EXPECT_EQ(measurement_log_.ListBoxL1.Items().Count(), 0);
  EXPECT_EQ(TrafficLines(), (std::vector<std::string>{"id= A5B6  inum=777zzz k92 "}));
}

TEST_F(DatagramDecoderTest, ANumberOnlyInSlotsPastTheLoadedOnesBooksNothing) {
  // The slots past the two loaded lamps are empty, and slot 5 holds a number of its own.
  ASSERT_TRUE(StoreWorkerRow(5, "999zzz", 3));
  WorkerList.count = 2;
  for (const char* number : {"", "999zzz"}) {
    SetCellTableStartValues();
    lamp::StatusDatagram d = Status(IdCellStatus, number);
    d.set_state(4);
    d.set_event_code(0x3004);
    Handle(d);
    const auto& counts = CellTable.datagram_count;
    EXPECT_EQ(std::count(counts.begin(), counts.end(), 0), kSlotCount) << '"' << number << '"';
    const auto& states = CellTable.state;
    EXPECT_EQ(std::count(states.begin(), states.end(), kStateNeverReported), kSlotCount)
        << '"' << number << '"';
    EXPECT_EQ(events_.LV1.Items().Count(), 0) << '"' << number << '"';
  }
}

TEST_F(DatagramDecoderTest, CommandAnswersConfirmHandOnAndSetTheLastCommand) {
  struct Case {
    std::uint32_t frame_type, command;
    bool confirms;
    std::int32_t last_answer;  // 0: not set
    std::int32_t latch;
    int device_lines;
  };
  const Case cases[] = {
      {0x79, 0xA1, true, 0xA1, kLatchNone, 0},
      {0x79, 0xA0, true, 0xA0, kLatchNone, 0},
      {0x79, 0xA3, true, 0xA3, kLatchNone, 0},
      {0x79, 0xA6, false, 0xA6, kLatchNone, 0},
      {0x79, 0x9F, false, 0x9F, kLatchNone, 0},
      {0x179, 0xA1, true, 0xA1, kLatchNone, 0},  // only the low byte of the type counts
      {0x7A, 0x9C, false, 0x9C, kLatchWriteAnswer, 0},
      {0x7A, 1, false, 1, kLatchFindAnswer, 5},
      {0x7B, 0xA1, false, 0, kLatchNone, 0},
  };
  for (const Case& c : cases) {
    LampCommandTries = 2;
    LampCommandWait = 3;
    LastAnswerCommand = 0;
    NumberAnswerLatch = kLatchNone;
    number_tool_.ListBox1.Items().Clear();
    Handle(Answer(c.frame_type, c.command));
    const std::string label = std::to_string(c.frame_type) + "/" + std::to_string(c.command);
    EXPECT_EQ(LampCommandTries == 0 && LampCommandWait == 0, c.confirms) << label;
    EXPECT_EQ(LastAnswerCommand, c.last_answer) << label;
    EXPECT_EQ(NumberAnswerLatch, c.latch) << label;
    EXPECT_EQ(number_tool_.ListBox1.Items().Count(), c.device_lines) << label;
  }
}

TEST_F(DatagramDecoderTest, EveryPingIsAnsweredByOneKeepAlive) {
  CommandBuffer.set_p2(9);
  for (int i = 0; i < 3; ++i) Handle(Status(IdPing, "TOLVEX"));
  for (int i = 0; i < 3; ++i) {
    const auto d = server_.Receive();
    ASSERT_TRUE(d.has_value()) << i;
    ASSERT_EQ(d->size(), 204u);
    EXPECT_EQ(U32(*d, 0), 0xA5B7u);
    EXPECT_EQ(U32(*d, 28), 0u);
    EXPECT_EQ(U32(*d, 20), 1u);
    EXPECT_EQ(U32(*d, 36), 9u);
    for (int b = 4; b <= 10; ++b) EXPECT_EQ((*d)[b], 0) << b;
  }
  EXPECT_TRUE(server_.Silent());
}

TEST_F(DatagramDecoderTest, CapacityDataConfirmsWhateverIsPendingAndShowsItsWords) {
  traffic_.Check4.SetChecked(true);
  LampCommandTries = 1;
  LampCommandWait = 2;
  card_.EditWAIT.SetColor(forms::clYellow);
  lamp::BatteryDatagram d;
  d.set_id(IdCapacityData);
  d.set_ind_num_text("010aaa");
  lamp::WriteU16(d.data(), 2, 1500);
  lamp::WriteU16(d.data(), 4, 480);
  lamp::WriteU16(d.data(), 6, 65000);
  card_.EditWAIT.SetText("old");
  Handle(d);
  // The pending command is confirmed, then the card asks for the charge report.
  EXPECT_EQ(LampCommandWait, 0);
  EXPECT_EQ(PendingCommand.command, CmdReadChargeReport);
  EXPECT_EQ(LampCommandTries, 3);
  EXPECT_EQ(card_.EditCBATX.Text(), "12.00");  // 1500 mA for 480 min
  EXPECT_EQ(card_.EditPROC.Text(), "1%");
  EXPECT_EQ(TrafficLines(), (std::vector<std::string>{"nn= 92 010aaa Cx BATT "}));
}

TEST_F(DatagramDecoderTest, ChargeDataPassesTheLastChargeOnlyWhenByte19IsFive) {
  LampCommandTries = 1;
  card_.EditWAIT.SetColor(forms::clYellow);
  for (const std::uint8_t marker : {std::uint8_t{5}, std::uint8_t{4}}) {
    card_.EditCNAK.SetText("kept");
    lamp::BatteryDatagram d;
    d.set_id(IdChargeData);
    d.set_ind_num_text("010aaa");
    lamp::WriteU16(d.data(), 2, 812);
    d.data()[19] = marker;
    lamp::WriteU16(d.data(), 20, 3456);
    Handle(d);
    EXPECT_EQ(card_.EditKK.Text(), "812");
    EXPECT_EQ(card_.EditCNAK.Text(), marker == 5 ? "3.456" : "kept");
  }
  EXPECT_EQ(LampCommandTries, 0);
  EXPECT_EQ(card_.EditWAIT.Color(), forms::clWhite);
}

TEST_F(DatagramDecoderTest, ModeRecordIsHandedOnAlsoForAnUnknownNumber) {
  traffic_.Check4.SetChecked(true);
  for (const char* number : {"010aaa", "777zzz"}) {
    ModeFormRecord = lamp::ModeDisplayRecord{};
    ModeReadWindow = 3;
    lamp::BatteryDatagram d;
    d.set_id(IdModeRecord);
    d.set_ind_num_text(number);
    for (int i = 0; i < 48; ++i)
      d.data()[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 5 + 1);
    Handle(d);
    EXPECT_EQ(ModeFormRecord,
              lamp::UnpackModeRecord(std::span<const std::uint8_t, lamp::kModeRecordSize>(
                  d.data().data(), lamp::kModeRecordSize)))
        << number;
  }
  EXPECT_EQ(TrafficLines(),
            (std::vector<std::string>{"nn= 92 010aaa par BATT ", "nn= 92 777zzz par BATT "}));
}

TEST_F(DatagramDecoderTest, OtherLengthsAndIdsOnlyBringTheirTrafficLines) {
  traffic_.CheckLOG.SetChecked(true);
  LampCommandTries = 3;
  const Bytes short_one(100, 0xB6);
  HandleDatagram(static_cast<std::int32_t>(short_one.size()), short_one.data());
  lamp::StatusDatagram odd = Status(0xA5B0, "010aaa");
  Handle(odd);
  lamp::BatteryDatagram odd_battery;
  odd_battery.set_id(0xA5B0);
  Handle(odd_battery);
  EXPECT_EQ(TrafficLines(), (std::vector<std::string>{"nn= 100 ", "nn= 220 ", "nn= 92 "}));
  EXPECT_EQ(LastAnswerCommand, 0);
  EXPECT_EQ(LampCommandTries, 3);
  EXPECT_TRUE(server_.Silent());
}

TEST_F(DatagramDecoderTest, TrafficLinesGoByTheirCategoryBoxes) {
  const lamp::StatusDatagram status = Status(IdCellStatus, "010aaa");
  const lamp::StatusDatagram ping = Status(IdPing, "TOLVEX");
  const lamp::StatusDatagram answer = Answer(0x79, 0xA1);
  struct Case {
    forms::TCheckBox TFormSV::*box;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {&TFormSV::CheckNN, {"nn= 220 ", "nn= 220 ", "nn= 220 "}},
      {&TFormSV::Check2, {"id= A5B6  inum=010aaa k92 "}},
      {&TFormSV::Check3, {"id= A5CC  inum=TOLVEX ping "}},
      {&TFormSV::Check5, {"id= A511  inum=010aaa ANSV  kom=A1 FL=79"}},
      {&TFormSV::Check4, {}},
  };
  for (const Case& c : cases) {
    traffic_.ListBox1.Items().Clear();
    (traffic_.*c.box).SetChecked(true);
    Handle(status);
    Handle(ping);
    Handle(answer);
    EXPECT_EQ(TrafficLines(), c.lines) << (traffic_.*c.box).Caption();
    (traffic_.*c.box).SetChecked(false);
  }
  traffic_.ListBox1.Items().Clear();
  Handle(status);
  EXPECT_TRUE(TrafficLines().empty());  // nothing is listed until a box is ticked
}

TEST_F(DatagramDecoderTest, AllLogListsEverythingAndEmptiesPastTwoThousandLines) {
  traffic_.CheckLOG.SetChecked(true);
  const lamp::StatusDatagram status = Status(IdCellStatus, "010aaa");
  Handle(status);
  EXPECT_EQ(TrafficLines(), (std::vector<std::string>{"nn= 220 ", "id= A5B6  inum=010aaa k92 "}));
  for (int i = 0; i < 999; ++i) Handle(status);
  EXPECT_EQ(traffic_.ListBox1.Items().Count(), 2000);
  Handle(status);  // the 2001st line empties the list, the 2002nd starts it again
  EXPECT_EQ(TrafficLines(), (std::vector<std::string>{"id= A5B6  inum=010aaa k92 "}));
}

TEST_F(DatagramDecoderTest, CategoryModeNeverTrimsTheList) {
  traffic_.CheckNN.SetChecked(true);
  for (int i = 0; i < 2100; ++i) LogTraffic("nn= 220 ", kTrafficLength);
  EXPECT_EQ(traffic_.ListBox1.Items().Count(), 2100);
  traffic_.BitBtn1Click();
  EXPECT_EQ(traffic_.ListBox1.Items().Count(), 0);
}

}  // namespace
