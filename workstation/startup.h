#pragma once
// Start-up of the workstation and the ageing of the link age: the parts of the main window's
// timers that prepare the lists and the cell table and count the seconds since each cell's
// last status.
#include <cstdint>

namespace lumora {

// One second of ageing: every slot's link age below the limit goes up by 1.
void AgeLinkAges();

}  // namespace lumora
