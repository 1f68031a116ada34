// SIGTERM, SIGINT and SIGHUP ask the program to end the way closing its
// window does. The signal only sets a flag and wakes a pipe; the handler runs
// on the program's own thread, at its next yield, when a modal window it
// closed has returned, or from inside a wait.
#pragma once

#include <functional>

namespace tolvane {

// Installs the signal handlers (once).
void installTerminationSignals();
// Read end of the wake-up pipe (for a socket notifier), or -1.
int terminationFd();
// Empties the wake-up pipe, so that a watcher of it does not fire again for
// a signal already seen.
void drainTerminationFd();
// True once a termination signal arrived.
bool terminationRequested();
// The routine to run when a termination was requested; run at most once.
void setTerminationHandler(std::function<void()> handler);
// Runs the handler when a termination was requested and it has not run yet.
void runTerminationIfRequested();
// Forgets a request and that the handler ran (a test starts afresh; the
// program itself never needs it).
void resetTerminationRequest();

}  // namespace tolvane
