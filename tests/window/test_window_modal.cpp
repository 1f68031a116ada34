// The real shell's event loop while a modal window is open: SIGTERM, SIGINT
// and SIGHUP close the window and then run the close handler (the second
// instance's message just ends the program), and input on the radio and
// CAT ports is taken as it comes instead of keeping the loop awake.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMessageBox>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

#include "app/real_shell.h"
#include "panel/frm_help.h"
#include "panel_harness.h"
#include "platform/posix_serial_port.h"
#include "platform/termination.h"

using namespace tolvane;
using namespace tolvane::test;
using S = Controller::Stage;

namespace {

bool readable(int fd) {
    if (fd < 0) return false;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
}

// Watches the event loop from a timer: once a modal window of the wanted
// kind is open, raises the signal; when nothing served it after three
// seconds, closes the windows itself so that the test ends and fails.
class SignalWhenModal {
  public:
    SignalWhenModal(int sig, std::function<bool(QWidget*)> wanted = {})
        : sig_(sig), wanted_(std::move(wanted)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }
    bool raised = false;
    bool failsafe = false;
    QString modalClass;
    std::function<void(QWidget*)> onModal;  // runs once per modal window seen

  private:
    void tick() {
        QWidget* w = QApplication::activeModalWidget();
        if (w != nullptr && w != seen_) {
            seen_ = w;
            if (onModal) onModal(w);
        }
        if (!raised && w != nullptr && (!wanted_ || wanted_(w))) {
            raised = true;
            modalClass = QString::fromLatin1(w->metaObject()->className());
            ::raise(sig_);
        }
        if (++ticks_ > 300 && w != nullptr) {
            failsafe = true;
            closeModalWindows();
        }
    }
    int sig_;
    std::function<bool(QWidget*)> wanted_;
    QTimer timer_;
    QWidget* seen_ = nullptr;
    int ticks_ = 0;
};

// The panel program with the real shell, on fake ports in virtual time.
struct ModalRig {
    ModalRig() : model(Firmware::V601), radio(clock, &model), cat(clock) {
        QDir::setCurrent(dir.path());
        writeLines("PortSetup.txt", {"1", "9600,O,7,1", "comNone", "0"});
        form = std::make_unique<FrmTolvane>();
        shell = std::make_unique<RealShell>(form.get(), radio, cat);
        shell->exitProgram = [this] { ended = true; };
        c = std::make_unique<Controller>(*form, *shell, clock, radio, cat);
        c->hooks.comPortAvailable = [](int n) { return n == 1; };
        resetTerminationRequest();
        setTerminationHandler([this] {
            ++handlerRuns;
            modalOpenInHandler = QApplication::activeModalWidget() != nullptr;
            c->form_queryUnload(0, 0);
        });
    }
    ~ModalRig() {
        setTerminationHandler({});
        resetTerminationRequest();
        QDir::setCurrent(QDir::tempPath());
    }
    void openRadioPort() {
        PortConfig cfg;
        cfg.portNumber = 1;
        cfg.settings = "9600,O,7,1";
        radio.open(cfg);
    }

    QTemporaryDir dir;
    VirtualClock clock{36000.0};
    RadioModel model;
    FakePort radio;
    FakePort cat;
    std::unique_ptr<FrmTolvane> form;
    std::unique_ptr<RealShell> shell;
    std::unique_ptr<Controller> c;
    bool ended = false;
    int handlerRuns = 0;
    bool modalOpenInHandler = false;
};

// The station's (or radio's) end of a pseudo-terminal whose slave is
// linked as ports/COM<n> in a folder.
struct PtyEnd {
    PtyEnd(const QString& folder, int n) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        termios tio{};
        if (::tcgetattr(master, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(master, TCSANOW, &tio);
        }
        QDir(folder).mkpath("ports");
        QFile::link(QString::fromLatin1(::ptsname(master)),
                    folder + "/ports/COM" + QString::number(n));
    }
    ~PtyEnd() {
        if (master >= 0) ::close(master);
    }
    void write(const char* text) { (void)!::write(master, text, std::strlen(text)); }
    int master = -1;
};

}  // namespace

