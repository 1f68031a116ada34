// "PortSetup.txt" as start-up and the Port Setup dialog read it, from a file;
// what the dialog loads, saved again, loads the same. The settings line is
// taken as the port takes it when opening: usable exactly when no field is
// refused, and then a character of 7 to 12 bits.
#include "fuzz_support.h"
#include "platform/serial_port.h"
#include "setup/port_setup_file.h"

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::MemoryFile file;
    const std::string& path = file.hold(fuzz::bytes(data, size));
    const std::optional<PortStartupSettings> startup = readPortSetupForStartup(path);
    fuzz::require(startup.has_value(), "a readable file gives the start-up settings");
    const std::optional<LineSettings> line = parseLineSettings(startup->settings);
    fuzz::require(line.has_value() == lineSettingsFault(startup->settings).empty(),
                  "refused exactly when a field is named");
    fuzz::require(!line || (bitsPerCharacter(*line) >= 7 && bitsPerCharacter(*line) <= 12),
                  "bits per character");
    const std::optional<PortSetupDialogValues> v = loadPortSetupForDialog(path);
    if (!v) return 0;
    fuzz::require(v->port.size() <= 2, "port cut to two characters");
    fuzz::require(v->handshakeIndex >= 0 && v->handshakeIndex < int(kHandshakeOptions.size()),
                  "handshake option");
    const auto again = parsePortSetupForDialog(
        portSetupLines(PortSetupSave{v->port, v->baud, v->handshakeIndex, v->extPtt}));
    fuzz::require(again && again->port == v->port && again->baud == v->baud &&
                      again->handshakeIndex == v->handshakeIndex && again->extPtt == v->extPtt,
                  "saved dialog values load the same");
    return 0;
}
