// tolvane: the control panel of the Tolvane HF transceiver.
#include <QApplication>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/controller.h"
#include "app/real_shell.h"
#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "platform/clock.h"
#include "platform/instance_lock.h"
#include "platform/posix_serial_port.h"
#include "platform/termination.h"
#include "setup/network_setup_file.h"

using namespace tolvane;

namespace {

// The network rig control endpoint --rigctld asks for (nothing without the
// option). A value that is no ADDRESS:PORT makes the command line faulty,
// before the working folder is entered.
std::optional<ListenEndpoint> rigctldEndpoint(CommandLine& cl) {
    if (cl.action != CommandLine::Action::Run || !cl.rigctld) return std::nullopt;
    std::optional<ListenEndpoint> endpoint = parseListenEndpoint(cl.rigctldValue);
    if (!endpoint) {
        cl.action = CommandLine::Action::Error;
        cl.error = "option \"--rigctld\": not an ADDRESS:PORT: \"" + cl.rigctldValue + "\"";
    }
    return endpoint;
}

}  // namespace

int main(int argc, char** argv) {
    // --help, --version and the working folder before any window or file.
    const std::vector<std::string> args(argv + 1, argv + argc);
    const char* home = std::getenv("HOME");
    CommandLine cl = parseCommandLine(args, QtOptions::Skip);
    const std::optional<ListenEndpoint> rigctld = rigctldEndpoint(cl);
    if (const int rc = runEarlyOptions(cl, home ? home : "", stdout, stderr); rc >= 0) return rc;

    QApplication app(argc, argv);
    QApplication::setApplicationName("Tolvane");
    QGuiApplication::setDesktopFileName("tolvane");
    // What Qt left of the command line must be ours alone.
    std::vector<std::string> rest;
    for (const QString& a : QApplication::arguments().mid(1)) rest.push_back(a.toStdString());
    if (const CommandLine left = parseCommandLine(rest, QtOptions::Refused);
        left.action == CommandLine::Action::Error)
        return runEarlyOptions(left, "", stdout, stderr);
    installTerminationSignals();

    InstanceLock lock(".");
    PosixSerialPort radio(".");
    PosixSerialPort cat(".");
    RealClock clock;
    FrmTolvane form;
    RealShell shell(&form, radio, cat);
    Controller c(form, shell, clock, radio, cat);
    c.hooks.rigctldOption = rigctld;

    c.hooks.anotherInstance = [&lock] {
        if (lock.acquire()) return false;
        // Only a lock held by another copy counts; a folder where the lock
        // file cannot be made (read-only) does not stop the panel.
        return errno == EWOULDBLOCK || errno == EAGAIN;
    };
    c.hooks.positionVisible = [&form](int leftTwips, int topTwips) {
        QRect r(vb::twipsToPixels(leftTwips, &form), vb::twipsToPixels(topTwips, &form),
                form.frameGeometry().width(), form.frameGeometry().height());
        for (QScreen* s : QGuiApplication::screens())
            if (s->geometry().intersects(r)) return true;
        return false;
    };
    setTerminationHandler([&c] { c.form_queryUnload(0, 0); });
    c.run();
    return 0;
}
