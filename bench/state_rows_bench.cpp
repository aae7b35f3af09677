// The periodic state rows of 6000 cells on a real MariaDB: the server's way, one statement per
// row inside one TimerSTAT tick (the user-interface thread is blocked for the whole tick),
// against one multi-row INSERT of the same rows, the least the database can be asked to do.
//
// Needs the private database: run with MYSQL_UNIX_PORT naming its socket (scripts/db start
// DIR, then MYSQL_UNIX_PORT=DIR/mysql.sock). Without it the benchmarks are skipped.
#include <benchmark/benchmark.h>
#include <mysql.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "link/code_tables.h"
#include "link/database_options.h"
#include "link/sql_text.h"
#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/error_window.h"
#include "server/state_rows.h"

namespace {

constexpr int kCells = 6000;
const std::array<const char*, 4> kTimes = {"01:00", "07:00", "13:00", "19:00"};

struct Database {
  Database() {
    forms::Application().UseManualClock();
    error_window = std::make_unique<tolvex::TFormERR>();
    // Probed apart, so an absent database lists nothing in the error window.
    MYSQL* probe = lamp::NewDatabaseHandle();
    reachable =
        probe != nullptr && mysql_real_connect(probe, "localhost", "root", "q758",
                                               lamp::kDatabaseName, 0, nullptr, 0) != nullptr;
    mysql_close(probe);
    if (!reachable || tolvex::ConnectDatabase("localhost", "root", "q758") != 0) {
      reachable = false;
      return;
    }
    using tolvex::Cells;
    for (int i = 0; i < kCells; ++i) {
      const int station = 1 + i / 60;
      char number[8];
      std::snprintf(number, sizeof number, "%03da%02d", station, 1 + i % 60);
      tolvex::SetTabnum(i, number);
      Cells.ST[i] = station;
      Cells.UCH[i] = 1 + station % 7;
      Cells.BRIG[i] = 1 + i % 12;
      Cells.WTBNUM[i] = 1000 + i;
      Cells.FabNum[i] = 0x5A1700000000ull + static_cast<std::uint64_t>(i);
      Cells.PSTAT[i] = (i % 5 == 0) ? 0 : 4;
      Cells.PARM1[i] = 4100;
      Cells.PARM2[i] = 1500;
      Cells.UPW[i] = 12000;
      Cells.UZR[i] = 9000;
      Cells.U5V[i] = 5000;
      Cells.GR[i] = 215;
    }
    tolvex::CellCount = kCells;
    tolvex::InitCellStatistics();
  }
  void Empty(const char* table) {
    const std::string statement = std::string("TRUNCATE TABLE ") + table;
    mysql_real_query(tolvex::DatabaseHandle, statement.data(), statement.size());
  }
  std::unique_ptr<tolvex::TFormERR> error_window;
  bool reachable = false;
};

Database& Db() {
  static Database* db = new Database();
  return *db;
}

void BM_StateEventRowsOneStatementEach(benchmark::State& state) {
  Database& db = Db();
  if (!db.reachable) {
    state.SkipWithError("no database: set MYSQL_UNIX_PORT to the socket of scripts/db");
    return;
  }
  tolvex::ClockMinuteText seven{};
  std::memcpy(seven.data(), "07:00", 6);
  for (auto _ : state) {
    state.PauseTiming();
    db.Empty("event");
    tolvex::TimeMatch.fill(0);
    tolvex::StatRowsDue = 0;
    state.ResumeTiming();
    tolvex::RunStateRowsTick(seven, kTimes);  // the tick that writes one event row per cell
  }
  state.counters["rows"] = kCells;
}
BENCHMARK(BM_StateEventRowsOneStatementEach)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StateStatcellRowsOneStatementEach(benchmark::State& state) {
  Database& db = Db();
  if (!db.reachable) {
    state.SkipWithError("no database: set MYSQL_UNIX_PORT to the socket of scripts/db");
    return;
  }
  tolvex::ClockMinuteText later{};
  std::memcpy(later.data(), "07:01", 6);
  for (auto _ : state) {
    state.PauseTiming();
    db.Empty("statcell");
    tolvex::TimeMatch.fill(0);
    tolvex::StatRowsDue = 1;
    state.ResumeTiming();
    tolvex::RunStateRowsTick(later, kTimes);  // the next tick: one statcell row per cell
  }
  state.counters["rows"] = kCells;
}
BENCHMARK(BM_StateStatcellRowsOneStatementEach)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same 6000 event rows as one INSERT ... VALUES (...), (...), ...
std::string MultiRowEventInsert() {
  using tolvex::Cells;
  char date[lamp::kSqlDateTextSize];
  char time[lamp::kSqlTimeTextSize];
  lamp::FormatSqlDate(date);
  lamp::FormatSqlTime(time);
  std::string statement =
      "INSERT INTO event (Date , Time , TabNum , FabNum ,  KSOB   , NSP1 , NSP2 ,PSTAT,    "
      "PARM1,PARM2, PARM3,PARM4, PARM5,    FL ,  ST,UCH, BRIG,  WTBNUM) VALUES ";
  statement.reserve(kCells * 120);
  for (int i = 0; i < kCells; ++i) {
    char values[256];
    std::snprintf(values, sizeof values,
                  "%s(\"%s\", \"%s\", \"%-8s\", %llu, %d, 0, %d, %d, %d, %d, 0, 0, 0, %d, %d, "
                  "%d, %d, %d)",
                  i == 0 ? "" : ", ", date, time, Cells.TABNUM[i].data(),
                  static_cast<unsigned long long>(Cells.FabNum[i]),
                  Cells.PSTAT[i] == 0 ? lamp::EventStateFree : lamp::EventStateCheck, Cells.NSP1[i],
                  Cells.PSTAT[i], Cells.PARM1[i], Cells.PARM2[i], Cells.NSP2[i], Cells.ST[i],
                  Cells.UCH[i], Cells.BRIG[i], Cells.WTBNUM[i]);
    statement += values;
  }
  statement += ";";
  return statement;
}

std::string MultiRowStatcellInsert() {
  using tolvex::Cells;
  char date[lamp::kSqlDateTextSize];
  char time[lamp::kSqlTimeTextSize];
  lamp::FormatSqlDate(date);
  lamp::FormatSqlTime(time);
  std::string statement =
      "INSERT INTO statcell (Date , Time , IndNum , FabNum ,  UPW   , UZR , U5V ,GR,    UPWMIN, "
      "UPWMAX,  UZRMIN , UZRMAX, U5VMIN, U5VMAX, GRMIN, GRMAX, FLN) VALUES ";
  statement.reserve(kCells * 130);
  for (int i = 0; i < kCells; ++i) {
    char values[256];
    std::snprintf(values, sizeof values,
                  "%s(\"%s\", \"%s\", \"%-8s\", %llu, %u, %u, %u, %d, %u, %u, %u, %u, %u, %u, "
                  "%d, %d, %d)",
                  i == 0 ? "" : ", ", date, time, Cells.TABNUM[i].data(),
                  static_cast<unsigned long long>(Cells.FabNum[i]), Cells.UPW[i], Cells.UZR[i],
                  Cells.U5V[i], Cells.GR[i], Cells.UPWMIN[i], Cells.UPWMAX[i], Cells.UZRMIN[i],
                  Cells.UZRMAX[i], Cells.U5VMIN[i], Cells.U5VMAX[i], Cells.GRMIN[i], Cells.GRMAX[i],
                  Cells.FLN[i]);
    statement += values;
  }
  statement += ";";
  return statement;
}

void RunMultiRow(benchmark::State& state, const char* table, std::string (*build)()) {
  Database& db = Db();
  if (!db.reachable) {
    state.SkipWithError("no database: set MYSQL_UNIX_PORT to the socket of scripts/db");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    db.Empty(table);
    state.ResumeTiming();
    // Building the text is part of the work, as it is for the server's statements.
    const std::string statement = build();
    if (mysql_real_query(tolvex::DatabaseHandle, statement.data(), statement.size()) != 0) {
      state.SkipWithError(mysql_error(tolvex::DatabaseHandle));
      return;
    }
  }
  state.counters["rows"] = kCells;
}

void BM_StateEventRowsOneMultiRowInsert(benchmark::State& state) {
  RunMultiRow(state, "event", MultiRowEventInsert);
}
BENCHMARK(BM_StateEventRowsOneMultiRowInsert)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StateStatcellRowsOneMultiRowInsert(benchmark::State& state) {
  RunMultiRow(state, "statcell", MultiRowStatcellInsert);
}
BENCHMARK(BM_StateStatcellRowsOneMultiRowInsert)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
