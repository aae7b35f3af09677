// The measurement log: when a line is due, how it reads, the two logs, the bounded lists,
// list switching, and saving a list to a cp1251 text file through the save dialog.
#include "workstation/measurement_log.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "link/cp1251.h"
#include "platform/forms/application.h"
#include "tests/workstation/link_peer.h"
#include "workstation/cell_table.h"
#include "workstation/datagram_decoder.h"

namespace {

using namespace lumora;

using link_test::ManualClockFirst;

TEST(MeasurementLogRules, LineIsDueOnChangeStepOrTime) {
  const MeasurementSteps steps{5, 10, 60};
  MeasurementLogState log;
  log.last_state = 4;
  log.last_fault_bits = 0x20;
  log.last_voltage = 4000;
  log.last_current = 500;
  log.seconds = 59;
  const struct {
    const char* what;
    std::int32_t state, fault, voltage, current;
    std::uint32_t seconds;
    bool due;
  } cases[] = {
      {"nothing moved", 4, 0x20, 4000, 500, 59, false},
      {"state", 5, 0x20, 4000, 500, 59, true},
      {"fault bits", 4, 0x28, 4000, 500, 59, true},
      {"voltage up by the step", 4, 0x20, 4005, 500, 59, true},
      {"voltage down by the step", 4, 0x20, 3995, 500, 59, true},
      {"voltage below the step", 4, 0x20, 4004, 500, 59, false},
      {"current by the step", 4, 0x20, 4000, 490, 59, true},
      {"current below the step", 4, 0x20, 4000, 509, 59, false},
      {"time", 4, 0x20, 4000, 500, 60, true},
      {"extreme values do not overflow", 4, 0x20, INT32_MIN, 500, 0, true},
  };
  for (const auto& c : cases) {
    log.seconds = c.seconds;
    EXPECT_EQ(IsLogLineDue(log, c.state, c.fault, c.voltage, c.current, steps), c.due) << c.what;
  }
  log.last_voltage = INT32_MAX;
  log.seconds = 0;
  EXPECT_TRUE(IsLogLineDue(log, 4, 0x20, INT32_MIN, 500, steps));
}

TEST(MeasurementLogRules, LineText) {
  EXPECT_EQ(FormatLogLine("st0101", "08:15:02", 4123, -35, 4),
            "st0101  08:15:02  4123  -35  ЗАРЯД");
  EXPECT_EQ(FormatLogLine("st0101", "08:15:02", 0, 0, 6), "st0101  08:15:02  0  0   ПОДЗАРЯД");
  EXPECT_EQ(FormatLogLine("st0101", "08:15:02", 1, 2, 0xFFF), "st0101  08:15:02  1  2  ");
}

class MeasurementLogTest : public ::testing::Test {
 protected:
  MeasurementLogTest() {
    form_.ConnectHandlers();
    MeasurementLogs[0] = MeasurementLogState{};
    MeasurementLogs[1] = MeasurementLogState{};
  }
  ~MeasurementLogTest() override { forms::Application().SetDialogService(nullptr); }

  const forms::TStrings& L1() const { return form_.ListBoxL1.Items(); }
  const forms::TStrings& L2() const { return form_.ListBoxL2.Items(); }

