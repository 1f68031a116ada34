// Receiver settings and transmitter toggles.
#include "panel/receiver_controls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <cmath>

#include "app/controller.h"
#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "radio/protocol.h"
#include "ui_frmTolvane.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

namespace {

const char* const kDQ = "\"";
const char* const kRemoteRouting = "\"0";
const char* const kLocalRouting = "\"1";

// The digit of a two-character code ("H3" -> 3); 0 when it holds none.
int codeDigit(const std::string& code) {
    if (code.size() < 2 || code[1] < '0' || code[1] > '9') return 0;
    return code[1] - '0';
}

bool isLetterDigit(const std::string& code, char letter) {
    return code.size() == 2 && code[0] == letter && code[1] >= '0' && code[1] <= '9';
}

// "000" pattern of a whole number: at least three digits, minus sign in front.
std::string pattern000(long v) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    while (digits.size() < 3) digits.insert(digits.begin(), '0');
    return v < 0 ? "-" + digits : digits;
}

}  // namespace

ReceiverControls::ReceiverControls(Controller& c) : c_(c) {}

std::string ReceiverControls::ModeCmdString(const std::string& mode) {
    if (mode == "USB") return "M1";
    if (mode == "LSB") return "M2";
    if (mode == "AME") return "M3";
    if (mode == "CW") return "M4";
    return "";
}

void ReceiverControls::connectHandlers() {
    FrmTolvane& f = c_.form();
    auto* ui = f.ui;
    Requests& req = c_.req;
    // activated: only an operator's pick, never a text set from code.
    QObject::connect(ui->cmbMode, &QComboBox::activated, &f, [this](int) { cmbMode_Click(); });
    QObject::connect(ui->cmbAGC, &QComboBox::activated, &f, [this](int) { cmbAGC_Click(); });
    QObject::connect(ui->cmbSource, &QComboBox::activated, &f, [this](int) { cmbSource_Click(); });
    QObject::connect(ui->cmbDig, &QComboBox::activated, &f, [this](int) { cmbDig_Click(); });
    QObject::connect(ui->cmdBFO, &QPushButton::clicked, &f, [&req] { req.reqBfo = true; });
    QObject::connect(ui->vscBFO, &QScrollBar::valueChanged, &f, [this](int) { vscBFO_Change(); });
    QObject::connect(ui->vscRFG, &QScrollBar::valueChanged, &f, [this](int) { vscRFG_Change(); });
    QObject::connect(ui->cmdVOX, &QPushButton::clicked, &f, [&req] { req.reqVox = true; });
    QObject::connect(ui->cmdPTTEn, &QPushButton::clicked, &f, [&req] { req.reqPttEn = true; });
    QObject::connect(ui->cmdSideTone, &QPushButton::clicked, &f, [&req] { req.reqSideTone = true; });
    QObject::connect(ui->cmdClipping, &QPushButton::clicked, &f, [&req] { req.reqClip = true; });
    QObject::connect(ui->cmdMute, &QPushButton::clicked, &f, [&req] { req.reqMute = true; });
    // The two value boxes only show the scroll bars' values.
    ui->txtBFO->setFocusPolicy(Qt::NoFocus);
    ui->txtRFG->setFocusPolicy(Qt::NoFocus);
}

// ----------------------------------------------------------------- handlers

void ReceiverControls::cmbMode_Click() {
    c_.ps.pickedMode = caption(c_.form().ui->cmbMode);
    c_.req.reqMode = true;
}

void ReceiverControls::cmbAGC_Click() {
    c_.ps.pickedAgc = caption(c_.form().ui->cmbAGC);
    c_.req.reqAgc = true;
}

void ReceiverControls::cmbSource_Click() {
    c_.ps.pickedSource = caption(c_.form().ui->cmbSource);
    c_.req.reqSource = true;
}

void ReceiverControls::cmbDig_Click() { c_.req.reqDigMode = true; }

void ReceiverControls::vscBFO_Change() {
    auto* ui = c_.form().ui;
    long hz = (static_cast<long>(ui->vscBFO->value()) - 100) * 10;
    setCaption(ui->txtBFO, pattern000(hz));
    c_.req.reqBfoOffset = true;
}

