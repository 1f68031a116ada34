// What the window system lends a panel area that acts inside its own event:
// yielding once (the only place other event handlers run, among them the
// release of a held button), the system beep and a message box with an OK
// button.
#pragma once

#include <functional>
#include <string>

namespace tolvane {

struct WindowSeams {
    // Yield to the window system once; the yield may wait up to `seconds`
    // for an event when none is pending (0: only what is pending runs).
    std::function<void(double seconds)> yield;
    std::function<void()> beep;
    std::function<void(const std::string& text)> messageBox;
};

}  // namespace tolvane
