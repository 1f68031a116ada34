// The termios serial layer: line settings, handshake names, port numbers and
// paths, the PARMRK decoder, and a real port on pseudo-terminals (exact bytes
// both ways, receive buffer limits, events, the lock, a vanished device).
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/handshake.h"
#include "platform/instance_lock.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"
#include "pty_pair.h"

using namespace tolvane;
using tolvane::test::linkPort;
using tolvane::test::Pty;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(tolvane::FlowControl)

// Readable failure messages for the compared values (found by argument lookup).
namespace std {
inline char* toString(const std::string& s) {
    return QTest::toPrettyCString(s.data(), static_cast<qsizetype>(s.size()));
}
inline char* toString(const std::vector<int>& v) {
    QByteArray text = "{";
    for (std::size_t i = 0; i < v.size(); ++i) text += (i ? "," : "") + QByteArray::number(v[i]);
    return qstrdup(text + "}");
}
}  // namespace std

namespace {

PortConfig configFor(int n, const std::string& settings = "9600,N,8,1") {
    PortConfig config;
    config.portNumber = n;
    config.settings = settings;
    return config;
}

// Polls the port until it holds `count` characters (bounded by the number of waits).
int waitForCount(SerialPort& port, int count) {
    int have = port.inBufferCount();
    for (int i = 0; i < 100 && have < count; ++i) {
        port.waitReadable(0.05);
        have = port.inBufferCount();
    }
    return have;
}

std::vector<int> dispatchCollect(SerialPort& port) {
    std::vector<int> events;
    port.setEventHandler([&events, &port](int event) {
        QCOMPARE(port.commEvent(), event);
        events.push_back(event);
    });
    port.dispatchEvents();
    port.setEventHandler(nullptr);
    return events;
}

}  // namespace

class TestPlatformSerial : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();

    // --- pure helpers ---
    void parseSettings_data();
    void parseSettings();
    void handshakeNames_data();
    void handshakeNames();
    void portNumberText_data();
    void portNumberText();
    void devicePathMapping();
    void decodeTable_data();
    void decodeTable();
    void decodeAnySplit_data();
    void decodeAnySplit();

    // --- a real port on a pseudo-terminal ---
    void openGoodSettings_data();
    void openGoodSettings();
    void openRefused_data();
    void openRefused();
    void closedPortThrows();
    void writeReachesDeviceExactly();
    void readFromDevice();
    void markedBytesFromDevice();
    void clearInputDiscards();
    void overflowKeepsBufferSize();
    void receiveThreshold();
    void noReceiveEventsWithoutThreshold();
    void modemLinesOnPty();
    void lockRefusesSecondOpen();
    void portAvailability();
    void vanishedDevice();
    void instanceLock();
    void instanceLockOtherProcess();

  private:
    bool ptyWorks_ = false;
};

void TestPlatformSerial::initTestCase() {
    Pty pty;
    ptyWorks_ = pty.ok();
}

#define REQUIRE_PTY() \
    if (!ptyWorks_) QSKIP("no pseudo-terminals on this machine")

