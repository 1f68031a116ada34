// Serial ports are named by number in the settings. Port n is the path
// "ports/COM<n>" in the working folder when that entry exists (usually a
// symlink to a serial device or a pseudo-terminal), otherwise
// "/dev/ttyS<n-1>". Port 0, negative numbers and non-numbers never exist.
#pragma once

#include <string>

namespace tolvane {

// Device path of port n; empty for n <= 0. The folder entry counts when it
// exists as a name, even a symlink whose target is gone (the port is then
// simply not available rather than silently another device).
std::string portDevicePath(int n, const std::string& folder = ".");

// True when port n leads to a serial port or pseudo-terminal and nobody
// holds its lock. A port this program holds open is locked, so it counts as
// not available. The probe never opens the device, so it cannot change DTR
// or RTS (see device_probe.h).
bool ComPortAvailable(int n);
bool ComPortAvailable(int n, const std::string& folder);

// The numeric value of a port number setting such as gRadioPort: leading
// blanks skipped, an optional sign, digits and an optional fraction,
// rounded to the nearest whole number (halves to even). Text that does not
// start with a number, and values outside -32768..32767, give 0.
int portNumberValue(const std::string& text);

}  // namespace tolvane
