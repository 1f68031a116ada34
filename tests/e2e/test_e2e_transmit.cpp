// The real tolvane and tolvane-sim over a pseudo-terminal, in real time, on
// a virtual X display: XMT (its access key) keys the simulated radio and
// pressed again unkeys it; the panel ended by SIGTERM while XMT holds the
// key leaves the radio unkeyed, also when the signal comes just after TUNE
// keyed. The keys are pressed by xdotool as a person would; the test skips
// itself where Xvfb or xdotool is not installed.
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

class TestE2eTransmit : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void xmitKeysAndSigtermUnkeys();
    void sigtermJustAfterTuneKeysUnkeys();

  private:
    QString bin(const QString& name) const {
        return qEnvironmentVariable("TOLVANE_BUILD_DIR") + "/" + name;
    }
    bool startDisplay();
    bool startRadioAndPanel();
    // Runs xdotool on the display; false when it failed. Its output goes to `out`.
    bool xdotool(const QStringList& args, QString* out = nullptr, int timeoutMs = 5000);
    bool waitTrace(const QString& text, int timeoutMs, int from = 0);
    static void stop(QProcess*& p);
    bool pressXmit(const QString& window, const char* key = "alt+x");

    QTemporaryDir* dir_ = nullptr;
    QProcess* x_ = nullptr;
    QProcess* sim_ = nullptr;
    QProcess* panel_ = nullptr;
    QString display_;
    QString trace_;
};

void TestE2eTransmit::init() {
    if (qEnvironmentVariableIsEmpty("TOLVANE_BUILD_DIR")) QSKIP("TOLVANE_BUILD_DIR not set");
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty())
        QSKIP("Xvfb and xdotool are needed to work the panel from outside");
    dir_ = new QTemporaryDir;
    trace_.clear();
}

void TestE2eTransmit::stop(QProcess*& p) {
    if (p == nullptr) return;
    if (p->state() != QProcess::NotRunning) {
        p->terminate();
        if (!p->waitForFinished(2000)) {
            p->kill();
            p->waitForFinished(2000);
        }
    }
    delete p;
    p = nullptr;
}

void TestE2eTransmit::cleanup() {
    stop(panel_);
    stop(sim_);
    stop(x_);
    delete dir_;
    dir_ = nullptr;
}

bool TestE2eTransmit::startDisplay() {
    // The server picks a free display number and writes it to descriptor 3.
    const QString numberFile = dir_->filePath("display.txt");
    x_ = new QProcess;
    x_->setProgram("sh");
    x_->setArguments({"-c",
                      "exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp "
                      "3>\"$0\"",
                      numberFile});
    x_->start();
    if (!x_->waitForStarted(3000)) return false;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000) {
        QFile f(numberFile);
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray n = f.readAll().trimmed();
            if (!n.isEmpty()) {
                display_ = ":" + QString::fromLatin1(n);
                if (QFile::exists("/tmp/.X11-unix/X" + QString::fromLatin1(n))) return true;
            }
        }
        if (x_->state() == QProcess::NotRunning) return false;
        QTest::qWait(50);
    }
    return false;
}

bool TestE2eTransmit::startRadioAndPanel() {
    QFile ps(dir_->filePath("PortSetup.txt"));
    if (!ps.open(QIODevice::WriteOnly)) return false;
    ps.write("1\r\n9600,O,7,1\r\ncomNone\r\n0\r\n");
    ps.close();
    sim_ = new QProcess;
    sim_->setProgram(bin("tolvane-sim"));
    sim_->setArguments({"--folder", dir_->path(), "--port", "1", "--trace", "--firmware", "v601"});
    sim_->setProcessChannelMode(QProcess::MergedChannels);
    sim_->start();
    if (!sim_->waitForStarted(3000)) return false;
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(dir_->filePath("ports/COM1")) && t.elapsed() < 3000)
        sim_->waitForReadyRead(50);
    panel_ = new QProcess;
    panel_->setProgram(bin("tolvane"));
    panel_->setWorkingDirectory(dir_->path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", display_);
    panel_->setProcessEnvironment(env);
    panel_->start();
    return panel_->waitForStarted(3000);
}

