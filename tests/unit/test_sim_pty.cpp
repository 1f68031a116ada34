// The real tolvane-sim program over its pseudo-terminal: the command table
// of each firmware answered byte for byte, the console commands, and the
// program's life (end of standard input, SIGTERM, the ports link).
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/posix_serial_port.h"

using namespace std::chrono;

namespace {

QString simPath() {
    const QString dir = qEnvironmentVariable("TOLVANE_BUILD_DIR");
    return dir.isEmpty() ? QString() : dir + "/tolvane-sim";
}

bool isLink(const QString& path) {
    struct stat st {};
    return ::lstat(path.toLocal8Bit().constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A running tolvane-sim and the panel's end of its line.
class Sim {
  public:
    ~Sim() {
        closeLine();
        if (proc.state() != QProcess::NotRunning) {
            proc.kill();
            proc.waitForFinished(2000);
        }
    }

    // Starts the program and opens DIR/ports/COM<port> raw.
    bool start(const QStringList& extra, int port = 3) {
        link = dir.path() + "/ports/COM" + QString::number(port);
        QStringList args{"--folder", dir.path(), "--port",      QString::number(port),
                         "--warmup", "0.05",     "--tune-step", "0.05"};
        proc.start(simPath(), args + extra);
        if (!proc.waitForStarted(3000)) return false;
        banner = readConsoleLine(3000);
        return banner.startsWith("tolvane-sim: ") && openLine();
    }

    bool openLine() {
        fd = ::open(link.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (fd < 0) return false;
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        return tcsetattr(fd, TCSANOW, &tio) == 0;
    }

    void closeLine() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }

    void send(const QByteArray& bytes) {
        QCOMPARE(::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())),
                 static_cast<ssize_t>(bytes.size()));
    }

    // What the radio sends until `count` characters came, or the time-out.
    QByteArray read(int count, int timeoutMs = 1500) {
        QByteArray got;
        const auto end = steady_clock::now() + milliseconds(timeoutMs);
        while (got.size() < count) {
            const auto left = duration_cast<milliseconds>(end - steady_clock::now()).count();
            if (left <= 0) break;
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
            char buf[512];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<int>(n));
        }
        return got;
    }

    QByteArray exchange(const QByteArray& command, const QByteArray& answer) {
        send(command);
        return answer.isEmpty() ? QByteArray() : read(static_cast<int>(answer.size()));
    }

    QByteArray readConsoleLine(int timeoutMs) {
        const auto end = steady_clock::now() + milliseconds(timeoutMs);
        while (!proc.canReadLine()) {
            const auto left = duration_cast<milliseconds>(end - steady_clock::now()).count();
            if (left <= 0 || !proc.waitForReadyRead(static_cast<int>(left))) break;
        }
        return proc.readLine();
    }

    // A console command and the program's confirmation line.
    QByteArray console(const QByteArray& line) {
        proc.write(line + "\n");
        proc.waitForBytesWritten(1000);
        return readConsoleLine(2000).trimmed();
    }

    QTemporaryDir dir;
    QProcess proc;
    QString link;
    QByteArray banner;
    int fd = -1;
};

const QByteArray kStatusBody =
    "F1407400\nM1\nA2\nD1\nH1\n\"1\n'1\n(1\n,0\nR1\nO1\nT1\nX0\nG00\nI0\nS0\nV0\nC--\nB100\n*"
    "0\nZ0\n";

struct Step {
    const char* command;
    const char* answer;
};

// Commands every firmware answers alike, starting from the previous state.
// Several commands may share one write; their answers follow in order.
const Step kCommonTail[] = {
    {"U", "U\nJ07\n"},
    {"KU", "K\nJ07\nU\nJ07\n"},
    {"F0712500\nF3000000\n", "F0712500\nF0712500\n"},
    {"HH\nI\nS\nV\n(0\nB095\nG20\n", "H3\nI1\nS1\nV1\n(0\nB095\nG20\n"},
    {"P0707125002\n", ""},
    {"L07\n", "P0707125002\n"},
    {"C07\nF1407400\n", "C07\nF0712500\nM2\nC--\nF1407400\n"},
    {"O2\n", "O2\nO3\n"},  // warm-up, then the amplifier's own report
    {"O4\n", "O4\nT1\n"},
    {"K", "K\nJ07\nT2\nT3\nT4\n"},  // the tune cycle while keyed
    {"U", "U\nJ07\n"},
    {"O3\nO1\n", "O3\nT1\nO1\n"},
    {"W5\n", ""},
    {"Z\n", "Z0\n"},
};

}  // namespace

