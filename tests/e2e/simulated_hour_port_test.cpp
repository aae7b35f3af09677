// A full lamp room for a simulated hour on a poor network: 100 stations of 54 cells, 1 % of
// the answers lost and 0.1 % corrupted. The server must keep running and every event the
// cells reported must stand in the event table once.
//
// The stations run 60 times faster than real time, so the hour takes a minute; the server
// runs as it always does (its poll pass of about 5.5 s reaches each cell about ten times in
// that minute). After the hour the cells stop changing and the run goes on until every
// queued event has reached the server.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "tests/e2e/lamp_room_harness.h"

namespace {

using e2e::LampRoomRun;
using e2e::WaitFor;

TEST(EndToEnd, AHundredStationsRunASimulatedHourWithLossAndCorruption) {
  E2E_REQUIRE_PROGRAMS();
  LampRoomRun room;
  std::string error;
  ASSERT_TRUE(room.Start(100, 54,
                         {"--time-scale", "60", "--life-end", "3600", "--drop", "0.01", "--corrupt",
                          "0.001", "--seed", "11"},
                         error))
      << error;
  ASSERT_TRUE(room.WaitUntilPolling(40)) << room.server().LogText();

  // The hour, then until every event queued has been delivered (the log's Q and D lines
  // balance), at most four more minutes.
  room.SleepUntilSimSecond(62);
  const bool drained = WaitFor(
      240,
      [&] {
        const auto log = room.SimLog();
        return e2e::Count(log, 'Q') == e2e::Count(log, 'D');
      },
      2);
  const auto log = room.SimLog();
  ASSERT_TRUE(room.server().Running()) << room.server().LogText();
  ASSERT_TRUE(drained) << e2e::Count(log, 'Q') << " events queued, " << e2e::Count(log, 'D')
                       << " delivered";
  EXPECT_EQ(e2e::Count(log, 'L'), 0u) << "events lost from full queues";
  // A lamp changes state about once in four hours; 5400 lamps give well over 800 events.
  ASSERT_GT(e2e::Count(log, 'D'), 800u) << "too little happened in the hour";

  // Every delivered event has its row, and no event the cells reported has two.
  std::map<std::pair<std::string, std::string>, long long> delivered;
  for (const auto& line : log) {
    if (line.kind == 'D') ++delivered[{line.number, line.code_or_type}];
  }
  // The rows of the cells' own codes: not the server's lost-link (0x1040), charge-result
  // (0x3414), start and stop ("TOLVEX") or state-record (0x5000 and up) rows, nor the rows of
  // changed bits alone (code 0).
  std::map<std::pair<std::string, std::string>, long long> rows;
  for (const auto& row : room.db().Query(
           "SELECT TabNum, LPAD(HEX(KSOB), 4, '0'), COUNT(*) FROM event WHERE KSOB > 0 AND "
           "KSOB < 20480 AND KSOB <> 4160 AND KSOB <> 13332 AND TabNum <> \"TOLVEX\" GROUP BY "
           "TabNum, KSOB")) {
    rows[{row[0], row[1]}] = std::atoll(row[2].c_str());
  }
  int missing = 0, extra = 0;
  for (const auto& [key, count] : delivered) {
    const long long written = rows.count(key) ? rows[key] : 0;
    if (written < count) ++missing;
    if (written > count) ++extra;
    if (written != count && missing + extra <= 5) {
      ADD_FAILURE() << key.first << " " << key.second << ": " << count << " delivered, " << written
                    << " rows";
    }
  }
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(extra, 0);
  for (const auto& [key, count] : rows) {
    if (!delivered.count(key)) {
      ADD_FAILURE() << key.first << " " << key.second << ": " << count
                    << " rows of an event the cell never reported";
    }
  }

  // The losses really happened, and no cell lost its link for good (four answers in a row
  // lost at 1 % is not to be expected).
  const std::string counts = room.sim().LogText();
  EXPECT_NE(counts.find("dropped"), std::string::npos);
  EXPECT_EQ(room.QueryCount("SELECT COUNT(*) FROM event WHERE KSOB = 4160"), 0);
  // Every report the server asked for was written.
  EXPECT_EQ(room.QueryCount("SELECT COUNT(*) FROM event WHERE KSOB = 13332"),
            room.QueryCount("SELECT COUNT(*) FROM accumch"));
}

}  // namespace
