// A band list ("M40List.txt" ...) as the Frequency Select window reads it,
// from a file; the rows read, written as Write File writes them, read back
// the same.
#include "fuzz_support.h"
#include "tools/list_files.h"

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::MemoryFile file;
    const std::string& path = file.hold(fuzz::bytes(data, size));
    const std::optional<BandRows> read = readBandListFile(path);
    fuzz::require(read.has_value(), "a readable file gives its rows");
    std::array<ListRow, kBandListRows> rows{};
    for (std::size_t i = 0; i < kBandListRows; ++i) {
        if (!(*read)[i]) continue;
        rows[i] = *(*read)[i];
        fuzz::require(rows[i].freq.find(' ') == std::string::npos, "no blank in a frequency");
        fuzz::require(rows[i].mode.find(' ') == std::string::npos, "no blank in a mode");
        fuzz::require(rows[i].mode.empty() <= rows[i].info.empty(), "no note without a mode");
    }
    const std::vector<std::string> lines = bandListLines(rows);
    fuzz::require(lines.size() == kBandListRows, "fourteen lines written");
    const BandRows again = parseBandList(lines);
    for (std::size_t i = 0; i < kBandListRows; ++i)
        fuzz::require(again[i] && *again[i] == rows[i], "written rows read the same");
    return 0;
}