void TestPlatformSerial::parseSettings_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    const int N = int(Parity::None), O = int(Parity::Odd), E = int(Parity::Even);
    const int M = int(Parity::Mark), S = int(Parity::Space);
    QTest::newRow("dialog radio") << "9600,O,7,1" << true << 9600 << O << 7 << 1;
    QTest::newRow("blank after speed") << "9600 ,O,7,1" << true << 9600 << O << 7 << 1;
    QTest::newRow("blanks before fields") << "19200,N, 8, 1" << true << 19200 << N << 8 << 1;
    QTest::newRow("tabs and blanks") << " \t4800\t, e , 7 ,2 " << true << 4800 << E << 7 << 2;
    QTest::newRow("mark lower") << "1200,m,8,1" << true << 1200 << M << 8 << 1;
    QTest::newRow("space") << "300,S,5,2" << true << 300 << S << 5 << 2;
    QTest::newRow("fastest") << "115200,n,6,1" << true << 115200 << N << 6 << 1;
    QTest::newRow("57600") << "57600,N,8,1" << true << 57600 << N << 8 << 1;
    QTest::newRow("38400") << "38400,E,8,1" << true << 38400 << E << 8 << 1;
    QTest::newRow("empty") << "" << false << 0 << 0 << 0 << 0;
    QTest::newRow("word") << "abc" << false << 0 << 0 << 0 << 0;
    QTest::newRow("bad parity") << "9600,X,7,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("nine data bits") << "9600,O,9,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("four data bits") << "9600,O,4,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("three stop bits") << "9600,N,8,3" << false << 0 << 0 << 0 << 0;
    QTest::newRow("one and a half stop bits") << "9600,N,5,1.5" << false << 0 << 0 << 0 << 0;
    QTest::newRow("odd speed") << "14400,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("too fast") << "230400,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("negative speed") << "-9600,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("three fields") << "9600,N,8" << false << 0 << 0 << 0 << 0;
    QTest::newRow("five fields") << "9600,N,8,1,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("empty field") << "9600,,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("two letters") << "9600,NO,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("blank inside speed") << "96 00,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("huge speed") << "99999999999999,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("commas only") << ",,," << false << 0 << 0 << 0 << 0;
}

void TestPlatformSerial::parseSettings() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    std::optional<LineSettings> got = parseLineSettings(text.toStdString());
    QCOMPARE(got.has_value(), valid);
    if (!valid) return;
    QFETCH(int, baud);
    QFETCH(int, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QCOMPARE(got->baud, baud);
    QCOMPARE(int(got->parity), parity);
    QCOMPARE(got->dataBits, dataBits);
    QCOMPARE(got->stopBits, stopBits);
}

void TestPlatformSerial::handshakeNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<FlowControl>("flow");
    QTest::addColumn<int>("value");
    QTest::newRow("comRTS") << "comRTS" << FlowControl::RtsCts << 2;
    QTest::newRow("comRTSXOnXOff") << "comRTSXOnXOff" << FlowControl::RtsCts << 2;
    QTest::newRow("comXOnXOff") << "comXOnXOff" << FlowControl::None << 0;
    QTest::newRow("comNone") << "comNone" << FlowControl::None << 0;
    QTest::newRow("dialog comXonXoff") << "comXonXoff" << FlowControl::None << 0;
    QTest::newRow("dialog comRTSXonXoff") << "comRTSXonXoff" << FlowControl::None << 0;
    QTest::newRow("empty") << "" << FlowControl::None << 0;
    QTest::newRow("lower case comrts") << "comrts" << FlowControl::None << 0;
    QTest::newRow("trailing blank") << "comRTS " << FlowControl::None << 0;
    QTest::newRow("leading blank") << " comRTS" << FlowControl::None << 0;
}

void TestPlatformSerial::handshakeNames() {
    QFETCH(QString, name);
    QFETCH(FlowControl, flow);
    QFETCH(int, value);
    QCOMPARE(handshakeFlow(name.toStdString()), flow);
    QCOMPARE(handshakingValue(handshakeFlow(name.toStdString())), value);
}

void TestPlatformSerial::portNumberText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "3" << 3;
    QTest::newRow("two digits") << "12" << 12;
    QTest::newRow("leading blanks") << "  4" << 4;
    QTest::newRow("leading tab") << "\t7" << 7;
    QTest::newRow("trailing text") << "5 (USB)" << 5;
    QTest::newRow("fraction down") << "3.4" << 3;
    QTest::newRow("fraction up") << "3.6" << 4;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "3.5" << 4;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("plus sign") << "+2" << 2;
    QTest::newRow("minus") << "-1" << -1;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("blank") << "   " << 0;
    QTest::newRow("word") << "COM3" << 0;
    QTest::newRow("dot only") << "." << 0;
    QTest::newRow("sign only") << "-" << 0;
    QTest::newRow("out of range") << "40000" << 0;
    QTest::newRow("huge") << "99999999999999999999" << 0;
}

