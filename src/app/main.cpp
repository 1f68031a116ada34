// tolvane: the control panel of the Tolvane HF transceiver.
#include <QApplication>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <cerrno>

#include "app/controller.h"
#include "app/real_shell.h"
#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "platform/clock.h"
#include "platform/instance_lock.h"
#include "platform/posix_serial_port.h"
#include "platform/termination.h"

using namespace tolvane;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tolvane");
    installTerminationSignals();

    InstanceLock lock(".");
    PosixSerialPort radio(".");
    PosixSerialPort cat(".");
    RealClock clock;
    FrmTolvane form;
    RealShell shell(&form, radio, cat);
    Controller c(form, shell, clock, radio, cat);

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
