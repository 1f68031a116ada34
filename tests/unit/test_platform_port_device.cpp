// The port layer and the device behind a port number: the probe that never
// opens a device, what a refused line setting says, a lost port that comes
// back only on the device it had (a ports/COM<n> link removed and made
// again), and breaks told from NULs received with an error.
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "platform/device_probe.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"
#include "pty_pair.h"

using namespace tolvane;
using tolvane::test::linkPort;
using tolvane::test::Pty;
using tolvane::test::unlinkPort;

Q_DECLARE_METATYPE(tolvane::DeviceProbe)
Q_DECLARE_METATYPE(tolvane::LostDevice)

namespace {

PortConfig configFor(int n, const std::string& settings = "9600,O,7,1") {
    PortConfig config;
    config.portNumber = n;
    config.settings = settings;
    return config;
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// A folder standing in for /proc and /sys, with the terminal driver table of
// a machine that has a UART and pseudo-terminals.
struct FakeTables {
    FakeTables() {
        QVERIFY(QDir(dir.path()).mkpath("proc/tty"));
        tables.proc = dir.path().toStdString() + "/proc";
        tables.sys = dir.path().toStdString() + "/sys";
        drivers(
            "/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
            "/dev/console         /dev/console    5       1 system:console\n"
            "serial               /dev/ttyS       4 64-111 serial\n"
            "pty_slave            /dev/pts      136 0-1048575 pty:slave\n"
            "unknown              /dev/tty        4 1-63 console\n");
        locks("");
    }
    void drivers(const std::string& text) { writeFile(tables.proc + "/tty/drivers", text); }
    void locks(const std::string& text) { writeFile(tables.proc + "/locks", text); }
    QTemporaryDir dir;
    SystemTables tables;
};

// The "<fs major>:<fs minor>:<inode>" key /proc/locks gives a file.
std::string lockKey(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return "none";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02x:%02x:%lu", ::major(st.st_dev), ::minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    return buf;
}

// Something that counts the openings of a file.
class OpenWatch {
  public:
    explicit OpenWatch(const std::string& path) {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0) ok_ = inotify_add_watch(fd_, path.c_str(), IN_OPEN) >= 0;
    }
    ~OpenWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return ok_; }
    int opens() {
        char buf[4096] __attribute__((aligned(8)));
        for (;;) {
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            for (ssize_t i = 0; i < n;) {
                auto* ev = reinterpret_cast<inotify_event*>(buf + i);
                if ((ev->mask & IN_OPEN) != 0) ++opens_;
                i += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
            }
        }
        return opens_;
    }

  private:
    int fd_ = -1;
    bool ok_ = false;
    int opens_ = 0;
};

}  // namespace

class TestPlatformPortDevice : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();

    void settingsFault_data();
    void settingsFault();
    void refusedSettingsSayWhich_data();
    void refusedSettingsSayWhich();
    void errorKinds_data();
    void errorKinds();
    void reopenWithParityOnPseudoTerminal();

    void probeNeverOpens();
    void probeReadsTheTables_data();
    void probeReadsTheTables();
    void probeWithoutTables();
    void openLeavesAHeldPortAlone();
    void identityOfAPath();

    void lostPortLinkRemovedAndMadeAgain();
    void lostPortLinkToAnotherDevice();
    void lostPortNotOnTheFallbackDevice();
    void lostPortHeldBySomeoneElse();
    void failedOpeningForgetsTheDevice();

    void breakCounter();
    void markLikeBytesFromAPseudoTerminal();

  private:
    bool ptyWorks_ = false;
};

#define REQUIRE_PTY() \
    if (!ptyWorks_) QSKIP("no pseudo-terminals on this machine")

void TestPlatformPortDevice::initTestCase() {
    Pty pty;
    ptyWorks_ = pty.ok();
}

void TestPlatformPortDevice::settingsFault_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fault");
    QTest::newRow("usable") << "9600,O,7,1"
                            << "";
    QTest::newRow("usable with blanks") << "19200 ,N, 8, 1"
                                        << "";
    QTest::newRow("everything wrong") << "12345,Q,9,3"
                                      << "speed 12345, parity Q, data bits 9, stop bits 3";
    QTest::newRow("speed only") << "14400,O,7,1"
                                << "speed 14400";
    QTest::newRow("parity only") << "9600,X,7,1"
                                 << "parity X";
    QTest::newRow("data bits only") << "9600,O,4,1"
                                    << "data bits 4";
    QTest::newRow("one and a half stop bits") << "9600,N,8,1.5"
                                              << "stop bits 1.5";
    QTest::newRow("empty fields") << ",,,"
                                  << "speed missing, parity missing, data bits missing, "
                                     "stop bits missing";
    QTest::newRow("three fields") << "9600,O,7"
                                  << "not speed,parity,data bits,stop bits";
    QTest::newRow("word") << "fast"
                          << "not speed,parity,data bits,stop bits";
}

