// A finished charge: the cell reports 0x3404, the server fetches the charge report and writes
// it to accumch and battchrep, the totals to BATTALL and the charge-result event 0x3414.
#include <gtest/gtest.h>

#include "tests/e2e/lamp_room_harness.h"

namespace {

using e2e::LampRoomRun;
using e2e::WaitFor;

// The payload word at `offset` of an answer's payload in the simulator's log (hexadecimal
// text, two characters a byte).
int PayloadWord(const std::string& hex, std::size_t offset) {
  const int low = std::stoi(hex.substr(2 * offset, 2), nullptr, 16);
  const int high = std::stoi(hex.substr(2 * offset + 2, 2), nullptr, 16);
  return low | (high << 8);
}

TEST(EndToEnd, AFinishedChargeWritesItsReportTotalsAndResultEvent) {
  E2E_REQUIRE_PROGRAMS();
  LampRoomRun room;
  std::string error;
  // Ten simulated minutes per real second: charges end within the first minute.
  ASSERT_TRUE(room.Start(2, 4, {"--time-scale", "600", "--seed", "3"}, error)) << error;
  ASSERT_TRUE(room.WaitUntilPolling(30)) << room.server().LogText();
  ASSERT_TRUE(WaitFor(150, [&] { return room.QueryCount("SELECT COUNT(*) FROM accumch") > 0; }))
      << "no charge report written";
  const std::string number =
      room.db().QueryValue("SELECT TabNum FROM accumch ORDER BY DATA_ID LIMIT 1");
  const std::string station = std::to_string(std::stoi(number.substr(0, 3)));

  // The report the simulator sent for that cell (frame type C1, command 94).
  std::string payload;
  ASSERT_TRUE(WaitFor(5, [&] {
    for (const auto& line : room.SimLog()) {
      if (line.kind == 'A' && line.number == number && line.code_or_type == "C1" &&
          line.rest.rfind("94 ", 0) == 0) {
        payload = line.rest.substr(3);
        return true;
      }
    }
    return false;
  }));
  const int count = PayloadWord(payload, 7);
  const int received = PayloadWord(payload, 25);
  ASSERT_EQ(std::stoi(payload.substr(48, 2), nullptr, 16), 5);  // received charge present

  const std::string where = " WHERE TabNum = \"" + number + "\"";
  EXPECT_EQ(room.db().QueryValue("SELECT CONCAT(KZR, ' ', CNAK, ' ', Tip, ' ', ST) FROM accumch" +
                                 where + " ORDER BY DATA_ID LIMIT 1"),
            std::to_string(count) + " " + std::to_string(received) + " 3 " + station);
  EXPECT_EQ(room.db().QueryValue("SELECT CONCAT(KZR, ' ', CNAK) FROM battchrep" + where),
            std::to_string(count) + " " + std::to_string(received));
  EXPECT_EQ(
      room.db().QueryValue(
          "SELECT CONCAT(KZR, ' ', CNAK, ' ', TIP) FROM BATTALL WHERE TABNUM = \"" + number + "\""),
      std::to_string(count) + " " + std::to_string(received) + " 3");
  // The charge-done row came first, then one charge-result row per report written.
  EXPECT_GE(room.QueryCount("SELECT COUNT(*) FROM event" + where + " AND KSOB = 13316"), 1);
  EXPECT_EQ(room.db().QueryValue("SELECT PARM1 FROM event" + where +
                                 " AND KSOB = 13332 ORDER BY DATA_ID LIMIT 1"),
            std::to_string(received));
  EXPECT_EQ(room.QueryCount("SELECT COUNT(*) FROM event" + where + " AND KSOB = 13332"),
            room.QueryCount("SELECT COUNT(*) FROM accumch" + where));
  EXPECT_LT(room.QueryCount("SELECT MIN(DATA_ID) FROM event" + where + " AND KSOB = 13316"),
            room.QueryCount("SELECT MIN(DATA_ID) FROM event" + where + " AND KSOB = 13332"));
  EXPECT_TRUE(room.server().Running());
}

}  // namespace
