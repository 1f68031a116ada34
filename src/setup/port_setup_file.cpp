// PortSetup.txt writer and its two readers (start-up and the dialog's Load).
#include "setup/port_setup_file.h"

namespace tolvane {

std::vector<std::string> portSetupLines(const PortSetupSave& save) {
    return {
        save.port,
        save.baud + kRadioLineFormat,
        std::string(handshakeNameForIndex(save.handshakeIndex)),
        save.extPtt ? "1" : "0",
        "Line 1: Port Number, COM1 = 1, COM2 = 2, etc..",
        "Line 2: Baud,Parity,Bits,Stop",
        "Line 3: comNone, comXonXoff, comRTS, comRTSXonXoff",
        // The enabled value as number printing writes it: blank, 1, blank.
        "Line 4: External PTT Enable: Enabled =  1 ",
    };
}

WriteResult writePortSetupFile(const std::string& path, const PortSetupSave& save) {
    return atomicWriteLines(path, portSetupLines(save));
}

PortStartupSettings parsePortSetupForStartup(const std::vector<std::string>& lines) {
    auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    return PortStartupSettings{line(0), line(1), line(2), line(3) == "1"};
}

std::optional<PortStartupSettings> readPortSetupForStartup(const std::string& path) {
    auto lines = readTextLines(path, 4);
    if (!lines) return std::nullopt;
    return parsePortSetupForStartup(*lines);
}

std::optional<PortSetupDialogValues> parsePortSetupForDialog(
    const std::vector<std::string>& lines) {
    if (lines.size() < 4) return std::nullopt;
    PortSetupDialogValues values;
    values.port = lines[0].substr(0, 2);
    values.baud = lines[1].substr(0, lines[1].find(','));
    values.handshakeIndex = handshakeIndexForName(lines[2]);
    values.extPtt = numericValue(lines[3]) == 1.0;
    return values;
}

std::optional<PortSetupDialogValues> loadPortSetupForDialog(const std::string& path) {
    auto lines = readTextLines(path, 4);
    if (!lines) return std::nullopt;
    return parsePortSetupForDialog(*lines);
}

}  // namespace tolvane
