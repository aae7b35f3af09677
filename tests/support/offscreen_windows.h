#pragma once
// For the programs' windows drawn offscreen: one Qt runner per test program, a check that
// every visible control lies inside its window, and screenshots saved for review in the
// build's "screenshots" folder. Header-only: only the Qt tests link Qt.
#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <string>

#include "platform/forms/application.h"
#include "platform/forms/controls.h"
#include "platform/qt/qt_application.h"

namespace offscreen_test {

// Sets the manual clock before the members of a derived fixture exist, so their timers
// start on it.
class ManualClockTest : public ::testing::Test {
 protected:
  ManualClockTest() { forms::Application().UseManualClock(0); }
};

// Adds the Qt runner, the controls-inside check and the screenshots to the fixture `Base`.
template <class Base = ManualClockTest>
class OffscreenWindows : public Base {
 protected:
  static void SetUpTestSuite() {
    Base::SetUpTestSuite();
    runner_ = new qtpeers::QtApplicationRunner(argc_, argv_);
  }
  static void TearDownTestSuite() {
    delete runner_;
    runner_ = nullptr;
    Base::TearDownTestSuite();
  }

  // Every visible control of the window, and of the containers in it, lies inside its
  // parent's widget.
  void ExpectControlsInside(const forms::TWinControl& parent) {
    QWidget* outer = runner_->WidgetFor(parent);
    ASSERT_NE(outer, nullptr) << parent.Name();
    for (const forms::TControl* control : parent.Controls()) {
      if (!control->Visible()) continue;
      ASSERT_NE(runner_->WidgetFor(*control), nullptr) << control->Name();
      const QRect place(control->Left(), control->Top(), control->Width(), control->Height());
      EXPECT_TRUE(outer->rect().contains(place)) << parent.Name() << " / " << control->Name();
      if (const auto* win = dynamic_cast<const forms::TWinControl*>(control)) {
        if (!win->Controls().empty()) ExpectControlsInside(*win);
      }
    }
  }

  // Gives the window its widgets, shows it and saves it as "<name>.png".
  void Shoot(forms::TForm& form, const std::string& name) {
    runner_->MapForms();
    form.Show();
    ShootAsShown(form, name);
  }

  // Saves the window as it is now (shown or hidden) as "<name>.png" and checks the picture
  // holds the whole window.
  void ShootAsShown(forms::TForm& form, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(LAMP_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = dir / (name + ".png");
    std::filesystem::remove(path);
    runner_->ProcessPendingEvents();
    ASSERT_TRUE(qtpeers::SaveFormScreenshot(form, path.string())) << name;
    const QImage image(QString::fromStdString(path.string()));
    ASSERT_FALSE(image.isNull()) << name;
    EXPECT_GE(image.width(), form.Width() / 2) << name;
    EXPECT_GE(image.height(), form.Height() / 2) << name;
  }

  static inline qtpeers::QtApplicationRunner* runner_ = nullptr;

 private:
  static inline int argc_ = 1;
  static inline char program_name_[] = "offscreen_windows";
  static inline char* argv_[] = {program_name_, nullptr};
};

using OffscreenWindowsTest = OffscreenWindows<>;

}  // namespace offscreen_test
