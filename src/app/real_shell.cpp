#include "app/real_shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QUrl>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

#include "platform/serial_port.h"
#include "platform/termination.h"

namespace tolvane {

RealShell::RealShell(QWidget* mainWindow, SerialPort& radio, SerialPort& cat)
    : main_(mainWindow), radio_(radio), cat_(cat) {
    // A single-shot tick bounds how long a yield can block.
    tick_.setSingleShot(true);
}

void RealShell::setNextWait(double seconds) {
    int ms = static_cast<int>(seconds * 1000.0);
    nextWaitMs_ = ms < 0 ? 0 : (ms > kLongestWaitMs ? kLongestWaitMs : ms);
}

RealShell::~RealShell() = default;

void RealShell::watch(std::unique_ptr<QSocketNotifier>& notifier, int& fd, int wanted) {
    if (fd == wanted) return;
    notifier.reset();
    fd = wanted;
    if (wanted >= 0) notifier = std::make_unique<QSocketNotifier>(wanted, QSocketNotifier::Read);
}

void RealShell::yield() {
    // Port input and the termination pipe wake the loop at once.
    watch(radioNote_, radioFd_, radio_.isOpen() ? radio_.notifyFd() : -1);
    watch(catNote_, catFd_, cat_.isOpen() ? cat_.notifyFd() : -1);
    watch(termNote_, termFd_, terminationFd());
    tick_.start(nextWaitMs_);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    tick_.stop();
    nextWaitMs_ = kYieldWaitMs;
    radio_.dispatchEvents();
    cat_.dispatchEvents();
    runTerminationIfRequested();
}

void RealShell::messageBox(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok, main_);
    box.exec();
}

void RealShell::beep() { QApplication::beep(); }

void RealShell::showModal(QDialog& dialog) {
    if (main_ != nullptr) main_->setEnabled(false);
    dialog.setModal(true);
    dialog.exec();
    if (main_ != nullptr) main_->setEnabled(true);
}

bool RealShell::showHelp(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void RealShell::endProgram() {
    std::fflush(nullptr);
    ::_exit(0);
}

}  // namespace tolvane
