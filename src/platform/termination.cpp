#include "platform/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace tolvane {

namespace {
std::atomic<bool> gRequested{false};
int gPipe[2] = {-1, -1};
bool gInstalled = false;
bool gRan = false;
std::function<void()>& handler() {
    static std::function<void()> h;
    return h;
}

void onSignal(int) {
    gRequested.store(true);
    if (gPipe[1] >= 0) {
        char c = 1;
        ssize_t n = ::write(gPipe[1], &c, 1);
        (void)n;
    }
}
}  // namespace

void installTerminationSignals() {
    if (gInstalled) return;
    gInstalled = true;
    if (::pipe(gPipe) == 0) {
        for (int fd : gPipe) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
}

int terminationFd() {
    return gPipe[0];
}

void drainTerminationFd() {
    if (gPipe[0] < 0) return;
    char buf[64];
    for (;;) {
        ssize_t n = ::read(gPipe[0], buf, sizeof buf);
        if (n > 0) continue;
        if (n < 0 && errno == EINTR) continue;
        return;  // empty (EAGAIN) or closed
    }
}

bool terminationRequested() {
    return gRequested.load();
}

void setTerminationHandler(std::function<void()> h) {
    handler() = std::move(h);
}

void runTerminationIfRequested() {
    if (!gRequested.load() || gRan || !handler()) return;
    gRan = true;
    handler()();
}

void resetTerminationRequest() {
    drainTerminationFd();
    gRequested.store(false);
    gRan = false;
}

}  // namespace tolvane
