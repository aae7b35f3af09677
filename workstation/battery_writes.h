#pragma once
// Every write of the workstation to the database, and its two count queries: a lamp's
// charge-mode parameter set (BATTPARM, history in BATTLOG) and, for a battery change, the
// change (SMENABATT) with the resets of the lamp's charge report, totals and discharge report.
// None returns an error: a failed statement shows its error box and the caller goes on.
//
// `number` and `comment` are 8-bit (cp1251) texts; text values are quoted with AppendQuoted.
#include <cstdint>
#include <string_view>

#include "link/mode_record.h"
#include "link/sql_text.h"

namespace lumora {

void SaveBatteryParams(const char* number, const lamp::ModeDisplayRecord& r, std::int32_t st,
                       std::int32_t uch, std::int32_t brig, const char* comment);
void LogBatteryParams(const char* number, const lamp::ModeDisplayRecord& r, std::int32_t st,
                      std::int32_t uch, std::int32_t brig, const char* comment);
void SaveShiftBattery(const char* number, const lamp::ModeDisplayRecord& r, std::int32_t st,
                      std::int32_t uch, std::int32_t brig);
void ResetChargeReport(const char* number);
// Rows of the lamp in BATTALL / battdisrep; 0 without a connection or after an error.
std::int32_t CountBatteryTotals(const char* number);
void InsertBatteryTotals(const char* number, std::int32_t st, std::int32_t uch, std::int32_t brig);
void ResetBatteryTotals(const char* number, std::int32_t st, std::int32_t uch, std::int32_t brig);
std::int32_t CountDischargeReports(const char* number);
void ResetDischargeReport(const char* number, std::int32_t st, std::int32_t uch, std::int32_t brig);

// The statement texts, given the date text d and time text t (pure; for the operations above
// and their tests).
void BuildBatteryParamsStatement(lamp::SqlStatement& s, bool history, std::string_view d,
                                 std::string_view t, std::string_view number,
                                 const lamp::ModeDisplayRecord& r, std::int32_t st,
                                 std::int32_t uch, std::int32_t brig, std::string_view comment);
void BuildShiftBatteryStatement(lamp::SqlStatement& s, std::string_view d, std::string_view t,
                                std::string_view number, const lamp::ModeDisplayRecord& r,
                                std::int32_t st, std::int32_t uch, std::int32_t brig);
void BuildResetChargeReportStatement(lamp::SqlStatement& s, std::string_view d, std::string_view t,
                                     std::string_view number);
void BuildCountBatteryTotalsQuery(lamp::SqlStatement& s, std::string_view number);
void BuildCountDischargeReportsQuery(lamp::SqlStatement& s, std::string_view number);
void BuildInsertBatteryTotalsStatement(lamp::SqlStatement& s, std::string_view d,
                                       std::string_view t, std::string_view number, std::int32_t st,
                                       std::int32_t uch, std::int32_t brig);
void BuildResetBatteryTotalsStatement(lamp::SqlStatement& s, std::string_view d, std::string_view t,
                                      std::string_view number, std::int32_t st, std::int32_t uch,
                                      std::int32_t brig);
void BuildResetDischargeReportStatement(lamp::SqlStatement& s, std::string_view d,
                                        std::string_view t, std::string_view number,
                                        std::int32_t st, std::int32_t uch, std::int32_t brig);

}  // namespace lumora
