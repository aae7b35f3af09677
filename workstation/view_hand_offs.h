#pragma once
// The windows of the database client that the main window and the station view open: the
// connect window and the event history.
#include <string>

namespace lumora {

// Places the database connect window at left, top and shows it, modally or not.
void ShowConnectWindow(int left, int top, bool modal);
// Places the event history at left, top, shows it and loads the events of number (screen
// text) with the row count its window chooses.
void ShowEventHistory(int left, int top, const std::string& number);

}  // namespace lumora
