// The serial devices the setup dialogs offer and the ports/COMn links they
// write: the order of the list over a scratch /dev of pseudo-terminals, what
// is left out (not a terminal, gone, listed twice), the labels and the
// dialout note, and link writing with its refusals.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <memory>

#include "platform/port_map.h"
#include "platform/serial_devices.h"
#include "pty_pair.h"

using namespace tolvane;
using tolvane::test::Pty;

namespace {

bool link(const std::string& target, const QString& name) {
    QDir().mkpath(QFileInfo(name).path());
    return ::symlink(target.c_str(), name.toLocal8Bit().constData()) == 0;
}

std::string readLink(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n));
}

}  // namespace

class TestPlatformSerialDevices : public QObject {
    Q_OBJECT

  private slots:
    void listingOrderAndFilter();
    void emptyWhenNothingThere();
    void deviceWithoutPermission();
    void labels_data();
    void labels();
    void dialoutNote();
    void writeLinkCreatesAndReplaces();
    void writeLinkRefuses_data();
    void writeLinkRefuses();
};

void TestPlatformSerialDevices::listingOrderAndFilter() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString dev = tmp.path() + "/dev";
    const QString work = tmp.path() + "/work";
    QVERIFY(QDir().mkpath(dev));
    QVERIFY(QDir().mkpath(work + "/ports"));
    std::vector<std::unique_ptr<Pty>> ptys;
    for (int i = 0; i < 6; ++i) {
        ptys.push_back(std::make_unique<Pty>());
        QVERIFY(ptys.back()->ok());
    }
    QVERIFY(link(ptys[0]->slave(), dev + "/serial/by-id/usb-FTDI_B"));
    QVERIFY(link(ptys[1]->slave(), dev + "/serial/by-id/usb-FTDI_A"));
    QVERIFY(link(ptys[2]->slave(), dev + "/ttyUSB10"));
    QVERIFY(link(ptys[3]->slave(), dev + "/ttyUSB2"));
    QVERIFY(link(ptys[0]->slave(), dev + "/ttyUSB0"));  // the by-id name already lists it
    QVERIFY(link(ptys[4]->slave(), dev + "/ttyACM0"));
    QVERIFY(link("/nonexistent/tty", dev + "/ttyS1"));  // gone
    QFile plain(dev + "/ttyS0");                        // not a device
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(link(ptys[3]->slave(), dev + "/ttyUSBx"));  // not a numbered name
    QVERIFY(link(ptys[5]->slave(), work + "/ports/COM3"));
    QVERIFY(link(ptys[2]->slave(), work + "/ports/COM1"));  // already listed
    QVERIFY(link("/nonexistent/pts", work + "/ports/COM2"));
    QVERIFY(link("/dev/null", work + "/ports/COM4"));  // not a pseudo-terminal

    DeviceFolders where;
    where.dev = dev.toStdString();
    const std::vector<SerialDevice> list = listSerialDevices(work.toStdString(), where);
    std::vector<std::string> paths;
    for (const SerialDevice& d : list) paths.push_back(d.path);
    const std::string d = dev.toStdString();
    const std::vector<std::string> want = {d + "/serial/by-id/usb-FTDI_A",
                                           d + "/serial/by-id/usb-FTDI_B",
                                           d + "/ttyUSB2",
                                           d + "/ttyUSB10",
                                           d + "/ttyACM0",
                                           ptys[5]->slave()};
    QCOMPARE(paths, want);
    for (const SerialDevice& s : list) {
        QVERIFY(s.pseudoTerminal);  // everything here is a pseudo-terminal
        QVERIFY(s.accessible);      // this user made them
        QVERIFY(!s.inUse);
    }
}

void TestPlatformSerialDevices::emptyWhenNothingThere() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    DeviceFolders where;
    where.dev = (tmp.path() + "/nodev").toStdString();
    QVERIFY(listSerialDevices((tmp.path() + "/nowork").toStdString(), where).empty());
}

void TestPlatformSerialDevices::deviceWithoutPermission() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString dev = tmp.path() + "/dev";
    QVERIFY(QDir().mkpath(dev));
    Pty a;
    Pty b;
    QVERIFY(a.ok() && b.ok());
    QVERIFY(link(a.slave(), dev + "/ttyUSB0"));
    QVERIFY(link(b.slave(), dev + "/ttyUSB1"));
    DeviceFolders where;
    where.dev = dev.toStdString();
    std::vector<std::string> asked;
    const std::string refused = where.dev + "/ttyUSB1";
    where.mayOpen = [&asked, refused](const std::string& path) {
        asked.push_back(path);
        return path != refused;
    };
    const std::vector<SerialDevice> list = listSerialDevices(tmp.path().toStdString(), where);
    QCOMPARE(list.size(), std::size_t(2));
    QCOMPARE(asked, (std::vector<std::string>{where.dev + "/ttyUSB0", refused}));
    QVERIFY(list[0].accessible);
    QVERIFY(!list[1].accessible);
    QCOMPARE(serialDeviceLabel(list[1]), refused + " (pseudo-terminal) (no permission)");
    QVERIFY(serialDeviceAccessNote(list[1]).find("group dialout") != std::string::npos);
    QCOMPARE(serialDeviceAccessNote(list[0]), std::string());
    // Without a check of its own the listing asks the system: this user made
    // the pseudo-terminals, so it may open them.
    where.mayOpen = nullptr;
    for (const SerialDevice& d : listSerialDevices(tmp.path().toStdString(), where))
        QVERIFY(d.accessible);
}

