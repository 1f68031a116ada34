// The real tolvane and tolvane-sim over pseudo-terminals, in real time:
// launch, monitoring, loss and return of sync, and a SIGTERM shutdown.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

class TestE2ePanel : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void localMonitoringAndSigtermShutdown();
    void remoteHeartbeatSurvivesSilentRadio();
    void catBridgeOverPseudoTerminal();
    void rigctlAgainstThePanel();
    void simulatorKilledAndBack();
    void simulatorBackOnAnotherDevice();

  private:
    // The pseudo-terminal the simulator's banner names ("/dev/pts/3").
    QString simDevice();
    // Kills the simulator and starts a new one on the same port number;
    // returns the new one's terminal.
    QString restartSimulator();
    bool start(const QStringList& simArgs, const QStringList& panelArgs = {});
    // Waits until the simulator's trace shows `text` after position `from`.
    bool waitTrace(const QString& text, int timeoutMs, int from = 0);
    QString bin(const QString& name) const;
    void writePortSetup();

    QTemporaryDir* dir_ = nullptr;
    QProcess* sim_ = nullptr;
    QProcess* panel_ = nullptr;
    QString trace_;
};

QString TestE2ePanel::bin(const QString& name) const {
    return qEnvironmentVariable("TOLVANE_BUILD_DIR") + "/" + name;
}

void TestE2ePanel::init() {
    if (qEnvironmentVariableIsEmpty("TOLVANE_BUILD_DIR")) QSKIP("TOLVANE_BUILD_DIR not set");
    dir_ = new QTemporaryDir;
    sim_ = new QProcess;
    panel_ = new QProcess;
    trace_.clear();
}

void TestE2ePanel::cleanup() {
    for (QProcess* p : {panel_, sim_}) {
        if (p == nullptr) continue;
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(2000);
        }
        delete p;
    }
    panel_ = sim_ = nullptr;
    delete dir_;
    dir_ = nullptr;
}

void TestE2ePanel::writePortSetup() {
    QFile f(dir_->filePath("PortSetup.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("1\r\n9600,O,7,1\r\ncomNone\r\n0\r\n");
}

bool TestE2ePanel::start(const QStringList& simArgs, const QStringList& panelArgs) {
    writePortSetup();
    sim_->setProgram(bin("tolvane-sim"));
    sim_->setArguments(QStringList{"--folder", dir_->path(), "--port", "1", "--trace"} + simArgs);
    sim_->setProcessChannelMode(QProcess::MergedChannels);
    sim_->start();
    if (!sim_->waitForStarted(3000)) return false;
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(dir_->filePath("ports/COM1")) && t.elapsed() < 3000)
        sim_->waitForReadyRead(50);
    panel_->setProgram(bin("tolvane"));
    panel_->setWorkingDirectory(dir_->path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    panel_->setProcessEnvironment(env);
    panel_->setArguments(panelArgs);
    panel_->start();
    return panel_->waitForStarted(3000);
}

bool TestE2ePanel::waitTrace(const QString& text, int timeoutMs, int from) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        trace_ += QString::fromLatin1(sim_->readAll());
        if (trace_.indexOf(text, from) >= 0) return true;
        sim_->waitForReadyRead(50);
    }
    trace_ += QString::fromLatin1(sim_->readAll());
    return trace_.indexOf(text, from) >= 0;
}

