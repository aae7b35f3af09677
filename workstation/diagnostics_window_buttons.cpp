// The diagnostics window's buttons: raw reads of the worker list and the cell table.
#include <cstring>
#include <optional>
#include <string>

#include "link/cp1251.h"
#include "link/number_text.h"
#include "workstation/battery_writes.h"
#include "workstation/cell_table.h"
#include "workstation/diagnostics_window.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/live_events_window.h"
#include "workstation/main_window.h"
#include "workstation/screen_text.h"
#include "workstation/station_view.h"

namespace lumora {

namespace {

// A slot index typed into an edit, read as "%d" reads it; -1 when the text is no number or
// out of range.
std::int32_t ReadSlotIndex(const forms::TEdit& edit) {
  const std::optional<std::int32_t> value = lamp::ReadDecimal(edit.Text());
  if (!value || *value < -1 || *value > kSlotCount) return -1;
  return *value;
}

void AddPosition(forms::TListBox& list, const char* heading, const forms::TForm* form) {
  list.Items().Add(heading);
  if (form == nullptr) {
    list.Items().Add("");
    return;
  }
  list.Items().Add(
      Format("%d  %d   %d %d", form->Left(), form->Top(), form->Width(), form->Height()));
}

// The buttons that read one slot show nothing for an index outside the tables.
bool SlotFromEdit2(TFormDBG& form, std::size_t& slot) {
  const std::int32_t index = ReadSlotIndex(form.Edit2);
  if (!IsSlotIndex(index)) return false;
  slot = static_cast<std::size_t>(index);
  return true;
}

}  // namespace

void TFormDBG::BitBtn1Click() {
  const forms::TForm* main_window = MainForm;
  ListBox1.Items().Add("MainForm W - H ");
  ListBox1.Items().Add(main_window == nullptr
                           ? std::string()
                           : Format("%d  %d  ", main_window->Width(), main_window->Height()));
  AddPosition(ListBox1, "Form1-- L T W H", Form1);
  AddPosition(ListBox1, "Form2-- L T W H", Form2);
  AddPosition(ListBox1, "Form3-- L T W H", Form3);
}

void TFormDBG::BitBtn2Click() {
  ListBox1.Items().Clear();
}

void TFormDBG::BitBtn3Click() {
  const std::int32_t count = WorkerList.count < kSlotCount ? WorkerList.count : kSlotCount;
  for (std::int32_t i = 0; i < count; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    ListBox1.Items().Add(
        Format("%d  %s", WorkerList.station[slot], ScreenNumber(WorkerList.number[slot]).c_str()));
  }
}

void TFormDBG::BitBtn4Click() {
  // The lookup reads six bytes: the typed text goes, as the list keeps it (cp1251), into a
  // zero-filled slot-sized buffer.
  NumberText number;
  CopyEditCp1251(Edit1, number, kNumberLength);
  Edit2.SetText(std::to_string(FindWorkerIndex(number.data())));
}

void TFormDBG::BitBtn5Click() {
  std::size_t i = 0;
  if (!SlotFromEdit2(*this, i)) return;
  ListBox1.Items().Add(Format("nSVZ=%d  wCON %d  nsp1=%4.4X   nsp2=%4.4X", CellTable.no_link[i],
                              CellTable.link_age[i], CellTable.mode_error_bits[i],
                              CellTable.fault_bits[i]));
}

void TFormDBG::BitBtn6Click() {
  std::size_t i = 0;
  if (!SlotFromEdit2(*this, i)) return;
  ListBox1.Items().Add(Format("stat=%X  nsp1=%4.4X   nsp2=%4.4X", CellTable.state[i],
                              CellTable.mode_error_bits[i], CellTable.fault_bits[i]));
}

void TFormDBG::BitBtn9Click() {
  std::size_t i = 0;
  if (!SlotFromEdit2(*this, i)) return;
  ListBox1.Items().Add(
      Format("Pow=%d  uCH=%d   u5V=%d", CellTable.Pow[i], CellTable.uCH[i], CellTable.u5V[i]));
}

void TFormDBG::BitBtn7Click() {
  Edit6.SetText(std::to_string(CountBatteryTotals(lamp::Utf8ToCp1251(Edit7.Text()).c_str())));
}

void TFormDBG::BitBtn8Click() {
  const std::int32_t index = ReadSlotIndex(Edit10);
  if (!IsSlotIndex(index)) return;
  const NumberText& number = WorkerList.number[static_cast<std::size_t>(index)];
  Edit8.SetText(ScreenNumber(number));
  Edit9.SetText(std::to_string(strnlen(number.data(), number.size())));
}

void ShowMeasureDebug(std::int32_t count, std::int32_t mask) {
  if (FormDBG == nullptr || !FormDBG->CheckIZM3F.Checked()) return;
  FormDBG->Edit4.SetText(std::to_string(count));
  FormDBG->Edit5.SetText(Format("%4.4X", static_cast<unsigned>(mask)));
}

}  // namespace lumora
