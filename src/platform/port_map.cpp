// Port number to device path, the availability probe, and the numeric
// value of a port number setting.
#include "platform/port_map.h"

#include "platform/numeric_value.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
    std::string path = portDevicePath(n, folder);
    if (path.empty()) return false;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool available = false;
    if (::isatty(fd) == 1) {
        int rc;
        do {
            rc = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0) {
            ::flock(fd, LOCK_UN);
            available = true;
        }
    }
    ::close(fd);
    return available;
}

int portNumberValue(const std::string& text) {
    double rounded = std::nearbyint(numericValue(text));
    if (rounded < -32768.0 || rounded > 32767.0) return 0;
    return static_cast<int>(rounded);
}

}  // namespace tolvane
