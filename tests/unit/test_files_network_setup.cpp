// NetworkSetup.txt and the TS-2000 line of CATSetup.txt: exact bytes
// written, round trips, truncated and malformed files, older CAT files, and
// the value of the --rigctld option.
#include <QtTest>

#include <QTemporaryDir>

#include "files_test_helpers.h"
#include "setup/cat_setup_extras.h"
#include "setup/network_setup_file.h"

using namespace tolvane;
using namespace tolvane::filetest;

class TestNetworkSetupFile : public QObject {
    Q_OBJECT
  private slots:
    void writesExactBytes();
    void roundTrip_data();
    void roundTrip();
    void parse_data();
    void parse();
    void missingFile();
    void endpoint_data();
    void endpoint();
    void catTs2000LineWritten();
    void catTs2000Read_data();
    void catTs2000Read();
    void olderReadersTakeTheNewCatFile();
};

void TestNetworkSetupFile::writesExactBytes() {
    QTemporaryDir dir;
    QString path = dir.filePath(kNetworkSetupFileName);
    NetworkSettings s;
    s.enabled = true;
    s.address = "0.0.0.0";
    s.port = 4534;
    s.allowedHosts = {"192.168.1.20", "10.0.0.0/8"};
    QVERIFY(writeNetworkSetupFile(str(path), s).ok);
    QCOMPARE(readBytes(path),
             QByteArray("1\r\n0.0.0.0\r\n4534\r\n192.168.1.20,10.0.0.0/8\r\n"
                        "Line 1: Network Rig Control, 1 = on, 0 = off\r\n"
                        "Line 2: Listen Address, 127.0.0.1 = this computer only\r\n"
                        "Line 3: TCP Port, 4532 = rigctld\r\n"
                        "Line 4: Allowed Hosts beyond this computer, comma separated\r\n"));
    QCOMPARE(entries(dir.path()), QStringList{kNetworkSetupFileName});  // no temporary left
    QVERIFY(writeNetworkSetupFile(str(path), NetworkSettings{}).ok);
    QVERIFY(readBytes(path).startsWith("0\r\n127.0.0.1\r\n4532\r\n\r\nLine 1:"));
}

void TestNetworkSetupFile::roundTrip_data() {
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::addColumn<QStringList>("hosts");
    QTest::newRow("defaults") << false << "127.0.0.1" << 4532 << QStringList{};
    QTest::newRow("on loopback") << true << "127.0.0.1" << 4532 << QStringList{};
    QTest::newRow("ipv6 any") << true << "::" << 4540 << QStringList{"fd00::/64", "::1"};
    QTest::newRow("lan") << true << "192.168.1.5" << 65535 << QStringList{"192.168.1.0/24"};
    QTest::newRow("localhost") << true << "localhost" << 1 << QStringList{"10.1.2.3"};
}

void TestNetworkSetupFile::roundTrip() {
    QFETCH(bool, enabled);
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(QStringList, hosts);
    NetworkSettings s;
    s.enabled = enabled;
    s.address = str(address);
    s.port = port;
    for (const QString& h : hosts) s.allowedHosts.push_back(str(h));
    QTemporaryDir dir;
    QString path = dir.filePath(kNetworkSetupFileName);
    QVERIFY(writeNetworkSetupFile(str(path), s).ok);
    std::optional<NetworkSetupRead> read = readNetworkSetupFile(str(path));
    QVERIFY(read);
    QVERIFY(read->settings == s);
    QVERIFY(read->problems.empty());
}