void TestPlatformSerial::portNumberText() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(portNumberValue(text.toStdString()), value);
}

void TestPlatformSerial::devicePathMapping() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 3, "/dev/null"));
    QVERIFY(linkPort(dir, 12, folder + "/gone"));  // dangling: still this port's entry
    QCOMPARE(portDevicePath(3, folder), folder + "/ports/COM3");
    QCOMPARE(portDevicePath(12, folder), folder + "/ports/COM12");
    QCOMPARE(portDevicePath(1, folder), std::string("/dev/ttyS0"));
    QCOMPARE(portDevicePath(4, folder), std::string("/dev/ttyS3"));
    QCOMPARE(portDevicePath(0, folder), std::string());
    QCOMPARE(portDevicePath(-2, folder), std::string());
    QCOMPARE(portDevicePath(2, "/nonexistent-folder"), std::string("/dev/ttyS1"));
}

void TestPlatformSerial::decodeTable_data() {
    QTest::addColumn<std::string>("carryIn");
    QTest::addColumn<std::string>("raw");
    QTest::addColumn<bool>("discardNull");
    QTest::addColumn<char>("replace");
    QTest::addColumn<std::string>("chars");
    QTest::addColumn<std::vector<int>>("events");
    QTest::addColumn<std::string>("carryOut");
    QTest::addColumn<int>("breaksIn");   // breaks the driver counted, not yet matched
    QTest::addColumn<int>("breaksOut");  // ... left after the decoding
    using S = std::string;
    using V = std::vector<int>;
    QTest::newRow("plain text") << S() << S("F1407400\n") << true << ':' << S("F1407400\n") << V{}
                                << S() << 0 << 0;
    QTest::newRow("empty") << S() << S() << true << ':' << S() << V{} << S() << 0 << 0;
    QTest::newRow("doubled 0xFF") << S() << S("a\377\377b") << true << ':' << S("a\377b") << V{}
                                  << S() << 0 << 0;
    QTest::newRow("two 0xFF") << S() << S("\377\377\377\377") << true << ':' << S("\377\377") << V{}
                              << S() << 0 << 0;
    QTest::newRow("break") << S() << S("x\377\0\0y", 5) << true << ':' << S("xy")
                           << V{comm::kErBreak} << S() << 1 << 0;
    QTest::newRow("parity error") << S() << S("\377\0A", 3) << true << ':' << S(":")
                                  << V{comm::kErRxParity} << S() << 0 << 0;
    QTest::newRow("parity mid text") << S() << S("M\377\0q2", 5) << true << ':' << S("M:2")
                                     << V{comm::kErRxParity} << S() << 0 << 0;
    QTest::newRow("parity other replacement")
        << S() << S("\377\0A", 3) << true << '?' << S("?") << V{comm::kErRxParity} << S() << 0 << 0;
    QTest::newRow("parity no replacement") << S() << S("\377\0A", 3) << true << '\0' << S("A")
                                           << V{comm::kErRxParity} << S() << 0 << 0;
    QTest::newRow("parity on 0xFF") << S() << S("\377\0\377", 3) << true << ':' << S(":")
                                    << V{comm::kErRxParity} << S() << 0 << 0;
    QTest::newRow("break then parity") << S() << S("\377\0\0\377\0Z", 6) << true << ':' << S(":")
                                       << V{comm::kErBreak, comm::kErRxParity} << S() << 1 << 0;
    QTest::newRow("nul discarded")
        << S() << S("A\0B\0", 4) << true << ':' << S("AB") << V{} << S() << 0 << 0;
    QTest::newRow("nul kept") << S() << S("A\0B", 3) << false << ':' << S("A\0B", 3) << V{} << S()
                              << 0 << 0;
    QTest::newRow("lone mark carried")
        << S() << S("ab\377") << true << ':' << S("ab") << V{} << S("\377") << 0 << 0;
    QTest::newRow("mark and nul carried")
        << S() << S("ab\377\0", 4) << true << ':' << S("ab") << V{} << S("\377\0", 2) << 0 << 0;
    QTest::newRow("carry completes 0xFF")
        << S("\377") << S("\377c") << true << ':' << S("\377c") << V{} << S() << 0 << 0;
    QTest::newRow("carry completes break")
        << S("\377") << S("\0\0", 2) << true << ':' << S() << V{comm::kErBreak} << S() << 1 << 0;
    QTest::newRow("carry completes parity") << S("\377\0", 2) << S("Q") << true << ':' << S(":")
                                            << V{comm::kErRxParity} << S() << 0 << 0;
    QTest::newRow("carry with no new bytes")
        << S("\377\0", 2) << S() << true << ':' << S() << V{} << S("\377\0", 2) << 0 << 0;
    QTest::newRow("0xFF before other byte")
        << S() << S("\377A") << true << ':' << S("\377A") << V{} << S() << 0 << 0;
    // Under PARMRK a NUL received with a parity or framing error is marked
    // exactly like a break: only the driver's break counter tells them apart.
    QTest::newRow("nul with error, no break counted")
        << S() << S("M\377\0\0", 4) << true << ':' << S("M:") << V{comm::kErRxParity} << S() << 0
        << 0;
    QTest::newRow("nul with error, no replacement, nul dropped")
        << S() << S("A\377\0\0B", 5) << true << '\0' << S("AB") << V{comm::kErRxParity} << S() << 0
        << 0;
    QTest::newRow("nul with error, no replacement, nul kept")
        << S() << S("A\377\0\0B", 5) << false << '\0' << S("A\0B", 3) << V{comm::kErRxParity} << S()
        << 0 << 0;
    QTest::newRow("one break counted, two marks")
        << S() << S("\377\0\0\377\0\0", 6) << true << ':' << S(":")
        << V{comm::kErBreak, comm::kErRxParity} << S() << 1 << 0;
    QTest::newRow("two breaks counted, one mark read")
        << S() << S("x\377\0\0", 4) << true << ':' << S("x") << V{comm::kErBreak} << S() << 2 << 1;
    QTest::newRow("break counted, parity error on a letter")
        << S() << S("\377\0A", 3) << true << ':' << S(":") << V{comm::kErRxParity} << S() << 1 << 1;
    QTest::newRow("break counted, mark not complete yet")
        << S() << S("F\377\0", 3) << true << ':' << S("F") << V{} << S("\377\0", 2) << 1 << 1;
}

