// A cell that falls silent gets one lost-link event per silence: one event row and one
// IdCellStatus with the no-link state, however long the silence lasts.
#include <gtest/gtest.h>

#include "tests/e2e/lamp_room_harness.h"

namespace {

using e2e::LampRoomRun;
using e2e::WaitFor;

TEST(EndToEnd, ASilentCellGetsExactlyOneLostLinkEventPerSilence) {
  E2E_REQUIRE_PROGRAMS();
  LampRoomRun room;
  std::string error;
  // Two silences of 001a01, each long enough for eight or more unanswered polls (a pass takes
  // about 5.5 s), with answers between them. The times are the simulator's seconds since its
  // start, which here run with the real clock.
  ASSERT_TRUE(room.Start(1, 3, {"--silence", "001a01:15:60", "--silence", "001a01:75:120"}, error))
      << error;
  ASSERT_TRUE(room.WaitUntilPolling(30)) << room.server().LogText();

  const std::string lost =
      "SELECT COUNT(*) FROM event WHERE KSOB = 4160 AND TabNum = \"001a01\"";  // 0x1040
  const std::string others =
      "SELECT COUNT(*) FROM event WHERE KSOB = 4160 AND TabNum <> \"001a01\"";
  const auto no_link_datagrams = [&] {
    int n = 0;
    for (const auto& s : room.peer().Statuses(lamp::IdCellStatus)) {
      n += s.ind_num() == "001a01" && s.state() == 0xFFF && s.fault_bits() == 0x8000 &&
           s.event_code() == 0x1040;
    }
    return n;
  };

  // The first silence: one row, and it stays one for the rest of the silence and after it.
  ASSERT_TRUE(WaitFor(50, [&] { return room.QueryCount(lost) >= 1; })) << "no lost-link row";
  room.SleepUntilSimSecond(70);
  EXPECT_EQ(room.QueryCount(lost), 1);
  EXPECT_EQ(no_link_datagrams(), 1);

  // The second silence: one more.
  ASSERT_TRUE(WaitFor(60, [&] { return room.QueryCount(lost) >= 2; })) << "no second row";
  room.SleepUntilSimSecond(130);
  EXPECT_EQ(room.QueryCount(lost), 2);
  EXPECT_EQ(no_link_datagrams(), 2);
  EXPECT_EQ(room.QueryCount(others), 0);
  // The rows are the lost-link rows of the poll cycle: no factory number, age 0.
  EXPECT_EQ(room.db().QueryValue("SELECT CONCAT(FabNum, ' ', NSP2, ' ', PSTAT, ' ', PARM1) FROM "
                                 "event WHERE KSOB = 4160 LIMIT 1"),
            "0 32768 0 -1");
  EXPECT_TRUE(room.server().Running());
}

}  // namespace
