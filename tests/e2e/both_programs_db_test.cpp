// The server's and the workstation's own code side by side in one process, in virtual time:
// the server's five forms and the workstation's 14 windows as their programs create them,
// simulated stations on loopback addresses answering the server at the moments the
// application's manual clock gives, and the private database both programs load WORKER from.
// The road of one command from the lamp card to the cell and back, the overview counts, a
// cell that falls silent, the charge-mode record read and written, the device-number tool,
// and a charge report from the cell to the lamp card.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/code_tables.h"
#include "link/mode_record.h"
#include "platform/forms/application.h"
#include "server/database_connection.h"
#include "server/form_wiring_program.h"
#include "server/poll_cycle.h"
#include "server/station_frame.h"
#include "server/workstation_link.h"
#include "simulator/lamp_room.h"
#include "simulator/station_link.h"
#include "tests/server/server_state.h"
#include "tests/server/startup_fixture.h"
#include "tests/support/test_database.h"
#include "tests/workstation/views_fixture.h"
#include "workstation/battery_editor.h"
#include "workstation/command_sender.h"
#include "workstation/connect_window.h"
#include "workstation/database_client.h"
#include "workstation/device_number_tool.h"
#include "workstation/display_loop.h"
#include "workstation/program_windows.h"
#include "workstation/receive_socket.h"

namespace {

constexpr int kStations = 3;
constexpr int kCellsPerStation = 8;
// A pass of the poll cycle: one cell of every station per 96 ms tick, the ping on tick 56.
constexpr std::int64_t kPassMs = (tolvex::kPassPingTick + 1) * 96;
// One more lamp of station 3 whose number has a Cyrillic letter: cp1251 in WORKER, the
// datagrams and the frames, UTF-8 on the screen.
constexpr const char* kCyrillicLamp =
    "003\xE1"
    "09";
constexpr const char* kCyrillicLampOnScreen = "003б09";

// A UDP port of the loopback address that nobody holds at the moment.
std::uint16_t FreeLoopbackPort() {
  const int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
  close(s);
  return ntohs(address.sin_port);
}

// Every request a cell answered that was no regular status poll.
struct CellCommand {
  std::string number;
  std::uint8_t frame_type;
  std::uint8_t command;
  std::uint16_t word1, word2;
};
class CommandRecorder : public stationsim::CellObserver {
 public:
  void AnswerGiven(const stationsim::CellModel& cell, const stationsim::StationRequest& request,
                   const stationsim::StationAnswer&) override {
    if (request.frame_type == lamp::FrameServerPoll &&
        request.command() == lamp::StationCmdStatusPoll) {
      return;
    }
    commands.push_back({std::string(cell.address().data(), 6), request.frame_type,
                        request.command(), request.word(3), request.word(5)});
  }
  std::vector<CellCommand> commands;
};

// The stations of the lamp room, answering whatever waits on their sockets every few
// milliseconds of the application's clock, at the simulated moment that clock gives.
class SimulatedStations {
 public:
  // time_scale 0: the cells keep the phase they start in (or are put in), so the views can be
  // compared with them; else they live, time_scale simulated seconds per second.
  bool Open(const std::vector<stationsim::WorkerRow>& rows, const std::string& host_table,
            double time_scale, std::string& error) {
    stationsim::RoomOptions options;
    options.address_base = 60 + getpid() % 100;
    options.port = static_cast<std::uint16_t>(20000 + (getpid() + 31) % 20000);
    if (time_scale > 0) {
      scale_ = time_scale;
      options.life.time_scale = time_scale;
    } else {
      options.life.life_end = 0;
    }
    std::string warnings;
    if (!room_->Build(rows, options, Now(), &recorder_, warnings)) {
      error = warnings;
      return false;
    }
    if (!stationsim::WriteHostTable(host_table, *room_, error)) return false;
    if (!link_.Open(*room_, error)) return false;
    timer_.OnTimer = [this] { Serve(); };
    timer_.SetEnabled(true);
    return true;
  }

  double Now() const { return static_cast<double>(forms::Application().NowMs()) / 1000.0 * scale_; }
  stationsim::CellModel& Cell(const char* number) {
    stationsim::Address address{};
    std::copy_n(number, 6, address.begin());
    stationsim::CellModel* cell = room_->FindCell(address);
    EXPECT_NE(cell, nullptr) << number;
    return *cell;
  }
  const std::vector<CellCommand>& commands() const { return recorder_.commands; }

 private:
  void Serve() {
    clock_.Set(Now());
    room_->AdvanceTo(Now());
    link_.Serve(0, clock_);
  }

