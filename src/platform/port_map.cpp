// Port number to device path, the availability probe, and the numeric
// value of a port number setting.
#include "platform/port_map.h"

#include "platform/device_probe.h"
#include "platform/numeric_value.h"

#include <sys/stat.h>

#include <cmath>

namespace tolvane {

std::string portDevicePath(int n, const std::string& folder) {
    if (n <= 0) return {};
    std::string local = folder + "/ports/COM" + std::to_string(n);
    struct stat st;
    if (::lstat(local.c_str(), &st) == 0) return local;
    return "/dev/ttyS" + std::to_string(n - 1);
}

bool ComPortAvailable(int n) {
    return ComPortAvailable(n, ".");
}

bool ComPortAvailable(int n, const std::string& folder) {
    return probeDevice(portDevicePath(n, folder)).state == DeviceProbe::Free;
}

int portNumberValue(const std::string& text) {
    double rounded = std::nearbyint(numericValue(text));
    if (rounded < -32768.0 || rounded > 32767.0) return 0;
    return static_cast<int>(rounded);
}

}  // namespace tolvane
