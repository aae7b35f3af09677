#include "workstation/database_client.h"

#include <cstdio>
#include <string>

#include "link/connection_keeper.h"
#include "link/cp1251.h"
#include "link/number_text.h"
#include "platform/forms/application.h"
#include "workstation/battery_editor.h"
#include "workstation/cell_table.h"
#include "workstation/lamp_card.h"
#include "workstation/screen_text.h"

namespace lumora {

MYSQL* DbConnection = nullptr;

namespace {

StatementObserver statement_observer;

std::int64_t ProgramNowMs() {
  return forms::Application().NowMs();
}

lamp::ConnectionKeeper keeper(DbConnection, ProgramNowMs);
// The last connect found no answer and is being tried again in the background.
bool late_connection_awaited = false;

// The host "the local machine": with port 0 and no socket name the client library takes the
// socket from MYSQL_UNIX_PORT.
constexpr const char* kDatabaseHost = "localhost";

// The message box of the statement that just failed on the connection.
void ShowConnectionError() {
  const char* error = mysql_error(DbConnection);
  ShowSqlError(static_cast<std::int32_t>(mysql_errno(DbConnection)),
               lamp::Cp1251ToUtf8(error != nullptr ? error : ""));
}

void SetEditText(forms::TEdit& edit, const ColumnText& column) {
  edit.SetText(column.Utf8());
}

// The 8-bit number as it is quoted into a statement.
std::string_view NumberView(const char* number) {
  return number != nullptr ? std::string_view(number) : std::string_view();
}

}  // namespace

std::string ColumnText::Utf8() const {
  return lamp::Cp1251ToUtf8(View());
}

std::optional<std::int32_t> ColumnText::ReadInt() const {
  if (text == nullptr) return std::nullopt;
  return lamp::ReadDecimal(View());
}

std::int32_t ColumnText::Int(std::int32_t fallback) const {
  return ReadInt().value_or(fallback);
}

float ColumnText::Float(float fallback) const {
  if (text == nullptr) return fallback;
  float value = 0.0f;
  return std::sscanf(text, "%f", &value) == 1 ? value : fallback;
}

bool ConnectDbConnection(const char* login, const char* password) {
  const bool connected = keeper.Connect(
      {kDatabaseHost, login != nullptr ? login : "", password != nullptr ? password : ""});
  late_connection_awaited = !connected && keeper.trying();
  return connected;
}

bool TakeLateConnection() {
  if (!late_connection_awaited) return false;
  if (!keeper.Ready()) {
    // A try refused meanwhile has ended the tries: nothing more will come.
    if (!keeper.trying()) late_connection_awaited = false;
    return false;
  }
  late_connection_awaited = false;
  return true;
}

void CloseDbConnection() {
  keeper.Close();
  late_connection_awaited = false;
}

void EndDbConnectionWaits() {
  keeper.EndWaits();
}

void PingDbConnection() {
  if (keeper.Ready()) static_cast<void>(keeper.Ping());
}

const lamp::ConnectionKeeper& DbConnectionKeeper() {
  return keeper;
}

void WaitForDbConnectionTry() {
  keeper.WaitForTry();
}

void ShowSqlError(std::int32_t code, std::string_view error_text) {
  std::string text = "Error #: ";
  text += std::to_string(code);
  text += '\r';
  text += "Message: ";
  text += error_text;
  forms::Application().MessageBox(text, "", forms::MB_OK);
}

StatementResult RunStatement(const lamp::SqlStatement& statement, const RowHandler& on_row) {
  // First, for a try after a connect that found no answer may have made the connection.
  const bool ready = keeper.Ready();
  if (DbConnection == nullptr) return StatementResult::kNoConnection;
  if (statement.overflowed()) {
    // A cut statement could change other rows than the one meant; it is never sent.
    ShowSqlError(-1, "statement too long");
    return StatementResult::kFailed;
  }
  if (!ready) {
    ShowSqlError(static_cast<std::int32_t>(keeper.error()),
                 lamp::Cp1251ToUtf8(keeper.error_text()));
    return StatementResult::kFailed;
  }
  if (statement_observer) statement_observer(statement.view());
  if (keeper.Send(statement.view()) != 0) {
    ShowConnectionError();
    return StatementResult::kFailed;
  }
  MYSQL_RES* result = keeper.StoreResult();
  if (result == nullptr) {
    // No result set (a write) is done; a result that could not be read is a failure.
    if (mysql_errno(DbConnection) == 0) return StatementResult::kDone;
    ShowConnectionError();
    return StatementResult::kFailed;
  }
  const unsigned field_count = mysql_num_fields(result);
  std::vector<ColumnText> columns(field_count);
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    const unsigned long* lengths = mysql_fetch_lengths(result);
    for (unsigned k = 0; k < field_count; ++k) {
      columns[k].text = row[k];
      columns[k].length = (row[k] != nullptr && lengths != nullptr) ? lengths[k] : 0;
    }
    if (on_row) on_row(columns);
  }
  mysql_free_result(result);
  return StatementResult::kDone;
}