  double scale_ = 1;
  CommandRecorder recorder_;
  std::unique_ptr<stationsim::LampRoom> room_ = std::make_unique<stationsim::LampRoom>();
  stationsim::StationLink link_;
  stationsim::SimClock clock_ = stationsim::SimClock::Fixed(0);
  forms::TTimer timer_{nullptr, "StationsTimer", 4, false};
};

// The server's configuration: the database on this machine, a new pass as soon as the last
// one has pinged (a period of 1 s), no report file, nothing hidden.
void WriteConfig(const std::string& path) {
  tolvex::ServerConfigRecord record;
  record.PollPeriod = 1;
  tolvex::StoreConfigText(record.Host, "localhost");
  tolvex::StoreConfigText(record.Login, "root");
  tolvex::StoreConfigText(record.Password, "q758");
  const char* times[] = {"01:00", "07:00", "13:00", "19:00"};
  for (std::size_t k = 0; k < 4; ++k) tolvex::StoreConfigText(record.Times[k], times[k]);
  record.Magic = tolvex::kServerConfigMagic;
  std::array<std::uint8_t, tolvex::kServerConfigSize> image{};
  tolvex::EncodeServerConfig(record, image);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), image.size());
}

class BothPrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyAllTables()) << db_.last_error();
    workers_ = stationsim::MakeSampleWorkers(kStations, kCellsPerStation);
    workers_.push_back(stationsim::MakeWorkerRow(kCyrillicLamp, 3));
    for (const stationsim::WorkerRow& row : workers_) {
      ASSERT_TRUE(db_.Execute("INSERT INTO WORKER (TABNUM, ST, UCH, BRIG, WTBNUM) VALUES ('" +
                              std::string(row.tabnum.data()) + "', " + std::to_string(row.station) +
                              ", 1, 2, 3)"))
          << db_.last_error();
    }
    std::string error;
    ASSERT_TRUE(stations_.Open(workers_, (state_.dir / "hostab.txt").string(), TimeScale(), error))
        << error;
    WriteConfig((state_.dir / "ddport.sbp").string());

    // The two programs meet on two free loopback ports instead of 4010 and 4011.
    const std::uint16_t server_port = FreeLoopbackPort();
    const std::uint16_t workstation_port = FreeLoopbackPort();
    tolvex::MonitorEndpoints.bind_port = server_port;
    tolvex::MonitorEndpoints.destination_port = workstation_port;
    lumora::ReceiveEndpoints.bind_port = workstation_port;
    lumora::ReceiveEndpoints.server_port = server_port;

    forms::Application().SetDialogService(&dialogs_);
    // The operator types the login into the connect window and connects.
    forms::Application().SetModalRunner([this](forms::TForm& form) {
      if (&form == &workstation_->connect_window) {
        ++connect_window_shown_;
        workstation_->connect_window.EditU.SetText("root");
        workstation_->connect_window.EditP.SetText("q758");
        workstation_->connect_window.BitBtn1.Click();
      }
      forms::TApplication::VirtualTimeModalRunner(10000)(form);
    });

    server_ = std::make_unique<tolvex::ServerWindows>();
    server_->main_window.Show();
    ResetCommandState();
    workstation_ = std::make_unique<lumora::ProgramWindows>();
    workstation_->main_window.Show();
  }

  virtual double TimeScale() const { return 0; }

  // What an earlier test in this process left of the programs' globals, back at the start.
  static void ResetCommandState() {
    views_test::ResetWorkstationState();
    lumora::ConnectTick = lumora::kConnectTickStart;
    lumora::PendingCommand = {};
    lumora::LampCommandTries = 0;
    lumora::LampCommandWait = 0;
    lumora::ModeFormRecord = {};
    lumora::ModeReadWindow = 0;
    lumora::ModeWritePending = 0;
    lumora::ModeWriteWindow = 0;
    lumora::ModeWriteState = lumora::kModeWriteSent;
    lumora::NumberAnswerLatch = lumora::kLatchNone;
    lumora::RenumberState = lumora::kRenumberIdle;
    lumora::RenumberTicks = 0;
    lumora::LastAnswerCommand = 0;
    server_test::ResetCellRegistry();
    tolvex::PassTick = 0;
    tolvex::PassCursor.fill(0);
    tolvex::MissedPingCount = 0;
  }

  void TearDown() override {
    forms::Application().SetModalRunner({});
    workstation_.reset();
    server_.reset();
    forms::Application().SetMainForm(nullptr);
    forms::Application().SetDialogService(nullptr);
    lumora::CloseDbConnection();
    tolvex::CloseDatabase();
    server_test::CloseMonitorSocket();
    server_test::CloseStationSocket();
    if (lumora::ReceiveSocketState == lumora::kSocketBound)
      wsock::closesocket(lumora::ReceiveSocket);
    lumora::ReceiveSocket = wsock::INVALID_SOCKET;
    lumora::ReceiveSocketState = lumora::kSocketNotBound;
    lumora::ReceiveEndpoints = {};
  }

  static void Advance(std::int64_t ms) { forms::Application().AdvanceTime(ms); }
  // Moves time in steps of 100 ms until done() holds, at most limit_ms.
  template <typename Done>
  static bool AdvanceUntil(Done done, std::int64_t limit_ms = 10000) {
    for (std::int64_t waited = 0; waited < limit_ms; waited += 100) {
      if (done()) return true;
      Advance(100);
    }
    return done();
  }

  // Both programs started: the server polls, the workstation has its worker list and its
  // socket, and every cell has reported at least once.
  void StartBothPrograms() {
    Advance(6000);
    ASSERT_NE(tolvex::DatabaseHandle, nullptr);
    ASSERT_EQ(tolvex::CellCount, kStations * kCellsPerStation + 1);
    ASSERT_EQ(connect_window_shown_, 1);
    ASSERT_FALSE(workstation_->connect_window.Visible());
    ASSERT_EQ(lumora::WorkerList.count, kStations * kCellsPerStation + 1);
    ASSERT_EQ(lumora::ReceiveSocketState, lumora::kSocketBound);
    Advance(5000);
    for (const stationsim::WorkerRow& row : workers_) {
      const std::int32_t slot = Slot(row.tabnum.data());
      ASSERT_GE(slot, 0) << row.tabnum.data();
      ASSERT_GT(lumora::CellTable.datagram_count[At(slot)], 0) << row.tabnum.data();
    }
  }

  static std::int32_t Slot(const char* number) { return lumora::FindDeviceSlot(number); }
  static std::size_t At(std::int32_t slot) { return static_cast<std::size_t>(slot); }

  // The station view's row of a lamp of the current station: LV1A holds positions 0..26.
  forms::TListItem* StationRow(const char* number) {
    forms::TListView& list = workstation_->station_view.LV1A;
    for (int r = 0; r < list.Items().Count(); ++r) {
      forms::TListItem* row = list.Items().Item(r);
      if (row->SubItems().Count() > 0 && row->SubItems().Get(0) == number) return row;
    }
    return nullptr;
  }

  std::vector<std::string> LiveEventRowsOf(const char* number) {
    std::vector<std::string> codes;
    forms::TListView& list = workstation_->live_events.LV1;
    for (int r = 0; r < list.Items().Count(); ++r) {
      forms::TListItem* row = list.Items().Item(r);
      if (row->Caption() == number) codes.push_back(row->SubItems().Get(1));
    }
    return codes;
  }

  startup_test::ProgramState state_;  // first: the manual clock and the scratch directory
  lamptest::TestDatabase db_;
  forms::ScriptedDialogService dialogs_;
  std::vector<stationsim::WorkerRow> workers_;
  SimulatedStations stations_;
  std::unique_ptr<tolvex::ServerWindows> server_;
  std::unique_ptr<lumora::ProgramWindows> workstation_;
  int connect_window_shown_ = 0;
};

