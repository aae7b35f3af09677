#pragma once
// Start-up of the workstation and the ageing of the link age: the parts of the main window's
// timers that prepare the lists and the cell table and count the seconds since each cell's
// last status.
#include <cstdint>

namespace lumora {

// The cell table's start values of every slot: state never reported, link age, no-link flag,
// datagram count, mode-error and fault bits 0.
void ClearCellTableForStart();

// One second of ageing: every slot's link age below the limit goes up by 1.
void AgeLinkAges();

}  // namespace lumora
