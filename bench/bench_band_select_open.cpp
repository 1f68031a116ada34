// Opening the Frequency Select window, offscreen, on the real clock; prints
// median, p95 and largest of each part:
// - the window alone: from creating it to the window shown and painted with
//   its fourteen rows read from the band list file and the last row filled
//   from the radio's frequency;
// - the whole click on the running panel: the panel program as main()
//   builds it against tolvane-sim over a pseudo-terminal, in its main loop;
//   a click on the 40 m button is posted as the window system delivers it,
//   and the time runs until the window is shown and painted with row 13
//   filled (the main loop's wait for events, the request served, the
//   window made).
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <cstdio>

#include <sys/stat.h>
#include <QMouseEvent>
#include <QPushButton>

#include "app/controller.h"
#include "app/real_shell.h"
#include "bench_support.h"
#include "panel/frm_tolvane.h"
#include "platform/clock.h"
#include "platform/posix_serial_port.h"
#include "radio/radio_link.h"
#include "tools/frm_band_select.h"
#include "tools/tool_host.h"

namespace tolvane::bench {
namespace {

class QuietPanel final : public RadioPanel {
  public:
    void setLamp(Lamp) override {}
    void setComStat(mapping::LinkStatus) override {}
    void reportError(const std::string&) override {}
    void setInfoText(const std::string&) override {}
    bool dataBoxShown() override { return false; }
    void setDataBox(const std::string&) override {}
    void displayMeterData(const std::string&) override {}
    void setSyncCaption(const std::string&) override {}
    void setSyncColour(long) override {}
    void ShowMode() override {}
    void ShowSideTone() override {}
    void ShowSource() override {}
    void ShowPttEnable() override {}
    void greyMeterLabels() override {}
};

class QuietHost final : public ToolHost {
  public:
    void yield() override { QCoreApplication::processEvents(); }
    void beep() override {}
    void setInfoLabel(const std::string&) override {}
    bool infoLabelVisible() override { return true; }
    void setInfoLabelVisible(bool) override {}
    bool infoBoxVisible() override { return false; }
    void setInfoBoxVisible(bool) override {}
    bool radioLocal() override { return false; }
    void ShowFreqDigits() override {}
    void gUpdateDisplay() override {}
    void SetTxControlsEnabled(bool) override {}
    bool freqReportInBand() override { return true; }
    void setScanActive(bool) override {}
    void setMainWindowEnabled(bool) override {}
    QRect mainWindowFrame() override { return {0, 0, 800, 600}; }
    int bandFrameWidth() override { return 200; }
    void showModal(QDialog&) override {}
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return {}; }
};

void printLine(const char* label, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-28s median %6.1f  p95 %6.1f  max %6.1f ms   (goal <= 100 ms)\n", label,
                median(ms), percentile(ms, 95), ms.back());
}

bool rowsShown(QWidget& window) {
    return window.findChild<QLineEdit*>("txtFreq_13")->text() == "14.07400" &&
           window.findChild<QLineEdit*>("txtInfo_12")->text() == "net number 12";
}

// The real shell, but a modal window is shown, timed and closed again at
// once instead of running its own event loop.
class OpeningShell final : public Shell {
  public:
    explicit OpeningShell(Shell& inner) : in_(inner) {}
    void yield() override { in_.yield(); }
    void setNextWait(double s) override { in_.setNextWait(s); }
    void messageBox(const std::string& t, const std::string& title) override {
        in_.messageBox(t, title);
    }
    void beep() override {}
    void showModal(QDialog& d) override {
        d.show();
        QCoreApplication::processEvents();
        shownAt = Clock::now();
        filled = rowsShown(d);
        d.reject();
        ++opened;
    }
    bool showHelp(const std::string& p) override { return in_.showHelp(p); }
    void endProgram() override { in_.endProgram(); }

    Clock::time_point shownAt;
    bool filled = false;
    int opened = 0;

  private:
    Shell& in_;
};

void waitForLink(const std::string& path, Child& sim) {
    const Clock::time_point end = Clock::now() + std::chrono::seconds(5);
    struct stat st {};
    while (::lstat(path.c_str(), &st) != 0) {
        if (!sim.running()) throw std::runtime_error("the simulator ended");
        if (Clock::now() > end) throw std::runtime_error("the simulator did not link " + path);
        sleepSeconds(0.02);
    }
}

