// "Tolvaneini.txt" as start-up reads it, from a file: the window edges stay
// within their bounds, and the state written back reads the same.
#include "fuzz_support.h"
#include "setup/panel_state_file.h"

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::MemoryFile file;
    const std::string& path = file.hold(fuzz::bytes(data, size));
    const std::optional<PanelStateFile> f = readPanelStateFile(path);
    fuzz::require(f.has_value(), "a readable file is read");
    const long left = twipsValue(f->left);
    const long top = twipsValue(f->top);
    fuzz::require(left >= -kMaxTwips && left <= kMaxTwips && top >= -kMaxTwips && top <= kMaxTwips,
                  "window edges within bounds");
    (void)vfoBDigitsApply(f->vfoB);
    const PanelStateFile again = parsePanelStateLines(
        panelStateLines(PanelState{left, top, f->vfoB, f->vfoBMode, f->split, f->stepSize}));
    fuzz::require(twipsValue(again.left) == left && twipsValue(again.top) == top,
                  "window edges read back");
    fuzz::require(again.vfoB == f->vfoB && again.vfoBMode == f->vfoBMode &&
                      again.split == f->split && again.stepSize == f->stepSize,
                  "VFO B settings read back");
    return 0;
}
