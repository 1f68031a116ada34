// The real tolvane and tolvane-sim over a pseudo-terminal, in real time, on
// a virtual X display: the 40 m band button opens the Frequency Select
// window with the 40 m list, and choosing a row of it tunes the simulated
// radio. The mouse is moved and pressed by xdotool as a person would; the
// test skips itself where Xvfb or xdotool is not installed.
#include <QDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "panel/frm_tolvane.h"
#include "ui_frmBandSelect.h"

class TestE2eTools : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void bandListRowTunesTheRadio();

  private:
    QString bin(const QString& name) const {
        return qEnvironmentVariable("TOLVANE_BUILD_DIR") + "/" + name;
    }
    bool startDisplay();
    bool startRadioAndPanel();
    // Runs xdotool on the display; false when it failed. Its output goes to `out`.
    bool xdotool(const QStringList& args, QString* out = nullptr, int timeoutMs = 5000);
    bool waitTrace(const QString& text, int timeoutMs, int from = 0);
    // The first visible window whose title matches `name`.
    QString findWindow(const QString& name);
    bool click(const QString& window, QPoint at);
    static void stop(QProcess*& p);

    QTemporaryDir* dir_ = nullptr;
    QProcess* x_ = nullptr;
    QProcess* sim_ = nullptr;
    QProcess* panel_ = nullptr;
    QString display_;
    QString trace_;
};

void TestE2eTools::init() {
    if (qEnvironmentVariableIsEmpty("TOLVANE_BUILD_DIR")) QSKIP("TOLVANE_BUILD_DIR not set");
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty())
        QSKIP("Xvfb and xdotool are needed to click the panel from outside");
    dir_ = new QTemporaryDir;
    trace_.clear();
}

void TestE2eTools::stop(QProcess*& p) {
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

void TestE2eTools::cleanup() {
    stop(panel_);
    stop(sim_);
    stop(x_);
    delete dir_;
    dir_ = nullptr;
}

bool TestE2eTools::startDisplay() {
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

bool TestE2eTools::startRadioAndPanel() {
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

bool TestE2eTools::xdotool(const QStringList& args, QString* out, int timeoutMs) {
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

bool TestE2eTools::waitTrace(const QString& text, int timeoutMs, int from) {
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

QString TestE2eTools::findWindow(const QString& name) {
    QString found;
    if (!xdotool({"search", "--sync", "--onlyvisible", "--name", name}, &found, 10000)) return {};
    return found.section('\n', 0, 0);
}

bool TestE2eTools::click(const QString& window, QPoint at) {
    return xdotool({"mousemove", "--window", window, QString::number(at.x()),
                    QString::number(at.y()), "click", "1"});
}

void TestE2eTools::bandListRowTunesTheRadio() {
    QFile list(dir_->filePath("M40List.txt"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("7.074 USB FT8\r\n7.1 USB net\r\n");
    list.close();
    QVERIFY2(startDisplay(), "the virtual X display did not start");
    QVERIFY(startRadioAndPanel());
    // Under remote control, initialised, in the main loop: the heartbeat runs.
    QVERIFY2(waitTrace("panel> U", 20000), qPrintable(trace_));
    QVERIFY2(waitTrace("radio> F1407400", 1000), qPrintable(trace_));
    const QString main = findWindow("^Tolvane");
    QVERIFY2(!main.isEmpty(), "the panel's window was not found");

    // Where the 40 m button lies in the main window: the same form, shown
    // here (offscreen) so that its menu bar takes its place.
    tolvane::FrmTolvane form;
    form.show();
    auto* band = form.findChild<QPushButton*>("cmd40M");
    QVERIFY(band != nullptr);
    QVERIFY(click(main, band->mapTo(&form, band->rect().center())));
    // Its title names the list file it shows.
    const QString select = findWindow("/M40List\\.txt$");
    QVERIFY2(!select.isEmpty(), "the Frequency Select window did not open");

    // The second row's choice button in that window, laid out at its size.
    QString geometry;
    QVERIFY(xdotool({"getwindowgeometry", "--shell", select}, &geometry));
    int width = 0;
    int height = 0;
    for (const QString& line : geometry.split('\n')) {
        if (line.startsWith("WIDTH=")) width = line.mid(6).toInt();
        if (line.startsWith("HEIGHT=")) height = line.mid(7).toInt();
    }
    QVERIFY(width > 0 && height > 0);
    QDialog dialog;
    Ui::frmBandSelect ui;
    ui.setupUi(&dialog);
    ui.fraBand->setTitle("40 Meters");  // the frame's caption takes its room
    dialog.resize(width, height);
    dialog.show();  // offscreen: lays out the rows inside the frame as well
    QRadioButton* row = ui.Option1_1;
    const int from = trace_.size();
    QVERIFY(click(select, row->mapTo(&dialog, row->rect().center())));
    QVERIFY2(waitTrace("panel> F0710000", 5000, from), qPrintable(trace_.mid(from)));
    QVERIFY2(waitTrace("radio> F0710000", 3000, from), qPrintable(trace_.mid(from)));
    QVERIFY(panel_->state() == QProcess::Running);
}

QTEST_MAIN(TestE2eTools)
#include "test_e2e_tools.moc"