void ReceiverControls::vscRFG_Change() {
    auto* ui = c_.form().ui;
    QScrollBar* s = ui->vscRFG;
    // The bar's minimum 63 sits at the top and its maximum 0 at the bottom.
    double top = s->maximum(), bottom = s->minimum();
    double pct = (bottom - s->value()) / (bottom - top) * 100.0;
    setCaption(ui->txtRFG, pattern000(std::lround(pct)));
    c_.req.reqRfGain = true;
}

// ------------------------------------------------------------ action routines

void ReceiverControls::modeCmd() {
    std::string pick = c_.ps.pickedMode.empty() ? caption(c_.form().ui->cmbMode) : c_.ps.pickedMode;
    c_.ps.pickedMode.clear();
    c_.link.SetMode(ModeCmdString(pick));
    c_.req.reqMode = false;
}

void ReceiverControls::AgcCmd() {
    std::string pick = c_.ps.pickedAgc.empty() ? caption(c_.form().ui->cmbAGC) : c_.ps.pickedAgc;
    c_.ps.pickedAgc.clear();
    std::string code;
    if (pick == "SLOW") code = "A2";
    if (pick == "MED") code = "A3";
    if (pick == "FAST") code = "A4";
    if (pick == "OFF") {
        if (c_.st.gFwType != protocol::kFwAdapt) {
            // OFF is reached only with the Adapt firmware's direct command.
            c_.req.reqAgc = false;
            c_.display.ShowAgc();
            return;
        }
        code = "A1";
    }
    if (!code.empty()) c_.link.SetAgc(code);
    c_.req.reqAgc = false;
}

void ReceiverControls::SourceCmd() {
    std::string pick =
        c_.ps.pickedSource.empty() ? caption(c_.form().ui->cmbSource) : c_.ps.pickedSource;
    c_.ps.pickedSource.clear();
    if (pick == "MIC") SetAudioSource("H1");
    if (pick == "AUDIO2") SetAudioSource("H2");
    if (pick == "PATCH") SetAudioSource("H3");
    if (pick == "REMOTE") SetLocRem("REMOTE");
    c_.link.ReadRadio();
    c_.req.reqSource = false;
}

void ReceiverControls::SetAudioSource(const std::string& target) {
    RadioState& st = c_.st;
    if (st.gLocRemReport == kRemoteRouting) {
        // The source is chosen on the radio's local audio path.
        std::string cmd = st.gFwType == protocol::kFwV601 ? kDQ : kLocalRouting;
        c_.link.SendRadioCmd(cmd, true, 0.1);
    }
    StepAudioSource(target);
}

void ReceiverControls::StepAudioSource(const std::string& target) {
    RadioState& st = c_.st;
    // A target that is no source ("OFF/CW" cannot be chosen) sends nothing.
    if (!isLetterDigit(target, 'H') || codeDigit(target) < 1 ||
        codeDigit(target) > protocol::kSourcePositions)
        return;
    int current = codeDigit(st.gSourceReport);
    int wanted = codeDigit(target);
    if (current == wanted) return;
    if (wanted < current) wanted += protocol::kSourcePositions;
    int n = wanted - current;
    if (n <= 0) return;
    c_.link.SendRadioCmd(std::string(static_cast<size_t>(n), 'H'), true, 0.2);
}

void ReceiverControls::SetLocRem(const std::string& target) {
    std::string value;
    if (target == "REMOTE") value = kRemoteRouting;
    if (target == "LOCAL") value = kLocalRouting;
    if (value.empty()) return;
    RadioState& st = c_.st;
    for (int i = 0; st.gLocRemReport != value; ++i) {
        if (i >= kLocRemTries) {
            c_.link.ReportError("The radio did not switch its audio to " +
                                std::string(target == "REMOTE" ? "remote" : "local"));
            return;
        }
        std::string cmd = st.gFwType == protocol::kFwV601 ? kDQ : value;
        c_.link.SendRadioCmd(cmd, true, 0.2);
        c_.link.ReadRadio();
    }
}

void ReceiverControls::AudioToggleCmd() {
    RadioState& st = c_.st;
    std::string cmd;
    if (st.gFwType == protocol::kFwV601)
        cmd = kDQ;
    else if (st.gLocRemReport == kRemoteRouting)
        cmd = kLocalRouting;
    else if (st.gLocRemReport == kLocalRouting)
        cmd = kRemoteRouting;
    c_.link.SendRadioCmd(cmd, true, 0.2);
    c_.link.ReadRadio();
}

