#include "workstation/event_history.h"

#include <array>

#include "link/code_tables.h"
#include "link/cp1251.h"
#include "link/number_text.h"
#include "workstation/database_client.h"
#include "workstation/event_history_window.h"
#include "workstation/report_list.h"
#include "workstation/screen_text.h"

namespace lumora {

namespace {

// The row being filled.
forms::TListItem* current_row = nullptr;

constexpr ReportColumn kColumns[] = {{"Инд.номер", 50},   {"Дата", 80},   {"Время", 80},
                                     {"Код События", 60}, {"Текст", 240}, {"Примечание", 180}};

// Column of the code; the note follows the last parameter column.
constexpr int kCodeColumn = 3;
constexpr std::size_t kLastParamColumn = 9;

double Milli(std::int32_t value) {
  return static_cast<double>(static_cast<float>(value) * 0.001f);
}

}  // namespace

bool BuildEventNote(const EventParams& e, std::string& note) {
  note.clear();
  const double p1 = Milli(e.PARM1);
  const double p2 = Milli(e.PARM2);
  const double p3 = Milli(e.PARM3);
  if (e.code == lamp::EventStateCheck) {
    note += lamp::CellStateText(static_cast<std::uint32_t>(e.PSTAT));
    note += "  ";
    note += Format("Напр. %2.2f  ", p1);
    if (e.PARM2 >= 0) note += Format("ток %2.2f  ", p2);
    return true;
  }
  if (e.PARM1 < 0) return false;
  switch (e.code) {
    case lamp::EventControlDischargeDone:
      if (e.PARM2 > 0) note += Format("Ёмкость АКБ %2.3f, ток разр. %2.2f", p1, p2);
      break;
    case lamp::EventLowCapacity:
      if (e.PARM2 > 0) {
        note += Format("Ёмкость АКБ %2.2f , ток разр. %2.2f", p1, p2);
      } else {
        note += Format("Ёмкость АКБ %2.2f", p1);
      }
      break;
    case 0x3008:
      note += Format("Напр. АКБ %2.2f", p1);
      if (e.PARM2 > 0) note += Format("  ток %2.2f", p2);
      break;
    case lamp::EventLowBatteryVoltageAlarm:
    case lamp::EventLowBatteryVoltageRestored:
    case 0x3202:
    case 0x1012:
    case 0x2012:
      note += Format("Напр. АКБ %2.2f", p1);
      break;
    case lamp::EventBatteryConnected:
      note += Format("Напр. АКБ %2.2f", p1);
      if (e.PARM2 >= 0) note += Format(" ток %2.3f", p2);
      break;
    case lamp::EventChargeDone:
      note += Format("Напр. %2.3f, ", p1);
      if (e.PARM2 >= 0) note += Format("ток %2.3f", p2);
      break;
    case lamp::EventChargeResult:
      note += Format("Получ.ЗАР %2.3f, ", p1);
      note += Format(" напр. %2.3f", p2);
      note += Format(" ток %2.3f", p3);
      break;
    case 0x1014:
    case 0x2014:
      note += Format("Ток РАЗР %2.2f", p1);
      break;
    case 0x1015:
    case 0x2015:
    case lamp::EventChargeCurrentDropAlarm:
    case lamp::EventChargeCurrentDropRestored:
      note += Format("Ток ЗАР %2.2f", p1);
      break;
    case 0x1002:
    case 0x2002:
      note += Format("Напр. ЗАР %2.2f", p1);
      break;
    case lamp::EventSupplyAlarm:
    case lamp::EventSupplyRestored:
      note += Format("Напр. ПИТ %2.2f", p1);
      break;
    case lamp::EventCycleModeChanged:
      note += "ЦИКЛ - ";
      if (e.PARM1 == 0) note += "ОТКЛ  ";
      if (e.PARM1 == 1) note += "ВКЛ  ";
      if (e.PARM1 == 2) note += "АВТО  ";
      note += Format("Кол. %d", e.PARM2);
      break;
    default:
      break;
  }
  return true;
}

forms::TColor EventHistoryCellBackground(const forms::TListItem& row, int column) {
  if (column != kCodeColumn) return forms::clWhite;
  const std::optional<std::uint32_t> code = lamp::ReadHex(row.ColumnText(kCodeColumn));
  return code ? EventCodeBackground(static_cast<std::int32_t>(*code)) : forms::clWhite;
}

forms::TColor EventCodeBackground(std::int32_t code) {
  switch (code) {
    case lamp::EventOperatorStart:
    case lamp::EventOperatorCycleStart:
    case lamp::EventPanelStart:
    case 0x3011:
      return 0xFFD5AA;
    case lamp::EventTrickleCharge:
    case lamp::EventReady:
      return 0x97FF97;
    case 0x3015:
    case lamp::EventOperatorStop:
      return 0x8888FF;
    case lamp::EventControlDischargeDone:
      return 0x00FFFF;
    default:
      return 0xFFFFFF;
  }
}

void BuildEventHistoryQuery(lamp::SqlStatement& statement, std::string_view number,
                            std::int32_t n) {
  statement.Clear();
  statement.Append(
      "SELECT  TABNUM, DATE, TIME, KSOB, NSP1, NSP2, PSTAT, PARM1, PARM2, PARM3,PARM4");
  statement.Append("\t");
  statement.Append("  FROM EVENT  WHERE TABNUM= ");
  statement.AppendQuoted(number);
  statement.Append(" ORDER BY DATA_ID DESC LIMIT ");
  statement.AppendInt(n);
  statement.Append(";");
}

void ClearEventHistory() {
  current_row = nullptr;
  if (FormSOB == nullptr) return;
  FormSOB->ListView1.Items().Clear();
  FormSOB->ListView1.Columns().Clear();
}

void InitEventHistoryColumns() {
  if (FormSOB == nullptr) return;
  InitReportColumns(FormSOB->ListView1, kColumns);
}

void AddEventHistoryRow() {
  current_row = FormSOB != nullptr ? FormSOB->ListView1.Items().Add() : nullptr;
}

void SetEventHistoryCaption(const std::string& text) {
  if (current_row != nullptr) current_row->SetCaption(text);
}

void AddEventHistoryCell(const std::string& text) {
  if (current_row != nullptr) current_row->SubItems().Add(text);
}

std::int32_t LoadEventHistory(const char* number, std::int32_t n) {
  if (n > kEventRowsLimit) n = kEventRowsLimit;
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement statement(buffer);
  BuildEventHistoryQuery(statement, number != nullptr ? number : "", n);
  std::int32_t rows = 0;
  RunStatement(statement, [&rows](const std::vector<ColumnText>& columns) {
    AddEventHistoryRow();
    EventParams params;
    for (std::size_t j = 0; j < columns.size() && j <= kLastParamColumn; ++j) {
      const ColumnText& column = columns[j];
      switch (j) {
        case 0:
          SetEventHistoryCaption(column.Utf8());
          break;
        case 1:
        case 2:
          AddEventHistoryCell(column.Utf8());
          break;
        case 3: {
          params.code = column.Int(0);
          AddEventHistoryCell(Format("%4.4X", static_cast<unsigned>(params.code)));
          AddEventHistoryCell(std::string(lamp::EventCodeText(params.code)));
          break;
        }
        case 6:
          params.PSTAT = column.Int(params.PSTAT);
          break;
        case 7:
          params.PARM1 = column.Int(params.PARM1);
          break;
        case 8:
          params.PARM2 = column.Int(params.PARM2);
          break;
        case 9:
          params.PARM3 = column.Int(params.PARM3);
          break;
        default:
          break;  // NSP1, NSP2 are not shown
      }
    }
    std::string note;
    if (BuildEventNote(params, note)) AddEventHistoryCell(note);
    ++rows;
  });
  current_row = nullptr;
  return rows;
}

void OpenEventHistory(int left, int top, const std::string& indn) {
  if (FormSOB == nullptr) return;
  TFormSOB& form = *FormSOB;
  form.SetLeft(left);
  form.SetTop(top);
  form.Show();
  std::int32_t n = kEventRowsNoChoice;
  if (form.RadioNSTR.ItemIndex() == 0) n = 100;
  if (form.RadioNSTR.ItemIndex() == 1) n = 500;
  ClearEventHistory();
  InitEventHistoryColumns();
  std::string number = lamp::Utf8ToCp1251(indn);
  if (number.size() > 6) number.resize(6);
  LoadEventHistory(number.c_str(), n);
}

}  // namespace lumora