void TestPlatformSerial::decodeTable() {
    QFETCH(std::string, carryIn);
    QFETCH(std::string, raw);
    QFETCH(bool, discardNull);
    QFETCH(char, replace);
    QFETCH(std::string, chars);
    QFETCH(std::vector<int>, events);
    QFETCH(std::string, carryOut);
    QFETCH(int, breaksIn);
    QFETCH(int, breaksOut);
    std::string carry = carryIn;
    MarkedDecode out;
    int breaks = breaksIn;
    decodeMarked(raw, carry, replace, discardNull, breaks, out);
    QCOMPARE(out.chars, chars);
    QCOMPARE(out.events, events);
    QCOMPARE(carry, carryOut);
    QCOMPARE(breaks, breaksOut);
}

void TestPlatformSerial::decodeAnySplit_data() {
    QTest::addColumn<std::string>("stream");
    QTest::addColumn<int>("breaks");
    QTest::newRow("mixed") << std::string("A\377\377B\377\0\0C\377\0xD\0E\377\377", 17) << 1;
    QTest::newRow("marks back to back") << std::string("\377\0\0\377\0\0\377\377\377\0Z", 11) << 2;
    QTest::newRow("nul errors, no breaks") << std::string("\377\0\0x\377\0\0\377\0\0", 10) << 0;
    QTest::newRow("break then nul error") << std::string("\377\0\0x\377\0\0", 7) << 1;
}

