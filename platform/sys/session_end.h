#pragma once
// How the program hears that it should end.
// - SIGTERM and SIGINT: the handler only raises a flag; the application loop calls
//   PollEndRequest, which delivers the request on the UI thread through the end-request
//   handler (the server treats it as a confirmed exit).
// - The desktop session manager ending the session: the window system calls
//   DeliverSessionEnd, which asks the query handler (the WM_QUERYENDSESSION answer) and then
//   tells the end handler (WM_ENDSESSION) whether the session is ending. A window that
//   answers messages itself maps them with TForm::Perform:
//     SetQueryEndSessionHandler([&] { return form.Perform(WM_QUERYENDSESSION, 0, 0) != 0; });
//     SetEndSessionHandler([&](bool ending) { form.Perform(WM_ENDSESSION, ending, 0); });
#include <functional>

namespace sys {

// Installs the SIGTERM/SIGINT handlers (again harmless).
void InstallEndSignalHandlers();
// Whether a signal has asked for the end and not yet been delivered.
bool EndRequestPending();
// Runs on the UI thread, from the loop.
void SetEndRequestHandler(std::function<void()> handler);
// Delivers a pending signal request once; true when one was delivered.
bool PollEndRequest();

// Returns whether the program agrees to the end of the session (true when no handler).
void SetQueryEndSessionHandler(std::function<bool()> handler);
void SetEndSessionHandler(std::function<void(bool ending)> handler);
// Asks, then tells; returns the answer to the query.
bool DeliverSessionEnd();

}  // namespace sys
