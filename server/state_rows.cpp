#include "server/state_rows.h"

#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "link/code_tables.h"
#include "link/sql_text.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/database_writer.h"
#include "server/error_window.h"

namespace tolvex {

std::int32_t StatRowsDue = 0;
std::array<std::int32_t, 4> TimeMatch{};

namespace {

LocalTimeSource state_rows_clock = lamp::LocalTimeNow;

// A cell counts as answering while fewer than three requests in a row went unanswered.
bool CellAnswers(int cell) {
  return static_cast<std::uint32_t>(Cells.kZAPR[cell]) < 3;
}

int AnsweringCells(int from, int to) {
  int cells = 0;
  for (int i = from; i < to; ++i) cells += CellAnswers(i) ? 1 : 0;
  return cells;
}

// A batch that meets a lost connection stops there: every further row would fail the same
// way. Its rows not sent are listed once, with their count.
bool StopForLostConnection(int rows_left, std::string_view operation) {
  if (!DatabaseConnectionLost()) return false;
  if (rows_left > 0) {
    ReportDbError(kServerSideErrorCode,
                  std::to_string(rows_left) + " rows not sent: connection lost", operation);
  }
  return true;
}

void WriteStatcellRows() {
  const int count = LoadedCellCount();
  for (int i = 0; i < count; ++i) {
    if (!CellAnswers(i)) continue;
    const PaddedCellNumber number = PadCellNumber(Cells.TABNUM[i]);
    AddStat(number.data(), Cells.FabNum[i], static_cast<std::int32_t>(Cells.UPW[i]),
            static_cast<std::int32_t>(Cells.UZR[i]), static_cast<std::int32_t>(Cells.U5V[i]),
            Cells.GR[i], static_cast<std::int32_t>(Cells.UPWMIN[i]),
            static_cast<std::int32_t>(Cells.UPWMAX[i]), static_cast<std::int32_t>(Cells.UZRMIN[i]),
            static_cast<std::int32_t>(Cells.UZRMAX[i]), static_cast<std::int32_t>(Cells.U5VMIN[i]),
            static_cast<std::int32_t>(Cells.U5VMAX[i]), Cells.GRMIN[i], Cells.GRMAX[i],
            Cells.FLN[i]);
    RestartCellExtremes(i);
    // The cells not reached keep their extremes for the next record.
    if (StopForLostConnection(AnsweringCells(i + 1, count), "AddStat")) return;
  }
}

void WriteEventRow(int i) {
  const PaddedCellNumber number = PadCellNumber(Cells.TABNUM[i]);
  if (!CellAnswers(i)) {
    AddEvent(number.data(), 0, lamp::EventStateNoLink, 0, lamp::kFaultNoAnswer, 0, Cells.ST[i],
             Cells.UCH[i], Cells.BRIG[i], Cells.WTBNUM[i], -1, 0, 0, 0, 0, 0, 0);
    return;
  }
  const std::int32_t code = Cells.PSTAT[i] != 0 ? lamp::EventStateCheck : lamp::EventStateFree;
  AddEvent(number.data(), Cells.FabNum[i], code, 0, Cells.NSP1[i], Cells.NSP2[i], Cells.ST[i],
           Cells.UCH[i], Cells.BRIG[i], Cells.WTBNUM[i], -1, Cells.PSTAT[i], Cells.PARM1[i],
           Cells.PARM2[i], 0, 0, 0);
}

void WriteEventRows() {
  const int count = LoadedCellCount();
  for (int i = 0; i < count; ++i) {
    WriteEventRow(i);
    if (StopForLostConnection(count - i - 1, "AddEvent")) return;
  }
}

}  // namespace

ClockMinuteText FormatClockMinute(const std::tm& local) {
  ClockMinuteText text{};
  const int hour = local.tm_hour;
  const int minute = local.tm_min;
  text[0] = static_cast<char>('0' + (hour / 10) % 10);
  text[1] = static_cast<char>('0' + hour % 10);
  text[2] = ':';
  text[3] = static_cast<char>('0' + (minute / 10) % 10);
  text[4] = static_cast<char>('0' + minute % 10);
  text[5] = '\0';
  return text;
}

void SetStateRowsClock(LocalTimeSource source) {
  state_rows_clock = source != nullptr ? source : lamp::LocalTimeNow;
}

std::tm CurrentStateRowsTime() {
  return state_rows_clock();
}

void RunStateRowsTick(const ClockMinuteText& now, const std::array<const char*, 4>& times) {
  if (StatRowsDue == 1) {
    StatRowsDue = 0;
    WriteStatcellRows();
  }
  for (std::size_t k = 0; k < 4; ++k) {
    const bool matches = times[k] != nullptr && std::strcmp(times[k], now.data()) == 0;
    TimeMatch[k] = matches ? (TimeMatch[k] | 1) : 0;
  }
  for (std::size_t k = 0; k < 4; ++k) {
    if (TimeMatch[k] == 1) {
      TimeMatch[k] |= 2;
      StatRowsDue = 1;
    }
  }
  if (StatRowsDue == 1) WriteEventRows();
}

}  // namespace tolvex