TEST_F(BothPrograms, StartFromTheLampCardReachesTheCellAndItsNewStateComesBack) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  const char* number = "001a02";
  const std::int32_t slot = Slot(number);
  stations_.Cell(number).EnterPhase(stationsim::CellModel::Phase::Stopped, stations_.Now());
  ASSERT_TRUE(
      AdvanceUntil([&] { return lumora::CellTable.state[At(slot)] == stationsim::kStateStopped; }));
  lumora::SetCurrentStation(1);
  lumora::TFormSVET& card = workstation_->lamp_card;
  card.EditTN.SetText(number);
  card.Show();
  Advance(1000);
  const std::size_t live_rows_before = LiveEventRowsOf(number).size();

  card.BitBtn1.Click();  // "ПУСК"
  EXPECT_EQ(lumora::PendingCommand.command, lumora::CmdStart);
  EXPECT_EQ(card.EditWAIT.Text(), "");
  EXPECT_EQ(card.EditWAIT.Color(), lumora::kWaitColor);
  // The command answer drops the pending command: no sends left, no answer awaited, the wait
  // field back on white.
  ASSERT_TRUE(AdvanceUntil(
      [] { return lumora::LampCommandTries == 0 && lumora::LampCommandWait == 0; }, 3000));
  EXPECT_EQ(card.EditWAIT.Color(), forms::clWhite);
  EXPECT_NE(card.EditWAIT.Text(), lumora::kLampCardNoLinkText);

  // Exactly the one cell took the command: frame type 0x79, command 0xA1, words 0 and 10.
  ASSERT_EQ(stations_.commands().size(), 1u);
  const CellCommand& sent = stations_.commands()[0];
  EXPECT_EQ(sent.number, number);
  EXPECT_EQ(sent.frame_type, lamp::FrameCellCommand);
  EXPECT_EQ(sent.command, lamp::StationCmdCellControl);
  EXPECT_EQ(sent.word1, 0);
  EXPECT_EQ(sent.word2, 10);
  EXPECT_EQ(stations_.Cell(number).state_code(), stationsim::kStateCharge);

  // The cell's next status reaches the cell table, the lamp card, the station view and the
  // live events list (the operator's start and the charge start).
  ASSERT_TRUE(
      AdvanceUntil([&] { return lumora::CellTable.state[At(slot)] == stationsim::kStateCharge; }));
  Advance(1000);
  EXPECT_EQ(card.EditWAIT.Text(), lamp::CellStateText(stationsim::kStateCharge));
  forms::TListItem* row = StationRow(number);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->SubItems().Get(1), lamp::CellStateListText(stationsim::kStateCharge));
  ASSERT_TRUE(AdvanceUntil([&] { return LiveEventRowsOf(number).size() >= live_rows_before + 2; }));
  const std::vector<std::string> codes = LiveEventRowsOf(number);
  EXPECT_EQ(codes[0], "3004");  // newest first
  EXPECT_EQ(codes[1], "3030");
  // The server recorded both events of the cell.
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM event WHERE TabNum = '001a02' AND KSOB IN "
                           "(12336, 12292)"),
            "2");
}