void TestPlatformPortDevice::settingsFault() {
    QFETCH(QString, text);
    QFETCH(QString, fault);
    QCOMPARE(QString::fromStdString(lineSettingsFault(text.toStdString())), fault);
    QCOMPARE(parseLineSettings(text.toStdString()).has_value(), fault.isEmpty());
}

void TestPlatformPortDevice::refusedSettingsSayWhich_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unusable text")
        << "12345,Q,9,3"
        << "line settings \"12345,Q,9,3\" refused: speed 12345, parity Q, "
           "data bits 9, stop bits 3";
    QTest::newRow("empty") << ""
                           << "line settings \"\" refused: not speed,parity,data bits,stop bits";
}

// The settings are judged before the device is opened, and the message
// names the device and every refused field.
void TestPlatformPortDevice::refusedSettingsSayWhich() {
    REQUIRE_PTY();
    QFETCH(QString, settings);
    QFETCH(QString, reason);
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 3, pty.slave()));
    OpenWatch watch(pty.slave());
    QVERIFY(watch.ok());
    PosixSerialPort port(dir.path().toStdString());
    try {
        port.open(configFor(3, settings.toStdString()));
        QFAIL("open succeeded");
    } catch (const PortError& e) {
        QCOMPARE(e.fault(), PortFault::RefusedSetting);
        QCOMPARE(e.number(), 380);
        const std::string device = dir.path().toStdString() + "/ports/COM3";
        QCOMPARE(e.device(), device);
        QCOMPARE(QString::fromStdString(e.reason()), reason);
        QCOMPARE(std::string(e.what()), device + ": " + reason.toStdString());
    }
    QCOMPARE(watch.opens(), 0);
    QVERIFY(!port.isOpen());
}

void TestPlatformPortDevice::errorKinds_data() {
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("reason");
    QTest::newRow("dangling link")
        << 7 << int(PortFault::Gone) << int(ENOENT) << QString::fromLatin1(std::strerror(ENOENT));
    QTest::newRow("not a terminal")
        << 6 << int(PortFault::Other) << int(ENOTTY) << QString("not a serial port");
    QTest::newRow("held by another port")
        << 3 << int(PortFault::Busy) << int(EBUSY) << QString("Port in use");
}

void TestPlatformPortDevice::errorKinds() {
    REQUIRE_PTY();
    QFETCH(int, portNumber);
    QFETCH(int, fault);
    QFETCH(int, number);
    QFETCH(QString, reason);
    Pty pty;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 3, pty.slave()));
    QVERIFY(linkPort(dir, 7, folder + "/nothing"));
    QVERIFY(linkPort(dir, 6, "/dev/null"));
    PosixSerialPort holder(folder);
    holder.open(configFor(3));
    PosixSerialPort port(folder);
    try {
        port.open(configFor(portNumber));
        QFAIL("open succeeded");
    } catch (const PortError& e) {
        QCOMPARE(int(e.fault()), fault);
        QCOMPARE(e.number(), number);
        QCOMPARE(e.device(), folder + "/ports/COM" + std::to_string(portNumber));
        QCOMPARE(QString::fromStdString(e.reason()), reason);
    }
}

// The kernel keeps a pseudo-terminal at 8 bits without parity; the second
// opening with odd parity used to fail with EINVAL (the C library's check
// of a setting the driver quietly kept).
void TestPlatformPortDevice::reopenWithParityOnPseudoTerminal() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    for (const char* settings : {"9600,O,7,1", "9600,O,7,1", "300,E,7,2", "9600,O,7,1"}) {
        try {
            port.open(configFor(2, settings));
        } catch (const PortError& e) {
            QFAIL(qPrintable(QString("%1: %2").arg(settings, e.what())));
        }
        port.write("?\n");
        QCOMPARE(pty.receive(2), std::string("?\n"));
        port.close();
    }
}

