// Keying latency in real time: the panel program as main() builds it (real
// clock, Qt's event loop as the yield) after its start-up under remote
// control, its radio port a fake port whose radio model answers in real
// time, split off. Measures, while the main loop runs:
// - a PTT press (delivered as the window system delivers it) to "K" on the
//   wire, and the release to "U";
// - the external switch (the radio port's DSR line) pressed to "K".
// Prints the median and p95 of each.
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/controller.h"
#include "app/real_shell.h"
#include "bench_support.h"
#include "fake_port.h"
#include "panel/frm_tolvane.h"
#include "panel/panel_areas.h"
#include "platform/clock.h"
#include "radio_model.h"

namespace tolvane::bench {
namespace {

constexpr const char* kGoal = "goal: PTT <= 20 ms each, switch <= 60 ms (median and p95)";

// The fake port in real time: its virtual clock follows the wall clock, a
// wait for input sleeps in short slices, and every write is reported.
class RealTimePort final : public SerialPort {
  public:
    RealTimePort(FakePort& port, VirtualClock& clock) : p_(port), clock_(clock) {}

    void open(const PortConfig& c) override {
        sync();
        p_.open(c);
    }
    void close() override {
        sync();
        p_.close();
    }
    bool isOpen() const override { return p_.isOpen(); }
    int portNumber() const override { return p_.portNumber(); }
    std::string settingsText() const override { return p_.settingsText(); }
    FlowControl flowControl() const override { return p_.flowControl(); }
    void write(std::string_view text) override {
        sync();
        if (onWrite) onWrite(text);
        p_.write(text);
    }
    std::string input() override {
        sync();
        return p_.input();
    }
    int inBufferCount() override {
        sync();
        return p_.inBufferCount();
    }
    void clearInput() override {
        sync();
        p_.clearInput();
    }
    int outBufferCount() override {
        sync();
        return p_.outBufferCount();
    }
    void setDtr(bool on) override { p_.setDtr(on); }
    void setRts(bool on) override { p_.setRts(on); }
    bool cdHolding() override { return p_.cdHolding(); }
    bool ctsHolding() override { return p_.ctsHolding(); }
    bool dsrHolding() override { return p_.dsrHolding(); }
    int commEvent() const override { return p_.commEvent(); }
    void setEventHandler(EventHandler h) override { p_.setEventHandler(std::move(h)); }
    void dispatchEvents() override {
        sync();
        p_.dispatchEvents();
    }
    void waitReadable(double seconds) override {
        sync();
        if (p_.inBufferCount() > 0) return;
        sleepSeconds(std::min(seconds, 0.001));
        sync();
    }
    LostDeviceState lostDevice() override { return p_.lostDevice(); }
    void reopenLost() override { p_.reopenLost(); }

    std::function<void(std::string_view)> onWrite;

  private:
    void sync() {
        const double now = secondsBetween(start_, Clock::now());
        if (now > clock_.elapsed()) clock_.advance(now - clock_.elapsed());
    }
    FakePort& p_;
    VirtualClock& clock_;
    Clock::time_point start_ = Clock::now();
};

void printLine(const char* label, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-28s n %-3zu min %6.1f  median %6.1f  p95 %6.1f  max %6.1f ms\n", label,
                ms.size(), ms.front(), median(ms), percentile(ms, 95), ms.back());
}

QMouseEvent mouse(QEvent::Type type, QPushButton* b) {
    const QPointF at(b->width() / 2.0, b->height() / 2.0);
    return QMouseEvent(type, at, b->mapToGlobal(at), Qt::LeftButton,
                       type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                       Qt::NoModifier);
}

double msSince(Clock::time_point t) {
    return secondsBetween(t, Clock::now()) * 1000.0;
}

int run(int argc, char** argv) {
    int count = 200;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--count", 2, 5000, count)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [--count N]   (presses of each kind, 200)\n", argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(90 + count * 2));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qargc = 1;
    char name[] = "bench_transmit_latency";
    char* qargv[] = {name, nullptr};
    QApplication app(qargc, qargv);

    TempDir dir;
    // Port 1, the external switch configured.
    writeFile(dir.file("PortSetup.txt"), "1\r\n9600,O,7,1\r\ncomNone\r\n1\r\n");
    QDir::setCurrent(QString::fromStdString(dir.path()));

