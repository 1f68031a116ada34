#include "platform/serial_devices.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

namespace tolvane {
namespace {

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* d = ::opendir(folder.c_str());
    if (d == nullptr) return names;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
    return names;
}

// "ttyUSB10" after "ttyUSB9": by the number after the prefix.
bool numberedName(const std::string& name, const std::string& prefix, long& number) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return false;
    number = std::stol(digits);
    return true;
}

std::string canonical(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return {};
    std::string out = real;
    std::free(real);
    return out;
}

SerialDevice describe(const std::string& path, const DeviceProbeResult& probe,
                      const DeviceFolders& where) {
    SerialDevice d;
    d.path = path;
    d.pseudoTerminal = probe.pseudoTerminal;
    d.inUse = probe.state == DeviceProbe::Locked;
    d.accessible = where.mayOpen ? where.mayOpen(path) : ::access(path.c_str(), R_OK | W_OK) == 0;
    return d;
}

bool present(const DeviceProbeResult& p) {
    return p.state == DeviceProbe::Free || p.state == DeviceProbe::Locked;
}

}  // namespace

std::vector<SerialDevice> listSerialDevices(const std::string& workFolder,
                                            const DeviceFolders& where) {
    std::vector<SerialDevice> out;
    std::set<std::string> seen;  // canonical device paths listed so far
    auto add = [&](const std::string& path) {
        const DeviceProbeResult probe = probeDevice(path, where.tables);
        if (!present(probe)) return;
        const std::string real = canonical(path);
        if (!real.empty() && !seen.insert(real).second) return;
        out.push_back(describe(path, probe, where));
    };

    const std::string byId = where.dev + "/serial/by-id";
    std::vector<std::string> ids = entries(byId);
    std::sort(ids.begin(), ids.end());
    for (const std::string& name : ids) add(byId + "/" + name);

    const std::vector<std::string> devNames = entries(where.dev);
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        std::vector<std::pair<long, std::string>> numbered;
        for (const std::string& name : devNames) {
            long n = 0;
            if (numberedName(name, prefix, n)) numbered.emplace_back(n, name);
        }
        std::sort(numbered.begin(), numbered.end());
        for (const auto& [n, name] : numbered) add(where.dev + "/" + name);
    }

    // Pseudo-terminals the port links lead to, in port order.
    const std::string ports = workFolder + "/ports";
    std::vector<std::pair<long, std::string>> links;
    for (const std::string& name : entries(ports)) {
        long n = 0;
        if (numberedName(name, "COM", n)) links.emplace_back(n, name);
    }
    std::sort(links.begin(), links.end());
    for (const auto& [n, name] : links) {
        const std::string link = ports + "/" + name;
        const std::string real = canonical(link);
        if (real.empty()) continue;
        const DeviceProbeResult probe = probeDevice(real, where.tables);
        if (!present(probe) || !probe.pseudoTerminal) continue;
        if (!seen.insert(real).second) continue;
        out.push_back(describe(real, probe, where));
    }
    return out;
}

std::string serialDeviceLabel(const SerialDevice& d) {
    std::string label = d.path;
    if (d.pseudoTerminal) label += " (pseudo-terminal)";
    if (!d.accessible) label += " (no permission)";
    if (d.inUse) label += " (in use)";
    return label;
}

std::string serialDeviceAccessNote(const SerialDevice& d) {
    if (d.accessible) return {};
    return "You may not open " + d.path +
           ": serial devices belong to the group dialout; add yourself to it "
           "(sudo adduser \"$USER\" dialout) and log in again.";
}

bool writePortLink(const std::string& workFolder, int n, const std::string& device,
                   std::string& error) {
    if (n < 1 || n > 255) {
        error = "port number " + std::to_string(n) + " is not 1 to 255";
        return false;
    }
    if (device.empty()) {
        error = "no device chosen";
        return false;
    }
    const std::string ports = workFolder + "/ports";
    if (::mkdir(ports.c_str(), 0777) != 0 && errno != EEXIST) {
        error = "cannot make " + ports + ": " + std::strerror(errno);
        return false;
    }
    const std::string link = ports + "/COM" + std::to_string(n);
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = link + " is a folder";
        return false;
    }
    const std::string temp = link + ".new";
    ::unlink(temp.c_str());
    if (::symlink(device.c_str(), temp.c_str()) != 0) {
        error = "cannot write " + link + ": " + std::strerror(errno);
        return false;
    }
    if (::rename(temp.c_str(), link.c_str()) != 0) {
        error = "cannot write " + link + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace tolvane
