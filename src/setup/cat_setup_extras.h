// The line CATSetup.txt has beyond the eight lines of older files: line 9,
// "1" when the CAT bridge also gives TS-2000 compatible answers. With them
// off the line is not written, so the file is the one older programs write
// (a "0" there also reads as off). A file without it (every older file) reads
// as "0", so the dialect stays as it was until the operator turns them on.
#pragma once

#include <string>
#include <vector>

#include "setup/cat_setup_file.h"

namespace tolvane {

struct CatSetupExtras {
    bool ts2000Answers = false;
    friend bool operator==(const CatSetupExtras&, const CatSetupExtras&) = default;
};

// Index of the TS-2000 line (line 9).
inline constexpr std::size_t kCatTs2000LineIndex = 8;

// The eight lines of catSetupLines, and the TS-2000 line when they are on.
std::vector<std::string> catSetupLines(const CatSetupSave& save, const CatSetupExtras& extras);
WriteResult writeCatSetupFile(const std::string& path, const CatSetupSave& save,
                              const CatSetupExtras& extras);

// Line 9 "1" (blanks around it allowed) turns the answers on; anything else,
// or no line 9, leaves them off.
CatSetupExtras parseCatSetupExtras(const std::vector<std::string>& lines);
// Off when the file is not readable.
CatSetupExtras readCatSetupExtras(const std::string& path);

}  // namespace tolvane
