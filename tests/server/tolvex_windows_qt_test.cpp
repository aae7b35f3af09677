// Every window of the server drawn offscreen and saved as a PNG for review (in the build's
// "screenshots" folder), with some content in its lists.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>

#include "platform/forms/application.h"
#include "platform/qt/qt_application.h"
#include "server/config_window.h"
#include "server/error_window.h"
#include "server/main_window.h"
#include "server/service_window.h"
#include "server/sql_test_window.h"

namespace {

namespace fs = std::filesystem;

int argc = 1;
char program_name[] = "tolvex";
char* argv[] = {program_name, nullptr};

struct ManualClock {
  ManualClock() { forms::Application().UseManualClock(); }
};

class TolvexWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { runner_ = new qtpeers::QtApplicationRunner(argc, argv); }
  static void TearDownTestSuite() {
    delete runner_;
    runner_ = nullptr;
  }

  // Saves the form's picture and checks it shows the whole window.
  void Save(forms::TForm& form, const char* name) {
    const fs::path dir = fs::path(LAMP_BINARY_DIR) / "screenshots";
    fs::create_directories(dir);
    const fs::path path = dir / (std::string("tolvex_") + name + ".png");
    fs::remove(path);
    runner_->MapForms();
    form.Show();
    runner_->ProcessPendingEvents();
    ASSERT_TRUE(qtpeers::SaveFormScreenshot(form, path.string())) << name;
    QImage image(QString::fromStdString(path.string()));
    ASSERT_FALSE(image.isNull()) << name;
    EXPECT_GE(image.width(), form.Width() / 2) << name;
    EXPECT_GE(image.height(), form.Height() / 2) << name;
  }

  static qtpeers::QtApplicationRunner* runner_;
  ManualClock clock_;
  tolvex::TForm1 main_;
  tolvex::TFormSV sv_;
  tolvex::TFormCFG cfg_;
  tolvex::TFormSQL sql_;
  tolvex::TFormERR err_;
};

qtpeers::QtApplicationRunner* TolvexWindows::runner_ = nullptr;

TEST_F(TolvexWindows, EachWindowIsDrawn) {
  main_.Edit10.SetText("12");
  main_.Edit9.SetText("3456");
  main_.Edit1.SetText("240");
  main_.Edit2.SetText("4");
  main_.StatusBar1.SetPanelText(0, "0");
  for (const char* line : {"1   192.168.1.11:4001", "2   192.168.1.12:4001",
                           "3   192.168.1.13:4001", "4   192.168.1.14:4001"}) {
    main_.ListBox1.Items().Add(line);
  }
  Save(main_, "main_window");

  for (const char* line : {"ST IndNum kZAPR  nnLOSS", "01   001aaa    0  0", "01   002aaa    4  3",
                           "02   010aaa    0  1"}) {
    sv_.ListBox1.Items().Add(line);
  }
  sv_.Edit2.SetText("0 0  3");
  sv_.Edit11.SetText("1.25");
  Save(sv_, "service_window");

  cfg_.Edit2.SetText("240");
  Save(cfg_, "config_window");

  sql_.Memo1.Lines().Add("TABLE  statcell");
  sql_.Memo1.Lines().Add("TEST");
  sql_.Memo1.Lines().Add(
      " 1155,  12000,12001 ,5001  , 25,  11900, 12010, 11800, 12200,  4990, 5005, 19, 48, 7");
  Save(sql_, "sql_test_window");

  for (const char* line : {"Error kod= 1 (1)", "connect ERR", ""}) err_.ListBox1.Items().Add(line);
  Save(err_, "error_window");
}

}  // namespace
