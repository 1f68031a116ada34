// The tool windows on their own: a radio link on the fake port with the
// radio model in virtual time, and a ToolHost that records what the windows
// ask of the main window and answers the file dialogs as a test tells it.
#pragma once

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "fake_port.h"
#include "platform/clock.h"
#include "radio/radio_link.h"
#include "radio_model.h"
#include "recording_panel.h"
#include "tools/tool_host.h"

namespace tolvane::test {

class FakeToolHost final : public ToolHost {
  public:
    FakeToolHost(VirtualClock& clock, FakePort& port, RadioState& state)
        : clock_(clock), port_(port), st_(state) {}

    // A yield takes a millisecond, serves the port's events and then whatever
    // the test does "while the window system runs" (clicks on the window).
    void yield() override {
        ++yields;
        clock_.advance(yieldSeconds);
        port_.dispatchEvents();
        if (onYield) onYield();
    }
    void beep() override {
        ++beeps;
        beepTimes.push_back(clock_.elapsed());
    }
    void setInfoLabel(const std::string& caption) override { infoLabel = caption; }
    bool infoLabelVisible() override { return labelVisible; }
    void setInfoLabelVisible(bool visible) override { labelVisible = visible; }
    bool infoBoxVisible() override { return boxVisible; }
    void setInfoBoxVisible(bool visible) override { boxVisible = visible; }
    bool radioLocal() override { return localCaption || st_.gRemoteState.substr(0, 2) == "R0"; }
    void ShowFreqDigits() override { shownFreqs.push_back(st_.gFreqReport); }
    void gUpdateDisplay() override { ++updates; }
    void SetTxControlsEnabled(bool allowed) override { txControls.push_back(allowed); }
    bool freqReportInBand() override { return inBand; }
    void setScanActive(bool active) override {
        scanActive = active;
        calls.push_back(active ? "scanActive" : "scanInactive");
    }
    void setMainWindowEnabled(bool enabled) override {
        mainEnabled = enabled;
        calls.push_back(enabled ? "mainEnabled" : "mainDisabled");
    }
    QRect mainWindowFrame() override { return mainFrame; }
    int bandFrameWidth() override { return bandWidth; }
    void showModal(QDialog& window) override {
        calls.push_back("showModal");
        if (onModal) onModal(window);
    }
    std::optional<std::string> openFileName(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return nextAnswer();
    }
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return nextAnswer();
    }

    double yieldSeconds = 0.001;
    int yields = 0;
    int beeps = 0;
    std::vector<double> beepTimes;
    std::string infoLabel = "Frequency Label";
    bool labelVisible = true;
    bool boxVisible = false;
    bool localCaption = false;
    std::vector<std::string> shownFreqs;
    int updates = 0;
    std::vector<bool> txControls;
    bool inBand = true;
    bool scanActive = false;
    bool mainEnabled = false;
    std::vector<std::string> calls;
    QRect mainFrame{100, 50, 800, 600};
    int bandWidth = 200;
    std::function<void()> onYield;
    std::function<void(QDialog&)> onModal;
    // Answers of the file dialogs in turn; nothing left means "cancelled".
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<FileDialogRequest> openRequests, saveRequests;

  private:
    std::optional<std::string> nextAnswer() {
        if (fileAnswers.empty()) return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    VirtualClock& clock_;
    FakePort& port_;
    RadioState& st_;
};

// A radio that answers every frequency command, and the status request,
// with a frequency of its own (a radio that will not follow).
class StubbornRadio final : public FakeDevice {
  public:
    explicit StubbornRadio(std::string report = "F0712345") : report_(std::move(report)) {}
    void received(std::string_view bytes, double at) override {
        for (char c : bytes) {
            // The heartbeat's bare characters are no part of a command line.
            if (line_.empty() && (c == 'U' || c == 'K')) continue;
            if (c != '\n') {
                line_ += c;
                continue;
            }
            seen.push_back(line_);
            if (!silent && !line_.empty() && (line_[0] == 'F' || line_ == "?")) {
                // After `ignoreFirst` frequency commands it follows them.
                if (line_[0] == 'F' && ignoreFirst-- <= 0) report_ = line_;
                const std::string answer =
                    line_ == "?" ? "#\n" + report_ + "\nM1\nR1\n.\n" : report_ + "\n";
                double t = at + 0.015;
                for (char a : answer) out_.push_back({t += 0.001, a});
            }
            line_.clear();
        }
    }
    void produce(double until, std::vector<std::pair<double, char>>& out) override {
        while (!out_.empty() && out_.front().first <= until) {
            out.push_back(out_.front());
            out_.pop_front();
        }
    }
    double nextOutput() const override {
        return out_.empty() ? std::numeric_limits<double>::infinity() : out_.front().first;
    }
    std::vector<std::string> seen;
    bool silent = false;
    int ignoreFirst = 1 << 30;

  private:
    std::string report_;
    std::string line_;
    std::deque<std::pair<double, char>> out_;
};

// The radio link, the model and the host in a temporary working folder.
struct ToolHarness {
    explicit ToolHarness(Firmware fw = Firmware::V601)
        : model(fw),
          port(clock, &model),
          link(port, clock, panel, state),
          host(clock, port, state) {
        QDir::setCurrent(dir.path());
        PortConfig cfg;
        cfg.portNumber = 1;
        cfg.settings = "9600,O,7,1";
        port.open(cfg);
        port.setEventHandler([this](int ev) { link.MSComm1_OnComm(ev); });
    }
    ~ToolHarness() { QDir::setCurrent(QDir::tempPath()); }

    // Asks the radio for its status, as the panel has done before a tool
    // window opens, and forgets what was written so far.
    void queryStatus() {
        const Firmware fw = model.firmware();
        state.gFwType = fw == Firmware::V601 ? 1 : fw == Firmware::Adapt ? 2 : 3;
        link.SendRadioCmd("?", true, 0.6);
        link.ReadRadio();
        port.takeWritten();
    }
    // Lines written since the last call, LF-separated commands as a list
    // ("U" and other bare characters arrive on their own).
    std::vector<std::string> writtenCommands() {
        std::vector<std::string> out;
        std::string current;
        for (char c : port.takeWritten()) {
            if (c == '\n') {
                out.push_back(current);
                current.clear();
            } else if ((c == 'U' || c == 'K' || c == ' ') && current.empty()) {
                out.push_back(std::string(1, c));
            } else {
                current += c;
            }
        }
        if (!current.empty()) out.push_back(current);
        return out;
    }
    // Writes a text file with exact bytes into the working folder.
    static void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(name);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
    }
    static QByteArray readFile(const QString& name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

    QTemporaryDir dir;
    VirtualClock clock{36000.0};
    RadioModel model;
    FakePort port;
    RecordingPanel panel;
    RadioState state;
    RadioLink link;
    FakeToolHost host;
};

}  // namespace tolvane::test