    VirtualClock vclock;
    RadioModel model(Firmware::V601);
    model.state.freq = "1407400";
    FakePort fakeRadio(vclock, &model);
    FakePort fakeCat(vclock);
    RealTimePort radio(fakeRadio, vclock);
    RealClock clock;
    FrmTolvane form;
    RealShell shell(&form, radio, fakeCat);
    Controller c(form, shell, clock, radio, fakeCat);
    c.hooks.comPortAvailable = [](int n) { return n == 1; };
    auto* ptt = form.findChild<QPushButton*>("cmdPTT");
    if (ptt == nullptr) throw std::runtime_error("no cmdPTT on the window");

    // Start-up under remote control until the switch is armed.
    const Clock::time_point started = Clock::now();
    c.runUntil(
        [&] {
            checkInterrupted();
            return c.stage() == Controller::Stage::Pass && ptt->isEnabled() &&
                   c.state().ps.gControlMode == ControlMode::Remote;
        },
        10'000'000);
    if (c.stage() != Controller::Stage::Pass) throw std::runtime_error("the panel did not start");
    std::printf("panel started under remote control in %.1f s; %d presses of each kind\n",
                secondsBetween(started, Clock::now()), count);
    std::fflush(stdout);

    std::vector<double> pressMs, releaseMs, switchMs;
    enum class Phase { Idle, PttDown, PttUp, SwitchDown, SwitchUp } phase = Phase::Idle;
    Clock::time_point t0;
    radio.onWrite = [&](std::string_view text) {
        if (text == "K" && phase == Phase::PttDown) {
            pressMs.push_back(msSince(t0));
            phase = Phase::PttUp;
            // The operator lets go a little later, while the loop of the
            // press runs.
            QTimer::singleShot(30, ptt, [&] {
                t0 = Clock::now();
                QMouseEvent up = mouse(QEvent::MouseButtonRelease, ptt);
                QCoreApplication::sendEvent(ptt, &up);
            });
        } else if (text == "U" && phase == Phase::PttUp) {
            releaseMs.push_back(msSince(t0));
            phase = Phase::Idle;
        } else if (text == "K" && phase == Phase::SwitchDown) {
            switchMs.push_back(msSince(t0));
            phase = Phase::SwitchUp;
            QTimer::singleShot(30, ptt, [&] { fakeRadio.setDsr(true); });
        } else if (text == "U" && phase == Phase::SwitchUp) {
            phase = Phase::Idle;
        }
    };

    int done = 0;
    bool due = false;
    const int total = 2 * count;
    QTimer next;
    next.setInterval(120);
    QObject::connect(&next, &QTimer::timeout, [&] {
        if (phase != Phase::Idle || due) return;
        due = true;
        // A press goes in from the window system's event queue.
        QTimer::singleShot(0, ptt, [&] {
            due = false;
            if (done % 2 == 0) {
                phase = Phase::PttDown;
                t0 = Clock::now();
                QMouseEvent down = mouse(QEvent::MouseButtonPress, ptt);
                QCoreApplication::sendEvent(ptt, &down);
            } else {
                phase = Phase::SwitchDown;
                t0 = Clock::now();
                fakeRadio.setDsr(false);
            }
            ++done;
        });
    });
    next.start();
    c.runUntil(
        [&] {
            checkInterrupted();
            return done >= total && phase == Phase::Idle;
        },
        100'000'000);
    next.stop();
    if (pressMs.empty() || releaseMs.empty() || switchMs.empty())
        throw std::runtime_error("no keying reached the wire");
    printLine("PTT press to \"K\":", pressMs);
    printLine("PTT release to \"U\":", releaseMs);
    printLine("switch (DSR) to \"K\":", switchMs);
    std::sort(pressMs.begin(), pressMs.end());
    std::sort(releaseMs.begin(), releaseMs.end());
    std::sort(switchMs.begin(), switchMs.end());
    std::printf(
        "PTT press to K: median %.1f ms, p95 %.1f ms; release to U: median %.1f ms, p95 %.1f "
        "ms; switch to K: median %.1f ms, p95 %.1f ms   %s\n",
        median(pressMs), percentile(pressMs, 95), median(releaseMs), percentile(releaseMs, 95),
        median(switchMs), percentile(switchMs, 95), kGoal);
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_transmit_latency", tolvane::bench::run, argc, argv);
}
