#include "workstation/view_hand_offs.h"

namespace lumora {

void ShowConnectWindow(int, int, bool) {}

void ShowEventHistory(int, int, const std::string&) {}

}  // namespace lumora
