#include "simulator/cell_model.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/simulator/sim_frames.h"

namespace {

using stationsim::CellModel;
using stationsim::StationAnswer;
using Phase = CellModel::Phase;

class Recorder : public stationsim::CellObserver {
 public:
  void EventQueued(const CellModel&, const stationsim::CellEvent& e) override {
    queued.push_back(e.code);
  }
  void EventDelivered(const CellModel&, const stationsim::CellEvent& e) override {
    delivered.push_back(e.code);
  }
  std::vector<std::uint16_t> queued, delivered;
};

// A cell with a fixed, calm life: a 1000 s shift, 50000 s in the rack, no random control
// discharges or alarms.
class CellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    life.shift_min = life.shift_max = 1000;
    life.rest_min = life.rest_max = 50000;
    life.trickle_min = life.trickle_max = 600;
    life.control_discharge_share = 0;
    life.connect_delay = 200;
    cell.Setup(stationsim::AddressOf("001a01"), 0x5A1700010001ull, 1, 7, &life, 0);
    cell.SetObserver(&recorder);
    // Start with the lamp just taken and every event of that delivered.
    cell.EnterPhase(Phase::Away, 0);
    DrainEvents(0);
    recorder.queued.clear();
    recorder.delivered.clear();
  }

  StationAnswer Send(std::uint8_t type, std::uint8_t command,
                     std::initializer_list<std::uint16_t> words, double now) {
    auto held = simtest::Request(type, command, "001a01", words);
    StationAnswer answer;
    EXPECT_TRUE(cell.Answer(held.request, now, answer));
    return answer;
  }
  // A status poll carrying the event code the server saw last.
  StationAnswer Poll(std::uint16_t seen, double now) {
    return Send(lamp::FrameServerPoll, lamp::StationCmdStatusPoll, {0, seen}, now);
  }
  static std::uint16_t Word(const StationAnswer& a, std::size_t offset) {
    return lamp::PayloadWord(a.payload_bytes(), offset);
  }
  // Polls the way the server does until the cell has nothing more to report.
  void DrainEvents(double now) {
    std::uint16_t seen = 0xFFFF;
    for (int i = 0; i < 100 && cell.queued_events() > 0; ++i) seen = Word(Poll(seen, now), 17);
    Poll(seen, now);
  }

  stationsim::LifeSettings life;
  CellModel cell;
  Recorder recorder;
};

TEST_F(CellTest, EventsAreReportedUntilThePollEchoesThem) {
  Send(lamp::FrameCellCommand, lamp::StationCmdCellControl, {0, 10}, 0);  // no lamp yet
  ASSERT_EQ(cell.queued_events(), 0u);
  cell.AdvanceTo(1000 + life.connect_delay + 1);
  ASSERT_EQ(recorder.queued, (std::vector<std::uint16_t>{0x3001, 0x3004}));

  struct Step {
    std::uint16_t seen;
    std::uint16_t reported;
  };
  const Step steps[] = {
      {0xFFFF, 0x3001},  // first report
      {0xFFFF, 0x3001},  // the answer was lost: reported again
      {0x3001, 0x3004},  // echoed: the next one
      {0x3004, 0},       // nothing more
      {0, 0},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(Word(Poll(step.seen, 1300), 17), step.reported) << "seen " << step.seen;
  }
  EXPECT_EQ(recorder.delivered, (std::vector<std::uint16_t>{0x3001, 0x3004}));
}

TEST_F(CellTest, TheSameCodeTwiceGetsAZeroBetween) {
  cell.AdvanceTo(1000);  // lamp connected
  DrainEvents(1000);
  Send(lamp::FrameCellCommand, lamp::StationCmdCycleMode, {1, 5, 0}, 1001);
  Send(lamp::FrameCellCommand, lamp::StationCmdCycleMode, {2, 10, 0}, 1002);
  EXPECT_EQ(Word(Poll(0, 1003), 17), 0x3051);
  EXPECT_EQ(Word(Poll(0x3051, 1004), 17), 0);  // the server would take a second 0x3051 as old
  EXPECT_EQ(Word(Poll(0, 1005), 17), 0x3051);
  const StationAnswer last = Poll(0x3051, 1006);
  EXPECT_EQ(Word(last, 17), 0);
  EXPECT_EQ(Word(last, 21), 2);  // cycle mode of the last command
}