class TestSimPty : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void commandTable_data();
    void commandTable();
    void consoleCommands();
    void startsUnderLocalControl();
    void panelClosesAndReopens();
    void everyDialogLineSetting_data();
    void everyDialogLineSetting();
    void answersAtTheLineSpeed_data();
    void answersAtTheLineSpeed();
    void lifecycle();
    void usage();
    void logLinesOption();
};

void TestSimPty::init() {
    if (simPath().isEmpty()) QSKIP("TOLVANE_BUILD_DIR is not set");
    QVERIFY2(QFileInfo(simPath()).isExecutable(), qPrintable(simPath()));
}

void TestSimPty::commandTable_data() {
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QByteArrayList>("commands");
    QTest::addColumn<QByteArrayList>("answers");
    auto row = [](const char* name, const QByteArray& status, std::initializer_list<Step> own) {
        QByteArrayList commands{"?\n"}, answers{"#\n" + kStatusBody + status};
        for (const Step& s : own) {
            commands << s.command;
            answers << s.answer;
        }
        for (const Step& s : kCommonTail) {
            commands << s.command;
            answers << s.answer;
        }
        QTest::newRow(name) << QString(name) << commands << answers;
    };
    // Each firmware's own flavour, then a command of another flavour that it
    // must ignore (the next exact answer shows that nothing came).
    row("v601", "!\n.\n",
        {{"MM\n", "M3\n"},
         {"M2\n", ""},
         {"m\n", ""},
         {"AA\n", "A4\n"},
         {"a\n", ""},
         {"ddd\n", "D4\n"},
         {"D\n", ""},
         {"\"\n", "\"0\n"},
         {"\"1\n", ""},
         {"'", "'0\n"},
         {"'", "'1\n"},
         {"Z\n", "Z0\n"}});
    row("adapt", ".\n",
        {{"M2\nF1407400\n", "M2\nF1407400\n"},
         {"M\n", ""},
         {"A1\nF1407400\n", "A1\nF1407400\n"},
         {"a\n", ""},
         {"d\n", ""},
         {"D\n", ""},
         {"\"0\n", "\"0\n"},
         {"\"\n", ""},
         {"'0\n", "'0\n"},
         {"'1\n", "'1\n"},  // PTT enable back on: the tail keys the radio
         {"Z\n", "Z0\n"}});
    row("nonadapt", "!\nQT1\nQC0\n.\n",
        {{"mm\n", "M3\n"},
         {"M\n", ""},
         {"M2\n", ""},
         {"a\n", "A3\n"},
         {"A\n", ""},
         {"DD\n", "D3\n"},
         {"d\n", ""},
         {"\"0\n", "\"0\n"},
         {"'0\n", "'0\n"},
         {"'1\n", "'1\n"},
         {"Z\n", "Z0\n"}});
}

void TestSimPty::commandTable() {
    QFETCH(QString, firmware);
    QFETCH(QByteArrayList, commands);
    QFETCH(QByteArrayList, answers);
    Sim sim;
    QVERIFY2(sim.start({"--firmware", firmware}), sim.banner.constData());
    QCOMPARE(sim.console("meter 7"), QByteArray("meter: held at J07"));
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const QByteArray got = sim.exchange(commands[i], answers[i]);
        QVERIFY2(got == answers[i],
                 qPrintable(QString("%1: sent %2, got %3, expected %4")
                                .arg(firmware, commands[i].toPercentEncoding(),
                                     got.toPercentEncoding(), answers[i].toPercentEncoding())));
    }
}

