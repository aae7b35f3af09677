#include "link/code_tables.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

namespace lamp {
namespace {

TEST(EventCodes, SixtyFourDistinctCodesOfTheirClass) {
  const auto table = EventCodeTable();
  EXPECT_EQ(table.size(), 64u);
  std::set<std::int32_t> codes;
  for (const EventCodeEntry& e : table) {
    EXPECT_TRUE(codes.insert(e.code).second) << std::hex << e.code;
    EXPECT_EQ(e.event_class, EventCodeClass(e.code)) << std::hex << e.code;
    EXPECT_FALSE(std::string(e.text).empty());
    EXPECT_EQ(EventCodeText(e.code), e.text);
  }
}

TEST(EventCodes, TextsExactlyAsShown) {
  struct Case {
    std::int32_t code;
    const char* text;
  };
  const Case cases[] = {
      {0x1040, "ПОТЕРЯ СВЯЗИ"},
      {0x2040, "ВОССТАНОВЛЕНА СВЯЗЬ"},
      {0x1003, "АВАРИЯ-РАЗРЯД(ОБРЫВ ЦЕПИ) "},
      {0x2003, "ВОССТАНОВЛЕНО-РАЗРЯД (ОБРЫВ ЦЕПИ)"},
      {0x1009, "АВАРИЯ-ПОДЗАРЯД(ЗАМЫКАНИЕ ЦЕПИ) "},
      {0x2009, "ВОССТАНОВЛЕНО-ПОДЗАРЯД(ЗАМЫКАНИЕ ЦЕПИ)"},
      {0x1011, "АВАРИЯ-ЕМКОСТЬ БАТАРЕИ <80%Cном "},
      {0x5011, "СБРОШЕНО ОПЕР. АВАРИЯ-ЕМКОСТЬ БАТАРЕИ <80%Cном "},
      {0x2012, "ВОССТАНОВЛЕНО- К.НАПРЯЖЕНИЕ БАТАРЕИ"},
      {0x5012, "СБРОШЕНО ОПЕР.  АВАРИЯ-НИЗКОЕ К.НАПРЯЖЕНИЕ БАТАРЕИ "},
      {0x2020, "ВКЛЮЧЕНО ПИТАНИЕ"},
      {0x3502, "К. РАЗРЯД ВЫПОЛНЕН"},
      {0x3414, "РЕЗУЛЬТАТ ЗАРЯДА"},
      {0x3050, "ИЗМЕНЁН РЕЖИМ ЗАРЯДА"},
      {0x3051, "ИЗМЕНЁН РЕЖИМ ЦИКЛА"},
      {0x4001, "ПУСК СЕРВЕРА"},
      {0x4000, "СЕРВЕР ОСТАНОВЛЕН"},
      {0x5000, "СОСТОЯНИЕ (СВОБОДЕН)"},
      {0x5001, "КОНТРОЛЬ СОСТОЯНИЯ"},
      {0x5002, "СОСТОЯНИЕ (НЕТ СВЯЗИ)"},
      // Codes without a text.
      {0, ""},
      {0x3003, ""},
      {0xFFFF, ""},
      {-1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EventCodeText(c.code), c.text) << std::hex << c.code;
  EXPECT_EQ(EventLinkLost, 0x1040);
  EXPECT_EQ(EventStateFree, 0x5000);
  EXPECT_EQ(EventStateCheck, 0x5001);
  EXPECT_EQ(EventStateNoLink, 0x5002);
}

TEST(EventCodes, ClassIsTheHighNibble) {
  EXPECT_EQ(EventCodeClass(0x1040), kEventClassAlarm);
  EXPECT_EQ(EventCodeClass(0x2020), kEventClassRestored);
  EXPECT_EQ(EventCodeClass(0x3003), kEventClassOperation);
  EXPECT_EQ(EventCodeClass(0x4001), kEventClassReset);
  EXPECT_EQ(EventCodeClass(0x5001), kEventClassOperatorReset);
  EXPECT_EQ(EventCodeClass(0x12345), 2);  // bits above 15 do not count
}

TEST(EventCodes, GetEventCodeTextFillsAFixedBuffer) {
  std::array<char, 64> out;
  out.fill('x');
  GetEventCodeText(0x3010, out);
  EXPECT_STREQ(out.data(), "ПУСК");
  GetEventCodeText(0, out);
  EXPECT_STREQ(out.data(), "");
  std::array<char, 5> small{};
  GetEventCodeText(0x3010, small);  // "ПУСК" is 8 UTF-8 bytes
  EXPECT_EQ(std::string(small.data()), std::string("ПУ"));
}

TEST(CellStates, BothTextForms) {
  struct Case {
    std::uint32_t state;
    const char* list_text;
    const char* text;
  };
  const Case cases[] = {
      {0, "СВОБОДЕН", "СВОБОДЕН"},
      {1, "ПОДКЛЮЧЕНО", "ПОДКЛЮЧЕНО"},
      {2, "РАЗРЯД", "РАЗРЯД"},
      {3, "РАЗРЯЖЕНО", "РАЗРЯЖЕНО"},
      {0x102, "КОНТРОЛ. РАЗРЯД", "КОНТР. РАЗРЯД"},
      {0x202, "КОНТРОЛ. БАТАРЕИ", "КОНТР. БАТАРЕИ"},
      {4, "ЗАРЯД", "ЗАРЯД"},
      {0x104, "РАЗРЯД 2", "РАЗРЯД 2"},
      {5, "ЗАРЯЖЕНО", "ЗАРЯЖЕНО"},
      {8, "ЗАРЯЖЕНО", "ЗАРЯЖЕНО"},
      {9, "ГОТОВ", "ГОТОВ"},
      {6, " ПОДЗАРЯД", " ПОДЗАРЯД"},
      {7, " ОСТАНОВЛЕН", " ОСТАНОВЛЕН"},
      {10, "", ""},
      {0xFFF, "", ""},
      {0xFFFFFF, "", ""},
      {0x302, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CellStateListText(c.state), c.list_text) << std::hex << c.state;
    EXPECT_EQ(CellStateText(c.state), c.text) << std::hex << c.state;
  }
}

TEST(CycleModes, Texts) {
  EXPECT_EQ(CycleModeText(0), "ОТКЛ");
  EXPECT_EQ(CycleModeText(1), "ВКЛ");
  EXPECT_EQ(CycleModeText(2), "АВТО");
  EXPECT_EQ(CycleModeText(3), "");
  EXPECT_EQ(CycleModeText(0xFFFFFFFF), "");
}

TEST(ModeErrors, OneLinePerBitInOrder) {
  const std::pair<std::uint32_t, const char*> expected[] = {
      {0x4, "Ном. напряжение  вне пределов(1.2-5.9)"},
      {0x8, "Ток доразряда  вне пределов(0.035-2.0)"},
      {0x10, "Напр. доразряда  вне пределов(0.91-5.9)"},
      {0x20, "Ток заряда  вне пределов(0.04-2.0)"},
      {0x40, "Напр. заряда  вне пределов(1.2-5.9)"},
      {0x80, "Время заряда  вне пределов(5мин-40 час)"},
      {0x100, "Ток контр. разряда  вне пределов(0.04-2.0)"},
      {0x200, "Напр.контр. разряда  вне пределов(0.91-5.9)"},
      {0x400, "Ток  подзаряда  вне пределов(0.005-0.2)"},
      {0x800, "Напр. подзаряда вне пределов(1.2-5.9)"},
      {0x1000, "Напр. дельта вне пределов(0.001-0.0060)"},
      {0x2000, "Ток оконч. заряда  вне пределов(0.04-0.6)"},
  };
  const auto table = ModeErrorTexts();
  ASSERT_EQ(table.size(), std::size(expected));
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].bit, expected[i].first);
    EXPECT_STREQ(table[i].text, expected[i].second);
    EXPECT_EQ(ModeErrorText(expected[i].first), expected[i].second);
  }
  for (std::uint32_t bit : {0x1u, 0x2u, 0x4000u, 0x8000u, 0x10000u}) {
    EXPECT_EQ(ModeErrorText(bit), "");
  }
  EXPECT_EQ(kModeErrorHeading, "ОШИБКА РЕЖИМА");
}

