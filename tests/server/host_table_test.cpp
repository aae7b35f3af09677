#include "server/host_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/sys/module_path.h"

namespace {

using tolvex::FindHostByAddress;
using tolvex::FindHostByNumber;
using tolvex::FormatHostLine;
using tolvex::GetHostCount;
using tolvex::HostCount;
using tolvex::HostEntry;
using tolvex::HostTable;
using tolvex::LoadHostTable;

class RecordingDialogs : public forms::DialogService {
 public:
  struct Box {
    std::string text, caption;
    int flags;
  };
  int MessageBox(const std::string& text, const std::string& caption, int flags) override {
    boxes.push_back({text, caption, flags});
    return forms::IDOK;
  }
  std::vector<Box> boxes;
};

class HostTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    dir_ = scratch != nullptr ? scratch : "/tmp/lamp_host_table_test";
    std::filesystem::create_directories(dir_);
    path_ = dir_ + "/hostab.txt";
    std::filesystem::remove(path_);
    tolvex::SetHostTablePath(path_);
    for (HostEntry& entry : HostTable) entry = HostEntry{};
    HostCount = 0;
    forms::Application().SetDialogService(&dialogs_);
  }
  void TearDown() override {
    forms::Application().SetDialogService(nullptr);
    tolvex::SetHostTablePath("");
  }

  int Load(const std::string& text) {
    std::ofstream(path_, std::ios::binary) << text;
    return LoadHostTable();
  }

  std::string dir_, path_;
  RecordingDialogs dialogs_;
};

// The line-end, blank, comment and stop rules, each on a fresh table (count 0).
TEST_F(HostTableTest, LineRulesDecideWhereTheLoadStops) {
  struct Case {
    const char* name;
    std::string text;
    int result;
    int count;
    std::vector<int> numbers;  // station numbers standing in slots 0.. after the load
  };
  const std::vector<Case> cases = {
      {"LF, single empty lines between entries", "1 a 1\n\n2 b 2\n\n3 c 3\n", 0, 3, {1, 2, 3}},
      {"LF, two empty lines in a row", "1 a 1\n\n\n2 b 2\n", 2, 0, {1, 0}},
      {"CR LF without empty lines", "1 a 1\r\n2 b 2\r\n", 0, 2, {1, 2}},
      {"CR LF, one empty line", "1 a 1\r\n\r\n2 b 2\r\n", 2, 0, {1, 0}},
      {"CR LF ending with an empty line", "1 a 1\r\n2 b 2\r\n\r\n", 3, 0, {1, 2}},
      {"CR only", "1 a 1\r2 b 2\r", 0, 2, {1, 2}},
      {"last entry without a line end", "1 a 1\n2 b 2", 0, 1, {1, 0}},
      {"leading empty line", "\n1 a 1\n", 0, 1, {1}},
      {"comments, also indented", "# x\n  ; y\n1 a 1\n\t#z 9 9\n2 b 2\n", 0, 2, {1, 2}},
      {"two fields stop the load", "1 a 1\n2 b\n3 c 3\n", 2, 0, {1, 0}},
      {"one field stops the load", "4\n", 1, 0, {0}},
      {"a line of blanks stops the load", "1 a 1\n \t \n2 b 2\n", 2, 0, {1, 0}},
      {"empty file", "", 0, 0, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (HostEntry& entry : HostTable) entry = HostEntry{};
    HostCount = 0;
    EXPECT_EQ(Load(c.text), c.result);
    EXPECT_EQ(GetHostCount(), c.count);
    for (std::size_t i = 0; i < c.numbers.size(); ++i) {
      EXPECT_EQ(HostTable[i].StationNumber, c.numbers[i]) << "slot " << i;
    }
  }
}

TEST_F(HostTableTest, FieldsAreNumberAddressAndPortWithAnythingAfterIgnored) {
  // Bytes 0x80..0xFF count as blanks, like the control characters and the space.
  ASSERT_EQ(Load("7 10.0.0.7 4001 trailing words\n12\xC0\xFF"
                 "192.168.1.13\xE0"
                 "4002\n"),
            0);
  ASSERT_EQ(GetHostCount(), 2);
  EXPECT_EQ(HostTable[0].StationNumber, 7);
  EXPECT_STREQ(HostTable[0].AddressText, "10.0.0.7");
  EXPECT_EQ(HostTable[0].Port, 4001);
  EXPECT_EQ(HostTable[1].StationNumber, 12);
  EXPECT_STREQ(HostTable[1].AddressText, "192.168.1.13");
  EXPECT_EQ(HostTable[1].Port, 4002);
}

TEST_F(HostTableTest, MoreThanAHundredEntriesShareSlot100OutsideTheCount) {
  std::string text;
  for (int n = 1; n <= 105; ++n)
    text += std::to_string(n) + " 10.0.0." + std::to_string(n) + " 4001\n";
  ASSERT_EQ(Load(text), 0);
  EXPECT_EQ(GetHostCount(), 100);
  EXPECT_EQ(FindHostByNumber(100), 99);
  EXPECT_EQ(HostTable[100].StationNumber, 105);
  EXPECT_STREQ(HostTable[100].AddressText, "10.0.0.105");
  for (int n = 101; n <= 105; ++n) EXPECT_EQ(FindHostByNumber(n), -1) << n;
}

TEST_F(HostTableTest, StoppedReloadKeepsTheCountButOverwritesSlots) {
  ASSERT_EQ(Load("1 a 1\n2 b 2\n3 c 3\n"), 0);
  HostTable[0].ResolvedAddress = 0x0200007F;
  ASSERT_EQ(Load("9 z 9\n8 y\n"), 2);
  EXPECT_EQ(GetHostCount(), 3);
  EXPECT_EQ(HostTable[0].StationNumber, 9);
  EXPECT_STREQ(HostTable[0].AddressText, "z");
  EXPECT_EQ(HostTable[1].StationNumber, 2);
  // Only the sender writes the resolved address; a reload leaves it alone.
  EXPECT_EQ(HostTable[0].ResolvedAddress, 0x0200007Fu);
}

TEST_F(HostTableTest, MissingFileShowsAMessageAndChangesNothing) {
  ASSERT_EQ(Load("5 127.0.0.5 4001\n"), 0);
  std::filesystem::remove(path_);
  EXPECT_EQ(LoadHostTable(), -1);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].text, "Нет файла hostab.txt");
  EXPECT_EQ(dialogs_.boxes[0].caption, "Ошибка");
  EXPECT_EQ(dialogs_.boxes[0].flags, forms::MB_OK);
  EXPECT_EQ(GetHostCount(), 1);
  EXPECT_EQ(HostTable[0].StationNumber, 5);
}

