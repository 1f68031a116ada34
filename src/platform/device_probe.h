// What the port layer learns about a device path without opening it.
//
// Opening a terminal raises DTR and RTS (the driver does so on every open
// unless the line speed is 0, even with O_NONBLOCK), and closing it drops
// them again when HUPCL is set; many interfaces key a transmitter from one
// of those lines. So the probe never opens the device. It reads the file
// system and the kernel's tables instead:
//   - the path leads to a character device (stat, following links),
//   - the kernel's terminal driver table (<proc>/tty/drivers) names that
//     device's driver a serial port or a pseudo-terminal slave; consoles,
//     /dev/tty and other system terminals are never serial ports,
//   - a port of the UART layer has hardware behind it: its
//     <sys>/dev/char/<major>:<minor>/type is not 0,
//   - nobody holds a lock on it (<proc>/locks), as this program does while
//     the port is open.
// Where a table cannot be read, that test is left to the opening itself.
#pragma once

#include <optional>
#include <string>

namespace tolvane {

// Where the kernel's tables are (tests point these at a folder of their own).
struct SystemTables {
    std::string proc = "/proc";
    std::string sys = "/sys";
};

enum class DeviceProbe {
    Free,        // a serial port or pseudo-terminal nobody holds
    Missing,     // the path leads nowhere
    NotSerial,   // not a character device, or a console or other terminal
    NoHardware,  // a UART port with no UART behind it
    Locked,      // someone holds a lock on it
};

struct DeviceProbeResult {
    DeviceProbe state = DeviceProbe::Missing;
    int err = 0;  // errno of a Missing path
    bool pseudoTerminal = false;
};

DeviceProbeResult probeDevice(const std::string& path, const SystemTables& tables = {});

// The device a path leads to: the device file at the end of its links and
// that device's number. Two openings of the same path reach the same device
// exactly when both agree.
struct DeviceIdentity {
    std::string target;
    unsigned long long rdev = 0;
    bool operator==(const DeviceIdentity&) const = default;
};

// Nothing when the path does not lead to a character device.
std::optional<DeviceIdentity> deviceIdentity(const std::string& path);

// Short name of a port path for messages: "./ports/COM1" reads "ports/COM1".
std::string portDisplayName(const std::string& path);

}  // namespace tolvane
