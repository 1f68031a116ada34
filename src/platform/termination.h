// SIGTERM, SIGINT and SIGHUP ask the program to end the way closing its
// window does. The signal only sets a flag and wakes a pipe; the handler runs
// on the program's own thread, at its next yield or from inside a wait.
#pragma once

#include <functional>

namespace tolvane {

// Installs the signal handlers (once).
void installTerminationSignals();
// Read end of the wake-up pipe (for a socket notifier), or -1.
int terminationFd();
// True once a termination signal arrived.
bool terminationRequested();
// The routine to run when a termination was requested; run at most once.
void setTerminationHandler(std::function<void()> handler);
// Runs the handler when a termination was requested and it has not run yet.
void runTerminationIfRequested();

}  // namespace tolvane
