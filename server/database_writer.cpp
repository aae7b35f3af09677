#include "server/database_writer.h"

#include <cstdio>
#include <initializer_list>

#include "link/number_text.h"
#include "link/sql_text.h"
#include "server/database_connection.h"
#include "server/error_window.h"

namespace tolvex {

namespace {

// Column lists of the statements, blanks and the tab included: the texts are fixed.
constexpr std::string_view kEventColumns =
    " (Date , Time , TabNum , FabNum ,  KSOB   , NSP1 , NSP2 ,PSTAT,    PARM1,PARM2, PARM3,"
    "PARM4, PARM5,    FL ,  ST,UCH, BRIG,  WTBNUM)";
constexpr std::string_view kStatColumns =
    " (Date , Time , IndNum , FabNum ,  UPW   , UZR , U5V ,GR,    UPWMIN, UPWMAX,  UZRMIN , "
    "UZRMAX, U5VMIN, U5VMAX, GRMIN, GRMAX, FLN)";
constexpr std::string_view kAccumChColumns =
    " (Date , Time , TabNum , FabNum ,  KZR   , KZRB  , Tip, ST, UCH, BRIG , FZAR, VREAL, "
    "IREAL, V2Z, I2Z, NUMBATT, CNAK)";
constexpr std::string_view kBattChRepColumns =
    " (Date , Time , TabNum , FabNum ,  KZR   , KZRB  , Tip , ST, UCH, BRIG, FZAR, VREAL, "
    "IREAL, V2Z, I2Z, NUMBATT, CNAK)";
constexpr std::string_view kAccumDisColumns =
    " (Date , Time , TabNum , FabNum ,  IDIS   , TDIS , Cacc ,  Cet , Proc, Tip, ST, UCH, "
    "BRIG, FRAZ , VREAL, IREAL, NUMBATT)";
constexpr std::string_view kBattDisRepColumns =
    " (Date , Time , TabNum , FabNum ,  IDIS   , TDIS , Cacc ,  Cet , Proc, Tip , ST, UCH, "
    "BRIG, FRAZ,  VREAL, IREAL, NUMBATT)";
constexpr std::string_view kChargeTotalsColumns =
    " (Date ,  Time , TabNum,      KZR, KZRB, TIP, CNAK,\t ST, UCH, BRIG, NUMBATT)";
constexpr std::string_view kDischargeTotalsColumns =
    " (Date ,  Time , TabNum,      IDIS, TDIS, CACC,  CET, PROC,TIP,\t ST, UCH, BRIG, NUMBATT)";

// One statement at a time: every writer runs to its end on the user-interface thread.
char statement_storage[kStatementBufferSize];

WallClock wall_clock = nullptr;

// ---- Text helpers ----

void AppendValue(lamp::SqlStatement& out, std::int32_t value) {
  out.Append(", ");
  out.AppendInt(value);
}

// INSERT/REPLACE head: verb, table, column list, then the quoted date, time and number.
void AppendRowHead(lamp::SqlStatement& out, std::string_view verb, std::string_view table,
                   std::string_view columns, std::string_view date, std::string_view time,
                   std::string_view number) {
  out.Clear();
  out.Append(verb);
  out.Append(table);
  out.Append(columns);
  out.Append(" VALUES (");
  out.AppendQueryText(date);
  out.Append(", ");
  out.AppendQueryText(time);
  out.Append(", ");
  out.AppendQueryText(number);
}

void AppendFabNum(lamp::SqlStatement& out, std::uint64_t fab_num) {
  out.Append(", ");
  out.AppendUnsigned(fab_num);
}

struct Assignment {
  std::string_view column;
  std::int32_t value;
};

// "UPDATE BATTALL SET DATE=" q(d) ",TIME=" q(t) "," then "NAME=" v joined by ", ", then
// " WHERE TABNUM=" q(number) ";". No blank follows the commas after the quoted texts.
void BuildTotalsUpdate(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                       std::initializer_list<Assignment> assignments, std::string_view number) {
  out.Clear();
  out.Append("UPDATE BATTALL SET ");
  out.Append("DATE=");
  out.AppendQueryText(date);
  out.Append(",");
  out.Append("TIME=");
  out.AppendQueryText(time);
  out.Append(",");
  bool first = true;
  for (const Assignment& assignment : assignments) {
    if (!first) out.Append(", ");
    first = false;
    out.Append(assignment.column);
    out.Append("=");
    out.AppendInt(assignment.value);
  }
  out.Append(" WHERE TABNUM=");
  out.AppendQueryText(number);
  out.Append(";");
}

void BuildChargeReport(lamp::SqlStatement& out, std::string_view verb, std::string_view table,
                       std::string_view columns, std::string_view date, std::string_view time,
                       const ChargeReportValues& v) {
  AppendRowHead(out, verb, table, columns, date, time, v.TabNum);
  AppendFabNum(out, v.FabNum);
  for (std::int32_t value : {v.KZR, v.KZRB, v.Tip, v.ST, v.UCH, v.BRIG, v.FZAR, v.VREAL, v.IREAL,
                             v.V2Z, v.I2Z, v.NUMBATT, v.CNAK}) {
    AppendValue(out, value);
  }
  out.Append(");");
}

void BuildDischargeReport(lamp::SqlStatement& out, std::string_view verb, std::string_view table,
                          std::string_view columns, std::string_view date, std::string_view time,
                          const DischargeReportValues& v) {
  AppendRowHead(out, verb, table, columns, date, time, v.TabNum);
  AppendFabNum(out, v.FabNum);
  for (std::int32_t value : {v.IDIS, v.TDIS, v.Cacc, v.Cet, v.Proc, v.Tip, v.ST, v.UCH, v.BRIG,
                             v.FRAZ, v.VREAL, v.IREAL, v.NUMBATT}) {
    AppendValue(out, value);
  }
  out.Append(");");
}

// ---- Sending ----

// Sends a built statement; a failure becomes three error lines. Returns true when the
// statement was sent and succeeded.
bool Execute(const lamp::SqlStatement& statement, std::string_view operation) {
  if (DatabaseHandle == nullptr) return false;
  if (statement.overflowed()) {
    // A cut statement would write a different row than asked for: it is not sent.
    ReportDbError(kServerSideErrorCode, "statement too long, not sent", operation);
    return false;
  }
  const int code = SendStatement(statement.view());
  if (code == 0) return true;
  ReportDbError(code, DatabaseErrorText(), operation);
  return false;
}

struct DateTimeText {
  char date[lamp::kSqlDateTextSize];
  char time[lamp::kSqlTimeTextSize];
};

DateTimeText Now() {
  DateTimeText text;
  FormatSqlDate(text.date);
  FormatSqlTime(text.time);
  return text;
}

// Builds one statement with the date and time of now and sends it.
template <typename Values>
void WriteRowNow(void (*build)(lamp::SqlStatement&, std::string_view, std::string_view,
                               const Values&),
                 const Values& values, std::string_view operation) {
  const DateTimeText now = Now();
  lamp::SqlStatement statement(statement_storage);
  build(statement, now.date, now.time, values);
  Execute(statement, operation);
}

}  // namespace

// ---- Time texts ----

void SetWallClock(WallClock clock) {
  wall_clock = clock;
}

std::time_t WallClockNow() {
  return wall_clock != nullptr ? wall_clock() : std::time(nullptr);
}

void FormatSqlDate(std::span<char> date) {
  lamp::FormatSqlDate(date, lamp::LocalTimeOf(WallClockNow()));
}

void FormatSqlTime(std::span<char> time) {
  lamp::FormatSqlTime(time, lamp::LocalTimeOf(WallClockNow()));
}

std::int64_t SecondsBackOfAge(std::int32_t age) {
  // An age counts 10 s units less 0.7 of a unit; age 0 counts as 0.9 units.
  // A negative age would put the event in the future, so every negative age means now.
  if (age < 0 || age >= 30000) return 0;
  if (age == 0) return 2;
  return 10 * static_cast<std::int64_t>(age) - 7;
}

void FormatSqlDateTimeBack(std::int32_t age, std::span<char> date, std::span<char> time) {
  const std::tm local = lamp::LocalTimeOf(WallClockNow() - SecondsBackOfAge(age));
  lamp::FormatSqlDate(date, local);
  lamp::FormatSqlTime(time, local);
}

// ---- Derived discharge values ----

DischargeValues ComputeDischargeValues(std::int32_t IDIS, std::int32_t TDIS, std::int32_t Cn) {
  // The products are taken in 32 bits and wrap, without undefined overflow.
  auto wrapped_product = [](std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
  };
  DischargeValues values{};
  values.Cacc = wrapped_product(IDIS, TDIS) / 60;
  values.Cet = wrapped_product(10, Cn);
  values.Proc = Cn == 0 ? 0
                        : static_cast<std::int32_t>(
                              static_cast<std::int64_t>(wrapped_product(10, values.Cacc)) / Cn);
  return values;
}

namespace {

// The totals of a discharge report, with Cacc, Cet and Proc worked out of IDIS, TDIS and Cn.
DischargeTotalsValues DischargeTotalsOf(std::string_view TabNum, std::int32_t IDIS,
                                        std::int32_t TDIS, std::int32_t Cn, std::int32_t TIP,
                                        std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
                                        std::int32_t NUMBATT) {
  const DischargeValues derived = ComputeDischargeValues(IDIS, TDIS, Cn);
  return {TabNum, IDIS, TDIS, derived.Cacc, derived.Cet, derived.Proc, TIP, ST, UCH, BRIG, NUMBATT};
}

}  // namespace

// ---- Builders ----

void BuildEventStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                         const EventValues& v) {
  AppendRowHead(out, "INSERT INTO ", "event", kEventColumns, date, time, v.TabNum);
  AppendFabNum(out, v.FabNum);
  for (std::int32_t value : {v.KSOB, v.NSP1, v.NSP2, v.PSTAT, v.PARM1, v.PARM2, v.PARM3, v.PARM4,
                             v.PARM5, v.FL, v.ST, v.UCH, v.BRIG, v.WTBNUM}) {
    AppendValue(out, value);
  }
  out.Append(");");
}

void BuildStatStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                        const StatValues& v) {
  AppendRowHead(out, "INSERT INTO ", "statcell", kStatColumns, date, time, v.IndNum);
  AppendFabNum(out, v.FabNum);
  for (std::int32_t value : {v.UPW, v.UZR, v.U5V, v.GR, v.UPWMIN, v.UPWMAX, v.UZRMIN, v.UZRMAX,
                             v.U5VMIN, v.U5VMAX, v.GRMIN, v.GRMAX, v.FLN}) {
    AppendValue(out, value);
  }
  out.Append(");");
}

void BuildAccumChStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                           const ChargeReportValues& v) {
  BuildChargeReport(out, "INSERT INTO ", "accumch", kAccumChColumns, date, time, v);
}

void BuildBattChRepStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                             const ChargeReportValues& v) {
  BuildChargeReport(out, "REPLACE INTO ", "battchrep", kBattChRepColumns, date, time, v);
}

void BuildAccumDisStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                            const DischargeReportValues& v) {
  BuildDischargeReport(out, "INSERT INTO ", "accumdis", kAccumDisColumns, date, time, v);
}

void BuildBattDisRepStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                              const DischargeReportValues& v) {
  BuildDischargeReport(out, "REPLACE INTO ", "battdisrep", kBattDisRepColumns, date, time, v);
}

