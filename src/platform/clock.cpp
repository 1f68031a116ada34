// Real and virtual clocks and the busy wait.
#include "platform/clock.h"

#include <sys/time.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/serial_port.h"
#include "platform/termination.h"

namespace tolvane {

void delayOn(Clock& clock, double seconds) {
    double start = clock.now();
    for (;;) {
        double t = clock.now();
        start = midnightCorrected(start, t);
        double left = seconds - (t - start);
        if (left <= 0.0) return;
        clock.idle(left);
    }
}

double RealClock::now() {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    struct tm local;
    time_t secs = tv.tv_sec;
    localtime_r(&secs, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + tv.tv_usec / 1e6;
}

void RealClock::idle(double seconds, SerialPort* wake) {
    // A termination request is served from inside the waits too, so that a
    // long exchange with the radio cannot hold the program's end; the slices
    // are kept short for that.
    runTerminationIfRequested();
    if (seconds <= 0.0) return;
    if (seconds > 0.05) seconds = 0.05;
    if (wake != nullptr && wake->isOpen()) {
        wake->waitReadable(seconds);
        return;
    }
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    nanosleep(&ts, nullptr);
}

VirtualClock::VirtualClock(double startSecondsSinceMidnight) : start_(startSecondsSinceMidnight) {}

double VirtualClock::now() {
    double t = std::fmod(start_ + elapsed_, 86400.0);
    return t < 0 ? t + 86400.0 : t;
}

void VirtualClock::advance(double seconds) {
    if (seconds > 0.0) elapsed_ += seconds;
}

void VirtualClock::setTimeOfDay(double secondsSinceMidnight) {
    start_ = secondsSinceMidnight - elapsed_;
}

void VirtualClock::idle(double seconds, SerialPort* wake) {
    if (seconds <= 0.0) seconds = 1e-6;
    double target = elapsed_ + seconds;
    if (wake != nullptr) {
        for (const Source& s : sources_) {
            if (s.port != wake) continue;
            double next = s.next();
            if (next < target) target = std::max(next, elapsed_ + 1e-6);
        }
    }
    elapsed_ = target;
}

void VirtualClock::addEventSource(const SerialPort* port, NextEvent next) {
    removeEventSource(port);
    sources_.push_back({port, std::move(next)});
}

void VirtualClock::removeEventSource(const SerialPort* port) {
    for (auto it = sources_.begin(); it != sources_.end();) {
        if (it->port == port)
            it = sources_.erase(it);
        else
            ++it;
    }
}

}  // namespace tolvane