bool TestE2eTransmit::xdotool(const QStringList& args, QString* out, int timeoutMs) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    p.setProcessEnvironment(env);
    p.start("xdotool", args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (out != nullptr) *out = QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool TestE2eTransmit::waitTrace(const QString& text, int timeoutMs, int from) {
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

// XMT by its access key (Alt+X), as the operator may press it.
bool TestE2eTransmit::pressXmit(const QString& window, const char* key) {
    return xdotool({"windowfocus", "--sync", window}) && xdotool({"key", "--window", window, key});
}

void TestE2eTransmit::xmitKeysAndSigtermUnkeys() {
    QVERIFY2(startDisplay(), "the virtual X display did not start");
    QVERIFY(startRadioAndPanel());
    // Under remote control, initialised, in the main loop: the heartbeat
    // runs, on 14.074 MHz (inside the 20 m band).
    QVERIFY2(waitTrace("panel> U", 20000), qPrintable(trace_));
    QVERIFY2(waitTrace("radio> F1407400", 1000), qPrintable(trace_));
    QString found;
    QVERIFY(xdotool({"search", "--sync", "--onlyvisible", "--name", "Tolvane"}, &found, 10000));
    const QString window = found.section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "the panel's window was not found");

    // XMT: keyed, and the heartbeat keeps it keyed.
    int from = trace_.size();
    QVERIFY(pressXmit(window));
    QVERIFY2(waitTrace("panel> K", 5000, from), qPrintable(trace_.mid(from)));
    QVERIFY2(waitTrace("radio> K", 3000, from), qPrintable(trace_.mid(from)));
    from = trace_.size();
    QVERIFY2(waitTrace("radio> K", 4000, from), qPrintable(trace_.mid(from)));
    QVERIFY2(!trace_.mid(from).contains("panel> U"), qPrintable(trace_.mid(from)));

    // XMT again: unkeyed.
    from = trace_.size();
    QVERIFY(pressXmit(window));
    QVERIFY2(waitTrace("panel> U", 5000, from), qPrintable(trace_.mid(from)));
    QVERIFY2(waitTrace("radio> U", 3000, from), qPrintable(trace_.mid(from)));

    // Keyed once more, then SIGTERM: "U" before "G00", the radio unkeyed.
    from = trace_.size();
    QVERIFY(pressXmit(window));
    QVERIFY2(waitTrace("radio> K", 5000, from), qPrintable(trace_.mid(from)));
    from = trace_.size();
    ::kill(static_cast<pid_t>(panel_->processId()), SIGTERM);
    QVERIFY(panel_->waitForFinished(5000));
    QCOMPARE(panel_->exitStatus(), QProcess::NormalExit);
    QCOMPARE(panel_->exitCode(), 0);
    QVERIFY2(waitTrace("panel> G00", 3000, from), qPrintable(trace_.mid(from)));
    QTest::qWait(300);
    trace_ += QString::fromLatin1(sim_->readAll());
    const QString after = trace_.mid(from);
    const int unkey = after.indexOf("panel> U");
    QVERIFY2(unkey >= 0 && unkey < after.indexOf("panel> G00"),
             qPrintable(trace_.mid(std::max(0, from - 600))));
    QVERIFY2(after.lastIndexOf("radio> U") > after.lastIndexOf("radio> K"), qPrintable(after));
}

// TUNE (Alt+U) keys, and SIGTERM arrives while the key's send still pauses
// (the program serves a termination inside its waits): still "U" first.
void TestE2eTransmit::sigtermJustAfterTuneKeysUnkeys() {
    QVERIFY2(startDisplay(), "the virtual X display did not start");
    QVERIFY(startRadioAndPanel());
    QVERIFY2(waitTrace("panel> U", 20000), qPrintable(trace_));
    QString found;
    QVERIFY(xdotool({"search", "--sync", "--onlyvisible", "--name", "Tolvane"}, &found, 10000));
    const QString window = found.section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "the panel's window was not found");
    int from = trace_.size();
    QVERIFY(pressXmit(window, "alt+u"));
    QVERIFY2(waitTrace("radio> K", 5000, from), qPrintable(trace_.mid(from)));
    from = trace_.size();
    ::kill(static_cast<pid_t>(panel_->processId()), SIGTERM);
    QVERIFY(panel_->waitForFinished(5000));
    QCOMPARE(panel_->exitCode(), 0);
    QVERIFY2(waitTrace("panel> G00", 3000, from), qPrintable(trace_.mid(from)));
    QTest::qWait(300);
    trace_ += QString::fromLatin1(sim_->readAll());
    const QString after = trace_.mid(from);
    const int unkey = after.indexOf("panel> U");
    QVERIFY2(unkey >= 0 && unkey < after.indexOf("panel> G00"), qPrintable(after));
    QVERIFY2(after.contains("radio> U"), qPrintable(after));
}

QTEST_MAIN(TestE2eTransmit)
#include "test_e2e_transmit.moc"