TEST_F(BothPrograms, EachCellButtonOfTheLampCardBringsItsCellToItsState) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  using Phase = stationsim::CellModel::Phase;
  struct Case {
    const char* button;
    forms::TBitBtn lumora::TFormSVET::*control;
    const char* number;
    Phase before;
    std::uint16_t word1, word2;
    std::uint16_t state_after;
    const char* event_after;  // the newest live event of the lamp
  };
  const Case cases[] = {
      {"СТОП", &lumora::TFormSVET::BitBtn2, "003a02", Phase::Charge, 0, 7,
       stationsim::kStateStopped, "3035"},
      {"К.Разряд", &lumora::TFormSVET::BitBtn8, "003a03", Phase::Charge, 2, 0x102,
       stationsim::kStateControlDischarge, "3102"},
      {"ПУСК", &lumora::TFormSVET::BitBtn1, "003a04", Phase::Stopped, 0, 10,
       stationsim::kStateCharge, "3004"},
  };
  lumora::SetCurrentStation(3);
  lumora::TFormSVET& card = workstation_->lamp_card;
  card.Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    const std::int32_t slot = Slot(c.number);
    stations_.Cell(c.number).EnterPhase(c.before, stations_.Now());
    const std::uint16_t state_before = stations_.Cell(c.number).state_code();
    ASSERT_TRUE(AdvanceUntil([&] { return lumora::CellTable.state[At(slot)] == state_before; }));
    card.EditTN.SetText(c.number);
    Advance(1000);
    const std::size_t commands_before = stations_.commands().size();
    ASSERT_EQ((card.*c.control).Caption(), c.button);

    (card.*c.control).Click();
    ASSERT_TRUE(AdvanceUntil([&] { return lumora::CellTable.state[At(slot)] == c.state_after; },
                             2 * kPassMs));
    ASSERT_EQ(stations_.commands().size(), commands_before + 1);
    const CellCommand& sent = stations_.commands().back();
    EXPECT_EQ(sent.number, c.number);
    EXPECT_EQ(sent.frame_type, lamp::FrameCellCommand);
    EXPECT_EQ(sent.command, lamp::StationCmdCellControl);
    EXPECT_EQ(sent.word1, c.word1);
    EXPECT_EQ(sent.word2, c.word2);
    EXPECT_EQ(lumora::LampCommandTries, 0);
    Advance(1000);
    EXPECT_EQ(card.EditWAIT.Text(), lamp::CellStateText(c.state_after));
    forms::TListItem* row = StationRow(c.number);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->SubItems().Get(1), lamp::CellStateListText(c.state_after));
    ASSERT_TRUE(AdvanceUntil([&] {
      const std::vector<std::string> codes = LiveEventRowsOf(c.number);
      return !codes.empty() && codes[0] == c.event_after;
    }));
  }
}

TEST_F(BothPrograms, CycleModeSetOnTheLampCardIsShownOnceTheCellReportsIt) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  const char* number = "002a06";
  const std::int32_t slot = Slot(number);
  lumora::SetCurrentStation(2);
  workstation_->station_view.EditINDN.SetText(number);
  lumora::TFormSVET& card = workstation_->lamp_card;
  card.EditTN.SetText(number);
  card.Show();
  Advance(1000);
  ASSERT_EQ(lumora::CellTable.cycle_mode[At(slot)], 0);
  EXPECT_EQ(card.EditCIK.Text(), "ОТКЛ");

  card.RadioMD.SetItemIndex(1);
  card.EditKC.SetText("5");
  card.BitBtn3.Click();  // "Установить"
  ASSERT_TRUE(
      AdvanceUntil([&] { return lumora::CellTable.cycle_mode[At(slot)] == 1; }, 2 * kPassMs));
  ASSERT_EQ(stations_.commands().size(), 1u);
  EXPECT_EQ(stations_.commands()[0].command, lamp::StationCmdCycleMode);
  EXPECT_EQ(stations_.commands()[0].word1, 1);
  EXPECT_EQ(stations_.commands()[0].word2, 5);
  EXPECT_EQ(stations_.Cell(number).cycle_mode(), 1);
  Advance(1000);
  EXPECT_EQ(card.EditCIK.Text(), "ВКЛ");
  EXPECT_EQ(workstation_->station_view.EditMD.Text(), "ВКЛ");
  ASSERT_TRUE(AdvanceUntil([&] {
    const std::vector<std::string> codes = LiveEventRowsOf(number);
    return !codes.empty() && codes[0] == "3051";
  }));
}

