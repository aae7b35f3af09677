// The measurement log's lines: when a lamp's new values make a line due, how the line reads,
// how the lists are kept bounded, and saving a list to a text file.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "link/code_tables.h"
#include "link/cp1251.h"
#include "link/sql_text.h"
#include "workstation/measurement_log.h"
#include "workstation/screen_text.h"

namespace lumora {

MeasurementLogState MeasurementLogs[2];

namespace {

// Room for a log's number as 8-bit text; a longer edit text can never equal a datagram's.
constexpr std::size_t kLogNumberBytes = 32;

bool FollowsNumber(const forms::TCheckBox& check, const forms::TEdit& edit, const char* number) {
  if (!check.Checked()) return false;
  std::array<char, kLogNumberBytes> wanted;
  CopyEditCp1251(edit, wanted, kLogNumberBytes - 1);
  return std::strcmp(wanted.data(), number) == 0;
}

void AddLine(forms::TListBox& list, const forms::TCheckBox& scroll, std::string line) {
  forms::TStrings& items = list.Items();
  items.Add(std::move(line));
  if (items.Count() > kLogLineLimit) {
    for (int i = 0; i < kLogLinesDropped; ++i) items.Delete(0);
  }
  if (scroll.Checked() && items.Count() > kLogScrollLines) list.SetItemIndex(items.Count() - 1);
}

void LogOne(MeasurementLogState& log, forms::TListBox& list, const char* number, std::int32_t state,
            std::int32_t fault_bits, std::int32_t voltage, std::int32_t current) {
  TFormLOG& form = *FormLOG;
  const MeasurementSteps steps{form.UpDown1.Position(), form.UpDown2.Position(),
                               form.UpDown3.Position()};
  if (!IsLogLineDue(log, state, fault_bits, voltage, current, steps)) return;
  log.last_state = state;
  log.last_fault_bits = fault_bits;
  log.last_voltage = voltage;
  log.last_current = current;
  log.seconds = 0;
  char time_text[lamp::kSqlTimeTextSize];
  lamp::FormatSqlTime(time_text);
  AddLine(list, form.CheckSCR,
          FormatLogLine(lamp::Cp1251ToUtf8(number), time_text, voltage, current, state));
}

}  // namespace

bool IsLogLineDue(const MeasurementLogState& log, std::int32_t state, std::int32_t fault_bits,
                  std::int32_t voltage, std::int32_t current, const MeasurementSteps& steps) {
  const auto moved = [](std::int32_t now, std::int32_t last, std::int32_t step) {
    return std::llabs(static_cast<long long>(now) - last) >= step;
  };
  return state != log.last_state || fault_bits != log.last_fault_bits ||
         moved(voltage, log.last_voltage, steps.voltage) ||
         moved(current, log.last_current, steps.current) ||
         static_cast<long long>(log.seconds) >= steps.seconds;
}

std::string FormatLogLine(std::string_view number, std::string_view time_text, std::int32_t voltage,
                          std::int32_t current, std::int32_t state) {
  std::string line(number);
  line += "  ";
  line += time_text;
  line += "  ";
  line += Format("%d  %d", voltage, current);
  line += "  ";
  line += lamp::CellStateText(static_cast<std::uint32_t>(state));
  return line;
}

void LogLampMeasurement(const char* number, std::int32_t state, std::int32_t fault_bits,
                        std::int32_t voltage, std::int32_t current) {
  if (FormLOG == nullptr || number == nullptr) return;
  TFormLOG& form = *FormLOG;
  if (FollowsNumber(form.Check1, form.Edit1, number)) {
    LogOne(MeasurementLogs[0], form.ListBoxL1, number, state, fault_bits, voltage, current);
  }
  if (FollowsNumber(form.Check2, form.Edit5, number)) {
    LogOne(MeasurementLogs[1], form.ListBoxL2, number, state, fault_bits, voltage, current);
  }
}

bool SaveLogLines(const forms::TStrings& lines, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  bool written = true;
  for (const std::string& line : lines.Items()) {
    const std::string text = lamp::Utf8ToCp1251(line);
    if (std::fprintf(file, "%s\n", text.c_str()) < 0) written = false;
  }
  if (std::fclose(file) != 0) written = false;
  return written;
}

void TFormLOG::BitBtn2Click() {
  if (!SaveDG.Execute()) return;
  const forms::TListBox& list = RadioGroup1.ItemIndex() == 1 ? ListBoxL2 : ListBoxL1;
  if (!SaveLogLines(list.Items(), SaveDG.FileName())) {
    forms::Application().MessageBox("Не удалось записать файл " + SaveDG.FileName(), "LOG",
                                    forms::MB_OK | forms::MB_ICONERROR);
  }
}

}  // namespace lumora
