// The far end of a FakePort: something that takes the bytes the program
// writes and produces characters at given (virtual) times.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

class FakeDevice {
  public:
    virtual ~FakeDevice() = default;
    // Bytes written by the program, arriving at time `at` (clock elapsed seconds).
    virtual void received(std::string_view bytes, double at) = 0;
    // Appends every character due at or before `until`, each with its arrival time.
    virtual void produce(double until, std::vector<std::pair<double, char>>& out) = 0;
    // Time of the next character it will produce, or +infinity.
    virtual double nextOutput() const = 0;
};

}  // namespace tolvane
