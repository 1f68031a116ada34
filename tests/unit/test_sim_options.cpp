// The simulator's command line: what each option sets, and the exit code of
// --help, --version and every kind of bad argument.
#include <QtTest>

#include <string>
#include <vector>

#include "sim_options.h"

using namespace tolvane;
using namespace tolvane::sim;

Q_DECLARE_METATYPE(tolvane::Firmware)

namespace {

int parse(const QStringList& args, Options& opt) {
    std::vector<std::string> storage{"tolvane-sim"};
    for (const QString& a : args) storage.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& s : storage) argv.push_back(s.data());
    return parseOptions(static_cast<int>(argv.size()), argv.data(), opt);
}

}  // namespace

class TestSimOptions : public QObject {
    Q_OBJECT

  private slots:
    void options_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("rc");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("port");
        QTest::addColumn<tolvane::Firmware>("firmware");
        QTest::addColumn<bool>("local");
        QTest::addColumn<double>("warmup");
        QTest::addColumn<int>("logLines");
        const auto V601 = Firmware::V601;
        QTest::newRow("defaults") << QStringList{} << -1 << "." << 1 << V601 << false << 3.0
                                  << 1000;
        QTest::newRow("folder and port") << QStringList{"--folder", "/tmp/x", "--port", "12"} << -1
                                         << "/tmp/x" << 12 << V601 << false << 3.0 << 1000;
        QTest::newRow("firmware names ignore case")
            << QStringList{"--firmware", "V604Adapt"} << -1 << "." << 1 << Firmware::Adapt << false
            << 3.0 << 1000;
        QTest::newRow("nonadapt") << QStringList{"--firmware", "nonadapt", "--local"} << -1 << "."
                                  << 1 << Firmware::NonAdapt << true << 3.0 << 1000;
        QTest::newRow("fractional warm-up")
            << QStringList{"--warmup", "0.25"} << -1 << "." << 1 << V601 << false << 0.25 << 1000;
        QTest::newRow("log lines")
            << QStringList{"--log-lines", "50"} << -1 << "." << 1 << V601 << false << 3.0 << 50;
        QTest::newRow("help") << QStringList{"--help"} << 0 << "." << 1 << V601 << false << 3.0
                              << 1000;
        QTest::newRow("version") << QStringList{"--version"} << 0 << "." << 1 << V601 << false
                                 << 3.0 << 1000;
        QTest::newRow("port 0") << QStringList{"--port", "0"} << 2 << "." << 1 << V601 << false
                                << 3.0 << 1000;
        QTest::newRow("port 256") << QStringList{"--port", "256"} << 2 << "." << 1 << V601 << false
                                  << 3.0 << 1000;
        QTest::newRow("port with sign")
            << QStringList{"--port", "+3"} << 2 << "." << 1 << V601 << false << 3.0 << 1000;
        QTest::newRow("port missing")
            << QStringList{"--port"} << 2 << "." << 1 << V601 << false << 3.0 << 1000;
        QTest::newRow("unknown firmware")
            << QStringList{"--firmware", "v700"} << 2 << "." << 1 << V601 << false << 3.0 << 1000;
        QTest::newRow("negative warm-up")
            << QStringList{"--warmup", "-1"} << 2 << "." << 1 << V601 << false << 3.0 << 1000;
        QTest::newRow("warm-up with junk")
            << QStringList{"--warmup", "2s"} << 2 << "." << 1 << V601 << false << 3.0 << 1000;
        QTest::newRow("warm-up not a number")
            << QStringList{"--warmup", "nan"} << 2 << "." << 1 << V601 << false << 3.0 << 1000;
        QTest::newRow("no log lines")
            << QStringList{"--log-lines", "0"} << 2 << "." << 1 << V601 << false << 3.0 << 1000;
        QTest::newRow("unknown option")
            << QStringList{"--speed", "9600"} << 2 << "." << 1 << V601 << false << 3.0 << 1000;
    }
    void options() {
        QFETCH(QStringList, args);
        Options opt;
        QTEST(parse(args, opt), "rc");
        QTEST(QString::fromStdString(opt.folder), "folder");
        QTEST(opt.port, "port");
        QTEST(opt.firmware, "firmware");
        QTEST(opt.local, "local");
        QTEST(opt.warmup, "warmup");
        QTEST(opt.logLines, "logLines");
    }

    void firmwareNamesRoundTrip() {
        for (Firmware fw : {Firmware::V601, Firmware::Adapt, Firmware::NonAdapt}) {
            Firmware back = fw == Firmware::V601 ? Firmware::Adapt : Firmware::V601;
            QVERIFY(parseFirmware(firmwareName(fw), back));
            QCOMPARE(back, fw);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "test_sim_options.moc"
