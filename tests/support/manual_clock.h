#pragma once
// Declared as a fixture's first member: puts the application on its manual clock at 0 before
// the forms after it enable their timers.
#include "platform/forms/application.h"

namespace lamptest {

struct ManualClockFirst {
  ManualClockFirst() { forms::Application().UseManualClock(); }
};

}  // namespace lamptest