TEST(Faults, OneLinePerBitInOrder) {
  const std::pair<std::uint32_t, const char*> expected[] = {
      {0x1, "ОБРЫВ ЦЕПИ"},
      {0x2, "ОБРЫВ ЦЕПИ"},
      {0x4, "ОБРЫВ ЦЕПИ"},
      {0x8, " УМЕНЬШЕНИЕ ТОКА ЗАРЯДА"},
      {0x10, "КОРОТКОЕ ЗАМЫКАНИЕ ЦЕПИ"},
      {0x20, "НИЗКОЕ НАПРЯЖЕНИЕ БАТАРЕИ"},
      {0x40, "КОРОТКОЕ ЗАМЫКАНИЕ ЦЕПИ"},
      {0x80, "КОРОТКОЕ ЗАМЫКАНИЕ ЦЕПИ"},
      {0x100, "ПИТАНИЕ-АВАРИЯ "},
      {0x200, "ПИТ.ЗАРЯД-АВАРИЯ "},
      {0x400, "ТОК РАЗРЯДА МЕНЬШЕ НОРМЫ "},
      {0x800, "ТОК ЗАРЯДА МЕНЬШЕ НОРМЫ "},
      {0x1000, "НЕИСПР. АКБ ТАЙМАУТ ЗАРЯДА "},
      {0x2000, "НЕИСПР. АКБ ЕМКОСТЬ МЕНЬШЕ 80% НОМ "},
      {0x4000, "НЕИСПР. АКБ К.НАПР. МЕНЬШЕ НОМИН  "},
  };
  const auto table = FaultTexts();
  ASSERT_EQ(table.size(), std::size(expected));
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].bit, expected[i].first);
    EXPECT_STREQ(table[i].text, expected[i].second);
  }
  EXPECT_EQ(FaultText(0x8000), "");
}

