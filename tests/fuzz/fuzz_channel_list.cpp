// A channel list file as Channel Setup's Open File reads it, from a file:
// every entry is ten characters the radio takes (channel, frequency in
// 10 Hz, mode digit 1 to 4), and the entries, written as Save File writes
// them, read back the same.
#include "fuzz_support.h"
#include "tools/list_files.h"

using namespace tolvane;

namespace {
bool digits(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::MemoryFile file;
    const std::string& path = file.hold(fuzz::bytes(data, size));
    const std::optional<std::vector<std::string>> entries = readChannelListFile(path);
    fuzz::require(entries.has_value(), "a readable file gives its entries");
    for (const std::string& e : *entries) {
        fuzz::require(e.size() == 10 && digits(e), "ten digits");
        fuzz::require(e[9] >= '1' && e[9] <= '4', "mode digit 1 to 4");
    }
    const std::vector<std::string> lines = channelListLines(*entries);
    fuzz::require(lines.size() == entries->size(), "one line per entry");
    fuzz::require(parseChannelList(lines) == *entries, "written entries read the same");
    return 0;
}