TEST_F(CellTest, StatusAnswerCarriesTheAgeAndParametersOfItsEvent) {
  cell.AdvanceTo(1000);  // connected at 1000
  const StationAnswer a = Poll(0xFFFF, 1095);
  EXPECT_EQ(a.payload_length, 43u);
  EXPECT_EQ(a.payload[2], 43);  // count byte: every word up to 41 is read
  EXPECT_EQ(Word(a, 17), 0x3001);
  EXPECT_EQ(Word(a, 37), 9);  // 95 s old, in units of 10 s
  EXPECT_EQ(Word(a, 11), stationsim::kStateConnected);
  const StationAnswer none = Poll(0x3001, 1096);
  EXPECT_EQ(Word(none, 17), 0);
  EXPECT_EQ(Word(none, 37), 0xFFFF);
  EXPECT_EQ(Word(none, 39), 0xFFFF);
  EXPECT_EQ(Word(none, 41), 0xFFFF);

  // At sixty simulated seconds per real one, the age counts the real seconds.
  life.time_scale = 60;
  Send(lamp::FrameCellCommand, lamp::StationCmdCycleMode, {0, 0, 0}, 1100);
  EXPECT_EQ(Word(Poll(0, 1700), 37), 1);  // 600 simulated seconds: 10 real seconds
}

TEST_F(CellTest, ALampLivesThroughChargeTrickleReadyAndIsTakenAgain) {
  const StationAnswer away = Poll(0, 500);
  EXPECT_EQ(Word(away, 11), stationsim::kStateFree);
  EXPECT_EQ(Word(away, 5), 0);

  const StationAnswer charging = Poll(0, 1000 + life.connect_delay + 600);
  EXPECT_EQ(Word(charging, 11), stationsim::kStateCharge);
  EXPECT_NEAR(Word(charging, 7), 1500, 5);  // charge 1 current of the default record
  EXPECT_GT(Word(charging, 5), 3300);
  EXPECT_LT(Word(charging, 5), 4250);

  cell.AdvanceTo(51500);  // taken 50000 s after it came back
  EXPECT_EQ(recorder.queued,
            (std::vector<std::uint16_t>{0x3001, 0x3004, 0x3404, 0x3006, 0x3108, 0x3009}));
  EXPECT_EQ(cell.phase(), Phase::Away);

  const StationAnswer report =
      Send(lamp::FrameServerPoll, lamp::StationCmdChargeReport, {0, 0}, 51500);
  EXPECT_EQ(report.payload[0], lamp::StationCmdChargeReport);
  EXPECT_EQ(report.payload[2], 39);
  EXPECT_EQ((Word(report, 5) >> 4) & 7, 3);  // battery type: lithium-ion
  EXPECT_EQ(Word(report, 7), cell.charges_done());
  EXPECT_EQ(report.payload[24], 5);  // received charge present
  EXPECT_GT(Word(report, 25), 0);
  EXPECT_EQ(Word(report, 13) / 100, 41);  // end voltage near 4.2 V
}

TEST_F(CellTest, ControlDischargeEndsWithItsEventAndReportThenCharges) {
  cell.AdvanceTo(1000 + life.connect_delay + 1);  // charging
  Send(lamp::FrameCellCommand, lamp::StationCmdCellControl, {2, 0x102}, 2000);
  EXPECT_EQ(cell.state_code(), stationsim::kStateControlDischarge);
  const StationAnswer discharging = Poll(0, 2100);
  EXPECT_EQ(Word(discharging, 9), 1300);  // discharge current in word 9
  EXPECT_EQ(Word(discharging, 7), 0);

  cell.AdvanceTo(45000);
  // A battery below 80 % of its nominal capacity adds its alarm after the discharge.
  std::vector<std::uint16_t> seen;
  for (std::uint16_t code : recorder.queued) {
    if (code != 0x1011) seen.push_back(code);
  }
  const bool low = seen.size() != recorder.queued.size();
  EXPECT_EQ((cell.fault_bits() & stationsim::kFaultLowCapacity) != 0, low);
  const std::vector<std::uint16_t> expected{0x3001, 0x3004, 0x3102, 0x3502, 0x3004, 0x3404};
  ASSERT_GE(seen.size(), expected.size());
  EXPECT_EQ(std::vector<std::uint16_t>(seen.begin(), seen.begin() + 6), expected);

  for (std::uint8_t type : {lamp::FrameServerPoll, lamp::FrameCellCommand}) {
    const StationAnswer report = Send(type, lamp::StationCmdDischargeReport, {0, 0}, 45000);
    EXPECT_EQ(report.frame_type, type);
    EXPECT_EQ(Word(report, 7), 1300);  // discharge current
    EXPECT_GT(Word(report, 9), 10);    // minutes
    EXPECT_EQ(Word(report, 11), 660);  // nominal capacity, 0.01 A·h
  }
}

TEST_F(CellTest, OperatorStopAndStartChangeTheStateWithTheirEvents) {
  cell.AdvanceTo(1000 + life.connect_delay + 1);
  DrainEvents(1250);
  recorder.queued.clear();
  Send(lamp::FrameCellCommand, lamp::StationCmdCellControl, {0, 7}, 1300);
  EXPECT_EQ(cell.state_code(), stationsim::kStateStopped);
  Send(lamp::FrameCellCommand, lamp::StationCmdCellControl, {0, 10}, 1400);
  EXPECT_EQ(cell.state_code(), stationsim::kStateCharge);
  EXPECT_EQ(recorder.queued, (std::vector<std::uint16_t>{0x3035, 0x3030, 0x3004}));
}

