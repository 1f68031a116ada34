// A virtual X display with tolvane-sim and the real tolvane on it, for the
// end-to-end tests that press the panel's buttons from outside with xdotool
// as a person would. The simulator traces every command and report; the
// tests wait for lines of that trace.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class XvfbDesktop {
  public:
    ~XvfbDesktop() { stopAll(); }

    // Empty when the test can run here, else why it cannot.
    static QString missingTools() {
        if (qEnvironmentVariableIsEmpty("TOLVANE_BUILD_DIR")) return "TOLVANE_BUILD_DIR not set";
        if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
            QStandardPaths::findExecutable("xdotool").isEmpty())
            return "Xvfb and xdotool are needed to click the panel from outside";
        return {};
    }

    // The working folder of the panel and the simulator.
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    const QString& trace() const { return trace_; }
    QProcess* panel() const { return panel_; }

    bool startDisplay() {
        // The server picks a free display number and writes it to descriptor 3.
        const QString numberFile = dir_.filePath("display.txt");
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

    // The simulator (v601 firmware) on COM1 and the panel set to it.
    bool startRadioAndPanel() {
        QFile ps(dir_.filePath("PortSetup.txt"));
        if (!ps.open(QIODevice::WriteOnly)) return false;
        ps.write("1\r\n9600,O,7,1\r\ncomNone\r\n0\r\n");
        ps.close();
        sim_ = new QProcess;
        sim_->setProgram(bin("tolvane-sim"));
        sim_->setArguments(
            {"--folder", dir_.path(), "--port", "1", "--trace", "--firmware", "v601"});
        sim_->setProcessChannelMode(QProcess::MergedChannels);
        sim_->start();
        if (!sim_->waitForStarted(3000)) return false;
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(dir_.filePath("ports/COM1")) && t.elapsed() < 3000)
            sim_->waitForReadyRead(50);
        panel_ = new QProcess;
        panel_->setProgram(bin("tolvane"));
        panel_->setWorkingDirectory(dir_.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", display_);
        panel_->setProcessEnvironment(env);
        panel_->start();
        return panel_->waitForStarted(3000);
    }

    // Runs xdotool on the display; false when it failed. Its output goes to `out`.
    bool xdotool(const QStringList& args, QString* out = nullptr, int timeoutMs = 5000) {
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

    // True once `text` stands in the simulator's trace at or after `from`.
    bool waitTrace(const QString& text, int timeoutMs, int from = 0) {
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

    // The first visible window whose title matches `name`.
    QString findWindow(const QString& name) {
        QString found;
        if (!xdotool({"search", "--sync", "--onlyvisible", "--name", name}, &found, 10000))
            return {};
        return found.section('\n', 0, 0);
    }

    bool click(const QString& window, QPoint at) {
        return xdotool({"mousemove", "--window", window, QString::number(at.x()),
                        QString::number(at.y()), "click", "1"});
    }

    void stopAll() {
        stop(panel_);
        stop(sim_);
        stop(x_);
    }

  private:
    static QString bin(const QString& name) {
        return qEnvironmentVariable("TOLVANE_BUILD_DIR") + "/" + name;
    }
    static void stop(QProcess*& p) {
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

    QTemporaryDir dir_;
    QProcess* x_ = nullptr;
    QProcess* sim_ = nullptr;
    QProcess* panel_ = nullptr;
    QString display_;
    QString trace_;
};
