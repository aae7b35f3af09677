// The lamp card, the device-number tool and the measurement log drawn offscreen with some
// content and saved as PNG files for review (in the build's "screenshots" folder).
#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "tests/support/offscreen_windows.h"
#include "workstation/device_number_tool.h"
#include "workstation/lamp_card.h"
#include "workstation/measurement_log.h"

namespace {

class LampToolWindows : public offscreen_test::OffscreenWindowsTest {
 protected:
  lumora::TFormSVET card_;
  lumora::TFormNUM tool_;
  lumora::TFormLOG log_;
};

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
  Shoot(card_, "lumora_lamp_card");

  for (const char* line : {"----", "Зар. ст.  17", "Ver. 2.3.1.10", "Инд.номер 12ab",
                           "Зав.номер 1A2B3C4D-00000001", "Выполнено"}) {
    tool_.ListBox1.Items().Add(line);
  }
  Shoot(tool_, "lumora_device_number_tool");

  log_.ListBoxL1.Items().Add("st0101  08:15:02  4123  350  ЗАРЯД");
  log_.ListBoxL1.Items().Add("st0101  08:16:02  4127  349  ЗАРЯД");
  Shoot(log_, "lumora_measurement_log");
}

}  // namespace
