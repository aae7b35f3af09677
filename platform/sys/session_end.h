#pragma once
// How the program hears that it should end.
// - SIGTERM and SIGINT: the handler raises a flag and runs the program's end hook, which
//   ends a wait that would hold the end up (one for the database); the application loop calls
//   PollEndRequest, which delivers the request on the UI thread through the end-request
//   handler (the server treats it as a confirmed exit). The session's end runs the hook too,
//   once a handler has taken it.
// - The desktop session manager: its question whether the session may end (answered like
//   WM_QUERYENDSESSION) and the real end of the session (WM_ENDSESSION, ending) are delivered
//   apart, for the question is also asked for a checkpoint that ends nothing. The window
//   system calls DeliverQueryEndSession for the question and DeliverEndSession only when the
//   session really ends. The answer stays the program's own: the session manager is never
//   told no, for that would call the whole logout off and no end would follow. A window that
//   answers messages itself maps them with TForm::Perform:
//     SetQueryEndSessionHandler([&] { return form.Perform(WM_QUERYENDSESSION, 0, 0) != 0; });
//     SetEndSessionHandler([&] { form.Perform(WM_ENDSESSION, 1, 0); });
#include <functional>

namespace sys {

// Installs the SIGTERM/SIGINT handlers (again harmless).
void InstallEndSignalHandlers();
// Runs in the signal handler, on whatever thread the signal lands: async-signal-safe only.
// Null for none.
using EndHook = void (*)();
void SetEndHook(EndHook hook);
// Whether a signal has asked for the end and not yet been delivered.
bool EndRequestPending();
// Runs on the UI thread, from the loop.
void SetEndRequestHandler(std::function<void()> handler);
// Delivers a pending signal request once; true when one was delivered.
bool PollEndRequest();

// Returns whether the program agrees to the end of the session (true when no handler).
void SetQueryEndSessionHandler(std::function<bool()> handler);
void SetEndSessionHandler(std::function<void()> handler);
// Asks; returns the answer.
bool DeliverQueryEndSession();
// Tells the end; false when no handler took it (the window system's own handling goes on).
bool DeliverEndSession();

}  // namespace sys
