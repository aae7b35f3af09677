// A workstation command travels through the server to the one cell it names, and the cell's
// answer comes back to the workstation.
#include <gtest/gtest.h>

#include "tests/e2e/lamp_room_harness.h"

namespace {

using e2e::LampRoomRun;
using e2e::WaitFor;

std::vector<e2e::SimLine> AnswersFor(const std::vector<e2e::SimLine>& log, const char* type,
                                     const char* command) {
  std::vector<e2e::SimLine> out;
  for (const auto& line : log) {
    if (line.kind == 'A' && line.code_or_type == type && line.rest.rfind(command, 0) == 0) {
      out.push_back(line);
    }
  }
  return out;
}

TEST(EndToEnd, ACommandReachesItsCellAndItsAnswerComesBack) {
  E2E_REQUIRE_PROGRAMS();
  LampRoomRun room;
  std::string error;
  ASSERT_TRUE(room.Start(3, 4, {}, error)) << error;
  ASSERT_TRUE(room.WaitUntilPolling(30)) << room.server().LogText();

  // Start: code 10 becomes cell command 0xA1 with the words 0 and 10.
  room.peer().Send(e2e::Command(10, "002a03"));
  const auto answered = [&] {
    for (const auto& s : room.peer().Statuses(lamp::IdCommandAnswer)) {
      if (s.ind_num() == "002a03" && s.answer_command() == 0xA1 && s.answer_frame_type() == 0x79) {
        return true;
      }
    }
    return false;
  };
  ASSERT_TRUE(WaitFor(10, answered)) << "no IdCommandAnswer for 002a03";

  // The station of that cell answered it, and no other cell got the command (the simulator
  // writes its log every half second).
  ASSERT_TRUE(WaitFor(5, [&] { return !AnswersFor(room.SimLog(), "79", "A1").empty(); }));
  const auto cell_commands = AnswersFor(room.SimLog(), "79", "A1");
  ASSERT_EQ(cell_commands.size(), 1u);
  EXPECT_EQ(cell_commands[0].number, "002a03");
  EXPECT_EQ(cell_commands[0].rest,
            "A1 A10007"
            "0000"
            "0A00");

  // A mode-record read comes back as IdModeRecord with the cell's record.
  room.peer().Send(e2e::Command(158, "001a02", 64));
  ASSERT_TRUE(WaitFor(10, [&] { return !room.peer().Received(lamp::IdModeRecord).empty(); }));
  const auto record = room.peer().Received(lamp::IdModeRecord)[0];
  ASSERT_EQ(record.size(), 92u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data()) + 4), "001a02");
  EXPECT_EQ(lamp::ReadU16(record, 28), 660);        // capacity word of the default record
  EXPECT_EQ(lamp::ReadU16(record, 28 + 16), 1500);  // charge 1 current

  // A device-number find by factory number reaches the one cell with that number.
  const std::uint64_t fab = 0x00005A1700030000ull | 2;  // station 3, position 2
  lamp::CommandDatagram find = e2e::Command(257, "");
  find.set_fab_num(fab);
  find.set_number_kind(2);
  room.peer().Send(find);
  const auto found = [&] {
    for (const auto& s : room.peer().Statuses(lamp::IdCommandAnswer)) {
      if (s.answer_frame_type() == 0x7A && s.answer_command() == 1) return true;
    }
    return false;
  };
  ASSERT_TRUE(WaitFor(10, found));
  for (const auto& s : room.peer().Statuses(lamp::IdCommandAnswer)) {
    if (s.answer_frame_type() != 0x7A) continue;
    EXPECT_EQ(s.ind_num(), "003a02");
    EXPECT_EQ(s.fab_num(), fab);
    EXPECT_EQ(s.station_number(), 3u);
    EXPECT_EQ(s.first_version_word(), 0x0201u);
    EXPECT_EQ(s.second_version_word(), 0x0403u);
  }
  EXPECT_TRUE(room.server().Running());
  EXPECT_GT(room.peer().pings_answered(), 0);
}

}  // namespace
