// NetworkSetup.txt reader and writer, and the --rigctld option value.
#include "setup/network_setup_file.h"

#include <arpa/inet.h>

#include <charconv>

namespace tolvane {

namespace {

std::string trimmed(std::string_view text) {
    std::size_t b = text.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    std::size_t e = text.find_last_not_of(" \t");
    return std::string(text.substr(b, e - b + 1));
}

std::optional<int> portNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 1 || value > 65535)
        return std::nullopt;
    return value;
}

bool isNumericAddress(std::string_view text, bool& v6) {
    std::string copy(text);
    unsigned char buffer[16];
    v6 = false;
    if (inet_pton(AF_INET, copy.c_str(), buffer) == 1) return true;
    v6 = true;
    return inet_pton(AF_INET6, copy.c_str(), buffer) == 1;
}

}  // namespace

std::vector<std::string> networkSetupLines(const NetworkSettings& s) {
    std::string hosts;
    for (const std::string& h : s.allowedHosts) hosts += (hosts.empty() ? "" : ",") + h;
    return {
        s.enabled ? "1" : "0",
        s.address,
        std::to_string(s.port),
        hosts,
        "Line 1: Network Rig Control, 1 = on, 0 = off",
        "Line 2: Listen Address, 127.0.0.1 = this computer only",
        "Line 3: TCP Port, 4532 = rigctld",
        "Line 4: Allowed Hosts beyond this computer, comma separated",
    };
}

WriteResult writeNetworkSetupFile(const std::string& path, const NetworkSettings& settings) {
    return atomicWriteLines(path, networkSetupLines(settings));
}

bool isListenAddress(std::string_view text) {
    bool v6 = false;
    return text == "localhost" || isNumericAddress(text, v6);
}

bool isHostPattern(std::string_view text) {
    std::size_t slash = text.find('/');
    bool v6 = false;
    if (slash == std::string_view::npos) return isNumericAddress(text, v6);
    if (!isNumericAddress(text.substr(0, slash), v6)) return false;
    std::string_view bits = text.substr(slash + 1);
    int prefix = 0;
    auto [ptr, ec] = std::from_chars(bits.data(), bits.data() + bits.size(), prefix);
    return !bits.empty() && ec == std::errc() && ptr == bits.data() + bits.size() && prefix >= 0 &&
           prefix <= (v6 ? 128 : 32);
}

NetworkSetupRead parseNetworkSetup(const std::vector<std::string>& lines) {
    NetworkSetupRead read;
    NetworkSettings& s = read.settings;
    auto line = [&](std::size_t i) -> std::optional<std::string> {
        if (i >= lines.size()) return std::nullopt;
        return trimmed(lines[i]);
    };
    std::optional<std::string> enabled = line(0);
    if (enabled == "1") {
        s.enabled = true;
    } else if (enabled != "0") {
        read.problems.push_back("line 1 is not 1 or 0: network rig control off");
    }
    std::optional<std::string> address = line(1);
    if (address && isListenAddress(*address)) {
        s.address = *address;
    } else {
        read.problems.push_back("line 2 is no address: listening on 127.0.0.1");
    }
    std::optional<std::string> port = line(2);
    if (std::optional<int> p = port ? portNumber(*port) : std::nullopt) {
        s.port = *p;
    } else {
        read.problems.push_back("line 3 is no port: port 4532");
    }
    std::optional<std::string> hosts = line(3);
    if (!hosts) {
        read.problems.push_back("line 4 is missing: no hosts beyond this computer");
        hosts = std::string();
    }
    std::size_t from = 0;
    while (from <= hosts->size()) {
        std::size_t comma = hosts->find(',', from);
        if (comma == std::string::npos) comma = hosts->size();
        std::string entry = trimmed(std::string_view(*hosts).substr(from, comma - from));
        if (isHostPattern(entry)) {
            s.allowedHosts.push_back(entry);
        } else if (!entry.empty()) {
            read.problems.push_back("allowed host left out: " + entry);
        }
        from = comma + 1;
    }
    return read;
}

std::optional<NetworkSetupRead> readNetworkSetupFile(const std::string& path) {
    auto lines = readTextLines(path, 4);
    if (!lines) return std::nullopt;
    return parseNetworkSetup(*lines);
}

std::optional<ListenEndpoint> parseListenEndpoint(std::string_view value) {
    ListenEndpoint endpoint;
    if (value.empty()) return endpoint;
    std::string_view address = value;
    std::optional<std::string_view> port;
    if (value.front() == '[') {
        std::size_t close = value.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        address = value.substr(1, close - 1);
        std::string_view rest = value.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return std::nullopt;
            port = rest.substr(1);
        }
    } else if (std::size_t colon = value.rfind(':');
               colon != std::string_view::npos && value.find(':') == colon) {
        // One colon: ADDRESS:PORT. More than one: a bare IPv6 address.
        address = value.substr(0, colon);
        port = value.substr(colon + 1);
    }
    if (!address.empty()) {
        if (!isListenAddress(address)) return std::nullopt;
        endpoint.address = std::string(address);
    }
    if (port) {
        std::optional<int> p = portNumber(*port);
        if (!p) return std::nullopt;
        endpoint.port = *p;
    }
    return endpoint;
}

}  // namespace tolvane
