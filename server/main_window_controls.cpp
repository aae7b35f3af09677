// The main window's poll-period clock, its operator controls and its hidden ways into the
// service window.
#include "server/main_window_controls.h"

#include <optional>
#include <string>
#include <utility>

#include "link/number_text.h"
#include "platform/forms/application.h"
#include "server/config_window.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/service_window.h"
#include "server/tick_timing.h"
#include "server/worker_table.h"

namespace tolvex {

std::int32_t PollCount = 0;
std::uint32_t PollPeriodSeconds = 0;

void TForm1::TimerINTERVALTimer() {
  if (PollPeriodFlag != 1) ++PollPeriodSeconds;
  if (PollPeriodSeconds >= static_cast<std::uint32_t>(PollPeriod)) {
    PollPeriodSeconds = 0;
    ++PollCount;
    PollPeriodFlag = 1;
  }
  Edit10.SetText(std::to_string(PollCount));
  Edit9.SetText(std::to_string(FramesReceived));
}

void TForm1::BitBtn1Click() {
  ClearWorkerTable();
  Edit1.SetText(std::to_string(GetWorkTABAL()));
  Edit2.SetText(std::to_string(GetHostCount()));
  LoadHostTable();
}

void TForm1::BitBtn2Click() {
  if (FormSV != nullptr) ShowFormAt(*FormSV, Left() + 240, Top() + 100);
}

void TForm1::BitBtn3Click() {
  const std::optional<std::int32_t> minutes = lamp::ReadDecimal(Edit3.Text());
  if (!minutes) return;
  // Multiplied unsigned: a huge or negative number wraps instead of overflowing, and the poll
  // cycle caps what it gets.
  SetPollingPause(static_cast<unsigned>(*minutes) * 60u);
}

void TForm1::BitBtn4Click() {
  const int answer = forms::Application().MessageBox("Вы уверены?", "Выход", forms::MB_YESNO);
  if (answer == forms::IDYES) ConfirmedExit();
}

void TForm1::BitBtn5Click() {
  if (FormCFG == nullptr) return;
  FormCFG->Show();
  FormCFG->SetLeft(Left() + 60);
  FormCFG->SetTop(Top() + 50);
}

void TForm1::BitBtn6Click() {
  ListBox1.Items().Clear();
  for (std::string& line : HostLines()) ListBox1.Items().Add(std::move(line));
}

void TForm1::Edit9DblClick() {
  FramesReceived = 0;
}

void TForm1::Edit10DblClick() {
  PollCount = 0;
}

void TForm1::FormCloseQuery(bool& can_close) {
  // Once the program is ending, its windows close with it.
  if (forms::Application().Terminated()) return;
  // Otherwise the close box only hides the window; the server goes on from the tray.
  can_close = false;
  Hide();
}

void TForm1::FormMouseUp(forms::TMouseButton /*button*/, int shift, int x, int y) {
  if ((shift & forms::ssShift) == 0 || x >= 50 || y >= 50 || FormSV == nullptr) return;
  ShowFormAt(*FormSV, Left() + 20, Top() + 10);
}

}  // namespace tolvex
