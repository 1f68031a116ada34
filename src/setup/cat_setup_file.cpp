// CATSetup.txt writer and its two readers (start-up and the dialog's Load).
#include "setup/cat_setup_file.h"

namespace tolvane {

std::vector<std::string> catSetupLines(const CatSetupSave& save) {
    return {
        save.port,
        save.baud + "," + save.bits,
        std::string(handshakeNameForIndex(save.handshakeIndex)),
        save.rigType,
        "Line 1: Port Number, COM1 = 1, COM2 = 2, etc..",
        "Line 2: Baud,Parity,Bits,Stop",
        "Line 3: comNone, comXonXoff, comRTS, comRTSXonXoff",
        "Line 4: RigType",
    };
}

WriteResult writeCatSetupFile(const std::string& path, const CatSetupSave& save) {
    return atomicWriteLines(path, catSetupLines(save));
}

std::string normalLineSettings(const std::string& text) {
    std::string out;
    std::size_t from = 0;
    for (;;) {
        std::size_t comma = text.find(',', from);
        std::string field = text.substr(from, comma == std::string::npos ? comma : comma - from);
        std::size_t b = field.find_first_not_of(" \t");
        std::size_t e = field.find_last_not_of(" \t");
        out += b == std::string::npos ? std::string() : field.substr(b, e - b + 1);
        if (comma == std::string::npos) return out;
        out += ',';
        from = comma + 1;
    }
}

CatStartupSettings parseCatSetupForStartup(const std::vector<std::string>& lines) {
    auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    return CatStartupSettings{line(0), normalLineSettings(line(1)), line(2), line(3)};
}

std::optional<CatStartupSettings> readCatSetupForStartup(const std::string& path) {
    auto lines = readTextLines(path, 4);
    if (!lines) return std::nullopt;
    return parseCatSetupForStartup(*lines);
}

std::vector<std::string> splitFields(const std::string& text, std::size_t maxFields) {
    std::vector<std::string> fields;
    if (maxFields == 0) return fields;
    std::size_t from = 0;
    while (fields.size() + 1 < maxFields) {
        auto comma = text.find(',', from);
        if (comma == std::string::npos) break;
        fields.push_back(text.substr(from, comma - from));
        from = comma + 1;
    }
    fields.push_back(text.substr(from));
    return fields;
}

std::optional<CatSetupDialogValues> parseCatSetupForDialog(const std::vector<std::string>& lines) {
    if (lines.size() < 4) return std::nullopt;
    auto fields = splitFields(lines[1], 4);
    if (fields.size() < 4) return std::nullopt;
    CatSetupDialogValues values;
    values.port = lines[0].substr(0, 2);
    values.baud = fields[0];
    values.bits = fields[1] + "," + fields[2] + "," + fields[3];
    values.handshakeIndex = handshakeIndexForName(lines[2]);
    values.rigType = lines[3];
    return values;
}

std::optional<CatSetupDialogValues> loadCatSetupForDialog(const std::string& path) {
    auto lines = readTextLines(path, 4);
    if (!lines) return std::nullopt;
    return parseCatSetupForDialog(*lines);
}

}  // namespace tolvane