void SetStatementObserver(StatementObserver observer) {
  statement_observer = std::move(observer);
}

void BuildWorkerListQuery(lamp::SqlStatement& statement) {
  statement.Clear();
  statement.Append("SELECT TABNUM, ST   FROM WORKER ORDER BY TABNUM;");
}

void BuildNumberStatement(lamp::SqlStatement& statement, std::string_view text,
                          std::string_view number) {
  statement.Clear();
  statement.Append(text);
  statement.AppendQuoted(number);
  statement.Append(";");
}

void BuildWorkerCardQuery(lamp::SqlStatement& statement, std::string_view number) {
  BuildNumberStatement(
      statement,
      "SELECT  TABNUM , FAMILE, NAME, PATRON,ST, UCH, BRIG, WTEL , WTBNUM , NUMFIND, NUMCALL, "
      "COMMENT  FROM WORKER  WHERE TABNUM= ",
      number);
}

void BuildChargeReportQuery(lamp::SqlStatement& statement, std::string_view number) {
  BuildNumberStatement(
      statement,
      "SELECT  TABNUM, DATE, TIME,KZR , TIP , CNAK    FROM BATTCHREP  WHERE TABNUM= ", number);
}

void BuildDischargeReportQuery(lamp::SqlStatement& statement, std::string_view number) {
  BuildNumberStatement(
      statement,
      "SELECT  TABNUM, DATE, TIME, IDIS, TDIS, CACC, CET, PROC, TIP    FROM battdisrep  WHERE "
      "TABNUM= ",
      number);
}

void BuildShiftBatteryQuery(lamp::SqlStatement& statement, std::string_view number) {
  BuildNumberStatement(
      statement,
      "SELECT  TABNUM, DATE, TIME,  TIP, CELL, CNOM, VNOM    FROM SMENABATT  WHERE TABNUM= ",
      number);
}

void BuildBatteryParamsQuery(lamp::SqlStatement& statement, std::string_view number) {
  // A tab stands between the column list and FROM.
  BuildNumberStatement(
      statement,
      "SELECT  TABNUM, DATE, TIME,  TIP, CELL, CNOM, VNOM, IDISD, VMIND, ICH1, VMAXCH1, TIMCH1, "
      "ICH2, VMAXCH2, TIMCH2, ICHPOD, VMAXCHPOD, IDISCNT, VMINCNT,   DELTA, IMINCH, "
      "PFLAG,NFLAG,R_NET, COMMENT \t  FROM BATTPARM  WHERE TABNUM= ",
      number);
}

std::int32_t LoadWorkerList() {
  BeginWorkerListLoad();
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement statement(buffer);
  BuildWorkerListQuery(statement);
  std::int32_t slot = 0;
  RunStatement(statement, [&slot](const std::vector<ColumnText>& columns) {
    if (columns.size() < 2) return;
    // Rows past the last slot have nowhere to go; the list keeps the first kSlotCount.
    if (StoreWorkerRow(slot, columns[0].View(), columns[1].Int(0))) ++slot;
  });
  return WorkerList.count;
}