QMouseEvent* mouse(QEvent::Type type, QPushButton* b) {
    const QPointF at(b->width() / 2.0, b->height() / 2.0);
    return new QMouseEvent(type, at, b->mapToGlobal(at), Qt::LeftButton,
                           type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                           Qt::NoModifier);
}

// The band button on the running panel, `count` times.
std::vector<double> panelClicks(const Binaries& bins, const TempDir& dir, int count) {
    if (::mkdir(dir.file("ports").c_str(), 0755) != 0)
        throw std::runtime_error("cannot make " + dir.file("ports"));
    writeFile(dir.file("PortSetup.txt"), "1\r\n9600,O,7,1\r\ncomNone\r\n0\r\n");
    Child sim;
    ChildOptions opts;
    opts.program = bins.sim;
    opts.args = {"--folder", dir.path(), "--port", "1", "--firmware", "v601"};
    opts.pipeStdin = true;  // the simulator's console stays open
    opts.logPath = dir.file("sim.log");
    sim.start(opts);
    waitForLink(dir.file("ports/COM1"), sim);

    PosixSerialPort radio(dir.path());
    PosixSerialPort cat(dir.path());
    RealClock clock;
    FrmTolvane form;
    form.show();
    RealShell realShell(&form, radio, cat);
    OpeningShell shell(realShell);
    Controller c(form, shell, clock, radio, cat);
    // Into the main loop, then two seconds of it: the remote initialisation
    // done and the band buttons live.
    if (!c.runUntil([&] { return c.stage() == Controller::Stage::Pass; }, 1000000))
        throw std::runtime_error("the panel did not reach its main loop");
    const Clock::time_point settled = Clock::now() + std::chrono::seconds(2);
    c.runUntil([&] { return Clock::now() > settled; }, 1000000);

    auto* band = form.findChild<QPushButton*>("cmd40M");
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        checkInterrupted();
        const int before = shell.opened;
        const Clock::time_point t0 = Clock::now();
        QCoreApplication::postEvent(band, mouse(QEvent::MouseButtonPress, band));
        QCoreApplication::postEvent(band, mouse(QEvent::MouseButtonRelease, band));
        if (!c.runUntil([&] { return shell.opened > before; }, 100000))
            throw std::runtime_error("the band button did not open its list");
        if (!shell.filled) throw std::runtime_error("the window did not show the list");
        ms.push_back(secondsBetween(t0, shell.shownAt) * 1000.0);
        // A few passes of the main loop between the clicks.
        const Clock::time_point next = Clock::now() + std::chrono::milliseconds(300);
        c.runUntil([&] { return Clock::now() > next; }, 100000);
    }
    return ms;
}

int run(int argc, char** argv) {
    int count = 50;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--count", 1, 1000, count)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [--count N]   (openings, 50)\n", argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(60 + count));
    const Binaries bins = locateBinaries(argv[0]);
    TempDir dir;
    std::string list;
    for (int i = 0; i < 14; ++i)
        list += "7.0" + std::to_string(10 + i) + " LSB net number " + std::to_string(i) + "\r\n";
    writeFile(dir.file("M40List.txt"), list);
    QDir::setCurrent(QString::fromStdString(dir.path()));

    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qargc = 1;
    char* qargv[] = {argv[0], nullptr};
    QApplication app(qargc, qargv);

    PosixSerialPort port(dir.path());  // never opened: opening does no radio traffic
    RealClock clock;
    QuietPanel panel;
    RadioState state;
    state.gFreqReport = "F1407400";
    state.gModeReport = "M2";
    RadioLink link(port, clock, panel, state);
    QuietHost host;

    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        checkInterrupted();
        const Clock::time_point t0 = Clock::now();
        FrmBandSelect window(link, host, "40");
        window.show();
        QCoreApplication::processEvents();
        const Clock::time_point t1 = Clock::now();
        if (!rowsShown(window)) throw std::runtime_error("the window did not show the list");
        ms.push_back(secondsBetween(t0, t1) * 1000.0);
        window.cmdExit_Click();
    }
    std::printf("Frequency Select window opened %d times (14-row list, offscreen)\n", count);
    printLine("window created and painted", ms);
    std::fflush(stdout);
    printLine("band button click to shown", panelClicks(bins, dir, count));
    std::printf(
        "  (a click that lands in the main loop's heartbeat, every 2 s, is served after the "
        "sync character's 0.2 s pause and the read of its answer)\n");
    QDir::setCurrent(QDir::tempPath());
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_band_select_open", tolvane::bench::run, argc, argv);
}
