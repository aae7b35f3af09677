// The program's five forms together: created in their order with the main window as the
// application's main form, and every button, timer, menu item, check box and window event
// that has a handler connected to it, so a click or a timer does what it should.
#include "server/form_wiring_program.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/application.h"

namespace {

struct ManualClock {
  ManualClock() {
    forms::Application().UseManualClock();
    forms::Application().ResetTerminated();
  }
};

// Names of the buttons, timers and menu items below `owner` that have no handler.
void CollectUnconnected(const forms::TComponent& owner, std::vector<std::string>& missing) {
  for (const forms::TComponent* component : owner.Components()) {
    if (const auto* button = dynamic_cast<const forms::TButton*>(component)) {
      if (!button->OnClick) missing.push_back(button->Name());
    } else if (const auto* timer = dynamic_cast<const forms::TTimer*>(component)) {
      if (!timer->OnTimer) missing.push_back(timer->Name());
    } else if (const auto* item = dynamic_cast<const forms::TMenuItem*>(component)) {
      if (!item->OnClick) missing.push_back(item->Name());
    }
    CollectUnconnected(*component, missing);
  }
}

std::vector<std::string> Unconnected(const forms::TForm& form) {
  std::vector<std::string> missing;
  CollectUnconnected(form, missing);
  return missing;
}

TEST(ServerWindows, CreatedInTheProgramsOrderWithTheMainWindowFirst) {
  ManualClock clock;
  tolvex::ServerWindows windows;
  std::vector<std::string> names;
  for (const forms::TForm* form : forms::Application().Forms()) names.push_back(form->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Form1", "FormSV", "FormCFG", "FormSQL", "FormERR"}));
  EXPECT_EQ(forms::Application().MainForm(), &windows.main_window);
  EXPECT_EQ(tolvex::Form1, &windows.main_window);
  EXPECT_EQ(tolvex::FormSV, &windows.service_window);
  EXPECT_EQ(tolvex::FormCFG, &windows.config_window);
  EXPECT_EQ(tolvex::FormSQL, &windows.sql_window);
  EXPECT_EQ(tolvex::FormERR, &windows.error_window);
  for (const forms::TForm* form : forms::Application().Forms()) {
    EXPECT_FALSE(form->Visible()) << form->Name() << " is shown by the program, not created so";
  }
}

TEST(ServerWindows, EveryControlWithABehaviourHasItsHandler) {
  ManualClock clock;
  tolvex::ServerWindows windows;
  EXPECT_EQ(Unconnected(windows.main_window), std::vector<std::string>{});
  EXPECT_EQ(Unconnected(windows.service_window), std::vector<std::string>{});
  EXPECT_EQ(Unconnected(windows.config_window), std::vector<std::string>{});
  EXPECT_EQ(Unconnected(windows.sql_window), std::vector<std::string>{});
  EXPECT_EQ(Unconnected(windows.error_window), std::vector<std::string>{});

  const tolvex::TForm1& main = windows.main_window;
  EXPECT_TRUE(main.Edit9.OnDblClick && main.Edit10.OnDblClick);
  EXPECT_TRUE(main.OnCloseQuery && main.OnDestroy && main.OnMouseUp && main.OnWindowMessage);
  EXPECT_TRUE(windows.service_window.Edit11.OnDblClick);
  EXPECT_TRUE(windows.service_window.OnResize);
  EXPECT_TRUE(windows.config_window.CheckLOG.OnClick && windows.config_window.CheckAUTO.OnClick);
  EXPECT_TRUE(windows.config_window.OnActivate);
  EXPECT_TRUE(windows.sql_window.OnResize);
}

TEST(ServerWindows, TheCloseBoxOfTheMainFormHidesItAndTheProgramGoesOn) {
  ManualClock clock;
  tolvex::ServerWindows windows;
  windows.main_window.Show();
  windows.main_window.Close();
  EXPECT_FALSE(windows.main_window.Visible());
  EXPECT_FALSE(forms::Application().Terminated());

  windows.error_window.Show();
  windows.error_window.ListBox1.Items().Add("Error kod= 1 (1)");
  windows.error_window.BitBtn2.Click();
  EXPECT_EQ(windows.error_window.ListBox1.Items().Count(), 0);
  windows.error_window.BitBtn1.Click();
  EXPECT_FALSE(windows.error_window.Visible());
}

}  // namespace