// Whatever the split between two reads, the result equals decoding in one go.
void TestPlatformSerial::decodeAnySplit() {
    QFETCH(std::string, stream);
    QFETCH(int, breaks);
    MarkedDecode whole;
    std::string carry;
    int left = breaks;
    decodeMarked(stream, carry, ':', true, left, whole);
    QVERIFY(carry.empty());
    QCOMPARE(left, 0);
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        MarkedDecode parts;
        std::string c;
        int b = breaks;
        decodeMarked(std::string_view(stream).substr(0, cut), c, ':', true, b, parts);
        decodeMarked(std::string_view(stream).substr(cut), c, ':', true, b, parts);
        QVERIFY2(parts.chars == whole.chars, qPrintable(QString("cut %1").arg(cut)));
        QVERIFY2(parts.events == whole.events, qPrintable(QString("cut %1").arg(cut)));
        QVERIFY(c.empty());
    }
}

void TestPlatformSerial::openGoodSettings_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<FlowControl>("flow");
    QTest::addColumn<int>("speed");
    QTest::addColumn<bool>("inpck");
    QTest::addColumn<bool>("twoStop");
    QTest::newRow("radio 9600 odd")
        << "9600 ,O,7,1" << FlowControl::None << int(B9600) << true << false;
    QTest::newRow("cat 19200 none")
        << "19200,N, 8, 1" << FlowControl::None << int(B19200) << false << false;
    QTest::newRow("rts/cts even two stop")
        << "4800,E,7,2" << FlowControl::RtsCts << int(B4800) << true << true;
}

void TestPlatformSerial::openGoodSettings() {
    REQUIRE_PTY();
    QFETCH(QString, settings);
    QFETCH(FlowControl, flow);
    QFETCH(int, speed);
    QFETCH(bool, inpck);
    QFETCH(bool, twoStop);
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 3, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    QCOMPARE(port.portNumber(), 0);
    QCOMPARE(port.settingsText(), std::string());
    PortConfig config = configFor(3, settings.toStdString());
    config.flow = flow;
    port.open(config);
    QVERIFY(port.isOpen());
    QCOMPARE(port.portNumber(), 3);
    QCOMPARE(port.settingsText(), settings.toStdString());
    QCOMPARE(port.flowControl(), flow);
    QCOMPARE(port.devicePath(), dir.path().toStdString() + "/ports/COM3");
    QVERIFY(port.notifyFd() >= 0);

    struct termios t;
    QCOMPARE(tcgetattr(port.notifyFd(), &t), 0);
    QCOMPARE(int(cfgetospeed(&t)), speed);
    QCOMPARE(int(cfgetispeed(&t)), speed);
    QVERIFY((t.c_iflag & PARMRK) != 0);
    QCOMPARE((t.c_iflag & INPCK) != 0, inpck);
    QVERIFY((t.c_iflag & (IGNBRK | BRKINT | ISTRIP | IXON | IXOFF | ICRNL)) == 0);
    QVERIFY((t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0);
    QVERIFY((t.c_oflag & OPOST) == 0);
    QCOMPARE((t.c_cflag & CRTSCTS) != 0, flow == FlowControl::RtsCts);
    QCOMPARE((t.c_cflag & CSTOPB) != 0, twoStop);

    port.close();
    QVERIFY(!port.isOpen());
    QCOMPARE(port.notifyFd(), -1);
    QCOMPARE(port.portNumber(), 3);  // remembered after closing
}

void TestPlatformSerial::openRefused_data() {
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("error");
    QTest::newRow("empty settings") << 3 << "" << 380;
    QTest::newRow("word settings") << 3 << "abc" << 380;
    QTest::newRow("parity X") << 3 << "9600,X,7,1" << 380;
    QTest::newRow("nine data bits") << 3 << "9600,O,9,1" << 380;
    QTest::newRow("port zero") << 0 << "9600,N,8,1" << 8002;
    QTest::newRow("negative port") << -4 << "9600,N,8,1" << 8002;
    QTest::newRow("dangling link") << 7 << "9600,N,8,1" << int(ENOENT);
    QTest::newRow("not a terminal") << 6 << "9600,N,8,1" << int(ENOTTY);
}

void TestPlatformSerial::openRefused() {
    REQUIRE_PTY();
    QFETCH(int, portNumber);
    QFETCH(QString, settings);
    QFETCH(int, error);
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 3, pty.slave()));
    QVERIFY(linkPort(dir, 7, dir.path().toStdString() + "/nothing"));
    QVERIFY(linkPort(dir, 6, "/dev/null"));
    PosixSerialPort port(dir.path().toStdString());
    try {
        port.open(configFor(portNumber, settings.toStdString()));
        QFAIL("open succeeded");
    } catch (const PortError& e) {
        QCOMPARE(e.number(), error);
        QVERIFY(std::string(e.what()).size() > 0);
    }
    QVERIFY(!port.isOpen());
    QCOMPARE(port.portNumber(), portNumber);
    // Still usable afterwards.
    port.open(configFor(3));
    QVERIFY(port.isOpen());
}

