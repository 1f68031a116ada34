// The shell of the running program: Qt's event loop as the yield, message
// boxes, the beep, modal windows and the desktop's help viewer.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
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
    static constexpr int kLongestWaitMs = 500;

private:
    void watch(std::unique_ptr<QSocketNotifier>& notifier, int& fd, int wanted);

    QWidget* main_;
    SerialPort& radio_;
    SerialPort& cat_;
    QTimer tick_;
    int nextWaitMs_ = kYieldWaitMs;
    std::unique_ptr<QSocketNotifier> radioNote_, catNote_, termNote_;
    int radioFd_ = -1, catFd_ = -1, termFd_ = -1;
};

}  // namespace tolvane