TEST_F(BothPrograms, ALampNumberWithACyrillicLetterTakesTheWholeRoadAndBackFromTheDatabase) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  const std::int32_t slot = Slot(kCyrillicLamp);
  ASSERT_GE(slot, 0);
  stations_.Cell(kCyrillicLamp).EnterPhase(stationsim::CellModel::Phase::Stopped, stations_.Now());
  ASSERT_TRUE(
      AdvanceUntil([&] { return lumora::CellTable.state[At(slot)] == stationsim::kStateStopped; }));
  lumora::SetCurrentStation(3);
  lumora::TFormSVET& card = workstation_->lamp_card;
  card.EditTN.SetText(kCyrillicLampOnScreen);
  card.Show();
  Advance(1000);
  EXPECT_EQ(card.EditWAIT.Text(), lamp::CellStateText(stationsim::kStateStopped));

  card.BitBtn1.Click();  // "ПУСК"
  ASSERT_TRUE(AdvanceUntil(
      [&] { return lumora::CellTable.state[At(slot)] == stationsim::kStateCharge; }, 2 * kPassMs));
  ASSERT_EQ(stations_.commands().size(), 1u);
  EXPECT_EQ(stations_.commands()[0].number, kCyrillicLamp);
  EXPECT_EQ(lumora::LampCommandTries, 0);
  Advance(1000);
  EXPECT_EQ(card.EditWAIT.Text(), lamp::CellStateText(stationsim::kStateCharge));
  forms::TListItem* row = StationRow(kCyrillicLampOnScreen);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->SubItems().Get(1), lamp::CellStateListText(stationsim::kStateCharge));
  ASSERT_TRUE(AdvanceUntil([&] {
    const std::vector<std::string> codes = LiveEventRowsOf(kCyrillicLampOnScreen);
    return !codes.empty() && codes[0] == "3004";
  }));
  EXPECT_EQ(db_.QueryValue(std::string("SELECT COUNT(*) FROM event WHERE TabNum = '") +
                           kCyrillicLamp + "' AND KSOB = 12336"),
            "1");

  workstation_->station_view.EditINDN.SetText(kCyrillicLampOnScreen);
  workstation_->station_view.BitBtn5.Click();  // "Соб."
  // The event history reads back what the server wrote: newest first, under the lamp's number.
  const forms::TListView& history = workstation_->event_history.ListView1;
  ASSERT_EQ(history.Items().Count(), 3);
  const std::pair<const char*, const char*> rows[] = {
      {"3004", "ЗАРЯД"}, {"3030", "ПУСК-ОПЕРАТОР"}, {"3035", "ОСТАНОВЛЕН-ОПЕРАТОР"}};
  for (int r = 0; r < 3; ++r) {
    const forms::TListItem& item = *history.Items().Item(r);
    EXPECT_EQ(item.Caption(), kCyrillicLampOnScreen) << r;
    EXPECT_EQ(item.SubItems().Get(2), rows[r].first) << r;
    EXPECT_EQ(item.SubItems().Get(3), rows[r].second) << r;
  }
}

TEST_F(BothPrograms, TheDeviceNumberToolFindsACellAndGivesItANewNumber) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  lumora::TFormNUM& tool = workstation_->device_numbers;
  const forms::TStrings& lines = tool.ListBox1.Items();
  const std::uint64_t fab_num = stations_.Cell("002a03").fab_num();
  tool.Show();
  tool.EditTN.SetText("002a03");
  tool.BitBtn1.Click();  // "Поиск"
  ASSERT_TRUE(AdvanceUntil([&] { return lines.Count() >= 5; }, 2000));
  EXPECT_EQ(lines.Get(1), "Зар. ст.  2");
  EXPECT_EQ(lines.Get(3), "Инд.номер 002a03");
  EXPECT_EQ(lines.Get(4), "Зав.номер 00005A17-00020003");
  ASSERT_EQ(stations_.commands().size(), 1u);
  EXPECT_EQ(stations_.commands()[0].frame_type, lamp::FrameNumberCommand);
  EXPECT_EQ(stations_.commands()[0].command, lamp::StationCmdFindDevice);

  // The four steps: find the old number, write the new one, initialise, find the new one.
  tool.EditOLDN.SetText("002a03");
  tool.EditNEWN.SetText("002z03");
  tool.BitBtn4.Click();  // "Запись"
  ASSERT_TRUE(AdvanceUntil([&] { return lines.Get(lines.Count() - 1) == "Выполнено"; }, 3000));
  EXPECT_EQ(lines.Get(lines.Count() - 3), "Инд.номер 002z03");
  std::vector<std::pair<std::string, std::uint8_t>> steps;
  for (std::size_t k = 1; k < stations_.commands().size(); ++k) {
    steps.emplace_back(stations_.commands()[k].number, stations_.commands()[k].command);
  }
  const std::vector<std::pair<std::string, std::uint8_t>> expected_steps = {
      {"002a03", lamp::StationCmdFindDevice},
      {"002a03", lamp::StationCmdWriteNumber},
      {"002z03", lamp::StationCmdInitDevice},
      {"002z03", lamp::StationCmdFindDevice}};
  EXPECT_EQ(steps, expected_steps);
  EXPECT_EQ(stations_.Cell("002z03").fab_num(), fab_num);
}