void TestPlatformSerial::closedPortThrows() {
    PosixSerialPort port("/nonexistent-folder");
    QVERIFY_THROWS_EXCEPTION(PortError, port.write("U"));
    QVERIFY_THROWS_EXCEPTION(PortError, port.input());
    QVERIFY_THROWS_EXCEPTION(PortError, port.inBufferCount());
    QVERIFY_THROWS_EXCEPTION(PortError, port.outBufferCount());
    try {
        port.write("U");
    } catch (const PortError& e) {
        QCOMPARE(e.number(), 8018);
    }
    port.clearInput();
    port.dispatchEvents();
    port.waitReadable(0.0);
    port.close();
    QCOMPARE(port.commEvent(), 0);
}

void TestPlatformSerial::writeReachesDeviceExactly() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 3, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    port.open(configFor(3, "9600,O,7,1"));
    port.write("F1407400\n");
    port.write("U");
    port.write(std::string("\r\n\0\377x", 5));  // no output processing of any byte
    QCOMPARE(pty.receive(15), std::string("F1407400\nU\r\n\0\377x", 15));
    QCOMPARE(port.outBufferCount(), 0);

    std::string big(3000, 'K');  // larger than the transmit buffer size: still one write
    port.write(big);
    QCOMPARE(pty.receive(big.size()), big);
}

void TestPlatformSerial::readFromDevice() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    port.open(configFor(2));
    QCOMPARE(port.inBufferCount(), 0);
    QCOMPARE(port.input(), std::string());
    QVERIFY(pty.send("M2\nF1407400\n"));
    QCOMPARE(waitForCount(port, 12), 12);
    QCOMPARE(port.input(), std::string("M2\nF1407400\n"));
    QCOMPARE(port.inBufferCount(), 0);
    QVERIFY(pty.send("A"));
    port.waitReadable(5.0);  // returns as soon as the character is in
    QCOMPARE(port.inBufferCount(), 1);
    QCOMPARE(port.input(), std::string("A"));
}

// The driver doubles a received 0xFF under PARMRK; NUL is dropped.
void TestPlatformSerial::markedBytesFromDevice() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    port.open(configFor(2));
    QVERIFY(pty.send(std::string("A\377\0B\377", 5)));
    QCOMPARE(waitForCount(port, 4), 4);
    QCOMPARE(port.input(), std::string("A\377B\377"));
    QCOMPARE(dispatchCollect(port), std::vector<int>{});
}