class TestWindowModal : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { installTerminationSignals(); }
    void modalWindowsServeSignals_data();
    void modalWindowsServeSignals();
    void signalDuringSecondInstanceMessage();
    void signalInTheLoopsYield();
    void portInputDuringModalWindowIsTaken();
};

enum Opener {
    PortSetupMenu,
    PortSetupStartup,
    CatSetup,
    AudioSetup,
    About,
    StuckPtt,
    BoxOverAbout
};

void TestWindowModal::modalWindowsServeSignals_data() {
    QTest::addColumn<int>("opener");
    QTest::addColumn<int>("sig");
    QTest::addColumn<QString>("window");
    QTest::newRow("Port Setup from the menu, SIGTERM")
        << int(PortSetupMenu) << SIGTERM << "tolvane::FrmPortSetup";
    QTest::newRow("Port Setup at start-up, SIGINT")
        << int(PortSetupStartup) << SIGINT << "tolvane::FrmPortSetup";
    QTest::newRow("CAT Setup, SIGHUP") << int(CatSetup) << SIGHUP << "tolvane::FrmCATSetup";
    QTest::newRow("Audio Setup, SIGTERM") << int(AudioSetup) << SIGTERM << "tolvane::FrmAudioSetup";
    QTest::newRow("About, SIGINT") << int(About) << SIGINT << "tolvane::FrmHelp";
    QTest::newRow("stuck push-to-talk message, SIGHUP") << int(StuckPtt) << SIGHUP << "QMessageBox";
    QTest::newRow("message box over the About box, SIGTERM")
        << int(BoxOverAbout) << SIGTERM << "QMessageBox";
}

void TestWindowModal::modalWindowsServeSignals() {
    QFETCH(int, opener);
    QFETCH(int, sig);
    QFETCH(QString, window);
    ModalRig rig;
    auto* ui = FormAccess::ui(*rig.form);
    const bool portOpen = opener != PortSetupStartup;
    if (portOpen) rig.openRadioPort();
    std::function<bool(QWidget*)> wanted;
    if (opener == BoxOverAbout)
        wanted = [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; };
    SignalWhenModal raiser(sig, wanted);
    if (opener == BoxOverAbout) {
        // A window of the About box's own opens a message box of its own.
        raiser.onModal = [](QWidget* w) {
            if (qobject_cast<FrmHelp*>(w) == nullptr) return;
            QTimer::singleShot(0, w, [w] {
                QMessageBox box(QMessageBox::NoIcon, "Tolvane", "Over the About box",
                                QMessageBox::Ok, w);
                box.exec();
            });
        };
    }
    switch (opener) {
        case PortSetupMenu:
            ui->mnuPortSetup->trigger();
            break;
        case PortSetupStartup:
            QFile::remove("PortSetup.txt");
            QCOMPARE(rig.c->step(S::Prepare), S::OpenPort);
            break;
        case CatSetup:
            ui->mnuCATSetup->trigger();
            break;
        case AudioSetup:
            ui->mnuAudioSetup->trigger();
            break;
        case About:
        case BoxOverAbout:
            ui->mnuHelpAbout->trigger();
            break;
        case StuckPtt:
            rig.c->state().st.gExtPttEnabled = true;
            rig.radio.setDsr(false);
            rig.c->step(S::LoopEntry);
            break;
    }
    QVERIFY(raiser.raised);
    QCOMPARE(raiser.modalClass, window);
    QVERIFY2(!raiser.failsafe, "the signal was not served while the window was open");
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    // The close handler ran once, after the window had closed.
    QCOMPARE(rig.handlerRuns, 1);
    QVERIFY(!rig.modalOpenInHandler);
    QVERIFY(rig.ended);
    QVERIFY(QFile::exists("Tolvaneini.txt"));
    if (portOpen) {
        QVERIFY(rig.radio.allWritten().find("G00\n") != std::string::npos);
        QVERIFY(!rig.radio.isOpen());
    }
    // The wake-up pipe is empty again: nothing keeps firing.
    QVERIFY(!readable(terminationFd()));
}

