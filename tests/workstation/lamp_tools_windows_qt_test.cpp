// The lamp card, the device-number tool and the measurement log drawn offscreen with some
// content and saved as PNG files for review (in the build's "screenshots" folder).
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>

#include "platform/forms/application.h"
#include "platform/qt/qt_application.h"
#include "workstation/device_number_tool.h"
#include "workstation/lamp_card.h"
#include "workstation/measurement_log.h"

namespace {

namespace fs = std::filesystem;

int argc = 1;
char program_name[] = "lumora";
char* argv[] = {program_name, nullptr};

struct ManualClock {
  ManualClock() { forms::Application().UseManualClock(); }
};

class LampToolWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { runner_ = new qtpeers::QtApplicationRunner(argc, argv); }
  static void TearDownTestSuite() {
    delete runner_;
    runner_ = nullptr;
  }

  void Save(forms::TForm& form, const char* name) {
    const fs::path dir = fs::path(LAMP_BINARY_DIR) / "screenshots";
    fs::create_directories(dir);
    const fs::path path = dir / (std::string("lumora_") + name + ".png");
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
  lumora::TFormSVET card_;
  lumora::TFormNUM tool_;
  lumora::TFormLOG log_;
};

qtpeers::QtApplicationRunner* LampToolWindows::runner_ = nullptr;

TEST_F(LampToolWindows, EachWindowIsDrawn) {
  card_.ConnectHandlers();
  forms::Application().AdvanceTime(1000);  // the parameter list's columns
  card_.EditTN.SetText("101abc");
  card_.EditFIO.SetText("Петров Иван Ильич");
  card_.EditZST.SetText("3");
  card_.EditKK.SetText("41");
  card_.EditPROC.SetText("75%");
  card_.EditWAIT.SetText("ЗАРЯД");
  lamp::ModeDisplayRecord r;
  r[0] = 1000;
  r[1] = 0x203;
  r[2] = 1;
  r[6] = 2000;
  r[8] = 540;
  r[17] = 0x1F;
  lumora::ShowModeOnLampCard(r);
  Save(card_, "lamp_card");

  for (const char* line : {"----", "Зар. ст.  17", "Ver. 2.3.1.10", "Инд.номер 12ab",
                           "Зав.номер 1A2B3C4D-00000001", "Выполнено"}) {
    tool_.ListBox1.Items().Add(line);
  }
  Save(tool_, "device_number_tool");

  log_.ListBoxL1.Items().Add("st0101  08:15:02  4123  350  ЗАРЯД");
  log_.ListBoxL1.Items().Add("st0101  08:16:02  4127  349  ЗАРЯД");
  Save(log_, "measurement_log");
}

}  // namespace