void TestPlatformSerial::clearInputDiscards() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    port.open(configFor(2));
    QVERIFY(pty.send("old"));
    QCOMPARE(waitForCount(port, 3), 3);
    port.clearInput();
    QCOMPARE(port.inBufferCount(), 0);
    QVERIFY(pty.send("new"));
    QCOMPARE(waitForCount(port, 3), 3);
    QCOMPARE(port.input(), std::string("new"));
}

void TestPlatformSerial::overflowKeepsBufferSize() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    port.open(configFor(2));
    std::string sent;
    for (int i = 0; i < 5000; ++i) sent.push_back(char('a' + i % 26));
    QVERIFY(pty.send(sent));
    std::vector<int> events;
    port.setEventHandler([&events](int event) { events.push_back(event); });
    for (int i = 0; i < 100 && events.empty(); ++i) {
        port.waitReadable(0.05);
        port.dispatchEvents();
    }
    QVERIFY(!events.empty());
    for (int event : events) QCOMPARE(event, comm::kErRxOver);
    QCOMPARE(port.commEvent(), comm::kErRxOver);
    QCOMPARE(port.inBufferCount(), 4096);
    QCOMPARE(port.input(), sent.substr(0, 4096));
    QCOMPARE(port.inBufferCount(), 0);
}

void TestPlatformSerial::receiveThreshold() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    PortConfig config = configFor(2);
    config.receiveThreshold = 3;
    port.open(config);
    QVERIFY(pty.send("FA"));
    QCOMPARE(waitForCount(port, 2), 2);
    QCOMPARE(dispatchCollect(port), std::vector<int>{});
    QVERIFY(pty.send(";"));
    QCOMPARE(waitForCount(port, 3), 3);
    QCOMPARE(dispatchCollect(port), std::vector<int>{comm::kEvReceive});
    QCOMPARE(port.commEvent(), comm::kEvReceive);
    QCOMPARE(dispatchCollect(port), std::vector<int>{});  // once per arrival
    QVERIFY(pty.send("MD;"));
    QCOMPARE(waitForCount(port, 6), 6);
    QCOMPARE(dispatchCollect(port), std::vector<int>{comm::kEvReceive});
    QCOMPARE(port.input(), std::string("FA;MD;"));
}

void TestPlatformSerial::noReceiveEventsWithoutThreshold() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    port.open(configFor(2));
    QVERIFY(pty.send("ABCDEF"));
    QCOMPARE(waitForCount(port, 6), 6);
    QCOMPARE(dispatchCollect(port), std::vector<int>{});
    QCOMPARE(port.commEvent(), 0);
}

// A pseudo-terminal has no modem lines: DSR reads held, CD and CTS not, and
// line control neither fails nor raises events.
void TestPlatformSerial::modemLinesOnPty() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    port.open(configFor(2));
    port.setDtr(true);
    port.setRts(false);
    port.setDtr(false);
    QVERIFY(port.dsrHolding());
    QVERIFY(!port.cdHolding());
    QVERIFY(!port.ctsHolding());
    QCOMPARE(dispatchCollect(port), std::vector<int>{});
}

void TestPlatformSerial::lockRefusesSecondOpen() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 3, pty.slave()));
    QVERIFY(linkPort(dir, 4, pty.slave()));  // the same device under another number
    PosixSerialPort first(dir.path().toStdString());
    PosixSerialPort second(dir.path().toStdString());
    first.open(configFor(3));
    for (int n : {3, 4}) {
        try {
            second.open(configFor(n));
            QFAIL("second open succeeded");
        } catch (const PortError& e) {
            QCOMPARE(e.number(), int(EBUSY));
        }
        QVERIFY(!second.isOpen());
    }
    QVERIFY_THROWS_EXCEPTION(PortError, first.open(configFor(3)));  // already open
    QVERIFY(first.isOpen());
    first.close();
    second.open(configFor(4));
    QVERIFY(second.isOpen());
}

