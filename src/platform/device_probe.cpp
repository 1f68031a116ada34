// The device probe: file system and kernel tables only, never an open().
#include "platform/device_probe.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace tolvane {

namespace {

enum class DriverKind { Serial, PseudoTerminal, Other, Unknown };

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

bool parseUnsigned(const std::string& text, int base, unsigned long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text.c_str(), &end, base);
    return errno == 0 && end != nullptr && *end == '\0';
}

// "<name> <node> <major> <minor or first-last> <type>"; the name may hold
// blanks, so the fields are taken from the end.
DriverKind driverKind(unsigned major, unsigned minor, const SystemTables& tables) {
    std::ifstream in(tables.proc + "/tty/drivers");
    if (!in) return DriverKind::Unknown;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> w = words(line);
        if (w.size() < 5) continue;
        const std::string& type = w[w.size() - 1];
        const std::string& range = w[w.size() - 2];
        unsigned long long maj = 0, first = 0, last = 0;
        if (!parseUnsigned(w[w.size() - 3], 10, maj) || maj != major) continue;
        std::size_t dash = range.find('-');
        if (dash == std::string::npos) {
            if (!parseUnsigned(range, 10, first)) continue;
            last = first;
        } else if (!parseUnsigned(range.substr(0, dash), 10, first) ||
                   !parseUnsigned(range.substr(dash + 1), 10, last)) {
            continue;
        }
        if (minor < first || minor > last) continue;
        if (type == "serial") return DriverKind::Serial;
        if (type == "pty:slave") return DriverKind::PseudoTerminal;
        return DriverKind::Other;
    }
    return DriverKind::Other;  // a device no terminal driver claims
}

// A port of the UART layer names its UART type; 0 means none was found.
bool uartMissing(unsigned major, unsigned minor, const SystemTables& tables) {
    std::ifstream in(tables.sys + "/dev/char/" + std::to_string(major) + ":" +
                     std::to_string(minor) + "/type");
    std::string type;
    if (!(in >> type)) return false;
    return type == "0";
}

// Lines such as "1: FLOCK  ADVISORY  WRITE 1234 00:1a:3 0 EOF" (a waiter
// reads "1: -> FLOCK ..."); the file system's device in hex and the inode.
bool lockedInTable(unsigned fsMajor, unsigned fsMinor, unsigned long long inode,
                   const SystemTables& tables) {
    std::ifstream in(tables.proc + "/locks");
    for (std::string line; std::getline(in, line);) {
        for (const std::string& w : words(line)) {
            std::size_t a = w.find(':');
            std::size_t b = a == std::string::npos ? a : w.find(':', a + 1);
            if (b == std::string::npos || a == 0) continue;
            unsigned long long maj = 0, min = 0, ino = 0;
            if (!parseUnsigned(w.substr(0, a), 16, maj) ||
                !parseUnsigned(w.substr(a + 1, b - a - 1), 16, min) ||
                !parseUnsigned(w.substr(b + 1), 10, ino))
                continue;
            if (maj == fsMajor && min == fsMinor && ino == inode) return true;
        }
    }
    return false;
}

}  // namespace

DeviceProbeResult probeDevice(const std::string& path, const SystemTables& tables) {
    DeviceProbeResult r;
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        r.state = DeviceProbe::Missing;
        r.err = path.empty() ? ENOENT : errno;
        return r;
    }
    if (!S_ISCHR(st.st_mode)) {
        r.state = DeviceProbe::NotSerial;
        return r;
    }
    const unsigned major = ::major(st.st_rdev);
    const unsigned minor = ::minor(st.st_rdev);
    switch (driverKind(major, minor, tables)) {
        case DriverKind::Other:
            r.state = DeviceProbe::NotSerial;
            return r;
        case DriverKind::PseudoTerminal:
            r.pseudoTerminal = true;
            break;
        case DriverKind::Serial:
            if (uartMissing(major, minor, tables)) {
                r.state = DeviceProbe::NoHardware;
                return r;
            }
            break;
        case DriverKind::Unknown:
            break;
    }
    if (lockedInTable(::major(st.st_dev), ::minor(st.st_dev), st.st_ino, tables)) {
        r.state = DeviceProbe::Locked;
        return r;
    }
    r.state = DeviceProbe::Free;
    return r;
}

std::optional<DeviceIdentity> deviceIdentity(const std::string& path) {
    char resolved[PATH_MAX];
    if (path.empty() || ::realpath(path.c_str(), resolved) == nullptr) return std::nullopt;
    struct stat st;
    if (::stat(resolved, &st) != 0 || !S_ISCHR(st.st_mode)) return std::nullopt;
    return DeviceIdentity{resolved, static_cast<unsigned long long>(st.st_rdev)};
}

std::string portDisplayName(const std::string& path) {
    if (path.rfind("./", 0) == 0) return path.substr(2);
    return path;
}

}  // namespace tolvane
