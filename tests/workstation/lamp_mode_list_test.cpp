// The lamp card's parameter list as text, from a record: captions, the switch rows, scales and
// formats, the circuit resistance row and the two colour flags.
#include "workstation/lamp_mode_list.h"

#include <gtest/gtest.h>

namespace {

using lamp::ModeDisplayRecord;
using lumora::BuildModeListRows;
using lumora::ModeListRows;

// A Ni-Mh record with every switch on: capacity 2.00 A*h, 3 cells.
ModeDisplayRecord FullRecord() {
  ModeDisplayRecord r;
  r[0] = 200;    // CNOM
  r[1] = 2;      // Ni-Mh
  r[2] = 3;      // CELL
  r[3] = 90;     // IMINCH
  r[4] = 400;    // IDISD
  r[5] = 3000;   // VMIND
  r[6] = 238;    // ICH1
  r[7] = 5100;   // VMAXCH1
  r[8] = 858;    // TIMCH1 minutes
  r[9] = 200;    // ICH2
  r[10] = 5000;  // VMAXCH2
  r[11] = 90;    // TIMCH2
  r[12] = 200;   // IDISCNT
  r[13] = 3000;  // VMINCNT
  r[14] = 6;     // ICHPOD
  r[15] = 4950;  // VMAXCHPOD
  r[16] = 120;   // DELTA
  r[17] = 0x3F | (3 << 12);
  r[19] = 3600;  // VNOM
  return r;
}

TEST(LampModeList, FullRecordShowsEveryRowWithItsScaleAndFormat) {
  const ModeListRows list = BuildModeListRows(FullRecord());
  using Cells = std::array<std::string, 4>;
  const struct {
    const char* caption;
    Cells cells;
  } expected[15] = {
      {"Тип батареи", {"Ni-Mh", "", "", ""}},
      {"Кол.аккумуляторов", {"3", "", "", ""}},
      {"Ёмкость", {"2.00", "", "", ""}},
      {"Ном.напр.", {"", "", "3.60", ""}},
      {"Доразряд", {"ВКЛ", "0.40", "3.00", ""}},
      {"Заряд", {"", "0.24", "5.10", "14.30"}},
      {"Заряд2", {"ВКЛ", "0.20", "5.00", "1.50"}},
      {"Контр.дельта", {"ВКЛ", "", "0.012", ""}},
      {"Контр.мин. тока зар.", {"ВКЛ", "0.09", "", ""}},
      {"Инд.уменьш.тока зар.", {"ВКЛ", "", "", ""}},
      {"Контр.разряд", {"", "0.20", "3.00", ""}},
      {"Подзаряд", {"ВКЛ", "0.006", "4.95", ""}},
      {"Сопрот.цепи", {"0.06", "", "", ""}},
      {"КНТ Тока Подкл.", {"ОТКЛ", "", "", ""}},
      {"Контроль Бат.", {"ВКЛ", "", "", ""}},
  };
  for (int i = 0; i < 15; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(list.rows[i].caption, expected[i].caption);
    EXPECT_EQ(list.rows[i].cells, expected[i].cells);
  }
  EXPECT_FALSE(list.current_control);
  EXPECT_FALSE(list.battery_control);
}

TEST(LampModeList, SwitchedOffRowsShowOnlyOtkl) {
  ModeDisplayRecord r = FullRecord();
  r[17] = 0;
  const ModeListRows list = BuildModeListRows(r);
  for (int row : {4, 6, 7, 8, 9, 11}) {
    SCOPED_TRACE(row);
    EXPECT_EQ(list.rows[row].cells, (std::array<std::string, 4>{"ОТКЛ", "", "", ""}));
  }
  // Charge 1 and the control discharge have no switch and always show their values.
  EXPECT_EQ(list.rows[5].cells[1], "0.24");
  EXPECT_EQ(list.rows[10].cells[2], "3.00");
  EXPECT_EQ(list.rows[12].cells[0], "0");
}

TEST(LampModeList, BatteryTypeTexts) {
  const struct {
    int type;
    const char* text;
  } cases[] = {{0, "-"},   {1, "Ni-Cd"}, {2, "Ni-Mh"}, {3, "Li-Ion"},    {4, "Доливн"},
               {5, "SLA"}, {6, "-"},     {7, "-"},     {0x0F09, "Ni-Cd"}};
  for (const auto& c : cases) {
    ModeDisplayRecord r;
    r[1] = c.type;
    EXPECT_EQ(BuildModeListRows(r).rows[0].cells[0], c.text) << c.type;
  }
}

TEST(LampModeList, TypeWordSwitchesGiveRowsThirteenAndFourteenAndTheirFlags) {
  ModeDisplayRecord r;
  r[1] = 0x0203;
  ModeListRows list = BuildModeListRows(r);
  EXPECT_EQ(list.rows[0].cells[0], "Li-Ion");
  EXPECT_EQ(list.rows[13].cells[0], "ВКЛ");
  EXPECT_TRUE(list.current_control);
  EXPECT_EQ(list.rows[14].cells[0], "ВКЛ");
  EXPECT_FALSE(list.battery_control);

  r[1] = 0x0303 | 0x400;  // both current-control bits: not "connected"; battery check off
  list = BuildModeListRows(r);
  EXPECT_EQ(list.rows[13].cells[0], "ОТКЛ");
  EXPECT_FALSE(list.current_control);
  EXPECT_EQ(list.rows[14].cells[0], "ОТКЛ");
  EXPECT_TRUE(list.battery_control);
}

TEST(LampModeList, CircuitResistanceRow) {
  const struct {
    int type_bits;
    int resistance_index;
    int own_value;
    const char* text;
  } cases[] = {
      {0x800, 12, 150, "0.150"},  // the operator's own value, whatever the index
      {0x800, 0, 950, "0.950"},
      {0x1800, 2, 150, "0.04"},  // both bits: the fixed list
      {0, 0, 150, "0"},
      {0, 5, 0, "0.10"},
      {0, 10, 0, "0.20"},
      {0, 11, 0, ""},
      {0, 12, 0, ""},
      {0, 15, 0, ""},
  };
  for (const auto& c : cases) {
    ModeDisplayRecord r;
    r[1] = c.type_bits;
    r[17] = c.resistance_index << 12;
    r[20] = c.own_value;
    EXPECT_EQ(BuildModeListRows(r).rows[12].cells[0], c.text)
        << c.type_bits << " " << c.resistance_index;
  }
}

TEST(LampModeList, ValuesOutsideTheWordRangeStillFormat) {
  ModeDisplayRecord r;
  r[0] = -150;
  r[8] = 90;
  r[2] = -1;
  const ModeListRows list = BuildModeListRows(r);
  EXPECT_EQ(list.rows[2].cells[0], "-1.50");
  EXPECT_EQ(list.rows[5].cells[3], "1.50");
  EXPECT_EQ(list.rows[1].cells[0], "-1");
}

}  // namespace