void TestSimPty::consoleCommands() {
    Sim sim;
    QVERIFY2(sim.start({"--firmware", "nonadapt"}), sim.banner.constData());
    QVERIFY(sim.banner.contains(sim.link.toLocal8Bit()));
    QVERIFY(sim.console("help").startsWith("console commands"));
    while (sim.proc.canReadLine() || sim.proc.waitForReadyRead(100)) sim.proc.readAll();
    QCOMPARE(sim.console("meter 42"), QByteArray("meter: held at J42"));
    QCOMPARE(sim.exchange("U", "U\nJ42\n"), QByteArray("U\nJ42\n"));

    QVERIFY(sim.console("local").startsWith("local control"));
    QCOMPARE(sim.read(3), QByteArray("R0\n"));
    sim.send("mm\n");  // ignored under local control
    QCOMPARE(sim.exchange("Z\n", "Z0\n"), QByteArray("Z0\n"));
    QVERIFY(sim.console("remote").startsWith("remote control"));
    QCOMPARE(sim.read(3), QByteArray("R1\n"));
    QCOMPARE(sim.exchange("mm\n", "M3\n"), QByteArray("M3\n"));

    QVERIFY(sim.console("fault 3").startsWith("fault"));
    QCOMPARE(sim.read(3), QByteArray("Z3\n"));
    QCOMPARE(sim.exchange("Z\n", "Z3\n"), QByteArray("Z3\n"));
    QVERIFY(sim.console("clear").startsWith("fault cleared"));
    QCOMPARE(sim.read(3), QByteArray("Z0\n"));

    QVERIFY(sim.console("freq 0712500").startsWith("tuned"));
    QCOMPARE(sim.read(9), QByteArray("F0712500\n"));
    QVERIFY(sim.console("freq 3100000").startsWith("bad value"));
    QVERIFY(sim.console("say W5 hello").startsWith("said"));
    QCOMPARE(sim.read(9), QByteArray("W5 hello\n"));

    QVERIFY(sim.console("silent").startsWith("silent"));
    sim.send("?\n");  // taken but not answered
    QVERIFY(sim.console("talk").startsWith("talking"));
    QCOMPARE(sim.exchange("Z\n", "Z0\n"), QByteArray("Z0\n"));

    QVERIFY(sim.console("nonsense").startsWith("unknown command"));
    QByteArray state = sim.console("state");
    for (int i = 0; i < 3; ++i) state += sim.readConsoleLine(1000).trimmed().prepend(' ');
    QVERIFY2(state.startsWith("firmware nonadapt, remote control"), state.constData());
    QVERIFY2(state.contains("F0712500 (7.12500 MHz)  M3 AME  A2 SLOW  D1 Aud  J42"),
             state.constData());
    QVERIFY2(state.endsWith("O1 amp off  T1 idle  Z0"), state.constData());
    QVERIFY(sim.console("babble").startsWith("babble on"));
    QVERIFY(!sim.read(2).isEmpty());
    QVERIFY(sim.console("babble").startsWith("babble off"));
    QCOMPARE(sim.console("quit"), QByteArray("stopping"));
    QVERIFY(sim.proc.state() == QProcess::NotRunning || sim.proc.waitForFinished(2000));
    QCOMPARE(sim.proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.proc.exitCode(), 0);
    QVERIFY(!isLink(sim.link));
}

void TestSimPty::startsUnderLocalControl() {
    Sim sim;
    QVERIFY2(sim.start({"--firmware", "adapt", "--local"}), sim.banner.constData());
    QVERIFY(sim.banner.contains("local control"));
    QByteArray body = kStatusBody;
    body.replace("R1", "R0");
    QCOMPARE(sim.exchange("?\n", "#\n" + body + ".\n"), "#\n" + body + ".\n");
    sim.send("M2\nF0712500\n");  // settings are ignored
    sim.send(" ");               // the local heartbeat is not answered
    QCOMPARE(sim.exchange("L00\n", "P0007000001\n"), QByteArray("P0007000001\n"));
}

void TestSimPty::panelClosesAndReopens() {
    Sim sim;
    QVERIFY2(sim.start({}), sim.banner.constData());
    QCOMPARE(sim.exchange("Z\n", "Z0\n"), QByteArray("Z0\n"));
    for (int i = 0; i < 3; ++i) {
        sim.closeLine();
        QVERIFY(sim.openLine());
        QCOMPARE(sim.exchange("Z\n", "Z0\n"), QByteArray("Z0\n"));
    }
    QCOMPARE(sim.proc.state(), QProcess::Running);
}

namespace {

// What the radio answers on the panel's own port, until `count` characters
// came or five seconds passed.
std::string readPort(tolvane::SerialPort& port, std::size_t count) {
    std::string got;
    const auto end = steady_clock::now() + seconds(5);
    while (got.size() < count && steady_clock::now() < end) {
        port.waitReadable(0.05);
        got += port.input();
    }
    return got;
}

}  // namespace

void TestSimPty::everyDialogLineSetting_data() {
    QTest::addColumn<QString>("settings");
    // The baud list of the Port Setup dialog, as it writes them.
    for (const char* s :
         {"19200 ,O,7,1", "9600 ,O,7,1", "4800 ,O,7,1", "2400,O,7,1", "600,O,7,1", "300,O,7,1"})
        QTest::newRow(s) << QString(s);
}

// The panel's port opens the simulator's terminal with every line setting
// the dialog offers, again and again (Port Setup applied twice), and the
// radio answers each time.
void TestSimPty::everyDialogLineSetting() {
    QFETCH(QString, settings);
    Sim sim;
    QVERIFY2(sim.start({}), sim.banner.constData());
    sim.closeLine();
    tolvane::PosixSerialPort port(sim.dir.path().toStdString());
    tolvane::PortConfig config;
    config.portNumber = 3;
    config.settings = settings.toStdString();
    for (int i = 0; i < 3; ++i) {
        try {
            port.open(config);
        } catch (const tolvane::PortError& e) {
            QFAIL(qPrintable(QString("opening %1: %2").arg(i + 1).arg(e.what())));
        }
        port.write("Z\n");
        QCOMPARE(readPort(port, 3), std::string("Z0\n"));
        port.close();
    }
}

