// The start-up sequencer: one step per 300 ms tick, the connect phase holding tick 7 until
// the database answers or six attempts have failed.
#include "server/main_window_startup.h"

#include <string>

#include "link/code_tables.h"
#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/config_window.h"
#include "server/database_connection.h"
#include "server/database_writer.h"
#include "server/error_window.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/main_window_tray.h"
#include "server/server_config.h"
#include "server/single_instance.h"
#include "server/station_frame.h"
#include "server/worker_table.h"
#include "server/workstation_socket.h"

namespace tolvex {

std::int32_t StartTick = 0;
std::int32_t ConnectRetries = 0;
std::int32_t ConnectDelay = 2;
bool StartupAwaitsDatabase = false;

namespace {

// Tick 2: a second copy from the same path stops here, before any socket or database.
void RefuseSecondCopy(TForm1& form) {
  if (CountRunningCopies() <= 1) return;
  form.TmStart.SetEnabled(false);
  form.TimerINTERVAL.SetEnabled(false);
  forms::Application().MessageBox("Программа уже загружена!", "ОШИБКА", forms::MB_OK);
  EndProgram();
}

// The connect phase's success: the report and the server's start row.
void NoteServerStarted() {
  AppendServerReport("MySQL-server OK");
  AddServerEvent(lamp::EventServerStarted);
}

// Tick 9: the worker table loaded, its rows and the host count shown.
void LoadWorkerTable(TForm1* form) {
  const int workers = GetWorkTABAL();
  if (form == nullptr) return;
  form->Edit1.SetText(std::to_string(workers));
  form->Edit2.SetText(std::to_string(GetHostCount()));
}

// Tick 7. Returns false while the tick is to be repeated.
bool ConnectPhase(TForm1& form) {
  if (ConnectDelay != 0) {
    --ConnectDelay;
    StartTick = 6;
    return false;
  }
  const int result = ConnectDatabaseFromForm();
  if (FormERR != nullptr) FormERR->Hide();
  if (result == 0) {
    NoteServerStarted();
  } else if (ConnectRetries < kMaxConnectRetries) {
    ConnectDelay = kConnectRetryDelay;
    StartTick = 6;
    ++ConnectRetries;
  } else {
    AppendServerReport("MySQL-server ERROR");
    ShowDatabaseError();
    StartupAwaitsDatabase = true;
  }
  form.StatusBar1.SetPanelText(0, std::to_string(ConnectRetries));
  return true;
}

}  // namespace

void TForm1::TmStartTimer() {
  ++StartTick;
  switch (StartTick) {
    case 2:
      RefuseSecondCopy(*this);
      if (forms::Application().Terminated()) return;
      break;
    case 3:
      LoadServerConfig();
      ShowServerConfig();
      AppendServerReport("Start  Programm");
      break;
    case 4:
      AppendServerReport(OpenMonitorSocket() == 0 ? "Monitor-socet OK" : "Monitor-socet ERROR");
      break;
    case 5:
      AppendServerReport(OpenStationSocket() == 0 ? "QVK-socet OK" : "QVK-socet ERROR");
      break;
    case 6:
      SetTrayIcon(kTrayAdd);
      SetTrayIcon(kTrayModify);
      break;
    case 7:
      if (!ConnectPhase(*this)) return;
      break;
    case 8:
      ClearWorkerTable();
      LoadHostTable();
      break;
    case 9:
      LoadWorkerTable(this);
      break;
    case 10:
      if (FormCFG != nullptr && FormCFG->CheckHIDE.Checked()) Hide();
      InitCellStatistics();
      break;
    default:
      break;
  }
  if (StartTick > 11) TmStart.SetEnabled(false);
}

void CompleteStartupOnLateDatabase() {
  if (!StartupAwaitsDatabase || DatabaseHandle == nullptr || DatabaseConnectionLost()) return;
  StartupAwaitsDatabase = false;
  if (FormERR != nullptr) FormERR->Hide();
  NoteServerStarted();
  // The host table was read at tick 8 already; only the workers needed the database.
  ClearWorkerTable();
  LoadWorkerTable(Form1);
}

}  // namespace tolvex