TEST_F(BothPrograms, AStartToASilentCellEndsInNoLinkOnTheLampCard) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  const char* number = "001a07";
  const double now = stations_.Now();
  stations_.Cell(number).AddSilence(now, now + 600);
  lumora::TFormSVET& card = workstation_->lamp_card;
  card.EditTN.SetText(number);
  card.Show();
  Advance(1000);

  card.BitBtn1.Click();  // "ПУСК"
  // Three sends 300 ms apart, each taken by the server and sent on to the stations; the
  // cell answers none.
  ASSERT_TRUE(
      AdvanceUntil([&] { return card.EditWAIT.Text() == lumora::kLampCardNoLinkText; }, 3000));
  EXPECT_EQ(lumora::LampCommandTries, 0);
  EXPECT_TRUE(stations_.commands().empty());
  EXPECT_EQ(tolvex::PendingStationCommand.code, 0);
  // The message stays while its hold lasts.
  Advance(1000);
  EXPECT_EQ(card.EditWAIT.Text(), lumora::kLampCardNoLinkText);
}

// The state counts per station the overview shows, from the simulator's own cells.
struct Counts {
  int numbered = 0, connected = 0, free = 0, discharge = 0, charge = 0, trickle = 0, ready = 0;
};

class LampRoomCountsTest : public BothPrograms {
 protected:
  // The overview's rows of the lamp room's stations against the simulator's cells, the state
  // of every cell in the cell table alike.
  void ExpectCountsOfTheSimulatedCells() {
    std::array<Counts, kStations + 1> expected{};
    for (const stationsim::WorkerRow& row : workers_) {
      Counts& c = expected[static_cast<std::size_t>(row.station)];
      const std::uint16_t state = stations_.Cell(row.tabnum.data()).state_code();
      ++c.numbered;
      if ((state & 0xFF) == stationsim::kStateConnected) ++c.connected;
      if (state == stationsim::kStateFree) ++c.free;
      if ((state & 0xFF) == stationsim::kStateDischarge) ++c.discharge;
      if ((state & 0xFF) == stationsim::kStateCharge) ++c.charge;
      if ((state & 0xFF) == stationsim::kStateTrickle) ++c.trickle;
      if ((state & 0xFF) == stationsim::kStateReady) ++c.ready;
      EXPECT_EQ(lumora::CellTable.state[At(Slot(row.tabnum.data()))], state) << row.tabnum.data();
    }
    forms::TListView& list = workstation_->overview.LV1;
    for (int station = 1; station <= kStations; ++station) {
      const Counts& c = expected[static_cast<std::size_t>(station)];
      const std::vector<std::string> want = {std::to_string(c.numbered),
                                             std::to_string(c.connected),
                                             std::to_string(c.free),
                                             std::to_string(c.discharge),
                                             std::to_string(c.charge),
                                             std::to_string(c.trickle),
                                             std::to_string(c.ready),
                                             "0",
                                             "0",
                                             "0"};
      EXPECT_EQ(list.Items().Item(station - 1)->SubItems().Items(), want) << "station " << station;
    }
    EXPECT_EQ(list.Items().Item(kStations)->SubItems().Items(), std::vector<std::string>(10, ""));
    EXPECT_EQ(workstation_->overview.Edit3.Color(), lumora::kSummaryGood);
  }
};

TEST_F(LampRoomCountsTest, OverviewCountsFollowTheSimulatedCells) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  Advance(2 * kPassMs);
  {
    SCOPED_TRACE("after start");
    ExpectCountsOfTheSimulatedCells();
  }
  // Lamps change: one is taken from its cell, one is stopped, one starts charging.
  const double now = stations_.Now();
  stations_.Cell("001a01").EnterPhase(stationsim::CellModel::Phase::Away, now);
  stations_.Cell("002a04").EnterPhase(stationsim::CellModel::Phase::Stopped, now);
  stations_.Cell("003a08").EnterPhase(stationsim::CellModel::Phase::Charge, now);
  Advance(2 * kPassMs);
  SCOPED_TRACE("after the changes");
  ExpectCountsOfTheSimulatedCells();
}

