// Status display, band check and meters of the main window.
#include "panel/status_display.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <cmath>

#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "radio/band_rule.h"
#include "radio/errors.h"
#include "radio/mappings.h"
#include "radio/protocol.h"
#include "radio/radio_link.h"
#include "ui_frmTolvane.h"

namespace tolvane {

using vb::caption;
using vb::setBackColour;
using vb::setCaption;
using vb::setForeColour;

namespace {

// Shows the caption of the report's code; a code not in the table leaves the
// control as it is.
template <typename Row, size_t N>
void show(QWidget* w, const std::array<Row, N>& table, const std::string& code) {
    if (auto text = mapping::captionOf(table, code)) setCaption(w, std::string(*text));
}

}  // namespace

const char* const StatusDisplay::kScaleAudio = " -20       -10          0         +10 ";
const char* const StatusDisplay::kScalePower = "0            25          50   100  150";
const char* const StatusDisplay::kScaleVswr = "1               2             3      4";
const char* const StatusDisplay::kScaleSMeter = "  S3    S6     S9      +30      +60   ";

StatusDisplay::StatusDisplay(FrmTolvane& form, RadioState& state, PanelFlags& panel,
                             Settings& settings)
    : form_(form), st_(state), ps_(panel), set_(settings) {}

// ------------------------------------------------------------ RadioPanel

void StatusDisplay::setLamp(Lamp lamp) {
    long c = vb::systemGrayText();
    switch (lamp) {
        case Lamp::Red:
            c = colour::kRed;
            break;
        case Lamp::Green:
            c = colour::kGreen;
            break;
        case Lamp::Yellow:
            c = colour::kYellow;
            break;
        case Lamp::Idle:
            break;
    }
    setBackColour(form_.ui->shaTrace, c);
}

void StatusDisplay::setComStat(mapping::LinkStatus status) {
    st_.gLinkStatus = status;
    setCaption(form_.ui->lblComStat, mapping::linkStatusCaption(status, set_.gRadioPort));
}

void StatusDisplay::reportError(const std::string& message) {
    setCaption(form_.ui->txtInfo, message);
    form_.ui->txtInfo->setVisible(true);
}

void StatusDisplay::setInfoText(const std::string& text) {
    setCaption(form_.ui->txtInfo, text);
}

bool StatusDisplay::dataBoxShown() {
    return caption(form_.ui->cmdViewInData) == "Hide Data";
}

void StatusDisplay::setDataBox(const std::string& text) {
    // Raw radio text may hold any byte: show it as Latin-1.
    form_.ui->txtInData->setPlainText(
        QString::fromLatin1(text.data(), static_cast<int>(text.size())));
}

void StatusDisplay::setSyncCaption(const std::string& c) {
    setCaption(form_.ui->lblU, c);
}

void StatusDisplay::setSyncColour(long c) {
    setBackColour(form_.ui->lblU, c);
}

// ------------------------------------------------------- display routines

void StatusDisplay::ShowRemoteState() {
    setForeColour(form_.ui->lblREMOTE, vb::systemButtonText());
    show(form_.ui->lblREMOTE, mapping::kControl, st_.gRemoteState);
}

void StatusDisplay::ShowAgc() {
    show(form_.ui->cmbAGC, mapping::kAgc, st_.gAgcReport);
}

void StatusDisplay::ShowMode() {
    show(form_.ui->cmbMode, mapping::kModes, st_.gModeReport);
}

void StatusDisplay::ShowFreqDigits() {
    if (!protocol::isFreqReport(st_.gFreqReport)) return;
    for (int i = 0; i < 7; ++i)
        setCaption(form_.cmdF[static_cast<size_t>(i)],
                   std::string(1, st_.gFreqReport[static_cast<size_t>(i) + 1]));
}

void StatusDisplay::ShowLocRem() {
    // Only remote audio is shown here; local audio shows the source.
    if (st_.gLocRemReport == "\"0") show(form_.ui->cmbSource, mapping::kRouting, st_.gLocRemReport);
}

void StatusDisplay::ShowSource() {
    if (st_.gLocRemReport != "\"1") return;  // shown only while the audio is local
    show(form_.ui->cmbSource, mapping::kSources, st_.gSourceReport);
}

void StatusDisplay::ShowClipping() {
    show(form_.ui->lblClipping, mapping::kClipping, st_.gClipReport);
}
void StatusDisplay::ShowPttEnable() {
    show(form_.ui->lblPTTEn, mapping::kPttEnable, st_.gPttEnReport);
}
void StatusDisplay::ShowSpeaker() {
    show(form_.ui->lblMute, mapping::kSpeaker, st_.gSpeakerReport);
}
void StatusDisplay::ShowSideTone() {
    show(form_.ui->lblSideTone, mapping::kSideTone, st_.gSideToneReport);
}
void StatusDisplay::ShowVox() {
    show(form_.ui->lblVox, mapping::kVox, st_.gVoxReport);
}

void StatusDisplay::ShowAmpState() {
    auto* pwr = form_.ui->lblAmpPwr;
    auto* opr = form_.ui->lblAmpOpStby;
    auto* tuned = form_.ui->lblAmpTuned;
    const std::string& o = st_.gAmpReport;
    if (o == "O1") {
        setCaption(pwr, "OFF");
        setBackColour(pwr, colour::kWhite);
        form_.ui->cmdTuneAmp->setEnabled(false);
        setCaption(opr, "");
        setBackColour(opr, colour::kWhite);
        setCaption(tuned, "");
        setBackColour(tuned, colour::kWhite);
    } else if (o == "O2" || o == "O3") {
        setCaption(pwr, "ON");
        setBackColour(pwr, colour::kRed);
        form_.ui->cmdTuneAmp->setEnabled(false);
        setCaption(opr, o == "O2" ? "Warmup" : "Standby");
        setBackColour(opr, o == "O2" ? colour::kYellow : colour::kGreen);
        setCaption(tuned, "");
        setBackColour(tuned, colour::kWhite);
    } else if (o == "O4") {
        setCaption(pwr, "ON");
        setBackColour(pwr, colour::kRed);
        form_.ui->cmdTuneAmp->setEnabled(true);
        setCaption(opr, "Operate");
        setBackColour(opr, colour::kRed);
        setBackColour(tuned, colour::kYellow);
    }
}

void StatusDisplay::ShowAmpTune() {
    if (st_.gAmpReport != "O4") return;
    auto* tuned = form_.ui->lblAmpTuned;
    const std::string& t = st_.gAmpTuneReport;
    if (t == "T1" && !ps_.gAmpTuning) {
        setCaption(tuned, "");
        setBackColour(tuned, colour::kWhite);
    } else if (t == "T2" && !ps_.gAmpTuning) {
        setCaption(tuned, "Start Tune");
        setBackColour(tuned, colour::kGreen);
    } else if (t == "T3") {
        setCaption(tuned, "Tuning");
        setBackColour(tuned, colour::kYellow);
    } else if (t == "T4") {
        setCaption(tuned, "Tuned");
        setBackColour(tuned, colour::kRed);
        // Only the panel's own tune cycle ends here: a transmission of PTT,
        // XMT or TUNE keeps its key.
        if (ps_.gAmpTuning) {
            ps_.gAmpTuning = false;
            st_.gSyncChar = "U";
            if (link_ != nullptr) link_->gSendSync("U");  // unkey at once
        }
    }
}

// ------------------------------------------------------------ band check

bool StatusDisplay::IsInBand(const std::string& text) const {
    return transmitAllowed(text, set_.gTxUnrestricted);
}

void StatusDisplay::SetTxControlsEnabled(bool& allowed) {
    if (ps_.gScanActive) allowed = false;
    // Under local control the transmit buttons stay disabled whatever the band.
    bool enable = allowed && ps_.gControlMode != ControlMode::Local;
    auto* ui = form_.ui;
    if (ui->cmdPTTEn->isEnabled() != enable) ui->cmdPTTEn->setEnabled(enable);
    // XMT and TUNE exclude each other: the one that is idle stays disabled
    // while the other holds the key.
    const bool tuneEnable = enable && caption(ui->cmdXmit) != "&XMT OFF";
    const bool xmitEnable = enable && caption(ui->cmdTune) != "T&UNE OFF";
    if (ui->cmdTune->isEnabled() != tuneEnable && caption(ui->cmdTune) == "T&UNE ON")
        ui->cmdTune->setEnabled(tuneEnable);
    if (ui->cmdXmit->isEnabled() != xmitEnable && caption(ui->cmdXmit) == "&XMT ON")
        ui->cmdXmit->setEnabled(xmitEnable);
    if (ui->cmdPTT->isEnabled() != enable) ui->cmdPTT->setEnabled(enable);
    holdPttEnable(allowed);
    if (allowed) {
        setCaption(ui->lblInBand, "");
        setBackColour(ui->lblInBand, colour::kLightGrey);
    } else {
        if (ps_.gScanActive) {
            setCaption(ui->lblInBand, "Scanning");
        } else {
            setCaption(ui->lblInBand, "Out Of Band");
            setBackColour(ui->lblInBand, colour::kRed);
        }
    }
}

void StatusDisplay::holdPttEnable(bool allowed) {
    // Without a known firmware there is no toggle to send.
    if (link_ == nullptr || protocol::firmware(st_.gFwType) == nullptr) return;
    // A new initialisation is a new start: a radio that did not follow under
    // its front panel's control may follow under remote control.
    if (ps_.gControlMode != pttInterlockMode_) {
        pttInterlock_ = {};
        pttInterlockMode_ = ps_.gControlMode;
    }
    PttInterlockDecision d = decidePttInterlock(allowed, st_.gPttEnReport, pttInterlock_);
    pttInterlock_ = d.memory;
    if (d.toggle) link_->TogglePttEnable();
    if (!d.warning.empty()) reportError(d.warning);
}

std::string StatusDisplay::vfoBText() const {
    std::string s = "F";
    for (QPushButton* b : form_.cmdVFOB) s += caption(b);
    return s;
}

// -------------------------------------------------------- gUpdateDisplay

void StatusDisplay::gUpdateDisplay() {
    try {
        auto* ui = form_.ui;
        if (st_.gRemoteReport) {
            ShowRemoteState();
            st_.gRemoteReport = false;
        }
        if (st_.gAgcReportNew) {
            ShowAgc();
            st_.gAgcReportNew = false;
        }
        if (st_.gModeReportNew) {
            ShowMode();
            st_.gModeReportNew = false;
        }
        if (st_.gFreqReportNew) {
            ShowFreqDigits();
            st_.gFreqReportNew = false;
        }
        std::string vfoB = vfoBText();
        bool allowed = form_.optTXVFO[0]->isChecked() ? IsInBand(st_.gFreqReport) : IsInBand(vfoB);
        SetTxControlsEnabled(allowed);
        if (st_.gChanSelReportNew) {
            st_.gChanSelReportNew = false;
            const std::string& c = st_.gChanSelReport;
            if (c.size() == 3 && c[0] == 'C' && protocol::isDigits(c.substr(1), 2)) {
                setCaption(form_.cmdM[0], std::string(1, c[1]));
                setCaption(form_.cmdM[1], std::string(1, c[2]));
                form_.optChan[0]->setChecked(true);
            } else {
                form_.optChan[1]->setChecked(true);
            }
        }
        if (st_.gSourceReportNew) {
            ShowSource();
            st_.gSourceReportNew = false;
        }
        if (st_.gLocRemReportNew) {
            ShowLocRem();
            st_.gLocRemReportNew = false;
        }
        if (st_.gClipReportNew) {
            ShowClipping();
            st_.gClipReportNew = false;
        }
        if (st_.gMeterReportNew) {
            ShowMeterSelection();
            st_.gMeterReportNew = false;
        }
        if (st_.gPttEnReportNew) {
            ShowPttEnable();
            st_.gPttEnReportNew = false;
        }
        if (st_.gSpeakerReportNew) {
            ShowSpeaker();
            st_.gSpeakerReportNew = false;
        }
        if (st_.gSideToneReportNew) {
            ShowSideTone();
            st_.gSideToneReportNew = false;
        }
        if (st_.gVoxReportNew) {
            ShowVox();
            st_.gVoxReportNew = false;
        }
        if (st_.gAmpReportNew) {
            ShowAmpState();
            ShowAmpTune();
            st_.gAmpReportNew = false;
        }
        if (st_.gAmpTuneReportNew) {
            ShowAmpTune();
            st_.gAmpTuneReportNew = false;
        }
        if (st_.gFaultReportNew) {
            if (st_.gFaultReport == "Z0") {
                setCaption(ui->lblFault, "OK");
                setBackColour(ui->lblFault, vb::systemButtonFace());
            } else {
                setCaption(ui->lblFault, "FAULT");
                setBackColour(ui->lblFault, colour::kRed);
            }
            st_.gFaultReportNew = false;
        }
        if (st_.gChanReportNew) {
            const std::string& p = st_.gChanReport;
            for (size_t i = 0; i < 7; ++i) setCaption(form_.cmdF[i], std::string(1, p[i + 3]));
            // The channel's mode digit is the digit of its mode code.
            show(ui->cmbMode, mapping::kModes, std::string("M") + p[10]);
            st_.gChanReportNew = false;
        }
    } catch (const std::exception& e) {
        reportError("gUpdateDisplay: Err " + errText(e));
    }
}

// ----------------------------------------------------------------- meters

void StatusDisplay::gDisplayMeterData(const std::string& line) {
    try {
        std::string digits = line.size() > 1 ? line.substr(1, 2) : "";
        size_t b = digits.find_first_not_of(' ');
        if (b == std::string::npos) throw RunError(13, "Type mismatch");
        digits = digits.substr(b);
        size_t used = 0;
        double v = 0;
        try {
            v = std::stod(digits, &used);
        } catch (const std::exception&) {
            throw RunError(13, "Type mismatch");
        }
        if (used != digits.size()) throw RunError(13, "Type mismatch");
        st_.gMeterValue = static_cast<int>(std::lround(v));
        QProgressBar* bar = form_.ui->pbMeter;
        if (st_.gMeterValue >= bar->minimum() && st_.gMeterValue <= bar->maximum()) {
            // The bar would repaint at once; painted with the rest of the
            // panel at the next yield it costs one paint instead of two.
            bar->setUpdatesEnabled(false);
            bar->setValue(st_.gMeterValue);
            bar->setUpdatesEnabled(true);
        }
    } catch (const std::exception& e) {
        reportError("gDisplayMeterData: Err " + errText(e));
    }
}

void StatusDisplay::greyMeterLabels() {
    for (QLabel* l : form_.lblMeter) setForeColour(l, vb::systemGrayText());
}

void StatusDisplay::ShowMeterSelection() {
    greyMeterLabels();
    form_.clearGroup(form_.grpMeter);
    const std::string& d = st_.gMeterReport;
    if (d.size() != 2 || d[0] != 'D' || d[1] < '1' || d[1] > '6') return;
    size_t k = static_cast<size_t>(d[1] - '1');
    setForeColour(form_.lblMeter[k], vb::systemButtonText());
    form_.optMeter[k]->setChecked(true);  // runs the option's click handling
    const char* scale = kScaleAudio;
    if (k >= 3) {
        if (!st_.gRadioKeyed)
            scale = kScaleSMeter;
        else
            scale = k == 5 ? kScaleVswr : kScalePower;
    }
    setCaption(form_.ui->lblMeterScale, scale);
}

}  // namespace tolvane