  ManualClockFirst clock_;
  TFormLOG form_;
};

TEST_F(MeasurementLogTest, StartValuesOfTheControls) {
  EXPECT_EQ(form_.Edit1.Text(), "st0101");
  EXPECT_EQ(form_.Edit5.Text(), "st0201");
  EXPECT_FALSE(form_.Check1.Checked());
  EXPECT_FALSE(form_.Check2.Checked());
  EXPECT_EQ(form_.Edit2.Text(), "5");
  EXPECT_EQ(form_.Edit3.Text(), "10");
  EXPECT_EQ(form_.Edit4.Text(), "60");
  EXPECT_TRUE(form_.Edit4.ReadOnly());
  EXPECT_EQ(form_.UpDown3.Min(), 5);
  EXPECT_EQ(form_.UpDown3.Max(), 300);
  EXPECT_EQ(form_.UpDown3.Increment(), 10);
  EXPECT_EQ(form_.RadioGroup1.ItemIndex(), 0);
  EXPECT_EQ(form_.SaveDG.DefaultExt(), "txt");
  EXPECT_EQ(form_.SaveDG.FileName(), "*.txt");
  EXPECT_EQ(form_.ListBoxL1.FontName(), "Courier New");
  EXPECT_EQ(form_.ListBoxL1.Width(), 370);
}

TEST_F(MeasurementLogTest, LogsOnlyCheckedLogsOfTheirExactNumber) {
  LogLampMeasurement("st0101", 4, 0, 4000, 500);
  EXPECT_EQ(L1().Count(), 0);  // log off
  form_.Check1.SetChecked(true);
  LogLampMeasurement("ST0101", 4, 0, 4000, 500);
  LogLampMeasurement("st010", 4, 0, 4000, 500);
  EXPECT_EQ(L1().Count(), 0);
  LogLampMeasurement("st0101", 4, 0, 4000, 500);
  ASSERT_EQ(L1().Count(), 1);
  EXPECT_TRUE(
      std::regex_match(L1()[0], std::regex("st0101  \\d\\d:\\d\\d:\\d\\d  4000  500  ЗАРЯД")))
      << L1()[0];
  EXPECT_EQ(L2().Count(), 0);
  LogLampMeasurement("st0101", 4, 0, 4004, 491);
  EXPECT_EQ(L1().Count(), 1);
}

TEST_F(MeasurementLogTest, BothLogsOnTheSameNumberEachGetALine) {
  form_.Edit5.SetText("st0101");
  form_.Check1.SetChecked(true);
  form_.Check2.SetChecked(true);
  LogLampMeasurement("st0101", 1, 0, 0, 0);
  EXPECT_EQ(L1().Count(), 1);
  EXPECT_EQ(L2().Count(), 1);
}

TEST_F(MeasurementLogTest, FirstQuietDatagramWritesNothingAndTimeIsCheckedOnArrival) {
  form_.Check1.SetChecked(true);
  LogLampMeasurement("st0101", 0, 0, 4, 9);
  EXPECT_EQ(L1().Count(), 0);
  forms::Application().AdvanceTime(59000);
  LogLampMeasurement("st0101", 0, 0, 4, 9);
  EXPECT_EQ(L1().Count(), 0);
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(L1().Count(), 0);  // the counter alone writes nothing
  LogLampMeasurement("st0101", 0, 0, 4, 9);
  EXPECT_EQ(L1().Count(), 1);
  EXPECT_EQ(MeasurementLogs[0].seconds, 0u);
  forms::Application().AdvanceTime(60000);
  LogLampMeasurement("st0101", 0, 0, 4, 9);
  EXPECT_EQ(L1().Count(), 2);
}

TEST_F(MeasurementLogTest, CyrillicNumberOfTheDatagramMatchesTheEditAndIsShown) {
  form_.Edit1.SetText("жк0101");
  form_.Check1.SetChecked(true);
  const std::string number = lamp::Utf8ToCp1251("жк0101");
  LogLampMeasurement(number.c_str(), 9, 0, 0, 0);
  ASSERT_EQ(L1().Count(), 1);
  EXPECT_EQ(L1()[0].rfind("жк0101  ", 0), 0u);
  EXPECT_NE(L1()[0].find("ГОТОВ"), std::string::npos);
}

TEST_F(MeasurementLogTest, ListIsKeptBelowFifteenThousandLines) {
  form_.Check1.SetChecked(true);
  for (int i = 0; i < 15000; ++i) LogLampMeasurement("st0101", 1 - i % 2, 0, 0, 0);
  ASSERT_EQ(L1().Count(), 15000);
  const std::string line_101 = L1()[100];
  LogLampMeasurement("st0101", 7, 0, 0, 0);
  EXPECT_EQ(L1().Count(), 14901);
  EXPECT_EQ(L1()[0], line_101);
}

TEST_F(MeasurementLogTest, ScrolSelectsTheNewestLinePastTen) {
  form_.Check1.SetChecked(true);
  for (int i = 0; i < 12; ++i) LogLampMeasurement("st0101", i % 2, 0, 0, 0);
  EXPECT_EQ(form_.ListBoxL1.ItemIndex(), -1);
  form_.CheckSCR.SetChecked(true);
  for (int i = 0; i < 10; ++i) {
    LogLampMeasurement("st0101", i % 2, 0, 0, 0);
    LogLampMeasurement("st0101", 1 - i % 2, 0, 0, 0);
  }
  EXPECT_EQ(form_.ListBoxL1.ItemIndex(), L1().Count() - 1);
}

TEST_F(MeasurementLogTest, RadioGroupChoosesTheShownListAndClearAlwaysEmptiesListOne) {
  form_.Check1.SetChecked(true);
  form_.Check2.SetChecked(true);
  LogLampMeasurement("st0101", 1, 0, 0, 0);
  LogLampMeasurement("st0201", 1, 0, 0, 0);
  form_.RadioGroup1.SetItemIndex(1);
  forms::Application().AdvanceTime(1000);
  EXPECT_FALSE(form_.ListBoxL1.Visible());
  EXPECT_TRUE(form_.ListBoxL2.Visible());
  form_.BitBtn1.Click();
  EXPECT_EQ(L1().Count(), 0);
  EXPECT_EQ(L2().Count(), 1);
  form_.RadioGroup1.SetItemIndex(0);
  forms::Application().AdvanceTime(1000);
  EXPECT_TRUE(form_.ListBoxL1.Visible());
  EXPECT_FALSE(form_.ListBoxL2.Visible());
}

TEST_F(MeasurementLogTest, ResizeSetsTheListHeights) {
  form_.Resize(529, 400);
  EXPECT_EQ(form_.ListBoxL1.Height(), 345);
  EXPECT_EQ(form_.ListBoxL2.Height(), 345);
}

TEST_F(MeasurementLogTest, DecoderHandsOnStatesOfLampsInTheWorkerList) {
  BeginWorkerListLoad();
  StoreWorkerRow(0, "st0101", 1);
  form_.Check1.SetChecked(true);
  lamp::StatusDatagram d;
  d.set_id(lamp::IdCellStatus);
  d.set_ind_num_text("st0101");
  d.set_state(4);
  d.set_fault_bits(0x800);
  d.set_voltage(4100);
  d.set_current(320);
  HandleDatagram(220, d.bytes.data());
  ASSERT_EQ(L1().Count(), 1);
  EXPECT_NE(L1()[0].find("  4100  320  ЗАРЯД"), std::string::npos);
  EXPECT_EQ(MeasurementLogs[0].last_fault_bits, 0x800);
  form_.Edit1.SetText("st0202");
  d.set_ind_num_text("st0202");  // not in the worker list
  HandleDatagram(220, d.bytes.data());
  EXPECT_EQ(L1().Count(), 1);
  BeginWorkerListLoad();
}

class MeasurementLogSaveTest : public MeasurementLogTest {
 protected:
  MeasurementLogSaveTest() {
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    dir_ = scratch != nullptr ? scratch : "/tmp/measurement_log_test";
    std::filesystem::create_directories(dir_);
    forms::Application().SetDialogService(&dialogs_);
    form_.Check1.SetChecked(true);
    form_.Check2.SetChecked(true);
    LogLampMeasurement("st0101", 4, 0, 4000, 500);
    LogLampMeasurement("st0101", 5, 0, 4000, 500);
    LogLampMeasurement("st0201", 9, 0, 1, 2);
  }

  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::filesystem::path dir_;
  forms::ScriptedDialogService dialogs_;
};

TEST_F(MeasurementLogSaveTest, SavesTheChosenListAsCp1251Lines) {
  const auto path = dir_ / "log1.txt";
  dialogs_.save_names = {path.string()};
  form_.BitBtn2.Click();
  ASSERT_EQ(dialogs_.save_requests.size(), 1u);
  EXPECT_EQ(dialogs_.save_requests[0].default_ext, "txt");
  EXPECT_EQ(Read(path), lamp::Utf8ToCp1251(L1()[0] + "\n" + L1()[1] + "\n"));

  form_.RadioGroup1.SetItemIndex(1);
  dialogs_.save_names = {path.string()};  // truncates the earlier file
  form_.BitBtn2.Click();
  EXPECT_EQ(Read(path), lamp::Utf8ToCp1251(L2()[0] + "\n"));
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MeasurementLogSaveTest, CancelledDialogWritesNothing) {
  const auto before = std::distance(std::filesystem::directory_iterator(dir_),
                                    std::filesystem::directory_iterator());
  dialogs_.save_names = {""};
  form_.BitBtn2.Click();
  EXPECT_EQ(dialogs_.save_requests.size(), 1u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            before);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MeasurementLogSaveTest, FileThatCannotBeWrittenIsReported) {
  const auto path = dir_ / "no such folder" / "log.txt";
  dialogs_.save_names = {path.string()};
  form_.BitBtn2.Click();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Не удалось записать файл " + path.string());
  EXPECT_FALSE(SaveLogLines(form_.ListBoxL1.Items(), "/dev/full"));
}

}  // namespace
