// "Tolvaneini.txt", the panel state file: window position and VFO B settings
// carried from one run to the next. Written at shutdown, read at start-up.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "setup/text_file.h"

namespace tolvane {

inline constexpr const char* kPanelStateFileName = "Tolvaneini.txt";

// What shutdown saves: window edges in twips and the VFO B texts as they stand.
struct PanelState {
    long left = 0;         // window Left, twips (negative on a monitor left of the first)
    long top = 0;          // window Top, twips
    std::string vfoB;      // the seven VFO B digit captions joined, normally seven digits
    std::string vfoBMode;  // text of the VFO B mode box
    std::string split;     // split label caption, "Split Off" or "Split On"
    std::string stepSize;  // text of the step-size box
};

// The six lines as read back, raw; a line missing from a short file is empty.
struct PanelStateFile {
    std::string left, top, vfoB, vfoBMode, split, stepSize;
};

// A whole number as the platform's standard number printing writes it: a blank
// in place of a plus sign before a non-negative number, a blank after it
// (" 1234 ", "-2880 ").
std::string printedNumber(long value);

// The six lines of the file, in order.
std::vector<std::string> panelStateLines(const PanelState& state);

// Write the file (atomically, CR LF endings).
WriteResult writePanelStateFile(const std::string& path, const PanelState& state);

// The six lines from lines read; extra lines are ignored.
PanelStateFile parsePanelStateLines(const std::vector<std::string>& lines);

// Read the file; nothing when it is not readable.
std::optional<PanelStateFile> readPanelStateFile(const std::string& path);

// A window edge from its line: the numeric value of the line in whole twips
// (rounded), kept within +-kMaxTwips.
inline constexpr long kMaxTwips = 1000000000L;
long twipsValue(std::string_view line);

// The VFO B line is applied to the seven digit buttons only when it consists of
// exactly seven decimal digits.
bool vfoBDigitsApply(std::string_view line);

}  // namespace tolvane
