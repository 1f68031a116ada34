// "ScanFreqs.txt" as the Scan Freq window reads it, from a file; the delay
// is a 16-bit whole number, and the rows and delay, written as Write File
// writes them, read back the same.
#include "fuzz_support.h"
#include "tools/list_files.h"

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::MemoryFile file;
    const std::string& path = file.hold(fuzz::bytes(data, size));
    const std::optional<ScanList> read = readScanListFile(path);
    fuzz::require(read.has_value(), "a readable file gives its rows");
    const std::string delay = read->delay.value_or(kDefaultScanDelay);
    const int value = scanDelayValue(delay);
    fuzz::require(value >= -32768 && value <= 32767, "delay within 16 bits");
    fuzz::require(!read->delay || *read->delay == std::to_string(value), "delay shown as read");
    std::array<ListRow, kScanListRows> rows{};
    for (std::size_t i = 0; i < kScanListRows; ++i)
        if (read->rows[i]) rows[i] = *read->rows[i];
    const std::vector<std::string> lines = scanListLines(rows, delay);
    fuzz::require(lines.size() == kScanListRows + 1, "thirteen rows and the delay written");
    const ScanList again = parseScanList(lines);
    for (std::size_t i = 0; i < kScanListRows; ++i)
        fuzz::require(again.rows[i] && *again.rows[i] == rows[i], "written rows read the same");
    fuzz::require(again.delay && *again.delay == std::to_string(value), "written delay the same");
    return 0;
}
