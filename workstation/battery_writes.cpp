#include "workstation/battery_writes.h"

#include <array>

#include "workstation/database_client.h"

namespace lumora {

namespace {

// The BATTPARM and BATTLOG column list (one literal, tab included).
constexpr const char* kBatteryParamsColumns =
    " (Date , Time , TabNum,      Tip , CELL, CNOM, VNOM, IDISD, VMIND,  ICH1, VMAXCH1, TIMCH1, "
    "ICH2, VMAXCH2, TIMCH2, ICHPOD, VMAXCHPOD, IDISCNT,VMINCNT, DELTA, IMINCH, PFLAG,NFLAG, "
    "R_NET,\t ST, UCH, BRIG, COMMENT)";

struct DateTimeTexts {
  std::array<char, lamp::kSqlDateTextSize> date{};
  std::array<char, lamp::kSqlTimeTextSize> time{};

  // One moment for both texts, so a statement that needs them twice writes them alike.
  DateTimeTexts() {
    const std::tm local = lamp::LocalTimeOf(std::time(nullptr));
    lamp::FormatSqlDate(date, local);
    lamp::FormatSqlTime(time, local);
  }
  std::string_view d() const { return date.data(); }
  std::string_view t() const { return time.data(); }
};

void AppendValue(lamp::SqlStatement& s, std::int32_t value) {
  s.Append(", ");
  s.AppendInt(value);
}

// " VALUES (" and the quoted date, time and lamp number that a parameter or shift row
// begins with.
void AppendRowStart(lamp::SqlStatement& s, std::string_view d, std::string_view t,
                    std::string_view number) {
  s.Append(" VALUES (");
  s.AppendQuoted(d);
  s.Append(", ");
  s.AppendQuoted(t);
  s.Append(", ");
  s.AppendQuoted(number);
}

std::string_view View(const char* text) {
  return text != nullptr ? std::string_view(text) : std::string_view();
}

// "DATE=" and the like, the quoted value and a comma (no blank after it).
void AppendQuotedAssignment(lamp::SqlStatement& s, std::string_view column,
                            std::string_view value) {
  s.Append(column);
  s.AppendQuoted(value);
  s.Append(",");
}

// The end of the resets: the lamp's station, section and team, and the lamp it applies to.
void AppendWorkerAndLamp(lamp::SqlStatement& s, std::int32_t st, std::int32_t uch,
                         std::int32_t brig, std::string_view number) {
  s.Append("ST=");
  s.AppendInt(st);
  s.Append(", UCH=");
  s.AppendInt(uch);
  s.Append(", BRIG=");
  s.AppendInt(brig);
  s.Append(" WHERE TABNUM=");
  s.AppendQuoted(number);
  s.Append(";");
}

// Builds a write statement with one date and time text taken now, and runs it.
template <typename Build>
void RunDatedWrite(const Build& build) {
  const DateTimeTexts now;
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement s(buffer);
  build(s, now.d(), now.t());
  RunStatement(s);
}

// Builds a count query in its small buffer and runs it: the first column of every row read
// with "%d", 0 when nothing comes back.
template <typename Build>
std::int32_t RunCount(const Build& build) {
  std::array<char, kCountStatementBufferSize> buffer{};
  lamp::SqlStatement s(buffer);
  build(s);
  std::int32_t count = 0;
  RunStatement(s, [&count](const std::vector<ColumnText>& columns) {
    if (!columns.empty()) count = columns[0].Int(count);
  });
  return count;
}

}  // namespace

void BuildBatteryParamsStatement(lamp::SqlStatement& s, bool history, std::string_view d,
                                 std::string_view t, std::string_view number,
                                 const lamp::ModeDisplayRecord& r, std::int32_t st,
                                 std::int32_t uch, std::int32_t brig, std::string_view comment) {
  s.Clear();
  s.Append(history ? "INSERT INTO " : "REPLACE INTO ");
  s.Append(history ? "BATTLOG" : "BATTPARM");
  s.Append(kBatteryParamsColumns);
  AppendRowStart(s, d, t, number);
  for (std::size_t column = 0; column < lamp::kBattParmColumnIndexes.size(); ++column) {
    AppendValue(s, lamp::BattParmColumnValue(r, column));
  }
  AppendValue(s, st);
  AppendValue(s, uch);
  AppendValue(s, brig);
  s.Append(", ");
  s.AppendQuoted(comment);
  s.Append(");");
}

void BuildShiftBatteryStatement(lamp::SqlStatement& s, std::string_view d, std::string_view t,
                                std::string_view number, const lamp::ModeDisplayRecord& r,
                                std::int32_t st, std::int32_t uch, std::int32_t brig) {
  s.Clear();
  s.Append("REPLACE INTO ");
  s.Append("SMENABATT");
  s.Append(" (Date , Time , TabNum,      Tip , CELL, CNOM, VNOM, \t ST, UCH, BRIG)");
  AppendRowStart(s, d, t, number);
  AppendValue(s, r[lamp::kModeTypeAndSwitches]);
  AppendValue(s, r[lamp::kModeCellCount]);
  AppendValue(s, r[lamp::kModeCapacity]);
  AppendValue(s, r[lamp::kModeNominalVoltage]);
  AppendValue(s, st);
  AppendValue(s, uch);
  AppendValue(s, brig);
  s.Append(");");
}

void BuildResetChargeReportStatement(lamp::SqlStatement& s, std::string_view d, std::string_view t,
                                     std::string_view number) {
  s.Clear();
  s.Append("UPDATE  BATTCHREP  SET DATE=");
  s.AppendQuoted(d);
  s.Append(", TIME=");
  s.AppendQuoted(t);
  s.Append(", KZR=0 , CNAK=-1    WHERE TABNUM= ");
  s.AppendQuoted(number);
  s.Append(";");
}

void BuildCountBatteryTotalsQuery(lamp::SqlStatement& s, std::string_view number) {
  BuildNumberStatement(s, "SELECT COUNT(*)  FROM BATTALL  WHERE TABNUM= ", number);
}

void BuildCountDischargeReportsQuery(lamp::SqlStatement& s, std::string_view number) {
  BuildNumberStatement(s, "SELECT COUNT(*)  FROM battdisrep  WHERE TABNUM= ", number);
}

void BuildInsertBatteryTotalsStatement(lamp::SqlStatement& s, std::string_view d,
                                       std::string_view t, std::string_view number, std::int32_t st,
                                       std::int32_t uch, std::int32_t brig) {
  s.Clear();
  s.Append("INSERT INTO ");
  s.Append("BATTALL");
  s.Append(" (Date ,DATESMB,  Time ,TIMESMB, TabNum,   \t ST, UCH, BRIG)");
  s.Append(" VALUES (");
  s.AppendQuoted(d);
  s.Append(", ");
  s.AppendQuoted(d);
  s.Append(", ");
  s.AppendQuoted(t);
  s.Append(", ");
  s.AppendQuoted(t);
  s.Append(", ");
  s.AppendQuoted(number);
  AppendValue(s, st);
  AppendValue(s, uch);
  AppendValue(s, brig);
  s.Append(");");
}

void BuildResetBatteryTotalsStatement(lamp::SqlStatement& s, std::string_view d, std::string_view t,
                                      std::string_view number, std::int32_t st, std::int32_t uch,
                                      std::int32_t brig) {
  s.Clear();
  s.Append("UPDATE BATTALL SET ");
  AppendQuotedAssignment(s, "DATE=", d);
  AppendQuotedAssignment(s, "DATESMB=", d);
  AppendQuotedAssignment(s, "TIME=", t);
  AppendQuotedAssignment(s, "TIMESMB=", t);
  s.Append("KZR=0, KZRB=0, CACC=0, CET=0, PROC=0, CNAK=0, ");
  AppendWorkerAndLamp(s, st, uch, brig, number);
}

void BuildResetDischargeReportStatement(lamp::SqlStatement& s, std::string_view d,
                                        std::string_view t, std::string_view number,
                                        std::int32_t st, std::int32_t uch, std::int32_t brig) {
  s.Clear();
  s.Append("UPDATE battdisrep SET ");
  AppendQuotedAssignment(s, "DATE=", d);
  AppendQuotedAssignment(s, "TIME=", t);
  s.Append("CACC=0, CET=0, PROC=-1, ");
  AppendWorkerAndLamp(s, st, uch, brig, number);
}

void SaveBatteryParams(const char* number, const lamp::ModeDisplayRecord& r, std::int32_t st,
                       std::int32_t uch, std::int32_t brig, const char* comment) {
  RunDatedWrite([&](lamp::SqlStatement& s, std::string_view d, std::string_view t) {
    BuildBatteryParamsStatement(s, false, d, t, View(number), r, st, uch, brig, View(comment));
  });
}

void LogBatteryParams(const char* number, const lamp::ModeDisplayRecord& r, std::int32_t st,
                      std::int32_t uch, std::int32_t brig, const char* comment) {
  RunDatedWrite([&](lamp::SqlStatement& s, std::string_view d, std::string_view t) {
    BuildBatteryParamsStatement(s, true, d, t, View(number), r, st, uch, brig, View(comment));
  });
}

void SaveShiftBattery(const char* number, const lamp::ModeDisplayRecord& r, std::int32_t st,
                      std::int32_t uch, std::int32_t brig) {
  RunDatedWrite([&](lamp::SqlStatement& s, std::string_view d, std::string_view t) {
    BuildShiftBatteryStatement(s, d, t, View(number), r, st, uch, brig);
  });
}

void ResetChargeReport(const char* number) {
  RunDatedWrite([&](lamp::SqlStatement& s, std::string_view d, std::string_view t) {
    BuildResetChargeReportStatement(s, d, t, View(number));
  });
}

std::int32_t CountBatteryTotals(const char* number) {
  return RunCount([&](lamp::SqlStatement& s) { BuildCountBatteryTotalsQuery(s, View(number)); });
}

void InsertBatteryTotals(const char* number, std::int32_t st, std::int32_t uch, std::int32_t brig) {
  RunDatedWrite([&](lamp::SqlStatement& s, std::string_view d, std::string_view t) {
    BuildInsertBatteryTotalsStatement(s, d, t, View(number), st, uch, brig);
  });
}

void ResetBatteryTotals(const char* number, std::int32_t st, std::int32_t uch, std::int32_t brig) {
  RunDatedWrite([&](lamp::SqlStatement& s, std::string_view d, std::string_view t) {
    BuildResetBatteryTotalsStatement(s, d, t, View(number), st, uch, brig);
  });
}

std::int32_t CountDischargeReports(const char* number) {
  return RunCount([&](lamp::SqlStatement& s) { BuildCountDischargeReportsQuery(s, View(number)); });
}

void ResetDischargeReport(const char* number, std::int32_t st, std::int32_t uch,
                          std::int32_t brig) {
  RunDatedWrite([&](lamp::SqlStatement& s, std::string_view d, std::string_view t) {
    BuildResetDischargeReportStatement(s, d, t, View(number), st, uch, brig);
  });
}

}  // namespace lumora