TEST_F(BothPrograms, ASilentCellShowsNoLinkAndTheServerWritesOneLostLinkRow) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  const char* number = "002a01";
  const std::int32_t slot = Slot(number);
  const double now = stations_.Now();
  const double silence_end = now + 180;
  stations_.Cell(number).AddSilence(now, silence_end);
  lumora::SetCurrentStation(2);
  workstation_->station_view.EditINDN.SetText(number);
  lumora::TFormSVET& card = workstation_->lamp_card;
  card.EditTN.SetText(number);
  card.Show();

  // Four polls without an answer: the server reports the cell lost once, and the workstation
  // counts the link age from that report.
  Advance(30000);
  EXPECT_EQ(lumora::CellTable.fault_bits[At(slot)], 0x8000u);
  EXPECT_EQ(lumora::CellTable.no_link[At(slot)], 0);
  const std::string lost_rows =
      "SELECT COUNT(*) FROM event WHERE TabNum = '002a01' AND KSOB = 4160";
  EXPECT_EQ(db_.QueryValue(lost_rows), "1");
  ASSERT_TRUE(AdvanceUntil([&] { return lumora::CellTable.no_link[At(slot)] == 1; }, 60000));
  EXPECT_GE(lumora::CellTable.link_age[At(slot)], 41);
  Advance(1000);

  EXPECT_EQ(db_.QueryValue(lost_rows), "1");
  EXPECT_EQ(db_.QueryValue("SELECT NSP2 FROM event WHERE TabNum = '002a01' AND KSOB = 4160"),
            "32768");
  EXPECT_EQ(workstation_->overview.LV1.Items().Item(1)->SubItems().Get(9), "1");
  EXPECT_EQ(workstation_->overview.LV1.Items().Item(0)->SubItems().Get(9), "0");
  EXPECT_EQ(workstation_->overview.Edit3.Color(), lumora::kSummaryFault);
  forms::TListItem* row = StationRow(number);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->SubItems().Get(1), "");
  EXPECT_EQ(row->SubItems().Get(2), lumora::kStationViewNoLinkText);
  EXPECT_EQ(workstation_->station_view.Memo1.Text(),
            std::string(lumora::kStationViewNoLinkText) + "\n");
  EXPECT_EQ(workstation_->station_view.EditSTAT.Text(), "");
  // The lamp card takes the lost link at its next refresh of the display cycle (60.5 s).
  EXPECT_TRUE(
      AdvanceUntil([&] { return card.EditWAIT.Text() == lumora::kLampCardNoLinkText; }, 61000));
  EXPECT_EQ(db_.QueryValue(lost_rows), "1");
  ASSERT_LT(stations_.Now(), silence_end);

  // The cell answers again: its state is back in every view, and the lost link was written
  // only once.
  const std::uint16_t state = stations_.Cell(number).state_code();
  ASSERT_TRUE(AdvanceUntil(
      [&] { return lumora::CellTable.no_link[At(slot)] == 0; },
      static_cast<std::int64_t>((silence_end - stations_.Now()) * 1000) + 2 * kPassMs));
  Advance(1000);
  EXPECT_EQ(lumora::CellTable.state[At(slot)], state);
  EXPECT_EQ(lumora::CellTable.fault_bits[At(slot)], 0u);
  EXPECT_EQ(workstation_->overview.LV1.Items().Item(1)->SubItems().Get(9), "0");
  EXPECT_EQ(workstation_->overview.Edit3.Color(), lumora::kSummaryGood);
  EXPECT_EQ(row->SubItems().Get(1), lamp::CellStateListText(state));
  EXPECT_EQ(workstation_->station_view.EditSTAT.Text(), lamp::CellStateText(state));
  EXPECT_EQ(card.EditWAIT.Text(), lamp::CellStateText(state));
  EXPECT_EQ(db_.QueryValue(lost_rows), "1");
  // Minutes of the two programs together: the workstation answered every ping and the
  // server never fell silent towards it, so neither socket watchdog came near its limit.
  EXPECT_LE(tolvex::MissedPingCount, 1);
  EXPECT_GT(tolvex::MonitorWatchdog, 10);
  EXPECT_LT(lumora::LinkSilenceCount, 2);
  EXPECT_EQ(lumora::ReceiveSocketState, lumora::kSocketBound);
}

TEST_F(BothPrograms, ReadingTheModeRecordFromTheBatteryEditorBringsTheCellsRecord) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  const char* number = "002a03";
  // The record the cell holds, as the editor must show it.
  const stationsim::ModeRecordWords words = stations_.Cell(number).mode_record();
  std::array<std::uint8_t, lamp::kModeRecordSize> bytes{};
  for (std::size_t k = 0; k < words.size(); ++k) {
    bytes[2 * k] = static_cast<std::uint8_t>(words[k]);
    bytes[2 * k + 1] = static_cast<std::uint8_t>(words[k] >> 8);
  }
  const lamp::ModeDisplayRecord expected = lamp::UnpackModeRecord(bytes);

  lumora::ShowBatteryEditor(100, 100, number);
  lumora::TFormBAT& editor = workstation_->battery_editor;
  ASSERT_TRUE(editor.Visible());
  EXPECT_EQ(editor.EditTN.Text(), number);
  editor.BitBtn2.Click();  // "Считать из  устройства"
  ASSERT_NE(expected, lumora::ModeFormRecord);
  ASSERT_TRUE(AdvanceUntil([&] { return lumora::ModeFormRecord == expected; }, 1000));
  EXPECT_EQ(editor.EditACC.Text(), "6.60");
  EXPECT_EQ(stations_.commands().size(), 1u);
  EXPECT_EQ(stations_.commands()[0].number, number);
  EXPECT_EQ(stations_.commands()[0].command, lamp::StationCmdModeRead);
  // The lamp card's parameter list shows the record too.
  EXPECT_EQ(workstation_->lamp_card.ListView1.Items().Count(), 15);
}