// The probe of a free pseudo-terminal finds it available without opening
// it: no open, so no DTR or RTS change on a real port.
void TestPlatformPortDevice::probeNeverOpens() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 3, pty.slave()));
    OpenWatch watch(pty.slave());
    QVERIFY(watch.ok());
    for (int i = 0; i < 5; ++i) QVERIFY(ComPortAvailable(3, folder));
    DeviceProbeResult r = probeDevice(folder + "/ports/COM3");
    QCOMPARE(r.state, DeviceProbe::Free);
    QVERIFY(r.pseudoTerminal);
    QCOMPARE(watch.opens(), 0);
    // Held by a port: locked, and still never opened by the probe.
    PosixSerialPort port(folder);
    port.open(configFor(3));
    QCOMPARE(watch.opens(), 1);
    QVERIFY(!ComPortAvailable(3, folder));
    QCOMPARE(probeDevice(pty.slave()).state, DeviceProbe::Locked);
    QCOMPARE(watch.opens(), 1);
}

void TestPlatformPortDevice::probeReadsTheTables_data() {
    QTest::addColumn<QString>("drivers");  // empty: the standard table
    QTest::addColumn<bool>("locked");
    QTest::addColumn<DeviceProbe>("state");
    QTest::newRow("pseudo-terminal, free") << QString() << false << DeviceProbe::Free;
    QTest::newRow("pseudo-terminal, locked") << QString() << true << DeviceProbe::Locked;
    QTest::newRow("driver is a console") << "pty_slave /dev/pts 136 0-1048575 console\n"
                                         << false << DeviceProbe::NotSerial;
    QTest::newRow("driver is a system terminal")
        << "pty_slave /dev/pts 136 0-1048575 system:/dev/tty\n"
        << false << DeviceProbe::NotSerial;
    QTest::newRow("no driver claims it") << "serial /dev/ttyS 4 64-111 serial\n"
                                         << false << DeviceProbe::NotSerial;
    QTest::newRow("minor outside the range") << "pty_slave /dev/pts 136 1048000-1048575 pty:slave\n"
                                             << false << DeviceProbe::NotSerial;
}

// The device is a real pseudo-terminal; the kernel's tables are stand-ins.
void TestPlatformPortDevice::probeReadsTheTables() {
    REQUIRE_PTY();
    QFETCH(QString, drivers);
    QFETCH(bool, locked);
    QFETCH(DeviceProbe, state);
    Pty pty;
    FakeTables t;
    if (!drivers.isEmpty()) t.drivers(drivers.toStdString());
    if (locked)
        t.locks("1: FLOCK  ADVISORY  WRITE 4242 " + lockKey(pty.slave()) + " 0 EOF\n" +
                "2: POSIX  ADVISORY  WRITE 4243 00:01:999999 0 EOF\n");
    else
        t.locks("1: FLOCK  ADVISORY  WRITE 4242 00:01:999999 0 EOF\n");
    QCOMPARE(probeDevice(pty.slave(), t.tables).state, state);
}

// Without readable tables the probe still tells a character device from
// anything else, and leaves the rest to the opening.
void TestPlatformPortDevice::probeWithoutTables() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    SystemTables none{dir.path().toStdString() + "/no-proc", dir.path().toStdString() + "/no-sys"};
    QCOMPARE(probeDevice(pty.slave(), none).state, DeviceProbe::Free);
    const std::string file = dir.path().toStdString() + "/plain";
    writeFile(file, "x");
    QCOMPARE(probeDevice(file, none).state, DeviceProbe::NotSerial);
    DeviceProbeResult missing = probeDevice(dir.path().toStdString() + "/gone", none);
    QCOMPARE(missing.state, DeviceProbe::Missing);
    QCOMPARE(missing.err, int(ENOENT));
    QCOMPARE(probeDevice("", none).state, DeviceProbe::Missing);
}

// A port that another program holds is refused before it is opened, so
// its modem lines are not touched.
void TestPlatformPortDevice::openLeavesAHeldPortAlone() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 3, pty.slave()));
    PosixSerialPort holder(folder);
    holder.open(configFor(3));
    OpenWatch watch(pty.slave());
    QVERIFY(watch.ok());
    PosixSerialPort second(folder);
    QVERIFY_THROWS_EXCEPTION(PortError, second.open(configFor(3)));
    QCOMPARE(watch.opens(), 0);
}