void TestPlatformSerialDevices::labels_data() {
    QTest::addColumn<bool>("pty");
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<bool>("inUse");
    QTest::addColumn<QString>("label");
    QTest::newRow("plain") << false << true << false << "/dev/ttyUSB0";
    QTest::newRow("pty") << true << true << false << "/dev/ttyUSB0 (pseudo-terminal)";
    QTest::newRow("no permission") << false << false << false << "/dev/ttyUSB0 (no permission)";
    QTest::newRow("in use") << false << true << true << "/dev/ttyUSB0 (in use)";
    QTest::newRow("all") << true << false << true
                         << "/dev/ttyUSB0 (pseudo-terminal) (no permission) (in use)";
}

void TestPlatformSerialDevices::labels() {
    SerialDevice d;
    d.path = "/dev/ttyUSB0";
    QFETCH(bool, pty);
    QFETCH(bool, accessible);
    QFETCH(bool, inUse);
    d.pseudoTerminal = pty;
    d.accessible = accessible;
    d.inUse = inUse;
    QTEST(QString::fromStdString(serialDeviceLabel(d)), "label");
}

void TestPlatformSerialDevices::dialoutNote() {
    SerialDevice d;
    d.path = "/dev/ttyUSB0";
    QCOMPARE(serialDeviceAccessNote(d), std::string());
    d.accessible = false;
    QCOMPARE(serialDeviceAccessNote(d),
             std::string("You may not open /dev/ttyUSB0: serial devices belong to the group "
                         "dialout; add yourself to it (sudo adduser \"$USER\" dialout) and log "
                         "in again."));
}

void TestPlatformSerialDevices::writeLinkCreatesAndReplaces() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    Pty a;
    Pty b;
    QVERIFY(a.ok() && b.ok());
    const std::string work = tmp.path().toStdString();
    std::string error;
    QVERIFY2(writePortLink(work, 7, a.slave(), error), error.c_str());
    QCOMPARE(readLink(work + "/ports/COM7"), a.slave());
    QCOMPARE(portDevicePath(7, work), work + "/ports/COM7");
    QVERIFY(ComPortAvailable(7, work));
    // Another device replaces the link; no temporary is left behind.
    QVERIFY2(writePortLink(work, 7, b.slave(), error), error.c_str());
    QCOMPARE(readLink(work + "/ports/COM7"), b.slave());
    QCOMPARE(QDir(tmp.path() + "/ports")
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList{"COM7"});
    // The ports folder exists now; port 255 is the last.
    QVERIFY2(writePortLink(work, 255, a.slave(), error), error.c_str());
    QCOMPARE(readLink(work + "/ports/COM255"), a.slave());
}

void TestPlatformSerialDevices::writeLinkRefuses_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("setup");  // what stands in the folder first
    QTest::addColumn<QString>("error");
    QTest::newRow("port 0") << 0 << "/dev/pts/0"
                            << ""
                            << "port number 0 is not 1 to 255";
    QTest::newRow("port -1") << -1 << "/dev/pts/0"
                             << ""
                             << "port number -1 is not 1 to 255";
    QTest::newRow("port 256") << 256 << "/dev/pts/0"
                              << ""
                              << "port number 256 is not 1 to 255";
    QTest::newRow("no device") << 1 << ""
                               << ""
                               << "no device chosen";
    QTest::newRow("COM1 is a folder") << 1 << "/dev/pts/0"
                                      << "dir"
                                      << "/ports/COM1 is a folder";
    QTest::newRow("ports is a file") << 1 << "/dev/pts/0"
                                     << "file"
                                     << "cannot write ";
}

void TestPlatformSerialDevices::writeLinkRefuses() {
    QFETCH(int, port);
    QFETCH(QString, device);
    QFETCH(QString, setup);
    QFETCH(QString, error);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    if (setup == "dir") QVERIFY(QDir().mkpath(tmp.path() + "/ports/COM1"));
    if (setup == "file") {
        QFile f(tmp.path() + "/ports");
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    std::string why;
    QVERIFY(!writePortLink(tmp.path().toStdString(), port, device.toStdString(), why));
    QVERIFY2(QString::fromStdString(why).contains(error), why.c_str());
    if (setup == "dir") QVERIFY(QFileInfo(tmp.path() + "/ports/COM1").isDir());
    if (setup == "file") QVERIFY(QFileInfo(tmp.path() + "/ports").isFile());
}

QTEST_GUILESS_MAIN(TestPlatformSerialDevices)
#include "test_platform_serial_devices.moc"
