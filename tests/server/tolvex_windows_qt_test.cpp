// Every window of the server drawn offscreen and saved as a PNG for review (in the build's
// "screenshots" folder), with some content in its lists.
#include <gtest/gtest.h>

#include "server/config_window.h"
#include "server/error_window.h"
#include "server/main_window.h"
#include "server/service_window.h"
#include "server/sql_test_window.h"
#include "tests/support/offscreen_windows.h"

namespace {

class TolvexWindows : public offscreen_test::OffscreenWindowsTest {
 protected:
  tolvex::TForm1 main_;
  tolvex::TFormSV sv_;
  tolvex::TFormCFG cfg_;
  tolvex::TFormSQL sql_;
  tolvex::TFormERR err_;
};

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
  Shoot(main_, "tolvex_main_window");

  for (const char* line : {"ST IndNum kZAPR  nnLOSS", "01   001aaa    0  0", "01   002aaa    4  3",
                           "02   010aaa    0  1"}) {
    sv_.ListBox1.Items().Add(line);
  }
  sv_.Edit2.SetText("0 0  3");
  sv_.Edit11.SetText("1.25");
  Shoot(sv_, "tolvex_service_window");

  cfg_.Edit2.SetText("240");
  Shoot(cfg_, "tolvex_config_window");

  sql_.Memo1.Lines().Add("TABLE  statcell");
  sql_.Memo1.Lines().Add("TEST");
  sql_.Memo1.Lines().Add(
      " 1155,  12000,12001 ,5001  , 25,  11900, 12010, 11800, 12200,  4990, 5005, 19, 48, 7");
  Shoot(sql_, "tolvex_sql_test_window");

  for (const char* line : {"Error kod= 1 (1)", "connect ERR", ""}) err_.ListBox1.Items().Add(line);
  Shoot(err_, "tolvex_error_window");
}

}  // namespace
