#include "app/real_shell.h"

#include <unistd.h>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QUrl>
#include <QWidget>
#include <cstdio>

#include "platform/serial_port.h"
#include "platform/termination.h"

namespace tolvane {

void closeModalWindows() {
    // Each close uncovers the next modal window; a window that refuses to
    // close must not hold the loop.
    for (int guard = 0; guard < 32; ++guard) {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr) return;
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
        if (QApplication::activeModalWidget() == w) w->hide();
    }
}

RealShell::RealShell(QWidget* mainWindow, SerialPort& radio, SerialPort& cat)
    : main_(mainWindow), radio_(radio), cat_(cat) {
    // A single-shot tick bounds how long a yield can block.
    tick_.setSingleShot(true);
    watchAll();
}

RealShell::~RealShell() = default;

void RealShell::setNextWait(double seconds) {
    int ms = static_cast<int>(seconds * 1000.0);
    nextWaitMs_ = ms < 0 ? 0 : (ms > kLongestWaitMs ? kLongestWaitMs : ms);
}

void RealShell::watchAll() {
    watch(radioWatch_, radio_.isOpen() ? radio_.notifyFd() : -1, &RealShell::radioReady);
    watch(catWatch_, cat_.isOpen() ? cat_.notifyFd() : -1, &RealShell::catReady);
    watch(termWatch_, terminationFd(), &RealShell::terminationReady);
}

void RealShell::watch(Watch& w, int wanted, void (RealShell::*ready)()) {
    // A notifier the event loop disabled (its descriptor was closed under
    // it) is made afresh.
    if (w.fd == wanted && (wanted < 0 || (w.notifier && w.notifier->isEnabled()))) return;
    w.notifier.reset();
    w.fd = wanted;
    if (wanted < 0) return;
    w.notifier = std::make_unique<QSocketNotifier>(wanted, QSocketNotifier::Read);
    QObject::connect(w.notifier.get(), &QSocketNotifier::activated, w.notifier.get(),
                     [this, ready] { (this->*ready)(); });
}

void RealShell::radioReady() {
    // Taking the input into the port empties the device; a device that went
    // away stops being watched (its notifier is removed at the next watch).
    radio_.dispatchEvents();
    if (!radio_.isOpen() || radio_.notifyFd() != radioWatch_.fd)
        radioWatch_.notifier->setEnabled(false);
}

void RealShell::catReady() {
    cat_.dispatchEvents();
    if (!cat_.isOpen() || cat_.notifyFd() != catWatch_.fd) catWatch_.notifier->setEnabled(false);
}

void RealShell::terminationReady() {
    drainTerminationFd();
    if (!terminationRequested()) return;
    // Close the modal windows first; the shell call that opened the
    // outermost one runs the close handler once it has returned. Without a
    // modal window of ours open, the handler runs now.
    closeModalWindows();
    if (modalDepth_ == 0) runTerminationIfRequested();
}

void RealShell::yield() {
    // Port input and the termination pipe wake the loop at once.
    watchAll();
    tick_.start(nextWaitMs_);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    tick_.stop();
    nextWaitMs_ = kYieldWaitMs;
    radio_.dispatchEvents();
    cat_.dispatchEvents();
    runTerminationIfRequested();
}

void RealShell::runModal(const std::function<void()>& exec) {
    // A termination asked for before the window opens ends the program
    // without showing it.
    if (terminationRequested()) {
        runTerminationIfRequested();
        return;
    }
    watchAll();
    ++modalDepth_;
    exec();
    --modalDepth_;
    runTerminationIfRequested();
}

void RealShell::messageBox(const std::string& text, const std::string& title) {
    runModal([&] {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                        QString::fromStdString(text), QMessageBox::Ok, main_);
        box.exec();
    });
}

void RealShell::beep() {
    QApplication::beep();
}

void RealShell::showModal(QDialog& dialog) {
    runModal([&] {
        if (main_ != nullptr) main_->setEnabled(false);
        dialog.setModal(true);
        dialog.exec();
        if (main_ != nullptr) main_->setEnabled(true);
    });
}

bool RealShell::showHelp(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void RealShell::endProgram() {
    if (exitProgram) {
        exitProgram();
        return;
    }
    std::fflush(nullptr);
    ::_exit(0);
}

}  // namespace tolvane
