#pragma once
// The database error window: the list of failed statements, three lines each
// ("Error kod= %X (%d)", the error text, the operation name), emptied past 200 lines.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/controls.h"

namespace tolvex {

class TFormERR : public forms::TForm {
 public:
  TFormERR();
  ~TFormERR() override;

  forms::TListBox ListBox1{this, "ListBox1"};
  forms::TBitBtn BitBtn1{this, "BitBtn1", "OK"};
  forms::TBitBtn BitBtn2{this, "BitBtn2", "C"};

  void BitBtn1Click();  // "OK": hide the window
  void BitBtn2Click();  // "C": empty the list
};

extern TFormERR* FormERR;

// Error lines kept at most; the line that takes the list past it empties the list.
inline constexpr int kDbErrorLineLimit = 200;

// The code listed for a failure the database did not report (a statement not sent, rows
// left unloaded): it reads as a failure, where 0 would read as no error.
inline constexpr std::int32_t kServerSideErrorCode = -1;

// Shows the error window where it stands and lists the three lines.
void ReportDbError(std::int32_t code, std::string_view text, std::string_view operation);
// Appends "Error kod= %X (%d)", `text` and `operation` to the error window's list.
void AddDbErrorLines(std::int32_t code, std::string_view text, std::string_view operation);
// Moves the error window to left 300, top 200 and shows it.
void ShowDatabaseError();

// Lines listed while no error window exists; they move into the window's list as soon as
// one is there. Kept by the same 200-line rule.
const std::vector<std::string>& HeldDbErrorLines();
void ClearHeldDbErrorLines();

}  // namespace tolvex
