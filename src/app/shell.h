// The window-system seam of the panel program: yielding once, message
// boxes, the beep, the help viewer, modal windows and the program's end.
// The real shell runs Qt's event loop; tests drive a recording shell.
#pragma once

#include <string>

class QDialog;

namespace tolvane {

class Shell {
  public:
    virtual ~Shell() = default;
    // Yield to the window system once: every queued event handler runs here,
    // including the serial ports' event handlers.
    virtual void yield() = 0;
    // The longest the next yield may block waiting for an event (seconds);
    // nothing the loop must do falls due before then. Input on the ports, a
    // window event or a termination request ends the wait earlier.
    virtual void setNextWait(double seconds) { (void)seconds; }
    // A message box with an OK button; returns when it is closed.
    virtual void messageBox(const std::string& text, const std::string& title) = 0;
    virtual void beep() = 0;
    // Show a dialog modally; returns when it has closed.
    virtual void showModal(QDialog& dialog) = 0;
    // Open a help file in the desktop's viewer; false when that failed.
    virtual bool showHelp(const std::string& path) = 0;
    // End the program at once (the real shell never returns).
    virtual void endProgram() = 0;
};

// Thrown by a test shell's yield to stop a loop that would run for ever.
struct StopRunning {};

}  // namespace tolvane