void ReceiverControls::DigModeCmd() {
    c_.req.reqDigMode = false;
    RadioState& st = c_.st;
    Settings& set = c_.set;
    std::string dig = caption(c_.form().ui->cmbDig);
    if (dig == "OFF") {
        // Back to voice: the source first (choosing a source switches the
        // audio to local), then the routing, then the VOX.
        if (isLetterDigit(savedSource, 'H')) SetAudioSource(savedSource);
        savedSource.clear();
        if (savedRouting == kRemoteRouting) SetLocRem("REMOTE");
        savedRouting.clear();
        if (isLetterDigit(savedVox, 'V')) {
            for (int i = 0; i < 3 && st.gVoxReport != savedVox; ++i) VoxCmd();
        }
        savedVox.clear();
    } else if (dig == "PSK" || dig == "FSK" || dig == "RTTY") {
        if (savedSource.empty()) savedSource = st.gSourceReport;
        if (savedRouting.empty()) savedRouting = st.gLocRemReport;
        SetLocRem("LOCAL");
        if (isLetterDigit(set.gDigSource, 'H')) SetAudioSource(set.gDigSource);
        if (savedVox.empty()) savedVox = st.gVoxReport;
        if (isLetterDigit(set.gDigVox, 'V')) {
            for (int i = 0; i < 3 && st.gVoxReport != set.gDigVox; ++i) VoxCmd();
        }
    }
}

void ReceiverControls::BfoCmd() {
    auto* ui = c_.form().ui;
    PanelFlags& ps = c_.ps;
    if (!ps.gBfoOn) {
        ps.gBfoOn = true;
        setCaption(ui->cmdBFO, "OFF");
        setCaption(ui->lblBFOOn, "BFO");
        setCaption(ui->lblPorM, "");
        vscBFO_Change();
        ui->vscBFO->setEnabled(true);
    } else {
        ps.gBfoOn = false;
        setCaption(ui->cmdBFO, "ON");
        ps.gBfoOffset = "100";
        try {
            c_.link.writeDirect("B100\n");
        } catch (const PortError&) {
        }
        ui->vscBFO->setEnabled(false);
        setCaption(ui->lblBFOOn, "");
        setCaption(ui->lblPorM, "");
    }
    c_.req.reqBfo = false;
}

void ReceiverControls::BfoOffsetCmd() {
    c_.req.reqBfoOffset = false;
    auto* ui = c_.form().ui;
    int v = ui->vscBFO->value();
    setCaption(ui->lblPorM, v == 100 ? "" : (v > 100 ? "+" : "-"));
    std::string digits = std::to_string(v);
    while (digits.size() < 3) digits.insert(digits.begin(), '0');
    c_.ps.gBfoOffset = digits;
    if (caption(ui->cmdBFO) == "OFF") c_.link.writeDirect("B" + digits + "\n");
}

void ReceiverControls::RfGainCmd() {
    QScrollBar* s = c_.form().ui->vscRFG;
    int n = s->maximum() - s->value();  // 0 with the bar at the top
    std::string digits = std::to_string(n);
    if (digits.size() < 2) digits.insert(digits.begin(), '0');
    c_.link.SendRadioCmd("G" + digits, true, 0.1);
    c_.req.reqRfGain = false;
}

void ReceiverControls::VoxCmd() {
    c_.link.SendRadioCmd("V", true, 0.2);
    c_.link.ReadRadio();
    c_.req.reqVox = false;
}

void ReceiverControls::PttEnCmd() {
    c_.link.TogglePttEnable();
    c_.req.reqPttEn = false;
}

void ReceiverControls::SideToneCmd() {
    c_.link.SendRadioCmd("S", true, 0.2);
    c_.link.ReadRadio();
    if (c_.st.gSideToneReportNew) {
        c_.display.ShowSideTone();
        c_.st.gSideToneReportNew = false;
    }
    c_.req.reqSideTone = false;
}

void ReceiverControls::ClipCmd() {
    c_.link.SendRadioCmd("I", true, 0.2);
    c_.link.ReadRadio();
    c_.req.reqClip = false;
}

void ReceiverControls::MuteCmd() {
    std::string shown = caption(c_.form().ui->lblMute);
    if (shown == "ON") c_.link.SendRadioCmd("(0", true, 0.2);
    if (shown == "OFF") c_.link.SendRadioCmd("(1", true, 0.2);
    c_.req.reqMute = false;
}

}  // namespace tolvane
