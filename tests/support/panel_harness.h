// The real main window and panel program wired to fake ports, the radio
// model and the virtual clock, in a temporary working folder.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/controller.h"
#include "app/shell.h"
#include "fake_port.h"
#include "form_access.h"
#include "panel/frm_tolvane.h"
#include "panel/panel_areas.h"
#include "panel/vb.h"
#include "platform/clock.h"
#include "radio_model.h"
#include "ui_frmTolvane.h"

namespace tolvane::test {

class TestShell final : public Shell {
  public:
    TestShell(VirtualClock& clock, FakePort& radio, FakePort& cat)
        : clock_(clock), radio_(radio), cat_(cat) {}
    void yield() override {
        ++yields;
        // With honourWaits the yield lets the time the loop allowed pass, as
        // an idle event loop would (no event comes to end it early).
        double wait = honourWaits ? std::max(yieldSeconds, nextWait) : yieldSeconds;
        nextWait = 0.0;
        clock_.advance(wait);
        QCoreApplication::processEvents();
        radio_.dispatchEvents();
        cat_.dispatchEvents();
        if (onYield) onYield();
    }
    void setNextWait(double seconds) override {
        nextWait = seconds;
        waits.push_back(seconds);
    }
    void messageBox(const std::string& text, const std::string&) override {
        messages.push_back(text);
        if (onMessage) onMessage(text);
    }
    void beep() override { ++beeps; }
    void showModal(QDialog& d) override {
        ++modals;
        if (onModal) onModal(d);
    }
    bool showHelp(const std::string& path) override {
        helpOpened = path;
        return true;
    }
    void endProgram() override { ended = true; }

    double yieldSeconds = 0.001;
    bool honourWaits = false;
    double nextWait = 0.0;
    std::vector<double> waits;  // every wait the loop allowed its next yield
    int yields = 0;
    int beeps = 0;
    int modals = 0;
    bool ended = false;
    std::string helpOpened;
    std::vector<std::string> messages;
    std::function<void()> onYield;
    std::function<void(const std::string&)> onMessage;
    std::function<void(QDialog&)> onModal;

  private:
    VirtualClock& clock_;
    FakePort& radio_;
    FakePort& cat_;
};

// Writes a text file with CR LF line ends into the current folder.
inline void writeLines(const QString& name, const std::vector<std::string>& lines) {
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly)) return;
    for (const std::string& l : lines) {
        f.write(l.data(), static_cast<qint64>(l.size()));
        f.write("\r\n");
    }
}

inline std::vector<std::string> readLines(const QString& name) {
    QFile f(name);
    std::vector<std::string> out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    QByteArray all = f.readAll();
    for (const QByteArray& l : all.split('\n')) {
        QByteArray t = l;
        if (t.endsWith('\r')) t.chop(1);
        out.push_back(t.toStdString());
    }
    if (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

struct PanelHarness {
    explicit PanelHarness(Firmware fw = Firmware::V601, bool remote = false,
                          bool writePortSetup = true)
        : model(fw), radio(clock, &model), cat(clock), shell(clock, radio, cat) {
        QDir::setCurrent(dir.path());
        model.state.remote = remote;
        if (writePortSetup) writeLines("PortSetup.txt", {"1", "9600,O,7,1", "comNone", "0"});
        form = std::make_unique<FrmTolvane>();
        c = std::make_unique<Controller>(*form, shell, clock, radio, cat);
        c->hooks.comPortAvailable = [this](int n) { return available(n); };
        available = [](int n) { return n == 1; };
    }
    ~PanelHarness() { QDir::setCurrent(QDir::tempPath()); }

    Ui::frmTolvane* ui() { return FormAccess::ui(*form); }
    std::string cap(QWidget* w) { return vb::caption(w); }

    // Runs the program until `until` holds (or the step budget is spent).
    bool run(const std::function<bool()>& until, int maxSteps = 20000) {
        return c->runUntil(until, maxSteps);
    }
    bool inLoop() { return c->stage() == Controller::Stage::Pass; }
    // Runs until the main loop has been entered and `passes` passes ran.
    bool runPasses(int passes) {
        if (!run([this] { return inLoop(); })) return false;
        for (int i = 0; i < passes; ++i) c->runUntil([] { return false; }, 1);
        return true;
    }
    // Virtual seconds of main loop passes.
    void runFor(double seconds) {
        double end = clock.elapsed() + seconds;
        run([&] { return clock.elapsed() >= end; }, 1000000);
    }

    QTemporaryDir dir;
    VirtualClock clock{36000.0};
    RadioModel model;
    FakePort radio;
    FakePort cat;
    TestShell shell;
    std::unique_ptr<FrmTolvane> form;
    std::unique_ptr<Controller> c;
    std::function<bool(int)> available;
};

}  // namespace tolvane::test
