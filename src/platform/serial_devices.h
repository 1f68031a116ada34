// The serial devices the setup dialogs offer for a port number, and the
// ports/COMn link that makes a device port n.
//
// A device is listed without opening it (see device_probe.h): first the
// stable names under /dev/serial/by-id/, then ttyUSB*, ttyACM* and ttyS*
// that the kernel reports as serial ports with hardware behind them (a
// device already listed under a by-id name is not listed twice), then the
// pseudo-terminals the working folder's ports/COMn links already lead to
// (the simulator's, for instance).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/device_probe.h"

namespace tolvane {

struct SerialDevice {
    std::string path;  // the name to link to
    bool pseudoTerminal = false;
    bool accessible = true;  // this user may read and write it
    bool inUse = false;      // someone holds its lock
};

// Where the devices are (tests point these at a folder of their own).
struct DeviceFolders {
    std::string dev = "/dev";
    SystemTables tables;
    // Whether this user may read and write the device; empty: access(2).
    // (Tests run as root, who may open everything.)
    std::function<bool(const std::string&)> mayOpen;
};

std::vector<SerialDevice> listSerialDevices(const std::string& workFolder,
                                            const DeviceFolders& where = {});

// How a device reads in the list: its path, and what stands in the way.
std::string serialDeviceLabel(const SerialDevice& d);

// Why this user cannot use the device, naming the dialout group; empty when
// it can.
std::string serialDeviceAccessNote(const SerialDevice& d);

// Makes <workFolder>/ports/COM<n> a symbolic link to device, replacing the
// link there in one step. Ports 1..255. False with the reason in error.
bool writePortLink(const std::string& workFolder, int n, const std::string& device,
                   std::string& error);

}  // namespace tolvane
