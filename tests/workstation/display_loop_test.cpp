// The display loop: counts per station, the row rewrites, the summary lamps, the two cell
// lists of the station view, the lamp card's state and the cell card.
#include "workstation/display_loop.h"

#include <string>
#include <vector>

#include "tests/workstation/views_fixture.h"

namespace {

using namespace lumora;
using views_test::ViewsTest;

class DisplayLoopTest : public ViewsTest {
 protected:
  DisplayLoopTest() { MakeReady(); }

  // Sub-items of the lamp-room row of station q.
  std::vector<std::string> Row(int station) const {
    return overview_.LV1.Items().Item(station - 1)->SubItems().Items();
  }
  static std::vector<std::string> Counts(std::vector<int> values) {
    std::vector<std::string> texts;
    for (int v : values) texts.push_back(std::to_string(v));
    return texts;
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) RunDisplayTick();
  }
};

TEST_F(DisplayLoopTest, CountsEachStateFaultAndLinkIntoItsColumn) {
  // Кол Подкл Своб Разряд Заряд Подзаряд Заряжено НСП-Яч НСП-Бат Нет-связи
  struct Case {
    std::uint32_t state, mode_error_bits, fault_bits;
    std::int32_t link_age;
    std::vector<int> row;
  };
  const Case cases[] = {
      {0, 0, 0, 0, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
      {1, 0, 0, 0, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
      {2, 0, 0, 40, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}},  // 40 s: still linked
      {0x102, 0, 0, 0, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
      {0x202, 0, 0, 0, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
      {4, 0, 0, 0, {1, 0, 0, 0, 1, 0, 0, 0, 0, 0}},
      {0x104, 0, 0, 0, {1, 0, 0, 0, 1, 0, 0, 0, 0, 0}},
      {6, 0, 0, 0, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
      {9, 0, 0, 0, {1, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
      {5, 0, 0, 0, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {8, 0, 0, 0, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {3, 0, 0, 0, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {9, 0, 0, 41, {1, 0, 0, 0, 0, 0, 0, 0, 0, 1}},  // 41 s: only no link
      {9, 0, 0x8000, 0, {1, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
      {9, 0, 0x800, 0, {1, 0, 0, 0, 0, 0, 1, 1, 0, 0}},
      {9, 0, 0x20, 0, {1, 0, 0, 0, 0, 0, 1, 0, 1, 0}},
      {9, 0, 0x21, 0, {1, 0, 0, 0, 0, 0, 1, 1, 1, 0}},
      {9, 0x2, 0, 0, {1, 0, 0, 0, 0, 0, 1, 1, 0, 0}},
      {0xFFF, 0, 0x8000, 0, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // a cell the server lost
  };
  for (const Case& c : cases) {
    ViewsTest::AddLamp(0, "001aaa", 7, c.state);
    CellTable.mode_error_bits[0] = c.mode_error_bits;
    CellTable.fault_bits[0] = c.fault_bits;
    CellTable.link_age[0] = c.link_age;
    DisplayLoop.StationCountCache[7] = StationCounts{};  // force a rewrite
    RunDisplayTick();
    EXPECT_EQ(Row(7), Counts(c.row)) << std::hex << c.state << " " << c.fault_bits;
    EXPECT_EQ(CellTable.no_link[0], c.link_age >= 41 ? 1 : 0);
  }
}

TEST_F(DisplayLoopTest, StationViewShowsNumberStateAndStatusOfEachCell) {
  struct Case {
    std::uint32_t state, mode_error_bits, fault_bits;
    std::int32_t link_age;
    const char* state_text;
    const char* status_text;
    std::int32_t color_code;
  };
  const Case cases[] = {
      {1, 0, 0, 0, "ПОДКЛЮЧЕНО", "", 2},
      {9, 0, 0, 0, "ГОТОВ", "", 3},
      {6, 0, 0, 0, " ПОДЗАРЯД", "", 3},
      {0x102, 0, 0, 0, "КОНТРОЛ. РАЗРЯД", "", 0},
      {9, 0, 0, 41, "", "Нет Связи", 3},
      {9, 0, 0x8000, 0, "ГОТОВ", "Нет Связи", 3},
      {9, 0, 0x800, 0, "ГОТОВ", "Зар. ячейка неиспр.", 3},
      {9, 0x2, 0, 0, "ГОТОВ", "Зар. ячейка неиспр.", 3},
      {9, 0, 0x20, 0, "ГОТОВ", "Батарея неиспр.", 3},
      {9, 0, 0x28 | 0x800, 0, "ГОТОВ", "Батарея неиспр.", 3},
      {0xFFF, 0, 0x8000, 0, "", "Нет Связи", 0},
  };
  // The cell sits at position 0 (left list) and at position 27 (right list).
  for (std::int32_t slot = 0; slot < 28; ++slot) {
    ViewsTest::AddLamp(slot, "x" + std::to_string(100 + slot), 1, 0);
  }
  for (const Case& c : cases) {
    for (std::int32_t slot : {0, 27}) {
      CellTable.state[At(slot)] = c.state;
      CellTable.mode_error_bits[At(slot)] = c.mode_error_bits;
      CellTable.fault_bits[At(slot)] = c.fault_bits;
      CellTable.link_age[At(slot)] = c.link_age;
    }
    RunDisplayTick();
    for (const auto& [list, row, position] :
         {std::tuple{&station_.LV1A, 0, 0}, std::tuple{&station_.LV1B, 0, 27}}) {
      EXPECT_EQ(Cell(*list, row, 0), "x" + std::to_string(100 + position));
      EXPECT_EQ(Cell(*list, row, 1), c.state_text) << std::hex << c.state;
      EXPECT_EQ(Cell(*list, row, 2), c.status_text) << std::hex << c.fault_bits;
      EXPECT_EQ(CellColorCodes[static_cast<std::size_t>(position)], c.color_code);
    }
  }
}

TEST_F(DisplayLoopTest, RowsAreRewrittenOnACountChangeOrEvery121Ticks) {
  ViewsTest::AddLamp(0, "001aaa", 3, 5);
  ViewsTest::AddLamp(1, "002aaa", 100, 9);
  RunDisplayTick();
  EXPECT_EQ(Row(3), Counts({1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Row(100), Counts({1, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Row(50), std::vector<std::string>(10, ""));  // no slot: never written
  EXPECT_EQ(DisplayLoop.RowRewriteCount, 2u);
  EXPECT_EQ(dbg_.Edit3.Text(), "2");

  // 5 -> 1 changes only the connected count, which is not compared.
  CellTable.state[0] = 1;
  Ticks(119);  // DisplayTick 120
  EXPECT_EQ(Row(3)[1], "0");
  EXPECT_EQ(DisplayLoop.RowRewriteCount, 2u);
  RunDisplayTick();  // 121: every station with a slot
  EXPECT_EQ(Row(3)[1], "1");
  EXPECT_EQ(DisplayLoop.RowRewriteCount, 4u);
  EXPECT_EQ(Row(50), std::vector<std::string>(10, ""));
  EXPECT_EQ(DisplayLoop.DisplayTick, 0u);
  RunDisplayTick();
  EXPECT_EQ(DisplayLoop.DisplayTick, 1u);
  EXPECT_EQ(DisplayLoop.RowRewriteCount, 4u);
}

TEST_F(DisplayLoopTest, SummaryLampsTurnRedForAnyFaultOrLostLink) {
  EXPECT_EQ(overview_.Edit1.Color(), forms::clSilver);
  ViewsTest::AddLamp(0, "001aaa", 1, 9);
  ViewsTest::AddLamp(1, "002aaa", 2, 9);
  // Slots of station 0 belong to no station: they light no lamp and keep their no-link flags.
  ViewsTest::AddLamp(2, "003aaa", 0, 9);
  CellTable.fault_bits[2] = 0x800;
  CellTable.link_age[2] = 41;
  ViewsTest::AddLamp(3, "004aaa", 0, 9);
  CellTable.fault_bits[3] = 0x800;
  CellTable.no_link[3] = 1;
  RunDisplayTick();
  for (forms::TEdit* lamp : {&overview_.Edit1, &overview_.Edit2, &overview_.Edit3}) {
    EXPECT_EQ(lamp->Color(), 0x008000u);
  }
  EXPECT_EQ(CellTable.no_link[2], 0);
  EXPECT_EQ(CellTable.no_link[3], 1);
  CellTable.fault_bits[0] = 0x800;
  RunDisplayTick();
  EXPECT_EQ(overview_.Edit1.Color(), 0x0000FFu);
  EXPECT_EQ(overview_.Edit2.Color(), 0x008000u);
  CellTable.fault_bits[0] = 0x20;
  CellTable.link_age[1] = 41;
  RunDisplayTick();
  EXPECT_EQ(overview_.Edit1.Color(), 0x008000u);
  EXPECT_EQ(overview_.Edit2.Color(), 0x0000FFu);
  EXPECT_EQ(overview_.Edit3.Color(), 0x0000FFu);
  // A fault of a cell without link does not count.
  CellTable.link_age[0] = 41;
  RunDisplayTick();
  EXPECT_EQ(overview_.Edit2.Color(), 0x008000u);
}

TEST_F(DisplayLoopTest, StationViewIsRedrawnOnChangeOnSwitchAndPeriodically) {
  ViewsTest::AddLamp(0, "001aaa", 1, 9);
  ViewsTest::AddLamp(1, "002aaa", 2, 4);
  RunDisplayTick();
  EXPECT_EQ(DisplayLoop.ChangeMask, kChangedStation | kChangedNumber | kChangedState);
  EXPECT_EQ(DisplayLoop.ChangeCount, 1);
  EXPECT_EQ(station_.Edit1.Text(), "1");
  RunDisplayTick();
  EXPECT_EQ(DisplayLoop.ChangeMask, 0u);
  EXPECT_EQ(DisplayLoop.ChangeCount, 1);

  CellTable.fault_bits[0] = 0x20;
  RunDisplayTick();
  EXPECT_EQ(DisplayLoop.ChangeMask, kChangedFault);

  SetCurrentStation(2);
  RunDisplayTick();
  EXPECT_EQ(DisplayLoop.ChangeMask & kChangedStation, kChangedStation);
  EXPECT_EQ(Cell(station_.LV1A, 0, 0), "002aaa");
  EXPECT_EQ(Cell(station_.LV1A, 0, 1), "ЗАРЯД");

  // A station without cells: both lists blank.
  SetCurrentStation(3);
  RunDisplayTick();
  EXPECT_EQ(Cell(station_.LV1A, 0, 0), "");
  EXPECT_EQ(Cell(station_.LV1A, 0, 1), "");

  while (DisplayLoop.DisplayTick != kStationViewRedrawTick - 1) RunDisplayTick();
  RunDisplayTick();
  EXPECT_EQ(DisplayLoop.ChangeMask, kChangedPeriodic);
}

TEST_F(DisplayLoopTest, ChangesOfTheRightListUseTheHighBitsAndSlotsPast54AreNotShown) {
  for (std::int32_t slot = 0; slot < 60; ++slot) {
    ViewsTest::AddLamp(slot, "n" + std::to_string(10 + slot), 1, 0);
  }
  RunDisplayTick();
  EXPECT_EQ(Row(1)[0], "60");                    // all counted
  EXPECT_EQ(Cell(station_.LV1B, 26, 0), "n63");  // position 53
  RunDisplayTick();
  CellTable.state[30] = 4;
  CellTable.link_age[58] = 50;  // position 58: no list, no mask
  RunDisplayTick();
  EXPECT_EQ(DisplayLoop.ChangeMask, kChangedState << 8);
  EXPECT_EQ(Cell(station_.LV1B, 3, 1), "ЗАРЯД");
}

TEST_F(DisplayLoopTest, RowsOfCellsThatLeftTheStationAreEmptiedAtTheNextRedraw) {
  ViewsTest::AddLamp(0, "001aaa", 1, 1);
  ViewsTest::AddLamp(1, "002aaa", 1, 1);
  ViewsTest::AddLamp(2, "003aaa", 1, 1);
  RunDisplayTick();
  EXPECT_EQ(Cell(station_.LV1A, 2, 0), "003aaa");
  EXPECT_EQ(CellColorCodes[2], kCellColorConnected);
  // A new worker list without the third lamp at this station.
  WorkerList.station[2] = 4;
  while (DisplayLoop.DisplayTick != kStationViewRedrawTick) RunDisplayTick();
  EXPECT_EQ(Cell(station_.LV1A, 1, 0), "002aaa");
  EXPECT_EQ(Cell(station_.LV1A, 2, 0), "");
  EXPECT_EQ(Cell(station_.LV1A, 2, 1), "");
  EXPECT_EQ(CellColorCodes[2], kCellColorPlain);
}

TEST_F(DisplayLoopTest, NothingButTheCardsIsServedBeforeStartUp) {
  DisplayReady = 0;
  ViewsTest::AddLamp(0, "001aaa", 1, 9);
  station_.EditINDN.SetText("001aaa");
  RunDisplayTick();
  EXPECT_EQ(Row(1), std::vector<std::string>(10, ""));
  EXPECT_EQ(Cell(station_.LV1A, 0, 0), "");
  EXPECT_EQ(overview_.Edit1.Color(), forms::clSilver);
  EXPECT_EQ(station_.EditSTAT.Text(), "ГОТОВ");
  EXPECT_EQ(DisplayLoop.DisplayTick, 1u);
}

TEST_F(DisplayLoopTest, LiveEventsListIsCutToItsFiveNewestRows) {
  for (int i = 0; i < 5000; ++i) events_.LV1.Items().Add()->SetCaption(std::to_string(i));
  RunDisplayTick();
  EXPECT_EQ(events_.LV1.Items().Count(), 5000);
  events_.LV1.Items().Add();
  RunDisplayTick();
  ASSERT_EQ(events_.LV1.Items().Count(), 5);
  EXPECT_EQ(events_.LV1.Items().Item(4)->Caption(), "4");
}

TEST_F(DisplayLoopTest, CellCardShowsValuesOfTheTypedLamp) {
  ViewsTest::AddLamp(0, "001aaa", 1, 6);
  ViewsTest::AddLamp(1, "002aaa", 1, 4);
  const std::size_t i = 1;
  CellTable.voltage[i] = 4123;
  CellTable.current[i] = 45;
  CellTable.charge_time[i] = 125;
  CellTable.cycle_mode[i] = 2;
  CellTable.first_counter[i] = 3;
  CellTable.second_counter[i] = 17;
  CellTable.Pow[i] = 12345;
  CellTable.uCH[i] = 9050;
  CellTable.u5V[i] = 5012;
  CellTable.fourth_supply[i] = -7;
  station_.EditINDN.SetText("002aaa");
  RunDisplayTick();
  EXPECT_EQ(station_.StatusBar.Panel(0).text, "1");
  EXPECT_EQ(station_.StatusBar.Panel(1).text, "12.3");
  EXPECT_EQ(station_.StatusBar.Panel(2).text, "9.1");
  EXPECT_EQ(station_.StatusBar.Panel(3).text, "5.01");
  EXPECT_EQ(station_.StatusBar.Panel(4).text, "-7");
  EXPECT_EQ(station_.EditSTAT.Text(), "ЗАРЯД");
  EXPECT_EQ(station_.EditMD.Text(), "АВТО");
  EXPECT_EQ(station_.EditCK.Text(), "N=3  всего 17");
  EXPECT_EQ(station_.EditUACC.Text(), "4.12");
  EXPECT_EQ(station_.EditIACC.Text(), "0.05");
  EXPECT_EQ(station_.EditTIM.Text(), "02:05");
  EXPECT_EQ(station_.Memo1.Text(), "");

  CellTable.state[i] = 6;
  RunDisplayTick();
  EXPECT_EQ(station_.EditIACC.Text(), "0.045");
  EXPECT_EQ(station_.EditSTAT.Text(), " ПОДЗАРЯД");

  CellTable.link_age[i] = 41;
  RunDisplayTick();
  EXPECT_EQ(station_.Memo1.Text(), "Нет Связи\n");
  EXPECT_EQ(station_.EditSTAT.Text(), "");
  EXPECT_EQ(station_.EditCK.Text(), "");
  EXPECT_EQ(station_.StatusBar.Panel(1).text, "");
  EXPECT_EQ(station_.StatusBar.Panel(4).text, "");
}

TEST_F(DisplayLoopTest, CellCardOfAnUnknownNumberShowsOnlyTheLookupResult) {
  ViewsTest::AddLamp(0, "001aaa", 1, 9);
  station_.EditINDN.SetText("001aaa");
  RunDisplayTick();
  for (const auto& [number, code] :
       {std::pair{"0010aaa", "-2"}, std::pair{"999zzz", "-3"}, std::pair{"01", "-4"}}) {
    station_.EditINDN.SetText(number);
    RunDisplayTick();
    EXPECT_EQ(station_.StatusBar.Panel(0).text, code);
    EXPECT_EQ(station_.EditSTAT.Text(), "ГОТОВ");  // left as it was
  }
}

TEST_F(DisplayLoopTest, CellCardMemoListsModeErrorsAndFaultsAndIsWrittenOnlyWhenItChanges) {
  struct Case {
    std::uint32_t mode_error_bits, fault_bits;
    const char* text;
  };
  const Case cases[] = {
      {0x2, 0, "ОШИБКА РЕЖИМА\n"},
      {0, 0xC0, "КОРОТКОЕ ЗАМЫКАНИЕ ЦЕПИ\nКОРОТКОЕ ЗАМЫКАНИЕ ЦЕПИ\n"},
      {0, 0x7, "ОБРЫВ ЦЕПИ\nОБРЫВ ЦЕПИ\nОБРЫВ ЦЕПИ\n"},
      {0x804, 0x8008,
       "ОШИБКА РЕЖИМА\nНом. напряжение  вне пределов(1.2-5.9)\n"
       "Напр. подзаряда вне пределов(1.2-5.9)\n УМЕНЬШЕНИЕ ТОКА ЗАРЯДА\n"},
      {0, 0x4000, "НЕИСПР. АКБ К.НАПР. МЕНЬШЕ НОМИН  \n"},
  };
  ViewsTest::AddLamp(0, "001aaa", 1, 9);
  station_.EditINDN.SetText("001aaa");
  for (const Case& c : cases) {
    CellTable.mode_error_bits[0] = c.mode_error_bits;
    CellTable.fault_bits[0] = c.fault_bits;
    RunDisplayTick();
    EXPECT_EQ(station_.Memo1.Text(), c.text);
  }
  const std::uint64_t revision = station_.Memo1.Revision();
  RunDisplayTick();
  EXPECT_EQ(station_.Memo1.Revision(), revision);
}

TEST_F(DisplayLoopTest, MarqueeStepsOncePerTickWithNewDatagrams) {
  ViewsTest::AddLamp(0, "001aaa", 1, 9);
  station_.EditINDN.SetText("001aaa");
  const int lefts[] = {80, 60, 40, 20};
  for (int step = 1; step <= 4; ++step) {
    CellTable.datagram_count[0] += 3;
    RunDisplayTick();
    EXPECT_EQ(station_.LabIND.Left(), lefts[step - 1]);
  }
  RunDisplayTick();  // no new datagram
  EXPECT_EQ(DisplayLoop.CellCardCache.marquee_step, 4);
  CellTable.datagram_count[0] += 1;
  RunDisplayTick();
  EXPECT_EQ(station_.LabIND.Caption(), ">>");
  for (int step = 6; step <= 10; ++step) {
    CellTable.datagram_count[0] += 1;
    RunDisplayTick();
  }
  EXPECT_EQ(DisplayLoop.CellCardCache.marquee_step, 0);
  EXPECT_EQ(station_.LabIND.Caption(), "<<");
  EXPECT_EQ(station_.LabIND.Left(), 100);
}

TEST_F(DisplayLoopTest, LampCardShowsTheStateOfItsLampWhileVisible) {
  ViewsTest::AddLamp(0, "001aaa", 1, 4);
  CellTable.cycle_mode[0] = 1;
  card_.EditTN.SetText("001aaa");
  RunDisplayTick();  // hidden: nothing
  EXPECT_EQ(card_.EditWAIT.Text(), "");
  card_.Show();
  RunDisplayTick();
  EXPECT_EQ(card_.EditWAIT.Text(), "ЗАРЯД");
  EXPECT_EQ(card_.EditWAIT.FontColor(), forms::clBlue);
  EXPECT_EQ(card_.EditCIK.Text(), "ВКЛ");

  CellTable.cycle_mode[0] = 0;
  RunDisplayTick();
  EXPECT_EQ(card_.EditCIK.Text(), "ОТКЛ");

  CellTable.link_age[0] = 41;
  DisplayLoop.StationCountCache[1] = {};
  CellTable.state[0] = 9;  // a change, so the card is rewritten
  RunDisplayTick();
  EXPECT_EQ(card_.EditWAIT.Text(), "Нет связи");

  card_.EditTN.SetText("001aaab");  // seven characters: lookup -2
  RunDisplayTick();
  EXPECT_EQ(card_.EditWAIT.Text(), "");

  // An unchanged card is refreshed at DisplayTick 2.
  card_.EditTN.SetText("001aaa");
  CellTable.link_age[0] = 0;
  RunDisplayTick();
  card_.EditWAIT.SetText("x");
  while (DisplayLoop.DisplayTick != kLampCardRefreshTick - 1) {
    RunDisplayTick();
    ASSERT_EQ(card_.EditWAIT.Text(), "x");
  }
  RunDisplayTick();
  EXPECT_EQ(card_.EditWAIT.Text(), "ГОТОВ");
}

TEST(DisplayLoopTexts, ChargeTimeVoltageAndCurrent) {
  EXPECT_EQ(ChargeTimeText(125), "02:05");
  EXPECT_EQ(ChargeTimeText(0), "00:00");
  EXPECT_EQ(ChargeTimeText(2401), "40:01");
  EXPECT_EQ(VoltageText(-1250), "-1.25");
  EXPECT_EQ(CurrentText(45, 6), "0.045");
  EXPECT_EQ(CurrentText(1234, 4), "1.23");
}

}  // namespace