std::int32_t LoadWorkerCard(const char* number) {
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement statement(buffer);
  BuildWorkerCardQuery(statement, NumberView(number));
  std::int32_t rows = 0;
  const StatementResult result =
      RunStatement(statement, [&rows](const std::vector<ColumnText>& columns) {
        ++rows;
        if (FormSVET == nullptr || columns.size() < 12) return;
        TFormSVET& card = *FormSVET;
        card.EditFIO.SetText(columns[1].Utf8() + " " + columns[2].Utf8() + " " + columns[3].Utf8());
        SetEditText(card.EditZST, columns[4]);
        SetEditText(card.EditUCH, columns[5]);
        SetEditText(card.EditBR, columns[6]);
        SetEditText(card.EditWTEL, columns[7]);
        SetEditText(card.EditWTN, columns[8]);
        SetEditText(card.EditNFIND, columns[9]);
        SetEditText(card.EditNCALL, columns[10]);
        card.MemoCM.SetText(columns[11].Utf8());
      });
  return result == StatementResult::kDone ? rows : kNoDatabase;
}

void LoadChargeReport(const char* number) {
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement statement(buffer);
  BuildChargeReportQuery(statement, NumberView(number));
  RunStatement(statement, [](const std::vector<ColumnText>& columns) {
    if (FormSVET == nullptr || columns.size() < 6) return;
    TFormSVET& card = *FormSVET;
    SetEditText(card.EditDAT2, columns[1]);
    SetEditText(card.EditKK, columns[3]);
    // CNAK is -1 when the station did not report the received charge.
    if (columns[5].View().empty()) return;
    const std::int32_t charge = columns[5].Int(-1);
    if (charge < 0) return;
    card.EditCNAK.SetText(
        Format("%1.3f", static_cast<double>(static_cast<float>(charge) * 0.001f)));
  });
}

void LoadDischargeReport(const char* number) {
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement statement(buffer);
  BuildDischargeReportQuery(statement, NumberView(number));
  RunStatement(statement, [](const std::vector<ColumnText>& columns) {
    if (FormSVET == nullptr || columns.size() < 9) return;
    TFormSVET& card = *FormSVET;
    SetEditText(card.EditDAT1, columns[1]);
    if (!columns[5].View().empty()) {
      card.EditCBATX.SetText(Format("%2.2f", static_cast<double>(columns[5].Float(0.0f) * 0.001f)));
    }
    // PROC -1: no capacity measured yet.
    if (columns[7].View().empty()) return;
    const std::int32_t percent = columns[7].Int(-1);
    if (percent >= 0) {
      card.EditPROC.SetText(columns[7].Utf8() + "%");
      if (percent <= 80) card.EditPROC.SetFontColor(forms::clRed);
    } else {
      card.EditPROC.SetFontColor(forms::clBlue);
    }
  });
}

void LoadShiftBattery(const char* number) {
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement statement(buffer);
  BuildShiftBatteryQuery(statement, NumberView(number));
  RunStatement(statement, [](const std::vector<ColumnText>& columns) {
    if (FormSVET == nullptr || columns.size() < 3) return;
    SetEditText(FormSVET->EditSMBATT, columns[1]);
    SetEditText(FormSVET->EditSMTIME, columns[2]);
  });
}

std::int32_t LoadBatteryParams(const char* number, lamp::ModeDisplayRecord& record) {
  // The record's columns (lamp::kBattParmColumnIndexes) start at column 3 (TIP).
  constexpr std::size_t kFirstRecordColumn = 3;
  constexpr std::size_t kCommentColumn = 24;
  record[lamp::kModeCircuitResistance] = 0;
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement statement(buffer);
  BuildBatteryParamsQuery(statement, NumberView(number));
  std::int32_t rows = 0;
  RunStatement(statement, [&rows, &record](const std::vector<ColumnText>& columns) {
    ++rows;
    if (columns.size() <= kCommentColumn) return;
    if (FormSVET != nullptr) {
      SetEditText(FormSVET->EditDATIZM, columns[1]);
      SetEditText(FormSVET->EditTIMIZM, columns[2]);
    }
    // A column without a number leaves its value as it was.
    for (std::size_t k = 0; k < lamp::kBattParmColumnIndexes.size(); ++k) {
      const std::optional<std::int32_t> value = columns[kFirstRecordColumn + k].ReadInt();
      if (value) lamp::SetBattParmColumnValue(record, k, *value);
    }
    if (FormBAT != nullptr) SetEditText(FormBAT->EditCOMT, columns[kCommentColumn]);
  });
  return rows;
}

}  // namespace lumora
