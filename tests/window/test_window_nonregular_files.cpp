// Settings files that are not regular files: a FIFO, a device or a socket in
// place of a settings file is never opened, counts as missing and is named
// on the information line once start-up is done. A watchdog alarm turns a
// start-up that would block on a FIFO into a failure instead of a hang.
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <QtTest>

#include "panel_harness.h"
#include "radio_fixture.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

void onAlarm(int) {}

// While it lives, a call that blocks is interrupted after `seconds`, and
// every second after that (so that each of several blocking opens ends).
class Watchdog {
  public:
    explicit Watchdog(int seconds) {
        struct sigaction sa {};
        sa.sa_handler = onAlarm;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;  // no restart: the blocked call returns EINTR
        ::sigaction(SIGALRM, &sa, &old_);
        itimerval t{};
        t.it_value.tv_sec = seconds;
        t.it_interval.tv_sec = 1;
        ::setitimer(ITIMER_REAL, &t, nullptr);
    }
    ~Watchdog() {
        itimerval off{};
        ::setitimer(ITIMER_REAL, &off, nullptr);
        ::sigaction(SIGALRM, &old_, nullptr);
    }

  private:
    struct sigaction old_ {};
};

enum Kind { Fifo, Device, Socket, Folder };

bool make(Kind kind, const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    switch (kind) {
        case Fifo:
            return ::mkfifo(p.constData(), 0644) == 0;
        case Device:
            return ::symlink("/dev/null", p.constData()) == 0;
        case Socket: {
            int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            if (fd < 0 || static_cast<size_t>(p.size()) >= sizeof addr.sun_path) return false;
            std::memcpy(addr.sun_path, p.constData(), static_cast<size_t>(p.size()));
            bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
            ::close(fd);
            return ok;
        }
        case Folder:
            return QDir().mkpath(path);
    }
    return false;
}

}  // namespace

class TestNonRegularFiles : public QObject {
    Q_OBJECT
  private slots:
    void fileExistsRefuses_data();
    void fileExistsRefuses();
    void startupWithFifos_data();
    void startupWithFifos();
};

void TestNonRegularFiles::fileExistsRefuses_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("named");
    QTest::newRow("FIFO") << int(Fifo) << "Err 22. Not a regular file (a FIFO), treated as missing"
                          << true;
    QTest::newRow("link to a device")
        << int(Device) << "Err 22. Not a regular file (a character device), treated as missing"
        << true;
    QTest::newRow("socket") << int(Socket)
                            << "Err 22. Not a regular file (a socket), treated as missing" << true;
    QTest::newRow("folder") << int(Folder) << "Err 21. Is a directory" << false;
}

void TestNonRegularFiles::fileExistsRefuses() {
    QFETCH(int, kind);
    QFETCH(QString, reason);
    QFETCH(bool, named);
    QTemporaryDir dir;
    const QString path = dir.filePath("CATSetup.txt");
    QVERIFY(make(static_cast<Kind>(kind), path));
    RadioFixture f;
    Watchdog watchdog(3);
    QVERIFY(!f.link.fileExists(path.toStdString()));
    QCOMPARE(QString::fromStdString(f.panel.info), "fileExists(" + path + "): " + reason);
    QVERIFY(f.panel.infoVisible);
    QCOMPARE(f.link.notRegularFiles.size(), size_t(named ? 1 : 0));
    if (named) QCOMPARE(f.link.notRegularFiles.front(), path.toStdString());
}

// Start-up with FIFOs in place of settings files: it does not block, each
// counts as missing, and the information line names them in the main loop.
void TestNonRegularFiles::startupWithFifos_data() {
    QTest::addColumn<QStringList>("fifos");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QString>("info");
    QTest::newRow("panel state and CAT settings, LOCAL")
        << QStringList{"Tolvaneini.txt", "CATSetup.txt"} << false
        << "Not a regular file, treated as missing: Tolvaneini.txt, CATSetup.txt";
    QTest::newRow("audio settings and permissions, REMOTE")
        << QStringList{"AudioSetup.txt", "Permissions.txt"} << true
        << "Not a regular file, treated as missing: Permissions.txt, AudioSetup.txt";
    QTest::newRow("radio port settings: Port Setup opens")
        << QStringList{"PortSetup.txt"} << false
        << "Not a regular file, treated as missing: PortSetup.txt";
}

void TestNonRegularFiles::startupWithFifos() {
    QFETCH(QStringList, fifos);
    QFETCH(bool, remote);
    QFETCH(QString, info);
    PanelHarness h(Firmware::V601, remote, !fifos.contains("PortSetup.txt"));
    for (const QString& name : fifos) QVERIFY(make(Fifo, name));
    h.shell.onModal = [&](QDialog&) {
        // Port Setup: the operator picks port 1 and applies.
        h.c->state().set.gRadioPort = "1";
        h.c->state().set.gRadioSettings = "9600,O,7,1";
        h.c->state().req.reqPortReopen = true;
    };
    {
        Watchdog watchdog(5);
        QVERIFY(h.runPasses(2));
    }
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->txtInfo)), info);
    QVERIFY(h.ui()->txtInfo->isVisible());
    QCOMPARE(h.shell.modals, fifos.contains("PortSetup.txt") ? 1 : 0);
    QVERIFY(!h.cat.isOpen());
    QVERIFY(!h.c->state().set.gTxUnrestricted);
    if (fifos.contains("AudioSetup.txt")) {
        QCOMPARE(h.c->state().set.gAudSource, std::string("H1"));
        QCOMPARE(h.c->state().set.gDigVox, std::string("V2"));
    }
    // The FIFOs are still there, untouched.
    for (const QString& name : fifos) {
        struct stat sb {};
        QVERIFY(::stat(QFile::encodeName(name).constData(), &sb) == 0 && S_ISFIFO(sb.st_mode));
    }
    // Said once: the next loop entry does not repeat it.
    QVERIFY(h.c->link().notRegularFiles.empty());
}

QTEST_MAIN(TestNonRegularFiles)
#include "test_window_nonregular_files.moc"
