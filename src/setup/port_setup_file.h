// "PortSetup.txt", the radio port settings: port number, line settings,
// handshake and whether DSR serves as an external push-to-talk input.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "setup/handshake_options.h"
#include "setup/text_file.h"

namespace tolvane {

inline constexpr const char* kPortSetupFileName = "PortSetup.txt";

// The radio port's parity, data bits and stop bits are fixed.
inline constexpr const char* kRadioLineFormat = ",O,7,1";

// What the Port Setup dialog saves.
struct PortSetupSave {
    std::string port;                         // port box text, e.g. "2"
    std::string baud;                         // baud box text, may end in a blank ("9600 ")
    int handshakeIndex = kNoHandshakeOption;  // selected option; none saves "comNone"
    bool extPtt = false;                      // "Enable DSR as External PTT" ticked
};

// The eight lines of the file: port, baud + ",O,7,1", handshake name, "1"/"0",
// then four comment lines for a human reader.
std::vector<std::string> portSetupLines(const PortSetupSave& save);
WriteResult writePortSetupFile(const std::string& path, const PortSetupSave& save);

// What start-up takes from the file: lines 1 to 3 as they stand into
// gRadioPort, gRadioSettings, gRadioHandshake; gExtPttEnabled when line 4 is
// exactly "1". A line missing from a short file is empty (so no external PTT).
struct PortStartupSettings {
    std::string port;
    std::string settings;
    std::string handshake;
    bool extPtt = false;
};
PortStartupSettings parsePortSetupForStartup(const std::vector<std::string>& lines);
// Nothing when the file is not readable.
std::optional<PortStartupSettings> readPortSetupForStartup(const std::string& path);

// What the dialog's Load puts into its controls: line 1 cut to two characters;
// the text of line 2 before its first comma (the whole line when it has none);
// the option index of the handshake name on line 3 (unknown name -> "NONE");
// the check box ticked when the leading number of line 4 is 1.
struct PortSetupDialogValues {
    std::string port;
    std::string baud;
    int handshakeIndex = 0;
    bool extPtt = false;
};
// Nothing ("not usable") for a file of fewer than four lines: the dialog then
// keeps the values it shows.
std::optional<PortSetupDialogValues> parsePortSetupForDialog(const std::vector<std::string>& lines);
// Nothing when the file is not readable or not usable.
std::optional<PortSetupDialogValues> loadPortSetupForDialog(const std::string& path);

}  // namespace tolvane
