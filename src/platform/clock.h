// The clock seam: seconds since midnight and the waits built on it.
// Waits never yield to the window system; the real clock sleeps or blocks on
// the serial port instead of spinning, the virtual clock advances at once.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tolvane {

class SerialPort;

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since local midnight, 0 <= now() < 86400.
    virtual double now() = 0;
    // Let up to `seconds` pass without yielding. Returns early when `wake`
    // is given and has received characters (the real clock polls its device).
    virtual void idle(double seconds, SerialPort* wake = nullptr) = 0;
};

// Midnight correction of the waits: when `start`, rounded to single
// precision, is later than the clock rounded the same way, midnight has
// passed and the start moves back by a day.
inline double midnightCorrected(double start, double now) {
    if (static_cast<float>(start) > static_cast<float>(now)) return start - 86400.0;
    return start;
}

// Busy wait of the given length on the clock (the program's `Delay`).
void delayOn(Clock& clock, double seconds);

// Wall-clock seconds since midnight; sleeps with nanosleep or poll().
class RealClock final : public Clock {
  public:
    double now() override;
    void idle(double seconds, SerialPort* wake = nullptr) override;
};

// Test clock: time only moves when someone waits. Sources of scheduled
// events (the fake port) register so that a wait on a port ends when its
// next character is due.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(double startSecondsSinceMidnight = 36000.0);
    double now() override;
    void idle(double seconds, SerialPort* wake = nullptr) override;

    // Seconds of virtual time passed since construction (never wraps).
    double elapsed() const { return elapsed_; }
    // Move time forward (tests, and the yield of window tests).
    void advance(double seconds);
    // Set the time of day; elapsed() keeps counting on.
    void setTimeOfDay(double secondsSinceMidnight);

    using NextEvent = std::function<double()>;  // elapsed() time of next event, or +inf
    void addEventSource(const SerialPort* port, NextEvent next);
    void removeEventSource(const SerialPort* port);

  private:
    double start_;
    double elapsed_ = 0.0;
    struct Source {
        const SerialPort* port;
        NextEvent next;
    };
    std::vector<Source> sources_;
};

}  // namespace tolvane