TEST_F(CellTest, ABadModeRecordRaisesModeErrorsAndHoldsTheCharge) {
  stationsim::ModeRecordWords record = stationsim::DefaultModeRecord();
  const StationAnswer read = Send(lamp::FrameCellCommand, lamp::StationCmdModeRead, {64, 0, 0}, 10);
  ASSERT_EQ(read.payload_length, 53u);
  for (std::size_t i = 0; i < record.size(); ++i) EXPECT_EQ(Word(read, 5 + 2 * i), record[i]) << i;

  record[8] = 2500;  // charge current above 2 A
  std::vector<std::uint16_t> words{0};
  words.insert(words.end(), record.begin(), record.end());
  auto held = simtest::Request(lamp::FrameCellCommand, lamp::StationCmdModeWrite, "001a01", {});
  for (std::uint16_t w : words) {
    held.payload.push_back(static_cast<std::uint8_t>(w & 0xFF));
    held.payload.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  held.payload[2] = static_cast<std::uint8_t>(held.payload.size());
  held.request.payload = held.payload;
  StationAnswer answer;
  ASSERT_TRUE(cell.Answer(held.request, 20, answer));
  EXPECT_EQ(cell.mode_error_bits(), 0x20);

  cell.AdvanceTo(1000 + life.connect_delay + 100);
  EXPECT_EQ(Word(Poll(0, 1350), 13), 0x20);
  EXPECT_EQ(cell.state_code(), stationsim::kStateConnected);  // no charge with a bad mode

  record[8] = 1500;
  for (std::size_t i = 0; i < record.size(); ++i) {
    held.payload[5 + 2 * i] = static_cast<std::uint8_t>(record[i] & 0xFF);
    held.payload[6 + 2 * i] = static_cast<std::uint8_t>(record[i] >> 8);
  }
  ASSERT_TRUE(cell.Answer(held.request, 1400, answer));
  EXPECT_EQ(cell.mode_error_bits(), 0);
  cell.AdvanceTo(1400 + life.connect_delay + 1);
  EXPECT_EQ(cell.state_code(), stationsim::kStateCharge);
}

TEST_F(CellTest, AChargeTimeoutLatchesItsFaultUntilTheOperatorResets) {
  life.charge_timeout_share = 1;
  cell.AdvanceTo(30000);
  EXPECT_EQ(cell.state_code(), stationsim::kStateStopped);
  EXPECT_EQ(cell.fault_bits(), stationsim::kFaultChargeTimeout);
  EXPECT_EQ(recorder.queued.back(), 0x1010);
  EXPECT_FALSE(cell.has_charge_report());
  Send(lamp::FrameCellCommand, lamp::StationCmdCellReset, {1, 2}, 30001);
  EXPECT_EQ(cell.fault_bits(), 0);
  EXPECT_EQ(recorder.queued.back(), 0x5010);
}

TEST_F(CellTest, ASilentCellAnswersNothingWhileItsSilenceLasts) {
  cell.AddSilence(10, 20);
  cell.AddSilence(30, 40);
  auto held = simtest::Request(lamp::FrameServerPoll, lamp::StationCmdStatusPoll, "001a01", {0, 0});
  StationAnswer answer;
  EXPECT_TRUE(cell.Answer(held.request, 9.9, answer));
  EXPECT_FALSE(cell.Answer(held.request, 10, answer));
  EXPECT_FALSE(cell.Answer(held.request, 19.9, answer));
  EXPECT_TRUE(cell.Answer(held.request, 20, answer));
  EXPECT_FALSE(cell.Answer(held.request, 35, answer));  // a second silence of its own
  EXPECT_TRUE(cell.Answer(held.request, 40, answer));
}

TEST(ModeErrorBits, EachValueOutOfRangeSetsItsBitOnlyWhenItsStageIsOn) {
  stationsim::ModeRecordWords record = stationsim::DefaultModeRecord();
  EXPECT_EQ(stationsim::ModeErrorBitsOf(record), 0);
  record[3] = 6000;  // nominal voltage
  record[16] = 30;   // control discharge current
  EXPECT_EQ(stationsim::ModeErrorBitsOf(record), 0x4 | 0x100);
  record = stationsim::DefaultModeRecord();
  record[4] = 0;  // pre-discharge current: not checked while pre-discharge is off
  EXPECT_EQ(stationsim::ModeErrorBitsOf(record), 0);
  record[21] |= 0x1;
  EXPECT_EQ(stationsim::ModeErrorBitsOf(record), 0x8);
}

}  // namespace