void TestE2ePanel::localMonitoringAndSigtermShutdown() {
    QVERIFY(start({"--firmware", "nonadapt", "--local"}));
    // The panel asks for the status and monitors the radio with "?" only.
    QVERIFY2(waitTrace("panel> ?", 5000), qPrintable(trace_));
    QVERIFY(waitTrace("radio> .", 5000));
    QTest::qWait(1500);
    trace_ += QString::fromLatin1(sim_->readAll());
    QVERIFY2(!trace_.contains("panel> U"), qPrintable(trace_));
    // SIGTERM: the same shutdown as closing the window.
    int from = trace_.size();
    ::kill(static_cast<pid_t>(panel_->processId()), SIGTERM);
    QVERIFY(panel_->waitForFinished(3000));
    QCOMPARE(panel_->exitStatus(), QProcess::NormalExit);
    QCOMPARE(panel_->exitCode(), 0);
    QVERIFY(waitTrace("panel> G00", 2000, from));
    QTest::qWait(300);
    trace_ += QString::fromLatin1(sim_->readAll());
    QString after = trace_.mid(trace_.indexOf("panel> G00", from) + 10);
    QVERIFY2(!after.contains("panel>"), qPrintable(after));  // nothing after G00
    QFile state(dir_->filePath("Tolvaneini.txt"));
    QVERIFY(state.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = state.readAll().split('\n');
    QCOMPARE(lines.size(), 7);  // six lines, each ended by CR LF
    QCOMPARE(lines[4], QByteArray("Split Off\r"));
}

void TestE2ePanel::remoteHeartbeatSurvivesSilentRadio() {
    QVERIFY(start({"--firmware", "v601"}));
    QVERIFY2(waitTrace("panel> B100", 8000), qPrintable(trace_));
    QVERIFY2(waitTrace("panel> G00", 5000), qPrintable(trace_));
    int from = trace_.size();
    QVERIFY2(waitTrace("panel> U", 4000, from), qPrintable(trace_));
    // The radio goes silent: six unanswered syncs, then the panel queries again.
    sim_->write("silent\n");
    from = trace_.size();
    QVERIFY2(waitTrace("panel> ?", 20000, from), qPrintable(trace_.mid(from)));
    sim_->write("talk\n");
    from = trace_.size();
    QVERIFY2(waitTrace("radio> U", 8000, from), qPrintable(trace_.mid(from)));
    QVERIFY(waitTrace("panel> U", 4000, trace_.size()));
    // Back in sync without a second initialisation.
    QVERIFY2(!trace_.mid(from).contains("panel> B100"), qPrintable(trace_.mid(from)));
    panel_->terminate();
    QVERIFY(panel_->waitForFinished(3000));
    QCOMPARE(panel_->exitCode(), 0);
}

QString TestE2ePanel::simDevice() {
    QRegularExpression banner("radio on (\\S+) linked as ");
    if (!waitTrace(" linked as ", 3000)) return QString();
    return banner.match(trace_).captured(1);
}

QString TestE2ePanel::restartSimulator() {
    sim_->kill();
    if (!sim_->waitForFinished(3000)) return QString();
    QTest::qWait(1500);
    if (panel_->state() != QProcess::Running) return QString();
    trace_.clear();
    sim_->setArguments(QStringList{"--folder", dir_->path(), "--port", "1", "--trace", "--firmware",
                                   "nonadapt", "--local"});
    sim_->start();
    if (!sim_->waitForStarted(3000)) return QString();
    return simDevice();
}

// The radio's device goes away while the panel runs (the simulator killed)
// and a new simulator starts on the same port number. The panel opens it
// again only when its terminal is the device the panel had: devpts usually
// hands the freed number back, but not when other programs made terminals
// meanwhile. Either way the panel neither crashes nor hangs.
void TestE2ePanel::simulatorKilledAndBack() {
    QVERIFY(start({"--firmware", "nonadapt", "--local"}));
    const QString had = simDevice();
    QVERIFY2(had.startsWith("/dev/pts/"), qPrintable(trace_));
    QVERIFY2(waitTrace("radio> .", 8000), qPrintable(trace_));
    const QString now = restartSimulator();
    QVERIFY2(!now.isEmpty(), qPrintable(trace_));
    qInfo("%s", now == had ? "the same terminal again: reopened" : "another terminal: not opened");
    if (now == had) {
        QVERIFY2(waitTrace("panel> ?", 10000), qPrintable(trace_));
        QVERIFY2(waitTrace("radio> .", 5000), qPrintable(trace_));
    } else {
        QTest::qWait(3000);
        trace_ += QString::fromLatin1(sim_->readAll());
        QVERIFY2(!trace_.contains("panel>"), qPrintable(trace_));
    }
    panel_->terminate();
    QVERIFY(panel_->waitForFinished(3000));
    QCOMPARE(panel_->exitCode(), 0);
    if (now != had) {  // the shutdown's "G00" goes only to an open port
        QTest::qWait(300);
        trace_ += QString::fromLatin1(sim_->readAll());
        QVERIFY2(!trace_.contains("panel>"), qPrintable(trace_));
    }
}

// The same, with the old terminal's number kept taken by this test, so the
// new simulator surely gets another device: the panel never opens it, not
// even to send its shutdown "G00".
void TestE2ePanel::simulatorBackOnAnotherDevice() {
    QVERIFY(start({"--firmware", "nonadapt", "--local"}));
    const QString had = simDevice();
    QVERIFY2(had.startsWith("/dev/pts/"), qPrintable(trace_));
    QVERIFY2(waitTrace("radio> .", 8000), qPrintable(trace_));
    const int keep = ::open(had.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(keep >= 0);
    const QString now = restartSimulator();
    QVERIFY2(!now.isEmpty() && now != had, qPrintable(trace_));
    QTest::qWait(3000);
    trace_ += QString::fromLatin1(sim_->readAll());
    QVERIFY2(!trace_.contains("panel>"), qPrintable(trace_));
    panel_->terminate();
    QVERIFY(panel_->waitForFinished(3000));
    QCOMPARE(panel_->exitCode(), 0);
    QTest::qWait(300);
    trace_ += QString::fromLatin1(sim_->readAll());
    QVERIFY2(!trace_.contains("panel>"), qPrintable(trace_));
    ::close(keep);
}

// Station software on a pseudo-terminal pair linked as ports/COM2.
void TestE2ePanel::catBridgeOverPseudoTerminal() {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    QString slave = QString::fromLatin1(::ptsname(master));
    struct termios tio;
    ::tcgetattr(master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master, TCSANOW, &tio);
    QDir(dir_->path()).mkpath("ports");
    QVERIFY(QFile::link(slave, dir_->filePath("ports/COM2")));
    QFile cat(dir_->filePath("CATSetup.txt"));
    QVERIFY(cat.open(QIODevice::WriteOnly));
    cat.write("2\r\n9600,N,8,1\r\ncomNone\r\nKenwood\r\n");
    cat.close();
    QVERIFY(start({"--firmware", "v601"}));
    QVERIFY2(waitTrace("panel> G00", 10000), qPrintable(trace_));
    auto ask = [&](const char* text, int wantEnd) {
        QByteArray got;
        QTest::qWait(100);
        (void)!::write(master, text, strlen(text));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 3000 && got.count(';') < wantEnd) {
            struct pollfd p = {master, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) {
                char buf[256];
                ssize_t n = ::read(master, buf, sizeof buf);
                if (n > 0) got.append(buf, static_cast<int>(n));
            }
        }
        return got;
    };
    QCOMPARE(ask("FA;", 1), QByteArray("FA00014074000;"));
    int from = trace_.size();
    ask("FA00007074000;", 0);
    QVERIFY2(waitTrace("panel> F0707400", 3000, from), qPrintable(trace_.mid(from)));
    QCOMPARE(ask("FA;MD;", 2), QByteArray("FA00007074000;MD2;"));
    QCOMPARE(ask("ID;IF;", 0), QByteArray());
    ::close(master);
}

// Hamlib's rigctl (NET rigctl, model 2) against the running panel's
// endpoint: reads answer from the radio, sets reach the simulated radio.
void TestE2ePanel::rigctlAgainstThePanel() {
    const QString rigctl = QStandardPaths::findExecutable("rigctl");
    if (rigctl.isEmpty()) QSKIP("rigctl is not installed (Debian package libhamlib-utils)");
    int port = 0;
    {
        QTcpServer probe;  // a port nothing listens on just now
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    QVERIFY(start({"--firmware", "v601"}, {"--rigctld=127.0.0.1:" + QString::number(port)}));
    QVERIFY2(waitTrace("panel> G00", 10000), qPrintable(trace_));
    auto run = [&](const QStringList& command) {
        QProcess p;
        p.start(rigctl,
                QStringList{"-m", "2", "-r", "127.0.0.1:" + QString::number(port)} + command);
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished(2000);
            return QString("<timeout>");
        }
        return QString::fromLatin1(p.readAllStandardOutput());
    };
    QCOMPARE(run({"f"}), QString("14074000\n"));
    QCOMPARE(run({"m"}), QString("USB\n2400\n"));
    int from = trace_.size();
    QCOMPARE(run({"F", "7074000"}), QString());
    QVERIFY2(waitTrace("panel> F0707400", 3000, from), qPrintable(trace_.mid(from)));
    QCOMPARE(run({"f"}), QString("7074000\n"));
    QCOMPARE(run({"s"}), QString("0\nVFOA\n"));
    QCOMPARE(run({"S", "1", "VFOB", "I", "7080000", "s", "i"}), QString("1\nVFOB\n7080000\n"));
    from = trace_.size();
    QCOMPARE(run({"M", "LSB", "0", "f"}), QString("7074000\n"));
    QVERIFY2(waitTrace("panel> M", 3000, from), qPrintable(trace_.mid(from)));
    QCOMPARE(run({"m"}), QString("LSB\n2400\n"));
}

QTEST_GUILESS_MAIN(TestE2ePanel)
#include "test_e2e_panel.moc"