// A second copy shows its message; a signal closes it and the program ends
// without touching a file or a port.
void TestWindowModal::signalDuringSecondInstanceMessage() {
    ModalRig rig;
    rig.c->hooks.anotherInstance = [] { return true; };
    SignalWhenModal raiser(SIGTERM);
    bool stopped = false;
    try {
        rig.c->step(S::Prepare);
    } catch (const StopRunning&) {
        stopped = true;
    }
    QVERIFY(stopped);
    QVERIFY(raiser.raised);
    QCOMPARE(raiser.modalClass, QString("QMessageBox"));
    QVERIFY2(!raiser.failsafe, "the signal was not served while the message was open");
    QVERIFY(rig.ended);
    QVERIFY(!QFile::exists("Tolvaneini.txt"));
    QCOMPARE(rig.radio.openCount(), 0);
    QCOMPARE(rig.cat.openCount(), 0);
    QVERIFY(!readable(terminationFd()));
}

// Without a modal window the main loop's yield serves the signal, and the
// wake-up pipe is left empty.
void TestWindowModal::signalInTheLoopsYield() {
    ModalRig rig;
    rig.openRadioPort();
    ::raise(SIGTERM);
    rig.shell->setNextWait(0.0);
    rig.shell->yield();
    QCOMPARE(rig.handlerRuns, 1);
    QVERIFY(rig.ended);
    QVERIFY(!readable(terminationFd()));
    rig.shell->yield();
    QCOMPARE(rig.handlerRuns, 1);
}

// Radio and CAT input while a modal window is open reaches the ports (and
// their event handlers) as it comes; the devices are left empty, so the
// window's event loop goes back to sleep instead of spinning.
void TestWindowModal::portInputDuringModalWindowIsTaken() {
    QTemporaryDir dir;
    PtyEnd radioEnd(dir.path(), 1);
    PtyEnd catEnd(dir.path(), 2);
    QVERIFY(radioEnd.master >= 0 && catEnd.master >= 0);
    PosixSerialPort radio(dir.path().toStdString());
    PosixSerialPort cat(dir.path().toStdString());
    PortConfig cfg;
    cfg.portNumber = 1;
    cfg.settings = "9600,N,8,1";
    cfg.receiveThreshold = 1;
    radio.open(cfg);
    cfg.portNumber = 2;
    cfg.receiveThreshold = 3;
    cat.open(cfg);
    int radioEvents = 0, catEvents = 0;
    radio.setEventHandler([&](int e) { radioEvents += e == comm::kEvReceive; });
    cat.setEventHandler([&](int e) { catEvents += e == comm::kEvReceive; });
    RealShell shell(nullptr, radio, cat);
    shell.setNextWait(0.0);
    shell.yield();  // the main loop's yield ran before the menu opened the window

    QDialog dialog;
    int wakeups = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &dialog, [&] { ++wakeups; });
    int ticks = 0, quietTicks = -1, wakeupsBefore = 0;
    bool drained = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, &dialog, [&] {
        ++ticks;
        if (ticks == 2) {
            radioEnd.write("F1407400\nM1\n");
            catEnd.write("FA;MD;");
        }
        if (quietTicks < 0 && radioEvents > 0 && catEvents > 0) {
            quietTicks = 0;
            wakeupsBefore = wakeups;
        } else if (quietTicks >= 0 && ++quietTicks == 20) {
            drained = !readable(radio.notifyFd()) && !readable(cat.notifyFd());
            dialog.reject();
        }
        if (ticks > 300) dialog.reject();  // never served: the test fails below
    });
    timer.start();
    shell.showModal(dialog);
    timer.stop();
    QVERIFY2(radioEvents > 0, "radio input was not taken while the window was open");
    QVERIFY2(catEvents > 0, "CAT input was not taken while the window was open");
    QVERIFY(drained);
    QCOMPARE(radio.input(), std::string("F1407400\nM1\n"));
    QCOMPARE(cat.input(), std::string("FA;MD;"));
    // 20 timer ticks: the loop woke for those and little else.
    const int idleWakeups = wakeups - wakeupsBefore;
    QVERIFY2(idleWakeups < 200, QByteArray::number(idleWakeups));
}

QTEST_MAIN(TestWindowModal)
#include "test_window_modal.moc"