void TestPlatformPortDevice::identityOfAPath() {
    REQUIRE_PTY();
    Pty a;
    Pty b;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 1, a.slave()));
    QVERIFY(linkPort(dir, 2, b.slave()));
    QVERIFY(linkPort(dir, 3, folder + "/nothing"));
    std::optional<DeviceIdentity> one = deviceIdentity(folder + "/ports/COM1");
    QVERIFY(one.has_value());
    QCOMPARE(one->target, a.slave());
    struct stat st;
    QCOMPARE(::stat(a.slave().c_str(), &st), 0);
    QCOMPARE(one->rdev, static_cast<unsigned long long>(st.st_rdev));
    QCOMPARE(deviceIdentity(a.slave()), one);
    QVERIFY(deviceIdentity(folder + "/ports/COM2") != one);
    QVERIFY(!deviceIdentity(folder + "/ports/COM3").has_value());
    QVERIFY(!deviceIdentity(folder).has_value());  // a folder is no device
    QCOMPARE(portDisplayName("./ports/COM1"), std::string("ports/COM1"));
    QCOMPARE(portDisplayName("/dev/ttyS0"), std::string("/dev/ttyS0"));
}

// The link goes away and comes back to the same device: reopened there,
// with the same settings.
void TestPlatformPortDevice::lostPortLinkRemovedAndMadeAgain() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(folder);
    QCOMPARE(port.lostDevice().where, LostDevice::Missing);  // never opened
    port.open(configFor(2, "4800,O,7,1"));
    QCOMPARE(port.lostDevice().where, LostDevice::Missing);  // open: nothing lost
    port.close();
    QVERIFY(unlinkPort(dir, 2));
    LostDeviceState s = port.lostDevice();
    QCOMPARE(s.where, LostDevice::Missing);
    QCOMPARE(s.path, folder + "/ports/COM2");
    QCOMPARE(s.had, pty.slave());
    try {
        port.reopenLost();
        QFAIL("reopened without its link");
    } catch (const PortError& e) {
        QCOMPARE(e.fault(), PortFault::Gone);
    }
    QVERIFY(!port.isOpen());

    QVERIFY(linkPort(dir, 2, pty.slave()));
    QCOMPARE(port.lostDevice().where, LostDevice::Back);
    port.reopenLost();
    QVERIFY(port.isOpen());
    QCOMPARE(port.settingsText(), std::string("4800,O,7,1"));
    struct termios t;
    QCOMPARE(tcgetattr(port.notifyFd(), &t), 0);
    QCOMPARE(cfgetospeed(&t), speed_t(B4800));
    port.write("?\n");
    QCOMPARE(pty.receive(2), std::string("?\n"));
}

// The link now leads to another pseudo-terminal: not opened, and said.
void TestPlatformPortDevice::lostPortLinkToAnotherDevice() {
    REQUIRE_PTY();
    Pty first;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 1, first.slave()));
    PosixSerialPort port(folder);
    port.open(configFor(1));
    // The radio's end goes away (the simulator killed); this test keeps the
    // old device's number taken, so the next one is surely another device.
    const int keep = ::open(first.slave().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(keep >= 0);
    first.closeMaster();
    QVERIFY_THROWS_EXCEPTION(PortError, port.inBufferCount());
    port.close();
    Pty second;
    QVERIFY(second.slave() != first.slave());
    QVERIFY(unlinkPort(dir, 1));
    QVERIFY(linkPort(dir, 1, second.slave()));
    OpenWatch watch(second.slave());
    QVERIFY(watch.ok());
    LostDeviceState s = port.lostDevice();
    QCOMPARE(s.where, LostDevice::Replaced);
    QCOMPARE(s.had, first.slave());
    QCOMPARE(s.now, second.slave());
    try {
        port.reopenLost();
        QFAIL("opened another device");
    } catch (const PortError& e) {
        QCOMPARE(e.fault(), PortFault::Gone);
        QCOMPARE(e.reason(), "leads to " + second.slave() + " now, not to " + first.slave());
    }
    QVERIFY(!port.isOpen());
    QCOMPARE(watch.opens(), 0);
    // Port Setup applied: the number is resolved afresh.
    port.open(configFor(1));
    QCOMPARE(port.openedDevice().target, second.slave());
    ::close(keep);
}

