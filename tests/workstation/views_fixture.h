#pragma once
// The workstation's windows that the main window and its views reach, on the manual clock,
// with a small worker list and the program's tables at their start values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/forms/application.h"
#include "workstation/about_box.h"
#include "workstation/cell_table.h"
#include "workstation/command_sender.h"
#include "workstation/connect_window.h"
#include "workstation/device_number_tool.h"
#include "workstation/diagnostics_window.h"
#include "workstation/display_loop.h"
#include "workstation/event_history_window.h"
#include "workstation/lamp_card.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/live_events_window.h"
#include "workstation/main_window.h"
#include "workstation/measurement_log.h"
#include "workstation/station_view.h"

namespace views_test {

struct ManualClock {
  ManualClock() {
    forms::Application().UseManualClock();
    forms::Application().ResetTerminated();
  }
};

// A scratch directory that is the current directory while the test runs.
class InScratchDirectory {
 public:
  InScratchDirectory() {
    namespace fs = std::filesystem;
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    dir_ = fs::path(scratch != nullptr ? scratch : "/tmp/lumora_views_test") /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    previous_ = fs::current_path();
    fs::current_path(dir_);
  }
  ~InScratchDirectory() { std::filesystem::current_path(previous_); }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_, previous_;
};

// The program's globals back at their start values.
inline void ResetWorkstationState() {
  lumora::WorkerList = lumora::WorkerListTable{};
  lumora::CellTable = lumora::CellTableColumns{};
  lumora::ResetDisplayLoop();
  lumora::DisplayReady = 0;
  lumora::CurrentStation = 1;
  lumora::CellColorCodes.fill(0);
  lumora::MemoLines.Clear();
  lumora::LampMessageHold = 0;
}

class ViewsTest : public ::testing::Test {
 protected:
  ViewsTest() {
    ResetWorkstationState();
    main_.ConnectHandlers();
    events_.ConnectHandlers();
    overview_.ConnectHandlers();
    station_.ConnectHandlers();
    dbg_.ConnectHandlers();
    card_.ConnectHandlers();
    for (forms::TForm* child :
         {static_cast<forms::TForm*>(&events_), static_cast<forms::TForm*>(&overview_),
          static_cast<forms::TForm*>(&station_)}) {
      child->SetMdiParent(&main_);
    }
    for (forms::TForm* form :
         {static_cast<forms::TForm*>(&main_), static_cast<forms::TForm*>(&about_),
          static_cast<forms::TForm*>(&events_), static_cast<forms::TForm*>(&overview_),
          static_cast<forms::TForm*>(&station_), static_cast<forms::TForm*>(&dbg_),
          static_cast<forms::TForm*>(&card_), static_cast<forms::TForm*>(&sql_),
          static_cast<forms::TForm*>(&num_), static_cast<forms::TForm*>(&log_),
          static_cast<forms::TForm*>(&sob_)}) {
      form->AfterConstruction();
    }
    // Only the timers a test drives itself run.
    for (forms::TTimer* timer :
         {&card_.Timer1, &card_.TimerST, &events_.Timer1, &sql_.Timer1, &sql_.Timer2}) {
      timer->SetEnabled(false);
    }
    forms::Application().SetDialogService(&dialogs_);
    forms::Application().SetMainForm(&main_);
  }
  ~ViewsTest() override {
    forms::Application().SetMainForm(nullptr);
    forms::Application().SetDialogService(nullptr);
  }

  // The lists built and the table cleared, as the start-up timer leaves them.
  void MakeReady() {
    lumora::InitLampRoomList();
    lumora::InitStationListA();
    lumora::InitStationListB();
    lumora::SetCellTableStartValues();
    lumora::DisplayReady = 1;
  }

  // A lamp in slot at station with a fresh link and a state.
  static void AddLamp(std::int32_t slot, const std::string& number, std::int32_t station,
                      std::uint32_t state = 0) {
    ASSERT_TRUE(lumora::StoreWorkerRow(slot, number, station));
    const auto i = static_cast<std::size_t>(slot);
    lumora::CellTable.state[i] = state;
    lumora::CellTable.link_age[i] = 0;
  }

  static std::size_t At(std::int32_t slot) { return static_cast<std::size_t>(slot); }

  static const std::string& Cell(const forms::TListView& list, int row, int sub_item) {
    return list.Items().Item(row)->SubItems().Get(sub_item);
  }

  ManualClock clock_;
  forms::ScriptedDialogService dialogs_;
  lumora::TMainForm main_;
  lumora::TAboutBox about_;
  lumora::TForm1 events_;
  lumora::TForm2 overview_;
  lumora::TForm3 station_;
  lumora::TFormDBG dbg_;
  lumora::TFormSVET card_;
  lumora::TFormSQL sql_;
  lumora::TFormNUM num_;
  lumora::TFormLOG log_;
  lumora::TFormSOB sob_;
};

}  // namespace views_test