void BuildCountStatement(lamp::SqlStatement& out, std::string_view TabNum) {
  out.Clear();
  out.Append("SELECT COUNT(*)  FROM BATTALL  WHERE TABNUM= ");
  out.AppendQueryText(TabNum);
  out.Append(";");
}

void BuildAddChAllStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                            const ChargeTotalsValues& v) {
  AppendRowHead(out, "INSERT INTO ", "BATTALL", kChargeTotalsColumns, date, time, v.TabNum);
  for (std::int32_t value : {v.KZR, v.KZRB, v.TIP, v.CNAK, v.ST, v.UCH, v.BRIG, v.NUMBATT}) {
    AppendValue(out, value);
  }
  out.Append(");");
}

void BuildUpdChAllStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                            const ChargeTotalsValues& v) {
  BuildTotalsUpdate(out, date, time,
                    {{"KZR", v.KZR},
                     {"KZRB", v.KZRB},
                     {"TIP", v.TIP},
                     {"CNAK", v.CNAK},
                     {"ST", v.ST},
                     {"UCH", v.UCH},
                     {"BRIG", v.BRIG},
                     {"NUMBATT", v.NUMBATT}},
                    v.TabNum);
}

void BuildAddDisAllStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                             const DischargeTotalsValues& v) {
  AppendRowHead(out, "INSERT INTO ", "BATTALL", kDischargeTotalsColumns, date, time, v.TabNum);
  for (std::int32_t value :
       {v.IDIS, v.TDIS, v.CACC, v.CET, v.PROC, v.TIP, v.ST, v.UCH, v.BRIG, v.NUMBATT}) {
    AppendValue(out, value);
  }
  out.Append(");");
}

void BuildUpdDisAllStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                             const DischargeTotalsValues& v) {
  BuildTotalsUpdate(out, date, time,
                    {{"IDIS", v.IDIS},
                     {"TDIS", v.TDIS},
                     {"CACC", v.CACC},
                     {"CET", v.CET},
                     {"PROC", v.PROC},
                     {"TIP", v.TIP},
                     {"ST", v.ST},
                     {"UCH", v.UCH},
                     {"BRIG", v.BRIG},
                     {"NUMBATT", v.NUMBATT}},
                    v.TabNum);
}

// ---- Writers ----

void AddEvent(std::string_view TabNum, std::uint64_t FabNum, std::int32_t KSOB, std::int32_t NSP1,
              std::int32_t NSP2, std::int32_t FL, std::int32_t ST, std::int32_t UCH,
              std::int32_t BRIG, std::int32_t WTBNUM, std::int32_t age, std::int32_t PSTAT,
              std::int32_t PARM1, std::int32_t PARM2, std::int32_t PARM3, std::int32_t PARM4,
              std::int32_t PARM5) {
  DateTimeText moment;
  FormatSqlDateTimeBack(age, moment.date, moment.time);
  lamp::SqlStatement statement(statement_storage);
  BuildEventStatement(statement, moment.date, moment.time,
                      {TabNum, FabNum, KSOB, NSP1, NSP2, PSTAT, PARM1, PARM2, PARM3, PARM4, PARM5,
                       FL, ST, UCH, BRIG, WTBNUM});
  Execute(statement, "AddEvent");
}

void AddServerEvent(std::int32_t KSOB) {
  AddEvent(kServerEventNumber, kServerEventFabNum, KSOB, 0, 0, 0, 0, 0, 0, 0, -1, 0, -1, 0, 0, 0,
           0);
}

void AddStat(std::string_view IndNum, std::uint64_t FabNum, std::int32_t UPW, std::int32_t UZR,
             std::int32_t U5V, std::int32_t GR, std::int32_t UPWMIN, std::int32_t UPWMAX,
             std::int32_t UZRMIN, std::int32_t UZRMAX, std::int32_t U5VMIN, std::int32_t U5VMAX,
             std::int32_t GRMIN, std::int32_t GRMAX, std::int32_t FLN) {
  WriteRowNow(&BuildStatStatement,
              StatValues{IndNum, FabNum, UPW, UZR, U5V, GR, UPWMIN, UPWMAX, UZRMIN, UZRMAX, U5VMIN,
                         U5VMAX, GRMIN, GRMAX, FLN},
              "AddStat");
}

