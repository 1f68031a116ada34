// The real tolvane and tolvane-sim over a pseudo-terminal, in real time, on
// a virtual X display: a VFO A digit held down with the left mouse button
// tunes the simulated radio up, a right-button click tunes it down again.
// The mouse is moved and pressed by xdotool as a person would; the test
// skips itself where Xvfb or xdotool is not installed.
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "panel/frm_tolvane.h"

class TestE2eTuning : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void digitClickTunesTheRadio();

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

    QTemporaryDir* dir_ = nullptr;
    QProcess* x_ = nullptr;
    QProcess* sim_ = nullptr;
    QProcess* panel_ = nullptr;
    QString display_;
    QString trace_;
};

void TestE2eTuning::init() {
    if (qEnvironmentVariableIsEmpty("TOLVANE_BUILD_DIR")) QSKIP("TOLVANE_BUILD_DIR not set");
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty())
        QSKIP("Xvfb and xdotool are needed to click the panel from outside");
    dir_ = new QTemporaryDir;
    trace_.clear();
}

void TestE2eTuning::stop(QProcess*& p) {
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

void TestE2eTuning::cleanup() {
    stop(panel_);
    stop(sim_);
    stop(x_);
    delete dir_;
    dir_ = nullptr;
}

bool TestE2eTuning::startDisplay() {
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

bool TestE2eTuning::startRadioAndPanel() {
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

bool TestE2eTuning::xdotool(const QStringList& args, QString* out, int timeoutMs) {
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

bool TestE2eTuning::waitTrace(const QString& text, int timeoutMs, int from) {
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

void TestE2eTuning::digitClickTunesTheRadio() {
    QVERIFY2(startDisplay(), "the virtual X display did not start");
    QVERIFY(startRadioAndPanel());
    // Under remote control, initialised, in the main loop: the heartbeat runs.
    QVERIFY2(waitTrace("panel> U", 20000), qPrintable(trace_));
    QVERIFY2(waitTrace("radio> F1407400", 1000), qPrintable(trace_));
    QString found;
    QVERIFY(xdotool({"search", "--sync", "--onlyvisible", "--name", "Tolvane"}, &found, 10000));
    const QString window = found.section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "the panel's window was not found");
    // Where the 10 Hz digit lies in the window: the same form, laid out here.
    tolvane::FrmTolvane form;
    QPushButton* digit = form.cmdF[6];
    const QPoint at = digit->mapTo(&form, digit->rect().center());

    // Held with the left button: the first step goes out at once; the
    // release follows it, and the row is sent once more.
    int from = trace_.size();
    QVERIFY(xdotool({"mousemove", "--window", window, QString::number(at.x()),
                     QString::number(at.y()), "mousedown", "1"}));
    const bool stepped = waitTrace("panel> F1407401", 5000, from);
    QVERIFY(xdotool({"mouseup", "1"}));
    QVERIFY2(stepped, qPrintable(trace_.mid(from)));
    QVERIFY2(waitTrace("radio> F1407401", 3000, from), qPrintable(trace_.mid(from)));
    const int second = trace_.indexOf("panel> F1407401", from) + 1;
    QVERIFY2(waitTrace("panel> F1407401", 3000, second), qPrintable(trace_.mid(from)));

    // A right-button click steps the digit down again.
    from = trace_.size();
    QVERIFY(xdotool({"mousedown", "3"}));
    const bool down = waitTrace("panel> F1407400", 5000, from);
    QVERIFY(xdotool({"mouseup", "3"}));
    QVERIFY2(down, qPrintable(trace_.mid(from)));
    QVERIFY2(waitTrace("radio> F1407400", 3000, from), qPrintable(trace_.mid(from)));
    QVERIFY(panel_->state() == QProcess::Running);
}

QTEST_MAIN(TestE2eTuning)
#include "test_e2e_tuning.moc"
