// A VFO A digit click to its first "F" on the wire, in real time: the panel
// program as main() builds it (real clock, Qt's event loop as the yield),
// its radio port a fake port whose radio model answers in real time. The
// press is delivered to a digit button as the window system would deliver
// it; the release is posted as soon as the first "F" is written, so that it
// arrives in the loop's next yield. Before its first step the press handler
// yields twice (the list label cleared, the row read); the time spent in
// those yields is the window system's and is subtracted. Prints the median
// and p95 of the time from the press to the first "F" beyond the two
// yields, and the whole click (press to the end of the settling send).
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <cstdio>
#include <memory>
#include <random>

#include "app/controller.h"
#include "app/real_shell.h"
#include "bench_support.h"
#include "fake_port.h"
#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "platform/clock.h"
#include "radio_model.h"

namespace tolvane::bench {
namespace {

constexpr const char* kGoal = "goal <= 20 ms beyond the two yields (median and p95)";

// The fake port in real time: its virtual clock is brought up to the wall
// clock before every operation, and a wait for input sleeps in short slices
// instead of returning at once. Writes of an "F" command are time-stamped.
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
        if (!text.empty() && text[0] == 'F' && onFrequency) onFrequency();
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

    std::function<void()> onFrequency;

  private:
    void sync() {
        const double now = secondsBetween(start_, Clock::now());
        if (now > clock_.elapsed()) clock_.advance(now - clock_.elapsed());
    }
    FakePort& p_;
    VirtualClock& clock_;
    Clock::time_point start_ = Clock::now();
};

// The real shell with every yield timed.
class TimedShell final : public Shell {
  public:
    explicit TimedShell(Shell& inner) : in_(inner) {}
    void yield() override {
        const Clock::time_point t = Clock::now();
        in_.yield();
        yields.push_back({t, Clock::now()});
    }
    void setNextWait(double s) override { in_.setNextWait(s); }
    void messageBox(const std::string& t, const std::string& title) override {
        in_.messageBox(t, title);
    }
    void beep() override {}
    void showModal(QDialog& d) override { in_.showModal(d); }
    bool showHelp(const std::string& p) override { return in_.showHelp(p); }
    void endProgram() override { in_.endProgram(); }

    struct Span {
        Clock::time_point from, to;
    };
    std::vector<Span> yields;

  private:
    Shell& in_;
};

void printLine(const char* label, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-34s n %-3zu min %6.1f  median %6.1f  p95 %6.1f  max %6.1f ms\n", label,
                ms.size(), ms.front(), median(ms), percentile(ms, 95), ms.back());
}

QMouseEvent mouse(QEvent::Type type, QPushButton* b, Qt::MouseButton button) {
    const QPointF at(b->width() / 2.0, b->height() / 2.0);
    return QMouseEvent(type, at, b->mapToGlobal(at), button,
                       type == QEvent::MouseButtonPress ? button : Qt::NoButton, Qt::NoModifier);
}

int run(int argc, char** argv) {
    int count = 200;
    int seed = 1;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--count", 2, 5000, count)) continue;
        if (intOption(argc, argv, i, "--seed", 0, 1'000'000, seed)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [--count N] [--seed S]   (clicks, 200; digit seed, 1)\n",
                        argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(60 + count * 3));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qargc = 1;
    char name[] = "bench_tuning_latency";
    char* qargv[] = {name, nullptr};
    QApplication app(qargc, qargv);

    VirtualClock vclock;
    RadioModel model(Firmware::V601);
    model.state.freq = "1407400";
    FakePort fakeRadio(vclock, &model);
    FakePort fakeCat(vclock);
    RealTimePort radio(fakeRadio, vclock);
    RealClock clock;
    FrmTolvane form;
    form.show();
    RealShell realShell(&form, radio, fakeCat);
    TimedShell shell(realShell);
    Controller c(form, shell, clock, radio, fakeCat);
    PortConfig config;
    config.portNumber = 1;
    config.settings = "9600,O,7,1";
    radio.open(config);
    for (size_t i = 0; i < form.cmdF.size(); ++i)
        vb::setCaption(form.cmdF[i], std::string(1, model.state.freq[i]));
    QApplication::processEvents();

    std::printf(
        "VFO A digit click to its first \"F\" on the wire, real clock, fake port with the radio "
        "model, %d clicks on the 10 Hz .. 10 kHz digits\n",
        count);
    std::fflush(stdout);
    std::mt19937 rng(static_cast<unsigned>(seed));
    std::uniform_int_distribution<int> digit(3, 6);
    std::vector<double> raw, beyond, yieldMs, whole;
    int lost = 0;
    for (int i = 0; i < count; ++i) {
        checkInterrupted();
        QPushButton* b = form.cmdF[static_cast<size_t>(digit(rng))];
        // Up and down in turn, so that the frequency stays near 14 MHz.
        const Qt::MouseButton button = i % 2 == 0 ? Qt::LeftButton : Qt::RightButton;
        shell.yields.clear();
        bool seen = false;
        Clock::time_point first;
        radio.onFrequency = [&] {
            if (seen) return;
            seen = true;
            first = Clock::now();
            QCoreApplication::postEvent(
                b, new QMouseEvent(mouse(QEvent::MouseButtonRelease, b, button)));
        };
        QMouseEvent press = mouse(QEvent::MouseButtonPress, b, button);
        const Clock::time_point t0 = Clock::now();
        QCoreApplication::sendEvent(b, &press);
        const Clock::time_point t1 = Clock::now();
        radio.onFrequency = nullptr;
        if (!seen || shell.yields.size() < 2) {
            ++lost;
            continue;
        }
        double inYields = 0.0;
        for (size_t k = 0; k < 2; ++k)
            inYields += secondsBetween(shell.yields[k].from, shell.yields[k].to);
        raw.push_back(secondsBetween(t0, first) * 1000.0);
        yieldMs.push_back(inYields * 1000.0);
        beyond.push_back((secondsBetween(t0, first) - inYields) * 1000.0);
        whole.push_back(secondsBetween(t0, t1) * 1000.0);
        QApplication::processEvents();
    }
    if (beyond.empty()) throw std::runtime_error("no click reached the wire");
    printLine("press to first F:", raw);
    printLine("of which the two yields:", yieldMs);
    printLine("beyond the two yields:", beyond);
    printLine("whole click (both sends):", whole);
    std::sort(beyond.begin(), beyond.end());
    std::printf(
        "digit click to first F: median %.1f ms, p95 %.1f ms beyond the two yields (%zu clicks, "
        "%d without an F)   %s\n",
        median(beyond), percentile(beyond, 95), beyond.size(), lost, kGoal);
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_tuning_latency", tolvane::bench::run, argc, argv);
}
