// The service window's buttons: lists of hosts, cells and losses, test datagrams and frames,
// commands prepared for the poll cycle, the sockets reopened, and the database ping and
// counters.
#include <mysql.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "link/code_tables.h"
#include "link/cp1251.h"
#include "link/datagrams.h"
#include "link/number_text.h"
#include "link/station_frame.h"
#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/reply_decoder.h"
#include "server/service_window.h"
#include "server/sql_test_window.h"
#include "server/station_frame.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"

namespace tolvex {

std::int32_t ManualPingCount = 0;

namespace {

// A number typed in a field, as the datagrams and frames carry it: cp1251, at most six
// characters, NUL behind.
std::array<char, 7> NumberOf(const forms::TEdit& edit) {
  std::array<char, 7> number{};
  lamp::Utf8ToCp1251(edit.Text(), number);
  return number;
}

// "%x" of a field; a text that does not parse gives 0.
std::int32_t HexOf(const forms::TEdit& edit) {
  return static_cast<std::int32_t>(lamp::ReadHex(edit.Text()).value_or(0));
}

std::int32_t DecimalOf(const forms::TEdit& edit, std::int32_t otherwise) {
  return lamp::ReadDecimal(edit.Text()).value_or(otherwise);
}

std::string CellNumberText(int cell) {
  const auto& tabnum = Cells.TABNUM[cell];
  return lamp::Cp1251ToUtf8(std::string_view(tabnum.data(), strnlen(tabnum.data(), tabnum.size())));
}

void PrepareSetStationCommand(const forms::TEdit& number, std::int32_t word1, std::int32_t word2) {
  const std::array<char, 7> address = NumberOf(number);
  std::memcpy(PreparedCommand.Address, address.data(), sizeof PreparedCommand.Address);
  PreparedCommand.FrameType = lamp::FrameSetStation;
  PreparedCommand.Command = lamp::StationCmdCellControl;
  PreparedCommand.Word1 = word1;
  PreparedCommand.Word2 = word2;
  PreparedCommand.Flag = 1;
}

void SetPendingStationCommand(const forms::TEdit& number, std::int32_t code) {
  PendingStationCommand.address = NumberOf(number);
  PendingStationCommand.code = code;
}

}  // namespace

void TFormSV::BitBtn1Click() {
  OpenMonitorSocket();
}

void TFormSV::BitBtn3Click() {
  const std::array<char, 7> number = NumberOf(Edit4);
  const std::int32_t event_code = HexOf(EditKSOB);
  SendStatusReport(HexOf(Edit3), HexOf(Edit5), HexOf(Edit6), HexOf(Edit7), number.data(),
                   event_code, DecimalOf(Edit8, 3000), 3, 5, 1, 0, 0, 0, 0, 5000, 20);
  // A known cell is asked for the report the code calls for, whatever code it reported last.
  const int cell = FindWorkerByTabnum(std::string_view(number.data(), 6));
  const std::int32_t report = ReportDueOnEvent(event_code);
  if (cell >= 0 && report != 0) Cells.PendingReport[cell] = report;
}

void TFormSV::BitBtn4Click() {
  const std::int32_t code = HexOf(Edit14);
  const std::array<char, 7> number = NumberOf(EditIDN);
  std::memcpy(RequestAddress, number.data(), sizeof RequestAddress);
  PollCellStatus(code);
}

void TFormSV::BitBtn5Click() {
  for (std::string& line : HostLines()) ListBox1.Items().Add(std::move(line));
}

void TFormSV::BitBtn6Click() {
  const int count = LoadedCellCount();
  for (int i = 0; i < count; ++i) {
    char line[128];
    std::snprintf(line, sizeof line, "%2.2d   '%s'  %d  %d %d", Cells.ST[i],
                  CellNumberText(i).c_str(), Cells.UCH[i], Cells.BRIG[i], Cells.WTBNUM[i]);
    ListBox1.Items().Add(line);
  }
}

void TFormSV::BitBtn7Click() {
  LoadHostTable();
}

void TFormSV::BitBtn8Click() {
  ListBox1.Items().Clear();
}

void TFormSV::BitBtn9Click() {
  SetPendingStationCommand(Edit4, lamp::CmdStop);
}

void TFormSV::BitBtn10Click() {
  SetPendingStationCommand(Edit4, lamp::CmdPanelStart);
}

void TFormSV::BitBtn11Click() {
  OpenStationSocket();
}

void TFormSV::BitBtn2Click() {
  if (FormSQL != nullptr) ShowFormAt(*FormSQL, Left() + 60, Top() + 40);
}

void TFormSV::BitBtn12Click() {
  ShowDatabasePing(ManualPingCount);
}

void TFormSV::BitBtn13Click() {
  if (DatabaseHandle == nullptr) return;
  static constexpr char kQuery[] = "SHOW STATUS;";
  const int error = SendStatement(std::string_view(kQuery, sizeof kQuery - 1));
  if (error != 0) {
    std::string text =
        "Error #: " + std::to_string(error) + "\r" + "Message: " + DatabaseErrorText();
    forms::Application().MessageBox(text, "kSTAT", forms::MB_OK);
    return;
  }
  MYSQL_RES* result = StoreResult();
  if (result == nullptr) return;
  static constexpr const char* kCounters[] = {"Aborted_clients", "Aborted_connects",
                                              "Bytes_received", "Bytes_sent", "Connections"};
  const unsigned columns = mysql_num_fields(result);
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    if (columns < 2 || row[0] == nullptr) continue;
    for (const char* name : kCounters) {
      if (std::strcmp(row[0], name) != 0) continue;
      ListBox1.Items().Add(std::string(name) + "  " + (row[1] != nullptr ? row[1] : ""));
    }
  }
  // Freed here: a result kept for every click would only grow the program.
  mysql_free_result(result);
}

void TFormSV::BitBtn14Click() {
  PrepareSetStationCommand(EditIDN, 2, HexOf(EditSTZ));
}

void TFormSV::BitBtn15Click() {
  PrepareSetStationCommand(EditIDN, 0, 0);
}

void TFormSV::BitBtn16Click() {
  ListBox1.Items().Add("ST IndNum kZAPR  nnLOSS");
  const int count = LoadedCellCount();
  for (int i = 0; i < count; ++i) {
    const PaddedCellNumber number = PadCellNumber(Cells.TABNUM[i]);
    char line[128];
    std::snprintf(line, sizeof line, "%2.2d   %s  %d  %d", Cells.ST[i],
                  lamp::Cp1251ToUtf8(number.data()).c_str(), Cells.kZAPR[i], Cells.nnLOSS[i]);
    ListBox1.Items().Add(line);
  }
}

void TFormSV::BitBtn17Click() {
  const int count = LoadedCellCount();
  for (int i = 0; i < count; ++i) Cells.nnLOSS[i] = 0;
}

}  // namespace tolvex
