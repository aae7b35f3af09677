#pragma once
// The workstation's 14 windows, each the single instance of its kind, created in the
// program's fixed order (the first is the main window; closing it ends the program). The
// live events list, the lamp-room overview and the station view live inside the main window;
// every window's handlers are connected before its create handler runs.
#include "workstation/about_box.h"
#include "workstation/battery_editor.h"
#include "workstation/connect_window.h"
#include "workstation/device_number_tool.h"
#include "workstation/diagnostics_window.h"
#include "workstation/event_history_window.h"
#include "workstation/lamp_card.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/live_events_window.h"
#include "workstation/main_window.h"
#include "workstation/measurement_log.h"
#include "workstation/station_view.h"
#include "workstation/traffic_window.h"

namespace lumora {

class ProgramWindows {
 public:
  ProgramWindows();
  ~ProgramWindows();
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  // In the order of creation.
  TMainForm main_window;
  TAboutBox about_box;
  TForm1 live_events;
  TForm2 overview;
  TForm3 station_view;
  TFormDBG diagnostics;
  TFormSV traffic;
  TFormSVET lamp_card;
  TFormBAT battery_editor;
  TFormSQL connect_window;
  TFormERR error_box;
  TFormNUM device_numbers;
  TFormLOG measurement_log;
  TFormSOB event_history;
};

}  // namespace lumora