void TestPlatformSerial::portAvailability() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(linkPort(dir, 3, pty.slave()));
    QVERIFY(linkPort(dir, 7, folder + "/nothing"));
    QVERIFY(linkPort(dir, 6, "/dev/null"));
    QVERIFY(ComPortAvailable(3, folder));
    QVERIFY(ComPortAvailable(3, folder));  // the probe leaves it free
    {
        PosixSerialPort port(folder);
        port.open(configFor(3));
        QVERIFY(!ComPortAvailable(3, folder));
        port.close();
        QVERIFY(ComPortAvailable(3, folder));
        port.open(configFor(3));
    }  // destruction releases the lock too
    QVERIFY(ComPortAvailable(3, folder));
    QVERIFY(!ComPortAvailable(0, folder));
    QVERIFY(!ComPortAvailable(-1, folder));
    QVERIFY(!ComPortAvailable(7, folder));  // missing device
    QVERIFY(!ComPortAvailable(6, folder));  // not a terminal
    if (::access("/dev/ttyS249", F_OK) != 0) QVERIFY(!ComPortAvailable(250, folder));
    QVERIFY(!ComPortAvailable(0));
}

void TestPlatformSerial::vanishedDevice() {
    REQUIRE_PTY();
    Pty pty;
    QTemporaryDir dir;
    QVERIFY(linkPort(dir, 2, pty.slave()));
    PosixSerialPort port(dir.path().toStdString());
    port.open(configFor(2));
    QVERIFY(pty.send("ok"));
    QCOMPARE(waitForCount(port, 2), 2);
    QCOMPARE(port.input(), std::string("ok"));

    pty.closeMaster();  // the simulator ended
    try {
        port.inBufferCount();
        QFAIL("inBufferCount did not throw");
    } catch (const PortError& e) {
        QCOMPARE(e.number(), int(EIO));
    }
    QVERIFY(port.vanished());
    QVERIFY(port.isOpen());
    QCOMPARE(port.notifyFd(), -1);
    QVERIFY_THROWS_EXCEPTION(PortError, port.inBufferCount());  // every time, no hang
    QVERIFY_THROWS_EXCEPTION(PortError, port.input());
    QVERIFY_THROWS_EXCEPTION(PortError, port.write("U"));
    port.dispatchEvents();  // never throws
    port.waitReadable(0.01);
    QVERIFY(port.dsrHolding());
    port.close();
    QVERIFY(!port.isOpen());
    QVERIFY(!port.vanished());
}

void TestPlatformSerial::instanceLock() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    InstanceLock a(folder);
    InstanceLock b(folder);
    QVERIFY(a.acquire());
    QVERIFY(a.acquire());  // held already
    QVERIFY(a.held());
    QCOMPARE(a.path(), folder + "/.tolvane.lock");
    QVERIFY(::access(a.path().c_str(), F_OK) == 0);
    QVERIFY(!b.acquire());
    QVERIFY(!b.held());
    a.release();
    QVERIFY(b.acquire());
    {
        InstanceLock c(folder);
        QVERIFY(!c.acquire());
    }
    b.release();
    {
        InstanceLock d(folder);
        QVERIFY(d.acquire());
    }  // destruction releases
    QVERIFY(a.acquire());
    InstanceLock nowhere("/nonexistent-folder");
    QVERIFY(!nowhere.acquire());
}

void TestPlatformSerial::instanceLockOtherProcess() {
    QTemporaryDir dir;
    InstanceLock lock(dir.path().toStdString());
    QVERIFY(lock.acquire());
    const std::string path = lock.path();
    auto childCanLock = [&path]() {
        pid_t pid = fork();
        if (pid == 0) {
            int fd = ::open(path.c_str(), O_RDWR);
            int ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            _exit(ok ? 0 : 1);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    QVERIFY(!childCanLock());
    lock.release();
    QVERIFY(childCanLock());
}

QTEST_GUILESS_MAIN(TestPlatformSerial)
#include "test_platform_serial.moc"
