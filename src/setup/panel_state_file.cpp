// Panel state file writer and reader.
#include "setup/panel_state_file.h"

#include <cmath>

namespace tolvane {

std::string printedNumber(long value) {
    if (value < 0) return std::to_string(value) + " ";
    return " " + std::to_string(value) + " ";
}

std::vector<std::string> panelStateLines(const PanelState& state) {
    return {printedNumber(state.left),
            printedNumber(state.top),
            state.vfoB,
            state.vfoBMode,
            state.split,
            state.stepSize};
}

WriteResult writePanelStateFile(const std::string& path, const PanelState& state) {
    return atomicWriteLines(path, panelStateLines(state));
}

PanelStateFile parsePanelStateLines(const std::vector<std::string>& lines) {
    auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    return PanelStateFile{line(0), line(1), line(2), line(3), line(4), line(5)};
}

std::optional<PanelStateFile> readPanelStateFile(const std::string& path) {
    auto lines = readTextLines(path, 6);
    if (!lines) return std::nullopt;
    return parsePanelStateLines(*lines);
}

long twipsValue(std::string_view line) {
    double value = numericValue(line);
    if (value > static_cast<double>(kMaxTwips)) return kMaxTwips;
    if (value < -static_cast<double>(kMaxTwips)) return -kMaxTwips;
    return std::lround(value);
}

bool vfoBDigitsApply(std::string_view line) {
    if (line.size() != 7) return false;
    for (char c : line)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace tolvane