TEST(CellClasses, LinkAgeAndFaultMasks) {
  EXPECT_FALSE(HasNoLink(40));
  EXPECT_TRUE(HasNoLink(41));
  EXPECT_TRUE(HasNoLink(1000));

  struct Case {
    std::uint32_t fault_bits;
    std::uint32_t mode_error_bits;
    bool battery_fault;
    bool cell_fault;
  };
  const Case cases[] = {
      {0, 0, false, false},     {0x8000, 0, false, false},  // no answer: neither class
      {0x800, 0, false, true},  {0x20, 0, true, false},    {0x8, 0, true, false},
      {0x1000, 0, true, false}, {0x2000, 0, true, false},  {0x4000, 0, true, false},
      {0x7028, 0, true, false}, {0x1, 0, false, true},     {0x10000, 0, false, true},
      {0x28, 0x2, true, true},  // a mode error alone makes a cell fault
      {0, 0x2, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsBatteryFault(c.fault_bits), c.battery_fault) << std::hex << c.fault_bits;
    EXPECT_EQ(IsCellFault(c.fault_bits, c.mode_error_bits), c.cell_fault)
        << std::hex << c.fault_bits << " " << c.mode_error_bits;
  }
  // Every fault bit is in exactly one class, but for the no-answer bit.
  for (std::uint32_t bit = 1; bit != 0; bit <<= 1) {
    const int classes = (IsBatteryFault(bit) ? 1 : 0) + (IsCellFault(bit, 0) ? 1 : 0);
    EXPECT_EQ(classes, bit == kFaultNoAnswer ? 0 : 1) << std::hex << bit;
  }
}

}  // namespace
}  // namespace lamp
