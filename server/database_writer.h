#pragma once
// The database writer: every row the server writes to "zuvurov" (events, state rows, charge
// and discharge reports, lamp totals) and the one count query.
//
// Each writer builds its statement text into a fixed buffer, sends it over DatabaseHandle and
// lists a failure in the database error window (ReportDbError, error_window.h).
// Without a connection the text is built and nothing is sent or listed. Nothing is retried,
// queued or wrapped in a transaction. The builders are pure and build exactly the text sent.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string_view>

namespace lamp {
class SqlStatement;
}

namespace tolvex {

// ---- Writers (operation names as listed on failure) ----

// The server's own event rows (start, exit, system shutdown) carry this number and factory
// number.
inline constexpr char kServerEventNumber[] = "TOLVEX";
inline constexpr std::uint64_t kServerEventFabNum = 0x5555;

// `age` in units of 10 s back: -1 (and any negative) or 30000 and above now, 0 two seconds
// back, n from 1 to 29999 10n - 7 seconds back.
void AddEvent(std::string_view TabNum, std::uint64_t FabNum, std::int32_t KSOB, std::int32_t NSP1,
              std::int32_t NSP2, std::int32_t FL, std::int32_t ST, std::int32_t UCH,
              std::int32_t BRIG, std::int32_t WTBNUM, std::int32_t age, std::int32_t PSTAT,
              std::int32_t PARM1, std::int32_t PARM2, std::int32_t PARM3, std::int32_t PARM4,
              std::int32_t PARM5);

// The server's own event row: "TOLVEX", factory number 0x5555, the given code
// (lamp::EventServerStarted or lamp::EventServerStopped), PARM1 -1, written now.
void AddServerEvent(std::int32_t KSOB);

void AddStat(std::string_view IndNum, std::uint64_t FabNum, std::int32_t UPW, std::int32_t UZR,
             std::int32_t U5V, std::int32_t GR, std::int32_t UPWMIN, std::int32_t UPWMAX,
             std::int32_t UZRMIN, std::int32_t UZRMAX, std::int32_t U5VMIN, std::int32_t U5VMAX,
             std::int32_t GRMIN, std::int32_t GRMAX, std::int32_t FLN);

// accumch (history) then battchrep (latest per lamp); the second runs whatever the first gave.
void AddAccCH(std::string_view TabNum, std::uint64_t FabNum, std::int32_t KZR, std::int32_t KZRB,
              std::int32_t Tip, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
              std::int32_t FZAR, std::int32_t VREAL, std::int32_t IREAL, std::int32_t V2Z,
              std::int32_t I2Z, std::int32_t NUMBATT, std::int32_t CNAK);

// accumdis (history) then battdisrep (latest per lamp); Cacc, Cet and Proc derived from
// IDIS, TDIS and the nominal capacity Cn.
void AddChDis(std::string_view TabNum, std::uint64_t FabNum, std::int32_t IDIS, std::int32_t TDIS,
              std::int32_t Cn, std::int32_t Tip, std::int32_t ST, std::int32_t UCH,
              std::int32_t BRIG, std::int32_t FRAZ, std::int32_t VREAL, std::int32_t IREAL,
              std::int32_t NUMBATT);

// BATTALL rows of the number; 0 without a connection or on any failure.
std::int32_t GetCOUNT(std::string_view TabNum);

void AddCHALL(std::string_view TabNum, std::int32_t KZR, std::int32_t KZRB, std::int32_t TIP,
              std::int32_t CNAK, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
              std::int32_t NUMBATT);
void UpdCHALL(std::string_view TabNum, std::int32_t KZR, std::int32_t KZRB, std::int32_t TIP,
              std::int32_t CNAK, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
              std::int32_t NUMBATT);
void AddDISSALL(std::string_view TabNum, std::int32_t IDIS, std::int32_t TDIS, std::int32_t Cn,
                std::int32_t TIP, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
                std::int32_t NUMBATT);
void UpdDISSALL(std::string_view TabNum, std::int32_t IDIS, std::int32_t TDIS, std::int32_t Cn,
                std::int32_t TIP, std::int32_t ST, std::int32_t UCH, std::int32_t BRIG,
                std::int32_t NUMBATT);

// ---- Time texts ----

// The wall clock of every date and time written; replaceable for tests (null = the system's).
using WallClock = std::time_t (*)();
void SetWallClock(WallClock clock);
std::time_t WallClockNow();

// Date ("%d-%2.2d-%2.2d") and time ("hh:mm:ss") of now by the wall clock.
void FormatSqlDate(std::span<char> date);
void FormatSqlTime(std::span<char> time);
// Date and time of the moment `age` tens of seconds back, by the age rule of AddEvent.
void FormatSqlDateTimeBack(std::int32_t age, std::span<char> date, std::span<char> time);
// Seconds back of an event of that age.
std::int64_t SecondsBackOfAge(std::int32_t age);

// ---- Derived discharge values ----

struct DischargeValues {
  std::int32_t Cacc;  // IDIS * TDIS / 60 (32-bit product, truncated quotient)
  std::int32_t Cet;   // 10 * Cn
  std::int32_t Proc;  // 10 * Cacc / Cn, 0 when Cn is 0
};
DischargeValues ComputeDischargeValues(std::int32_t IDIS, std::int32_t TDIS, std::int32_t Cn);

// ---- Statement builders: the exact text each writer sends ----

// Longest statement text the writers build (the longest stays well under 1 kB).
inline constexpr std::size_t kStatementBufferSize = 2048;

struct EventValues {
  std::string_view TabNum;
  std::uint64_t FabNum;
  std::int32_t KSOB, NSP1, NSP2, PSTAT, PARM1, PARM2, PARM3, PARM4, PARM5, FL, ST, UCH, BRIG,
      WTBNUM;
};
struct StatValues {
  std::string_view IndNum;
  std::uint64_t FabNum;
  std::int32_t UPW, UZR, U5V, GR, UPWMIN, UPWMAX, UZRMIN, UZRMAX, U5VMIN, U5VMAX, GRMIN, GRMAX, FLN;
};
struct ChargeReportValues {
  std::string_view TabNum;
  std::uint64_t FabNum;
  std::int32_t KZR, KZRB, Tip, ST, UCH, BRIG, FZAR, VREAL, IREAL, V2Z, I2Z, NUMBATT, CNAK;
};
struct DischargeReportValues {
  std::string_view TabNum;
  std::uint64_t FabNum;
  std::int32_t IDIS, TDIS, Cacc, Cet, Proc, Tip, ST, UCH, BRIG, FRAZ, VREAL, IREAL, NUMBATT;
};
struct ChargeTotalsValues {
  std::string_view TabNum;
  std::int32_t KZR, KZRB, TIP, CNAK, ST, UCH, BRIG, NUMBATT;
};
struct DischargeTotalsValues {
  std::string_view TabNum;
  std::int32_t IDIS, TDIS, CACC, CET, PROC, TIP, ST, UCH, BRIG, NUMBATT;
};

void BuildEventStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                         const EventValues& v);
void BuildStatStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                        const StatValues& v);
// accumch row.
void BuildAccumChStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                           const ChargeReportValues& v);
// battchrep row.
void BuildBattChRepStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                             const ChargeReportValues& v);
// accumdis row.
void BuildAccumDisStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                            const DischargeReportValues& v);
// battdisrep row.
void BuildBattDisRepStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                              const DischargeReportValues& v);
void BuildCountStatement(lamp::SqlStatement& out, std::string_view TabNum);
void BuildAddChAllStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                            const ChargeTotalsValues& v);
void BuildUpdChAllStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                            const ChargeTotalsValues& v);
void BuildAddDisAllStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                             const DischargeTotalsValues& v);
void BuildUpdDisAllStatement(lamp::SqlStatement& out, std::string_view date, std::string_view time,
                             const DischargeTotalsValues& v);

}  // namespace tolvex
