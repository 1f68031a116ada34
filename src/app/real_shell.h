// The shell of the running program: Qt's event loop as the yield, message
// boxes, the beep, modal windows and the desktop's help viewer.
//
// The radio port, the CAT port and the termination pipe are watched for as
// long as the shell lives, in the main loop's yield and in the event loop of
// every modal window alike: port input is taken into the port (and its
// events handled) as it arrives, so a readable device never keeps the event
// loop spinning; a termination signal closes the open modal windows and then
// runs the close handler.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/shell.h"

class QSocketNotifier;
class QWidget;

namespace tolvane {

class SerialPort;

class RealShell final : public Shell {
  public:
    RealShell(QWidget* mainWindow, SerialPort& radio, SerialPort& cat);
    ~RealShell() override;
    RealShell(const RealShell&) = delete;
    RealShell& operator=(const RealShell&) = delete;

    void yield() override;
    void setNextWait(double seconds) override;
    void messageBox(const std::string& text, const std::string& title) override;
    void beep() override;
    void showModal(QDialog& dialog) override;
    bool showHelp(const std::string& path) override;
    void endProgram() override;

    // Longest a yield blocks waiting for an event (milliseconds), unless the
    // loop said how long it may wait; and the longest it ever waits.
    static constexpr int kYieldWaitMs = 10;
    static constexpr int kLongestWaitMs = 250;

    // How the program ends; the default ends the process at once. A test
    // puts its own in.
    std::function<void()> exitProgram;
    // Modal windows opened through this shell and not yet closed.
    int modalDepth() const { return modalDepth_; }

  private:
    struct Watch {
        std::unique_ptr<QSocketNotifier> notifier;
        int fd = -1;
    };
    // Brings the watched descriptors in line with the ports' state.
    void watchAll();
    void watch(Watch& w, int wanted, void (RealShell::*ready)());
    void radioReady();
    void catReady();
    void terminationReady();
    // Runs a modal window's own event loop.
    void runModal(const std::function<void()>& exec);

    QWidget* main_;
    SerialPort& radio_;
    SerialPort& cat_;
    QTimer tick_;
    int nextWaitMs_ = kYieldWaitMs;
    int modalDepth_ = 0;
    Watch radioWatch_, catWatch_, termWatch_;
};

// Closes every modal window that is open, innermost first (a dialog is
// rejected, any other window closed).
void closeModalWindows();

}  // namespace tolvane