TEST_F(HostTableTest, DefaultFileLiesBesideTheExecutable) {
  tolvex::SetHostTablePath("");
  const std::string beside = sys::PathBesideExecutable("hostab.txt");
  ASSERT_FALSE(std::filesystem::exists(beside)) << beside;
  EXPECT_EQ(LoadHostTable(), -1);
  std::ofstream(beside, std::ios::binary) << "3 127.0.0.3 4003\n";
  EXPECT_EQ(LoadHostTable(), 0);
  std::filesystem::remove(beside);
  EXPECT_EQ(FindHostByNumber(3), 0);
  EXPECT_EQ(dialogs_.boxes.size(), 1u);
}

TEST_F(HostTableTest, LookupsGiveTheFirstMatchBelowTheCount) {
  ASSERT_EQ(Load("4 127.0.0.4 1\n6 127.0.0.6 2\n4 127.0.0.14 3\n"), 0);
  EXPECT_EQ(FindHostByNumber(4), 0);
  EXPECT_EQ(FindHostByNumber(6), 1);
  EXPECT_EQ(FindHostByNumber(5), -1);

  // Nothing has been sent yet: no address matches, not even one of the table.
  const std::uint32_t address = 0x0400007F;  // 127.0.0.4 in network order
  EXPECT_EQ(FindHostByAddress(address), -1);
  EXPECT_EQ(FindHostByAddress(0), -1);
  HostTable[2].ResolvedAddress = address;
  HostTable[1].ResolvedAddress = address;
  EXPECT_EQ(FindHostByAddress(address), 1);
  HostTable[3].ResolvedAddress = 0x0900007F;  // beyond the count
  EXPECT_EQ(FindHostByAddress(0x0900007F), -1);
}

TEST_F(HostTableTest, FormatHostLine) {
  ASSERT_EQ(Load("3 192.168.1.13 4001\n"), 0);
  char text[tolvex::kHostLineTextSize] = "untouched";
  EXPECT_EQ(FormatHostLine(text, 0), 0);
  EXPECT_STREQ(text, "3   192.168.1.13:4001");
  EXPECT_EQ(FormatHostLine(text, 109), 0);
  EXPECT_STREQ(text, "0   :0");
  std::strcpy(text, "untouched");
  EXPECT_EQ(FormatHostLine(text, 110), 1);
  EXPECT_EQ(FormatHostLine(text, -1), 1);
  EXPECT_STREQ(text, "untouched");
}

// Input beyond the buffers: a line longer than the line buffer keeps its first 1023 bytes
// (the rest is dropped up to the line end), a field or address longer than its slot is cut,
// and numbers saturate instead of overflowing.
TEST_F(HostTableTest, OverlongInputIsCutNeverOverflowing) {
  const std::string long_tail(5000, 'x');
  const std::string long_address(150, '9');
  const std::string huge_number = "1" + std::string(150, '0');
  const std::string text = "1 127.0.0.1 4001 " + long_tail + "\n" +     //
                           "2 " + long_address + " 4002\n" +            //
                           huge_number + " a -" + huge_number + "\n" +  //
                           "abc b 4x\n" +                               //
                           std::string(1100, ' ') + "5 c 5\n";
  EXPECT_EQ(Load(text), 5);  // the last line's fields lie beyond the line buffer: blanks only
  EXPECT_EQ(HostTable[0].StationNumber, 1);
  EXPECT_EQ(HostTable[0].Port, 4001);
  EXPECT_EQ(std::string(HostTable[1].AddressText), long_address.substr(0, 63));
  EXPECT_EQ(HostTable[1].Port, 4002);
  EXPECT_EQ(HostTable[2].StationNumber, 2147483647);
  EXPECT_EQ(HostTable[2].Port, -2147483647 - 1);
  EXPECT_EQ(HostTable[3].StationNumber, 0);  // no leading digits
  EXPECT_EQ(HostTable[3].Port, 4);
}

TEST(HostTableReader, ParsesAWholeTextLikeTheLoad) {
  HostEntry table[tolvex::kHostSlots];
  int entries = -1;
  const std::string text = "1 a 1\n2 b 2\n\n\n";
  EXPECT_EQ(tolvex::ParseHostTableText(
                {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, table, entries),
            3);
  EXPECT_EQ(entries, 2);
  EXPECT_EQ(table[1].StationNumber, 2);
}

}  // namespace