void TestNetworkSetupFile::parse_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::addColumn<QStringList>("hosts");
    QTest::addColumn<int>("problems");
    const QStringList none;
    QTest::newRow("empty file") << none << false << "127.0.0.1" << 4532 << none << 4;
    QTest::newRow("only enable") << QStringList{"1"} << true << "127.0.0.1" << 4532 << none << 3;
    QTest::newRow("cut after port")
        << QStringList{"1", "0.0.0.0", "4533"} << true << "0.0.0.0" << 4533 << none << 1;
    QTest::newRow("blanks around") << QStringList{" 1 ", " 127.0.0.1\t", " 4532 ", " 10.0.0.1 , "}
                                   << true << "127.0.0.1" << 4532 << QStringList{"10.0.0.1"} << 0;
    QTest::newRow("enable yes") << QStringList{"yes", "127.0.0.1", "4532", ""} << false
                                << "127.0.0.1" << 4532 << none << 1;
    QTest::newRow("host name address")
        << QStringList{"1", "radio.lan", "4532", ""} << true << "127.0.0.1" << 4532 << none << 1;
    QTest::newRow("port zero") << QStringList{"1", "::1", "0", ""} << true << "::1" << 4532 << none
                               << 1;
    QTest::newRow("port too big") << QStringList{"1", "::1", "65536", ""} << true << "::1" << 4532
                                  << none << 1;
    QTest::newRow("port with text")
        << QStringList{"1", "::1", "4532x", ""} << true << "::1" << 4532 << none << 1;
    QTest::newRow("bad hosts left out")
        << QStringList{"1", "0.0.0.0", "4532", "10.0.0.1,pc.lan,10.0.0.0/33,,192.168.0.0/16"}
        << true << "0.0.0.0" << 4532 << QStringList{"10.0.0.1", "192.168.0.0/16"} << 2;
    QTest::newRow("binary") << QStringList{QString("1\x01"), QString("\xff"),
                                           "45\x01"
                                           "32",
                                           "\x7f"}
                            << false << "127.0.0.1" << 4532 << none << 4;
    QTest::newRow("comment lines ignored")
        << QStringList{"0", "127.0.0.1", "4532", "", "Line 1: whatever", "1"} << false
        << "127.0.0.1" << 4532 << none << 0;
}

void TestNetworkSetupFile::parse() {
    QFETCH(QStringList, lines);
    QFETCH(bool, enabled);
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(QStringList, hosts);
    QFETCH(int, problems);
    Lines in;
    for (const QString& l : lines) in.push_back(str(l));
    NetworkSetupRead read = parseNetworkSetup(in);
    QCOMPARE(read.settings.enabled, enabled);
    QCOMPARE(QString::fromStdString(read.settings.address), address);
    QCOMPARE(read.settings.port, port);
    QStringList got;
    for (const std::string& h : read.settings.allowedHosts) got << QString::fromStdString(h);
    QCOMPARE(got, hosts);
    QCOMPARE(int(read.problems.size()), problems);
}

void TestNetworkSetupFile::missingFile() {
    QTemporaryDir dir;
    QVERIFY(!readNetworkSetupFile(str(dir.filePath(kNetworkSetupFileName))));
    QVERIFY(!readNetworkSetupFile(str(dir.path())));  // a folder is no settings file
}

void TestNetworkSetupFile::endpoint_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::newRow("empty") << "" << true << "127.0.0.1" << 4532;
    QTest::newRow("address and port") << "127.0.0.1:4534" << true << "127.0.0.1" << 4534;
    QTest::newRow("address only") << "0.0.0.0" << true << "0.0.0.0" << 4532;
    QTest::newRow("port only") << ":4536" << true << "127.0.0.1" << 4536;
    QTest::newRow("bracketed ipv6") << "[::1]:4538" << true << "::1" << 4538;
    QTest::newRow("bracketed ipv6 only") << "[::]" << true << "::" << 4532;
    QTest::newRow("bare ipv6") << "::1" << true << "::1" << 4532;
    QTest::newRow("localhost") << "localhost:4540" << true << "localhost" << 4540;
    QTest::newRow("host name") << "radio.lan:4532" << false << "" << 0;
    QTest::newRow("port text") << "127.0.0.1:abc" << false << "" << 0;
    QTest::newRow("port zero") << "127.0.0.1:0" << false << "" << 0;
    QTest::newRow("empty port") << "127.0.0.1:" << false << "" << 0;
    QTest::newRow("unclosed bracket") << "[::1:4532" << false << "" << 0;
    QTest::newRow("junk after bracket") << "[::1]x" << false << "" << 0;
}

void TestNetworkSetupFile::endpoint() {
    QFETCH(QString, value);
    QFETCH(bool, usable);
    QFETCH(QString, address);
    QFETCH(int, port);
    std::optional<ListenEndpoint> e = parseListenEndpoint(str(value));
    QCOMPARE(e.has_value(), usable);
    if (!e) return;
    QCOMPARE(QString::fromStdString(e->address), address);
    QCOMPARE(e->port, port);
}

