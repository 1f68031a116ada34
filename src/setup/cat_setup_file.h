// "CATSetup.txt", the CAT port settings: port number, line settings,
// handshake and the rig type the CAT bridge imitates.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "setup/handshake_options.h"
#include "setup/text_file.h"

namespace tolvane {

inline constexpr const char* kCatSetupFileName = "CATSetup.txt";

// What the CAT Setup dialog saves.
struct CatSetupSave {
    std::string port;                         // port box text, e.g. "4"
    std::string baud;                         // baud box text, may end in a blank ("19200 ")
    std::string bits;                         // parity/bits/stops box text ("N, 8, 1" or "N,8,1")
    int handshakeIndex = kNoHandshakeOption;  // selected option; none saves "comNone"
    std::string rigType;                      // rig box text, e.g. "Kenwood"
};

// The eight lines of the file: port, baud + "," + bits (blanks kept), handshake
// name, rig type, then four comment lines for a human reader.
std::vector<std::string> catSetupLines(const CatSetupSave& save);
WriteResult writeCatSetupFile(const std::string& path, const CatSetupSave& save);

// What start-up takes from the file: lines 1 and 3 as they stand into gCatPort
// and gCatHandshake, line 2 normalised (normalLineSettings) into gCatSettings;
// line 4 (rig type) is read but not used. A line missing from a short file is
// empty. The file itself keeps its text until the operator saves.
struct CatStartupSettings {
    std::string port;
    std::string settings;
    std::string handshake;
    std::string rigType;
};
CatStartupSettings parseCatSetupForStartup(const std::vector<std::string>& lines);
// Nothing when the file is not readable.
std::optional<CatStartupSettings> readCatSetupForStartup(const std::string& path);

// What the dialog's Load puts into its controls: line 1 cut to two characters;
// line 2 split at commas into at most four fields, field 1 the baud text and
// fields 2 to 4 joined with "," the parity/bits/stops text (blanks after the
// commas survive); the option index of the handshake name on line 3 (unknown
// name -> "NONE"); line 4 the rig type.
struct CatSetupDialogValues {
    std::string port;
    std::string baud;
    std::string bits;
    int handshakeIndex = 0;
    std::string rigType;
};
// Nothing ("not usable") for a file of fewer than four lines or a line 2 of
// fewer than four comma-separated fields: the dialog keeps the values it shows.
std::optional<CatSetupDialogValues> parseCatSetupForDialog(const std::vector<std::string>& lines);
// Nothing when the file is not readable or not usable.
std::optional<CatSetupDialogValues> loadCatSetupForDialog(const std::string& path);

// A line settings text with the blanks around its fields removed:
// "19200 ,N, 8, 1" -> "19200,N,8,1". The dialogs' list items carry blanks
// ("19200 ", "N, 8, 1"); the port and the dialogs opened on it see one
// spelling of each setting.
std::string normalLineSettings(const std::string& text);

// Split `text` at commas into at most `maxFields` fields; the last field takes
// the rest of the text, commas included.
std::vector<std::string> splitFields(const std::string& text, std::size_t maxFields);

}  // namespace tolvane
