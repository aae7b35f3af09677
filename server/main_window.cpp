#include "server/main_window.h"

#include <cstdio>
#include <ctime>

namespace tolvex {

TForm1* Form1 = nullptr;

TForm1::TForm1() : forms::TForm("Form1", "QVK-server  (14.06.14) ") {
  Form1 = this;
  SetBounds(270, 420, 338, 303);
  for (int width : {60, 50, 70, 70, 60, 50, 70, 70, 70}) StatusBar1.AddPanel(width);
  BitBtn2.SetVisible(false);
  PopupMenu1.Add(&N1);
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void AppendServerReport(const char* message) {
  if (Form1 == nullptr || Form1->ReportEnabled != 1) return;
  std::FILE* file = std::fopen("svreport.txt", "a");
  if (file == nullptr) return;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[64];
  std::strftime(stamp, sizeof stamp, "%d.%m.%Y %H:%M:%S", &local);
  std::fprintf(file, "%s \n", stamp);
  std::fprintf(file, "%s \n", message);
  std::fclose(file);
}

}  // namespace tolvex
