// "NetworkSetup.txt", the settings of the network rig control endpoint:
// whether it runs, the address and port it listens on, and the hosts beyond
// this computer that may connect. Also the value of the command-line option
// that starts the endpoint without the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "setup/text_file.h"

namespace tolvane {

inline constexpr const char* kNetworkSetupFileName = "NetworkSetup.txt";
inline constexpr const char* kLoopbackAddress = "127.0.0.1";
inline constexpr int kRigctldPort = 4532;

struct NetworkSettings {
    bool enabled = false;
    std::string address = kLoopbackAddress;  // listen address
    int port = kRigctldPort;
    std::vector<std::string> allowedHosts;  // addresses or subnets ("192.168.1.0/24")

    friend bool operator==(const NetworkSettings&, const NetworkSettings&) = default;
};

// The eight lines of the file: "1" or "0", the address, the port, the
// allowed hosts separated by commas (empty: none), then four comment lines
// for a human reader.
std::vector<std::string> networkSetupLines(const NetworkSettings& settings);
WriteResult writeNetworkSetupFile(const std::string& path, const NetworkSettings& settings);

// What a read gives: the settings, each field that is missing or not
// usable at its default (off, 127.0.0.1, 4532, no hosts; an allowed-hosts
// entry that is no address is left out), and a note for each such field.
struct NetworkSetupRead {
    NetworkSettings settings;
    std::vector<std::string> problems;
};
NetworkSetupRead parseNetworkSetup(const std::vector<std::string>& lines);
// Nothing when the file is not readable (missing: the endpoint stays off).
std::optional<NetworkSetupRead> readNetworkSetupFile(const std::string& path);

// True for a numeric IPv4 or IPv6 address or "localhost".
bool isListenAddress(std::string_view text);
// True for an address or an address with a prefix length ("10.0.0.0/8").
bool isHostPattern(std::string_view text);

// The value of --rigctld: empty, "ADDRESS:PORT", "ADDRESS", ":PORT" or
// "[IPV6]:PORT"; what is not given keeps 127.0.0.1 and 4532. Nothing when
// the value is not usable.
struct ListenEndpoint {
    std::string address = kLoopbackAddress;
    int port = kRigctldPort;
    friend bool operator==(const ListenEndpoint&, const ListenEndpoint&) = default;
};
std::optional<ListenEndpoint> parseListenEndpoint(std::string_view value);

}  // namespace tolvane