void AddAccCH(std::string_view TabNum, std::uint64_t FabNum, std::int32_t KZR, std::int32_t KZRB,
              std::int32_t Tip, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
              std::int32_t FZAR, std::int32_t VREAL, std::int32_t IREAL, std::int32_t V2Z,
              std::int32_t I2Z, std::int32_t NUMBATT, std::int32_t CNAK) {
  const ChargeReportValues values{TabNum, FabNum, KZR,   KZRB, Tip, ST,      UCH, BRIG,
                                  FZAR,   VREAL,  IREAL, V2Z,  I2Z, NUMBATT, CNAK};
  WriteRowNow(&BuildAccumChStatement, values, "AddAccCH");
  WriteRowNow(&BuildBattChRepStatement, values, "AddAccCH Rep");
}

void AddChDis(std::string_view TabNum, std::uint64_t FabNum, std::int32_t IDIS, std::int32_t TDIS,
              std::int32_t Cn, std::int32_t Tip, std::int32_t ST, std::int32_t UCH,
              std::int32_t BRIG, std::int32_t FRAZ, std::int32_t VREAL, std::int32_t IREAL,
              std::int32_t NUMBATT) {
  const DischargeValues derived = ComputeDischargeValues(IDIS, TDIS, Cn);
  const DischargeReportValues values{TabNum,      FabNum,       IDIS,  TDIS,  derived.Cacc,
                                     derived.Cet, derived.Proc, Tip,   ST,    UCH,
                                     BRIG,        FRAZ,         VREAL, IREAL, NUMBATT};
  WriteRowNow(&BuildAccumDisStatement, values, "AddChDis");
  WriteRowNow(&BuildBattDisRepStatement, values, "AddChDis Rep");
}

std::int32_t GetCOUNT(std::string_view TabNum) {
  lamp::SqlStatement statement(statement_storage);
  BuildCountStatement(statement, TabNum);
  if (!Execute(statement, "GetCOUNT")) return 0;
  MYSQL_RES* result = StoreResult();
  if (result == nullptr) {
    ReportDbError(static_cast<std::int32_t>(mysql_errno(DatabaseHandle)), DatabaseErrorText(),
                  "GetCOUNT");
    return 0;
  }
  int count = 0;
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    if (mysql_num_fields(result) > 0 && row[0] != nullptr) {
      count = lamp::ReadDecimal(row[0]).value_or(count);
    }
  }
  mysql_free_result(result);
  return count;
}

void AddCHALL(std::string_view TabNum, std::int32_t KZR, std::int32_t KZRB, std::int32_t TIP,
              std::int32_t CNAK, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
              std::int32_t NUMBATT) {
  WriteRowNow(&BuildAddChAllStatement,
              ChargeTotalsValues{TabNum, KZR, KZRB, TIP, CNAK, ST, UCH, BRIG, NUMBATT}, "AddCHALL");
}

void UpdCHALL(std::string_view TabNum, std::int32_t KZR, std::int32_t KZRB, std::int32_t TIP,
              std::int32_t CNAK, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
              std::int32_t NUMBATT) {
  WriteRowNow(&BuildUpdChAllStatement,
              ChargeTotalsValues{TabNum, KZR, KZRB, TIP, CNAK, ST, UCH, BRIG, NUMBATT}, "UpdCHALL");
}

void AddDISSALL(std::string_view TabNum, std::int32_t IDIS, std::int32_t TDIS, std::int32_t Cn,
                std::int32_t TIP, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
                std::int32_t NUMBATT) {
  WriteRowNow(&BuildAddDisAllStatement,
              DischargeTotalsOf(TabNum, IDIS, TDIS, Cn, TIP, ST, UCH, BRIG, NUMBATT), "AddDISSALL");
}

void UpdDISSALL(std::string_view TabNum, std::int32_t IDIS, std::int32_t TDIS, std::int32_t Cn,
                std::int32_t TIP, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
                std::int32_t NUMBATT) {
  WriteRowNow(&BuildUpdDisAllStatement,
              DischargeTotalsOf(TabNum, IDIS, TDIS, Cn, TIP, ST, UCH, BRIG, NUMBATT), "UpdDISSALL");
}

}  // namespace tolvex