TEST_F(BothPrograms, AChangedRecordWrittenFromTheBatteryEditorReachesTheCellAndTheDatabase) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  const char* number = "001a05";
  lumora::TFormSVET& card = workstation_->lamp_card;
  card.EditTN.SetText(number);
  card.Show();
  Advance(1000);
  lumora::ShowBatteryEditor(100, 100, number);
  lumora::TFormBAT& editor = workstation_->battery_editor;
  editor.BitBtn2.Click();  // "Считать из  устройства"
  ASSERT_TRUE(AdvanceUntil([&] { return editor.EditACC.Text() == "6.60"; }, 1000));
  Advance(1000);

  editor.EditACC.SetText("5.40");
  editor.CheckSMB.SetChecked(true);  // a new battery
  ASSERT_NE(lumora::ModeWriteState, lumora::kModeWriteStored);
  editor.BitBtn3.Click();  // "Записать"
  ASSERT_TRUE(AdvanceUntil([] { return lumora::ModeWriteState == lumora::kModeWriteStored; },
                           lumora::kModeWriteTicks * 150));
  EXPECT_NE(editor.Edit1.Text(), lumora::kModeNoAnswerText);

  // The cell holds the record the editor collected, word for word.
  const lamp::ModeRecord packed = lamp::PackModeRecord(lumora::ModeFormRecord);
  const stationsim::ModeRecordWords& held = stations_.Cell(number).mode_record();
  for (std::size_t k = 0; k < held.size(); ++k) EXPECT_EQ(held[k], packed.word(k)) << k;
  EXPECT_EQ(lumora::ModeFormRecord[0], 540);
  // The record write, then the battery change, each to the one cell.
  ASSERT_GE(stations_.commands().size(), 3u);
  const auto& commands = stations_.commands();
  EXPECT_EQ(commands[commands.size() - 2].command, lamp::StationCmdModeWrite);
  EXPECT_EQ(commands.back().command, lamp::StationCmdBatteryChange);
  EXPECT_EQ(commands.back().number, number);

  EXPECT_EQ(db_.QueryValue("SELECT CNOM FROM BATTPARM WHERE TabNum = '001a05'"), "540");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTLOG WHERE TabNum = '001a05'"), "1");
  EXPECT_EQ(db_.QueryValue("SELECT CNOM FROM SMENABATT WHERE TabNum = '001a05'"), "540");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTALL WHERE TabNum = '001a05'"), "1");
}

// A living lamp room, an hour of the cells' life in a minute.
class LivingLampRoom : public BothPrograms {
 protected:
  double TimeScale() const override { return 60; }
};

TEST_F(LivingLampRoom, AFinishedChargeIsReportedToTheDatabaseAndShownOnTheLampCard) {
  ASSERT_NO_FATAL_FAILURE(StartBothPrograms());
  const char* number = "002a02";
  stationsim::CellModel& cell = stations_.Cell(number);
  const std::uint32_t charges_before = cell.charges_done();
  cell.EnterPhase(stationsim::CellModel::Phase::Charge, stations_.Now());
  ASSERT_TRUE(AdvanceUntil([&] { return cell.charges_done() > charges_before; }, 600000));
  // The server asks the cell for its charge report and stores it.
  const std::string report = "SELECT KZR, CNAK, DATE FROM BATTCHREP WHERE TABNUM = '002a02'";
  ASSERT_TRUE(AdvanceUntil([&] { return db_.Query(report).size() == 1; }, 2 * kPassMs));
  const lamptest::TestDatabase::Row row = db_.Query(report)[0];
  EXPECT_EQ(row[0], std::to_string(cell.charges_done()));
  EXPECT_NE(row[1], "0");

  // The lamp card reads the report back.
  lumora::TFormSVET& card = workstation_->lamp_card;
  card.EditTN.SetText(number);
  card.Show();
  card.BitBtn6.Click();  // "Обновить(чт. базы)"
  Advance(1000);
  EXPECT_EQ(card.EditKK.Text(), row[0]);
  EXPECT_EQ(card.EditDAT2.Text(), row[2]);
  char charge[32];
  std::snprintf(charge, sizeof charge, "%1.3f", std::stoi(row[1]) * 0.001);
  EXPECT_EQ(card.EditCNAK.Text(), charge);
}

}  // namespace
