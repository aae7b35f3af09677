#pragma once
// Ending with the desktop session: the server's window answers the session manager's question
// no, which the platform keeps to itself, so a logout goes ahead; when the session really
// ends it takes itself down with its shutdown sequencer (TForm1::Timer1Timer, every second):
// stop row at 2 s, the power-off command at 4 s, the end of the program at 8 s. A question
// with no end (a checkpoint, a cancelled logout) changes nothing. A SIGTERM or SIGINT ends
// the program like a confirmed exit.
#include <cstdint>

namespace tolvex {

// Powers the computer off about 6 s after it was started, outliving the server.
inline constexpr char kPowerOffCommand[] = "sleep 6 && /sbin/shutdown -P now";

// Shutdown ticks so far (1 added at the start of each tick).
extern std::int32_t ShutdownTick;

// The session manager's question and the end of the session, passed to the main window as
// WM_QUERYENDSESSION (answered 0: no) and WM_ENDSESSION with "ending" set (the shutdown
// sequencer starts).
bool QueryEndSession();
void EndSession();
// Connects the two above to the platform's session hooks, and SIGTERM / SIGINT (delivered on
// the UI thread) to ConfirmedExit: no dialog and no power-off.
void InstallSessionEndHandlers();

}  // namespace tolvex
