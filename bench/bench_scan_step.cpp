// Overhead of a band scan step beyond its specified waits. The Scan Bands
// window steps 40 m at 1 kHz on the real clock against tolvane-sim over a
// pseudo-terminal. A step runs from one frequency command to the next; its
// specified waits are the 0.1 s pause after the command, the wait for the
// radio's frequency report, the 60 ms of quiet line before the read and the
// 0.4 s dwell. What the step takes beyond them is the window's and the
// radio layer's own cost (and the sleeps' lateness). Prints median, p95 and
// largest overhead per step.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>

#include "bench_support.h"
#include "platform/clock.h"
#include "platform/posix_serial_port.h"
#include "radio/radio_link.h"
#include "tools/frm_scan_bands.h"
#include "tools/tool_host.h"

namespace tolvane::bench {
namespace {

constexpr double kPause = 0.1;
constexpr double kQuiet = 0.06;
constexpr double kDwell = 0.4;

double steadySeconds() {
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// The radio port, noting when each command was written and when the
// answer's characters were first seen waiting.
class TimingPort final : public SerialPort {
  public:
    explicit TimingPort(SerialPort& port) : p_(port) {}
    void open(const PortConfig& c) override { p_.open(c); }
    void close() override { p_.close(); }
    bool isOpen() const override { return p_.isOpen(); }
    int portNumber() const override { return p_.portNumber(); }
    std::string settingsText() const override { return p_.settingsText(); }
    FlowControl flowControl() const override { return p_.flowControl(); }
    void write(std::string_view text) override {
        p_.write(text);
        if (!text.empty() && text[0] == 'F') {
            writes.push_back(steadySeconds());
            answers.push_back(-1.0);
        }
    }
    std::string input() override {
        seen_ = 0;
        return p_.input();
    }
    int inBufferCount() override {
        const int n = p_.inBufferCount();
        if (n > seen_) {
            seen_ = n;
            if (!answers.empty()) answers.back() = steadySeconds();
        }
        return n;
    }
    void clearInput() override {
        seen_ = 0;
        p_.clearInput();
    }
    int outBufferCount() override { return p_.outBufferCount(); }
    void setDtr(bool on) override { p_.setDtr(on); }
    void setRts(bool on) override { p_.setRts(on); }
    bool cdHolding() override { return p_.cdHolding(); }
    bool ctsHolding() override { return p_.ctsHolding(); }
    bool dsrHolding() override { return p_.dsrHolding(); }
    int commEvent() const override { return p_.commEvent(); }
    void setEventHandler(EventHandler h) override { p_.setEventHandler(std::move(h)); }
    void dispatchEvents() override { p_.dispatchEvents(); }
    void waitReadable(double seconds) override { p_.waitReadable(seconds); }
    int notifyFd() const override { return p_.notifyFd(); }

    std::vector<double> writes;   // time of each frequency command
    std::vector<double> answers;  // last growth of the input after it, -1 none

  private:
    SerialPort& p_;
    int seen_ = 0;
};

class QuietPanel final : public RadioPanel {
  public:
    void setLamp(Lamp) override {}
    void setComStat(mapping::LinkStatus) override {}
    void reportError(const std::string& m) override { errors.push_back(m); }
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
    std::vector<std::string> errors;
};

// The main window's side: a yield that serves the window's events without
// waiting for more, as the running program's must during a scan.
class BenchHost final : public ToolHost {
  public:
    void yield() override {
        QCoreApplication::processEvents();
        if (onYield) onYield();
    }
    void beep() override { ++beeps; }
    void setInfoLabel(const std::string&) override {}
    bool infoLabelVisible() override { return true; }
    void setInfoLabelVisible(bool) override {}
    bool infoBoxVisible() override { return false; }
    void setInfoBoxVisible(bool) override {}
    bool radioLocal() override { return false; }
    void ShowFreqDigits() override { ++shown; }
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

    std::function<void()> onYield;
    int beeps = 0;
    int shown = 0;
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

int run(int argc, char** argv) {
    int steps = 60;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--steps", 5, 299, steps)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "usage: %s [--steps N]   (steps measured, 60; at most 299, before the wrap)\n",
                argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(30 + steps * 2));
    const Binaries bins = locateBinaries(argv[0]);
    TempDir dir;
    if (::mkdir(dir.file("ports").c_str(), 0755) != 0)
        throw std::runtime_error("cannot make " + dir.file("ports"));
    Child sim;
    ChildOptions opts;
    opts.program = bins.sim;
    opts.args = {"--folder", dir.path(), "--port", "1", "--firmware", "v601"};
    opts.pipeStdin = true;  // the simulator's console stays open
    opts.logPath = dir.file("sim.log");
    sim.start(opts);
    waitForLink(dir.file("ports/COM1"), sim);

    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qargc = 1;
    char* qargv[] = {argv[0], nullptr};
    QApplication app(qargc, qargv);

    PosixSerialPort posix(dir.path());
    TimingPort port(posix);
    PortConfig cfg;
    cfg.portNumber = 1;
    cfg.settings = "9600,O,7,1";
    port.open(cfg);
    RealClock clock;
    QuietPanel panel;
    RadioState state;
    state.gFwType = 1;
    RadioLink link(port, clock, panel, state);
    BenchHost host;

    FrmScanBands window(link, host);
    window.show();
    window.findChild<QPushButton*>("cmd40M")->click();
    window.findChild<QRadioButton*>("Option1_4")->click();
    std::vector<double> yields;
    host.onYield = [&] {
        checkInterrupted();
        yields.push_back(steadySeconds());
        if (static_cast<int>(port.writes.size()) > steps + 1) window.cmdStop_Click();
    };
    std::printf(
        "Band scan step, 40 m at 1 kHz, dwell %.1f s, tolvane-sim v601 over a pty, %d steps\n",
        kDwell, steps);
    std::fflush(stdout);
    window.findChild<QPushButton*>("cmdScanUp")->click();

    std::vector<double> overheadMs, stepMs;
    double firstMs = 0.0;
    int late = 0;
    // The first step also lays out and paints the window for the first time;
    // it is shown on its own.
    for (std::size_t k = 0; k + 1 < port.writes.size() && static_cast<int>(k) <= steps; ++k) {
        const double step = port.writes[k + 1] - port.writes[k];
        if (port.answers[k] < 0) {
            ++late;  // no answer seen: not a step of the specified shape
            continue;
        }
        const double answer = std::max(kPause, port.answers[k] - port.writes[k]);
        const double specified = answer + kQuiet + kDwell;
        if (k == 0) {
            firstMs = (step - specified) * 1000.0;
            continue;
        }
        overheadMs.push_back((step - specified) * 1000.0);
        stepMs.push_back(step * 1000.0);
    }
    if (overheadMs.empty()) throw std::runtime_error("no step was measured");
    if (std::getenv("BENCH_SCAN_STEPS_VERBOSE") != nullptr)
        for (std::size_t i = 0; i < overheadMs.size(); ++i)
            std::printf("%zu %.2f\n", i, overheadMs[i]);
    std::sort(overheadMs.begin(), overheadMs.end());
    std::printf("  step            median %7.1f ms\n", median(stepMs));
    std::printf("  overhead        median %5.2f  p95 %5.2f  max %5.2f ms   (goal <= 5 ms)\n",
                median(overheadMs), percentile(overheadMs, 95), overheadMs.back());
    std::printf(
        "  first step      overhead %5.2f ms (the window's first layout and paint)\n"
        "  steps measured %zu, without an answer %d, confirmed %d, beeps %d, messages %zu\n",
        firstMs, overheadMs.size(), late, host.shown, host.beeps, panel.errors.size());
    port.close();
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_scan_step", tolvane::bench::run, argc, argv);
}
