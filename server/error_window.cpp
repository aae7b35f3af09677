#include "server/error_window.h"

#include <cstdio>

namespace tolvex {

TFormERR* FormERR = nullptr;

namespace {

forms::TStrings held_error_lines;

// The 200-line rule: lines that take a list past kDbErrorLineLimit empty it.
void AddWithinLimit(forms::TStrings& list, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) list.Add(line);
  if (list.Count() > kDbErrorLineLimit) list.Clear();
}

// The window's list, with the lines held before it existed moved in; null without a window.
forms::TStrings* ErrorList() {
  if (FormERR == nullptr) return nullptr;
  forms::TStrings& items = FormERR->ListBox1.Items();
  if (held_error_lines.Count() > 0) {
    AddWithinLimit(items, held_error_lines.Items());
    held_error_lines.Clear();
  }
  return &items;
}

}  // namespace

TFormERR::TFormERR() : forms::TForm("FormERR", " ERROR") {
  FormERR = this;
  SetBounds(300, 200, 420, 300);
  ListBox1.SetMultiSelect(true);
  ListBox1.SetBounds(8, 8, 400, 220);
  BitBtn1.SetBounds(8, 240, 90, 28);
  BitBtn2.SetBounds(110, 240, 90, 28);
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
}

TFormERR::~TFormERR() {
  if (FormERR == this) FormERR = nullptr;
}

void TFormERR::BitBtn1Click() {
  Close();
}

void TFormERR::BitBtn2Click() {
  ListBox1.Items().Clear();
}

void ReportDbError(std::int32_t code, std::string_view text, std::string_view operation) {
  if (FormERR != nullptr) FormERR->Show();
  AddDbErrorLines(code, text, operation);
}

void AddDbErrorLines(std::int32_t code, std::string_view text, std::string_view operation) {
  char head[48];
  std::snprintf(head, sizeof head, "Error kod= %X (%d)", static_cast<unsigned int>(code),
                static_cast<int>(code));
  forms::TStrings* list = ErrorList();
  // No window yet (tests, very early start): the lines are held for the window to come.
  AddWithinLimit(list != nullptr ? *list : held_error_lines,
                 {head, std::string(text), std::string(operation)});
}

void ShowDatabaseError() {
  if (FormERR == nullptr) return;
  ErrorList();
  FormERR->SetLeft(300);
  FormERR->SetTop(200);
  FormERR->Show();
}

const std::vector<std::string>& HeldDbErrorLines() {
  return held_error_lines.Items();
}

void ClearHeldDbErrorLines() {
  held_error_lines.Clear();
}

}  // namespace tolvex
