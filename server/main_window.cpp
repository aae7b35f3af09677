#include "server/main_window.h"

#include <cstdio>

#include "link/code_tables.h"
#include "link/sql_text.h"
#include "platform/forms/application.h"
#include "server/database_writer.h"

namespace tolvex {

TForm1* Form1 = nullptr;

TForm1::TForm1() : forms::TForm("Form1", "QVK-server  (14.06.14) ") {
  Form1 = this;
  SetBounds(270, 420, 338, 303);
  SetBorderIcons(forms::biSystemMenu);
  for (int width : {60, 50, 70, 70, 60, 50, 70, 70, 70}) StatusBar1.AddPanel(width);
  BitBtn2.SetVisible(false);
  PopupMenu1.Add(&N1);
  Label1.SetBounds(8, 12, 70, 16);
  Edit10.SetBounds(84, 8, 80, 22);
  Label2.SetBounds(8, 38, 70, 16);
  Edit9.SetBounds(84, 34, 80, 22);
  Label3.SetBounds(8, 64, 70, 16);
  Edit1.SetBounds(84, 60, 80, 22);
  Label4.SetBounds(8, 90, 70, 16);
  Edit2.SetBounds(84, 86, 80, 22);
  BitBtn1.SetBounds(8, 118, 100, 26);
  BitBtn5.SetBounds(8, 150, 100, 26);
  Edit3.SetBounds(8, 184, 30, 22);
  BitBtn3.SetBounds(42, 182, 100, 26);
  BitBtn4.SetBounds(8, 222, 100, 26);
  BitBtn2.SetBounds(120, 222, 40, 26);
  BitBtn6.SetBounds(176, 8, 60, 26);
  ListBox1.SetBounds(176, 38, 150, 210);
  StatusBar1.SetBounds(0, 257, 338, 22);
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::ConnectHandlers() {
  TmStart.OnTimer = [this] { TmStartTimer(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  TimerINTERVAL.OnTimer = [this] { TimerINTERVALTimer(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  Edit9.OnDblClick = [this] { Edit9DblClick(); };
  Edit10.OnDblClick = [this] { Edit10DblClick(); };
  N1.OnClick = [this] { N1Click(); };
  OnCloseQuery = [this](bool& can_close) { FormCloseQuery(can_close); };
  OnDestroy = [this] { FormDestroy(); };
  OnMouseUp = [this](forms::TMouseButton button, int shift, int x, int y) {
    FormMouseUp(button, shift, x, y);
  };
  OnWindowMessage = [this](std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam,
                           std::intptr_t& result) {
    return WindowMessage(message, wparam, lparam, result);
  };
}

void ShowFormAt(forms::TForm& form, int left, int top) {
  form.SetLeft(left);
  form.SetTop(top);
  form.Show();
}

void EndProgram() {
  for (forms::TForm* form : forms::Application().Forms()) form->Hide();
  forms::Application().Terminate();
}

void ConfirmedExit() {
  AppendServerReport("Exit  Programm");
  AddServerEvent(lamp::EventServerStopped);
  EndProgram();
}

void CountReceivedFrame() {
  if (Form1 != nullptr) Form1->FramesReceived += 1;
}

void AppendServerReport(const char* message) {
  if (Form1 == nullptr || Form1->ReportEnabled != 1) return;
  std::FILE* file = std::fopen("svreport.txt", "a");
  if (file == nullptr) return;
  char stamp[lamp::kDateTimeTextSize];
  lamp::FormatSystemDateTime(stamp, lamp::LocalTimeNow());
  std::fprintf(file, "%s \n", stamp);
  std::fprintf(file, "%s \n", message);
  std::fclose(file);
}

}  // namespace tolvex