void TestSimPty::answersAtTheLineSpeed_data() {
    QTest::addColumn<int>("baud");
    QTest::newRow("1200") << 1200;
    QTest::newRow("2400") << 2400;
}

// At a slow line speed the complete status takes its time on the line: ten
// bits a character. (Only the lower bound is asserted: the line can be no
// faster than its speed.)
void TestSimPty::answersAtTheLineSpeed() {
    QFETCH(int, baud);
    Sim sim;
    QVERIFY2(sim.start({}), sim.banner.constData());
    sim.closeLine();
    tolvane::PosixSerialPort port(sim.dir.path().toStdString());
    tolvane::PortConfig config;
    config.portNumber = 3;
    config.settings = std::to_string(baud) + ",O,7,1";
    port.open(config);
    const std::string status = "#\n" + kStatusBody.toStdString() + "!\n.\n";
    const auto start = steady_clock::now();
    port.write("?\n");
    QCOMPARE(readPort(port, status.size()), status);
    const double took = duration<double>(steady_clock::now() - start).count();
    const double line = static_cast<double>(status.size()) * 10.0 / baud;
    QVERIFY2(took >= 0.9 * line, qPrintable(QString("%1 s for %2 s").arg(took).arg(line)));
}

void TestSimPty::lifecycle() {
    Sim sim;
    // A stale link of an earlier run is replaced.
    QVERIFY(QDir(sim.dir.path()).mkpath("ports"));
    const QString link = sim.dir.path() + "/ports/COM4";
    QCOMPARE(::symlink("/nonexistent/pts/99", link.toLocal8Bit().constData()), 0);
    QVERIFY2(sim.start({"--firmware", "v601"}, 4), sim.banner.constData());
    QVERIFY(QFileInfo(link).symLinkTarget().startsWith("/dev/pts/"));

    sim.proc.closeWriteChannel();  // end of standard input does not stop it
    QCOMPARE(sim.exchange("Z\n", "Z0\n"), QByteArray("Z0\n"));
    QCOMPARE(sim.exchange("Z\n", "Z0\n"), QByteArray("Z0\n"));
    QCOMPARE(sim.proc.state(), QProcess::Running);

    sim.proc.terminate();  // SIGTERM
    QVERIFY(sim.proc.waitForFinished(2000));
    QCOMPARE(sim.proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.proc.exitCode(), 0);
    QVERIFY(!isLink(link));
}

void TestSimPty::usage() {
    QProcess help;
    help.start(simPath(), {"--help"});
    QVERIFY(help.waitForFinished(2000));
    QCOMPARE(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    for (const char* word : {"--firmware", "local", "remote", "silent", "talk", "fault", "clear",
                             "freq", "say", "state", "babble", "quit"})
        QVERIFY2(text.contains(word), word);

    QTemporaryDir dir;
    QProcess bad;
    bad.start(simPath(), {"--folder", dir.path(), "--firmware", "v999"});
    QVERIFY(bad.waitForFinished(2000));
    QCOMPARE(bad.exitCode(), 2);
    QVERIFY(!QFileInfo::exists(dir.path() + "/ports"));
}

// The command log keeps the lines asked for; the trace goes on after it is full.
void TestSimPty::logLinesOption() {
    QProcess help;
    help.start(simPath(), {"--help"});
    QVERIFY(help.waitForFinished(2000));
    QVERIFY(help.readAllStandardOutput().contains("--log-lines"));
    for (const char* bad : {"0", "x", "-3", "1234567"}) {
        QTemporaryDir dir;
        QProcess p;
        p.start(simPath(), {"--folder", dir.path(), "--log-lines", bad});
        QVERIFY(p.waitForFinished(2000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("--log-lines"));
    }
    Sim sim;
    QVERIFY2(sim.start({"--log-lines", "2", "--trace"}), sim.banner.constData());
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(sim.exchange("Z\n", "Z0\n"), QByteArray("Z0\n"));
        QCOMPARE(sim.readConsoleLine(2000).trimmed(), QByteArray("panel> Z"));
        QCOMPARE(sim.readConsoleLine(2000).trimmed(), QByteArray("radio> Z0"));
    }
}

QTEST_GUILESS_MAIN(TestSimPty)
#include "test_sim_pty.moc"
