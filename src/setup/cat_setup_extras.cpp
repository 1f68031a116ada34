// CATSetup.txt's TS-2000 line, written after and read beside the eight
// lines of the CAT settings.
#include "setup/cat_setup_extras.h"

namespace tolvane {

std::vector<std::string> catSetupLines(const CatSetupSave& save, const CatSetupExtras& extras) {
    std::vector<std::string> lines = catSetupLines(save);
    lines.resize(kCatTs2000LineIndex);  // the eight lines older files have
    // Off, the file stays as older programs write it.
    if (extras.ts2000Answers) lines.push_back("1");
    return lines;
}

WriteResult writeCatSetupFile(const std::string& path, const CatSetupSave& save,
                              const CatSetupExtras& extras) {
    return atomicWriteLines(path, catSetupLines(save, extras));
}

CatSetupExtras parseCatSetupExtras(const std::vector<std::string>& lines) {
    CatSetupExtras extras;
    if (lines.size() <= kCatTs2000LineIndex) return extras;
    const std::string& line = lines[kCatTs2000LineIndex];
    std::size_t b = line.find_first_not_of(" \t");
    std::size_t e = line.find_last_not_of(" \t");
    extras.ts2000Answers = b != std::string::npos && line.substr(b, e - b + 1) == "1";
    return extras;
}

CatSetupExtras readCatSetupExtras(const std::string& path) {
    auto lines = readTextLines(path, kCatTs2000LineIndex + 1);
    if (!lines) return {};
    return parseCatSetupExtras(*lines);
}

}  // namespace tolvane
