// tolvane: the control panel of the Tolvane HF transceiver.
#include <QApplication>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string_view>

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

// "--rigctld" or "--rigctld=ADDRESS:PORT" starts the network rig control
// endpoint. False (with a message) when its value is not usable.
bool takeRigctldOption(int argc, char** argv, std::optional<ListenEndpoint>& endpoint) {
    constexpr std::string_view kOption = "--rigctld";
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!arg.starts_with(kOption)) continue;
        std::string_view rest = arg.substr(kOption.size());
        if (!rest.empty() && rest[0] != '=') continue;
        if (!rest.empty()) rest.remove_prefix(1);
        endpoint = parseListenEndpoint(rest);
        if (!endpoint) {
            std::fprintf(stderr, "tolvane: --rigctld: not an ADDRESS:PORT: %.*s\n",
                         static_cast<int>(rest.size()), rest.data());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<ListenEndpoint> rigctld;
    if (!takeRigctldOption(argc, argv, rigctld)) return 2;
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
    c.rigctldOption = rigctld;

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