// With its link gone, port 2 would map to /dev/ttyS1; a lost port never
// goes there.
void TestPlatformPortDevice::lostPortNotOnTheFallbackDevice() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(folder);
    port.open(configFor(2));
    port.close();
    QVERIFY(unlinkPort(dir, 2));
    QCOMPARE(portDevicePath(2, folder), std::string("/dev/ttyS1"));
    QCOMPARE(port.lostDevice().where, LostDevice::Missing);
    QVERIFY_THROWS_EXCEPTION(PortError, port.reopenLost());
    QVERIFY(!port.isOpen());
    QCOMPARE(port.devicePath(), std::string());
}

void TestPlatformPortDevice::lostPortHeldBySomeoneElse() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(folder);
    port.open(configFor(2));
    port.close();
    {
        PosixSerialPort other(folder);
        other.open(configFor(2));
        QCOMPARE(port.lostDevice().where, LostDevice::Busy);
        try {
            port.reopenLost();
            QFAIL("reopened a held port");
        } catch (const PortError& e) {
            QCOMPARE(e.fault(), PortFault::Busy);
        }
    }
    QCOMPARE(port.lostDevice().where, LostDevice::Back);
    port.reopenLost();
    QVERIFY(port.isOpen());
}

// After an opening that failed the port has no device of its own any more:
// nothing is reopened behind the operator's back.
void TestPlatformPortDevice::failedOpeningForgetsTheDevice() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(folder);
    port.open(configFor(2));
    port.close();
    QCOMPARE(port.lostDevice().where, LostDevice::Back);
    QVERIFY_THROWS_EXCEPTION(PortError, port.open(configFor(5)));
    QCOMPARE(port.lostDevice().where, LostDevice::Missing);
    QVERIFY_THROWS_EXCEPTION(PortError, port.reopenLost());
    QCOMPARE(port.openedDevice(), DeviceIdentity{});
}

void TestPlatformPortDevice::breakCounter() {
    BreakCounter c;
    c.reset(5);
    QCOMPARE(c.update(5, 10.0), 0);
    QCOMPARE(c.update(7, 10.1), 2);  // two breaks counted
    c.consumed(1, 10.1);             // one mark in the data just read
    QCOMPARE(c.update(7, 10.2), 1);
    c.consumed(0, 10.2);  // its mark is still on the way: kept
    QCOMPARE(c.update(7, 10.3), 1);
    // Data read long after it was counted did not hold its mark (lost in an
    // overflow): forgotten.
    c.consumed(0, 10.1 + BreakCounter::kMatchWindow + 0.01);
    QCOMPARE(c.update(7, 11.0), 0);
    // A break counted long ago but read only now (the panel was busy) is
    // matched: the window runs from when the count was seen.
    QCOMPARE(c.update(8, 20.0), 1);
    c.consumed(1, 20.0);
    QCOMPARE(c.update(8, 20.1), 0);
    c.consumed(5, 20.1);  // more marks than breaks: nothing below zero
    QCOMPARE(c.update(8, 20.2), 0);
    QCOMPARE(c.update(std::nullopt, 20.3), 0);  // the counter could not be read
    QCOMPARE(c.update(9, 20.4), 1);             // still counted from 8
    QCOMPARE(c.update(3, 20.5), 1);             // a counter that went back adds nothing
    QCOMPARE(c.update(4, 20.6), 2);
    BreakCounter none;
    none.reset(std::nullopt);  // a driver without the counter
    QCOMPARE(none.update(std::nullopt, 1.0), 0);
    QCOMPARE(none.update(std::nullopt, 2.0), 0);
    c.reset(100);
    QCOMPARE(c.update(100 + 1000, 30.0), int(BreakCounter::kMaxPending));
}

// A pseudo-terminal cannot carry a break or a parity error: bytes that look
// like a mark are data (the driver doubles 0xFF), never event 1001.
void TestPlatformPortDevice::markLikeBytesFromAPseudoTerminal() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    port.open(configFor(2));
    QVERIFY(pty.send(std::string("M\377\0\0\n", 5)));
    std::string got;
    for (int i = 0; i < 100 && got.size() < 3; ++i) {
        port.waitReadable(0.05);
        got += port.input();
    }
    QCOMPARE(got, std::string("M\377\n"));
    std::vector<int> events;
    port.setEventHandler([&events](int e) { events.push_back(e); });
    port.dispatchEvents();
    QVERIFY(events.empty());
    QCOMPARE(port.commEvent(), 0);
}

QTEST_GUILESS_MAIN(TestPlatformPortDevice)
#include "test_platform_port_device.moc"