void TestNetworkSetupFile::catTs2000LineWritten() {
    QTemporaryDir dir;
    QString path = dir.filePath(kCatSetupFileName);
    CatSetupSave save{"4", "19200 ", "N, 8, 1", 0, "Kenwood"};
    QVERIFY(writeCatSetupFile(str(path), save, CatSetupExtras{true}).ok);
    QCOMPARE(readBytes(path), QByteArray("4\r\n19200 ,N, 8, 1\r\ncomNone\r\nKenwood\r\n"
                                         "Line 1: Port Number, COM1 = 1, COM2 = 2, etc..\r\n"
                                         "Line 2: Baud,Parity,Bits,Stop\r\n"
                                         "Line 3: comNone, comXonXoff, comRTS, comRTSXonXoff\r\n"
                                         "Line 4: RigType\r\n1\r\n"));
    QVERIFY(readCatSetupExtras(str(path)).ts2000Answers);
    // Off, the file is the one older programs write, byte for byte.
    QVERIFY(writeCatSetupFile(str(path), save, CatSetupExtras{false}).ok);
    QVERIFY(readBytes(path).endsWith("Line 4: RigType\r\n"));
    QCOMPARE(readBytes(path).count('\n'), 8);
    QVERIFY(!readCatSetupExtras(str(path)).ts2000Answers);
    // The eight lines are those of the older writer.
    Lines old = catSetupLines(save);
    Lines now = catSetupLines(save, CatSetupExtras{true});
    QCOMPARE(now.size(), old.size() + 1);
    QVERIFY(std::equal(old.begin(), old.end(), now.begin()));
}

void TestNetworkSetupFile::catTs2000Read_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("on");
    const QByteArray eight =
        "4\r\n9600,N,8,1\r\ncomNone\r\nKenwood\r\nLine 1\r\nLine 2\r\nLine 3\r\nLine 4\r\n";
    QTest::newRow("older file") << eight << false;
    QTest::newRow("on") << eight + "1\r\n" << true;
    QTest::newRow("on without line end") << eight + "1" << true;
    QTest::newRow("on with blanks") << eight + " 1 \r\n" << true;
    QTest::newRow("off") << eight + "0\r\n" << false;
    QTest::newRow("yes is not on") << eight + "yes\r\n" << false;
    QTest::newRow("11 is not on") << eight + "11\r\n" << false;
    QTest::newRow("empty line") << eight + "\r\n" << false;
    QTest::newRow("short file") << QByteArray("4\r\n1\r\n") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("binary") << eight + "\x00\x01\xff\r\n" << false;
}

void TestNetworkSetupFile::catTs2000Read() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, on);
    QTemporaryDir dir;
    QString path = dir.filePath(kCatSetupFileName);
    writeBytes(path, bytes);
    QCOMPARE(readCatSetupExtras(str(path)).ts2000Answers, on);
}

void TestNetworkSetupFile::olderReadersTakeTheNewCatFile() {
    QTemporaryDir dir;
    QString path = dir.filePath(kCatSetupFileName);
    CatSetupSave save{"5", "9600", "N,8,1", 2, "Elecraft"};
    QVERIFY(writeCatSetupFile(str(path), save, CatSetupExtras{true}).ok);
    std::optional<CatStartupSettings> start = readCatSetupForStartup(str(path));
    QVERIFY(start);
    QCOMPARE(QString::fromStdString(start->port), QString("5"));
    QCOMPARE(QString::fromStdString(start->settings), QString("9600,N,8,1"));
    QCOMPARE(QString::fromStdString(start->handshake), QString("comRTS"));
    std::optional<CatSetupDialogValues> dialog = loadCatSetupForDialog(str(path));
    QVERIFY(dialog);
    QCOMPARE(QString::fromStdString(dialog->rigType), QString("Elecraft"));
    QVERIFY(!readCatSetupExtras(str(dir.filePath("missing.txt"))).ts2000Answers);
}

QTEST_GUILESS_MAIN(TestNetworkSetupFile)
#include "test_files_network_setup.moc"
