// The setting routines shared by the panel, the CAT bridge and the tool
// windows: frequency, mode, AGC, PTT enable and meter selection, for every
// firmware type. Each chooses between direct codes and key presses, sends,
// waits, and reads the radio's answer.
#include <string>

#include "radio/protocol.h"
#include "radio/radio_link.h"

namespace tolvane {

namespace {

// Position of a two-character code "<letter><1..n>" counted from 0, or -1.
int codePosition(const std::string& code, char letter, int count) {
    if (code.size() != 2 || code[0] != letter) return -1;
    int d = code[1] - '0';
    if (d < 1 || d > count) return -1;
    return d - 1;
}

// The number in the second character of a report ("A4" -> 4); 0 when it is
// not a digit.
int secondDigit(const std::string& report) {
    if (report.size() < 2 || report[1] < '0' || report[1] > '9') return 0;
    return report[1] - '0';
}

bool knownMode(const std::string& report) {
    return codePosition(report, 'M', protocol::kModePositions) >= 0;
}

}  // namespace

void RadioLink::SetFreqCmd(const std::string& f) {
    if (!protocol::isDigits(f, 7)) return;
    SendRadioCmd("F" + f, true, 0.45);
    ReadRadio();
}

void RadioLink::SetAgc(const std::string& wanted) {
    const protocol::FirmwareInfo* fw = protocol::firmware(st_.gFwType);
    // Nothing is sent while the firmware is unknown or the code is not an AGC code.
    if (fw == nullptr || codePosition(wanted, 'A', 4) < 0) return;
    if (fw->agcStep == 0) {
        std::string text = wanted + protocol::kLF + st_.gFreqReport + protocol::kLF;
        SendRadioCmd(text, false, 0.1);
        ReadRadio();
        return;
    }
    // The presses count from the reported AGC: none is sent until it is known.
    if (codePosition(st_.gAgcReport, 'A', 4) < 0) return;
    int c = secondDigit(st_.gAgcReport);
    int t = secondDigit(wanted);
    if (c == t) return;
    if (t < c) t += protocol::kAgcPositions;
    // OFF wanted while FAST is reported gives no presses: OFF is not in the
    // stepping cycle, so nothing is sent.
    if (t - c <= 0) return;
    SendRadioCmd(std::string(static_cast<size_t>(t - c), fw->agcStep), true, 0.1);
    ReadRadio();
}

int RadioLink::ModeIndex(const std::string& code) {
    int p = codePosition(code, 'M', protocol::kModePositions);
    return p < 0 ? 0 : p;
}

std::string RadioLink::ModeKeys(const std::string& wanted) {
    const protocol::FirmwareInfo* fw = protocol::firmware(st_.gFwType);
    // A code outside M1..M4 (an empty mode box, an unknown CAT digit) or an
    // unknown firmware gives no keys: stepping to USB was never asked for.
    if (fw == nullptr || codePosition(wanted, 'M', protocol::kModePositions) < 0) return "";
    if (fw->modeStep == 0) return wanted;
    int c = ModeIndex(st_.gModeReport) + protocol::kModePositions;
    int t = ModeIndex(wanted) + protocol::kModePositions;
    if (c == t) return "";
    if (t < c) c -= protocol::kModePositions;
    return std::string(static_cast<size_t>(t - c), fw->modeStep);
}

void RadioLink::SetMode(const std::string& wanted) {
    if (st_.gModeReport == wanted) return;
    const protocol::FirmwareInfo* fw = protocol::firmware(st_.gFwType);
    if (fw == nullptr || codePosition(wanted, 'M', protocol::kModePositions) < 0) return;
    // A stepping firmware counts its presses from the reported mode: before
    // a mode report has arrived nothing is sent (not even the bare LF of
    // "no presses").
    if (fw->modeStep != 0 && !knownMode(st_.gModeReport)) return;
    std::string keys = ModeKeys(wanted);
    if (fw->modeStep == 0) {
        ReadRadioNoWait();
        writeDirect(keys + protocol::kLF + st_.gFreqReport + protocol::kLF);
        Delay(0.3);
        ReadRadio();
    } else {
        bool v601 = st_.gFwType == protocol::kFwV601;
        if (v601) st_.gSavedPttEn = st_.gPttEnReport;
        SendRadioCmd(keys, true, 0.3);
        ReadRadio();
        // A mode change on the v601 firmware may switch PTT enable: restore it.
        if (v601 && st_.gPttEnReport != st_.gSavedPttEn) TogglePttEnable();
    }
    if (st_.gModeReportNew) {
        panel_.ShowMode();
        st_.gModeReportNew = false;
    }
    if (st_.gSideToneReportNew) {
        panel_.ShowSideTone();
        st_.gSideToneReportNew = false;
    }
    if (st_.gSourceReportNew) {
        panel_.ShowSource();
        st_.gSourceReportNew = false;
    }
    if (st_.gPttEnReportNew) {
        panel_.ShowPttEnable();
        st_.gPttEnReportNew = false;
    }
}

void RadioLink::StepMode() {
    const protocol::FirmwareInfo* fw = protocol::firmware(st_.gFwType);
    if (fw == nullptr) return;
    // One step from a mode that is not known yet is a step into the blue (and
    // the Adapt firmware has no next code to write): no step is sent; the
    // status request below makes the mode known for the caller's next try.
    const bool known = knownMode(st_.gModeReport);
    if (known && fw->modeStep == 0) {
        static const char* kNext[] = {"M2", "M3", "M4", "M1"};
        int p = codePosition(st_.gModeReport, 'M', protocol::kModePositions);
        ReadRadioNoWait();
        writeDirect(kNext[p] + std::string(1, protocol::kLF) + st_.gFreqReport + protocol::kLF);
        Delay(0.3);
    } else if (known) {
        SendRadioCmd(std::string(1, fw->modeStep), true, 0.1);
    }
    double t0 = clock_.now();
    st_.gModeReportNew = false;
    for (;;) {
        double now = clock_.now();
        t0 = midnightCorrected(t0, now);
        if (!known || now - t0 >= 2.0 || st_.gModeReportNew) {
            if (!st_.gModeReportNew) {
                panel_.setInfoText("Mode did not change..");
                SendRadioCmd("?", true, 1.0);
                ReadRadio();
            }
            panel_.ShowMode();
            st_.gModeReportNew = false;
            return;
        }
        ReadRadio();
    }
}

void RadioLink::TogglePttEnable() {
    const protocol::FirmwareInfo* fw = protocol::firmware(st_.gFwType);
    if (fw == nullptr) return;
    if (fw->pttToggle) {
        SendRadioCmd("'", false, 0.2);
    } else if (st_.gPttEnReport == "'0") {
        SendRadioCmd("'1", true, 0.2);
    } else if (st_.gPttEnReport == "'1") {
        SendRadioCmd("'0", true, 0.2);
    }
    ReadRadio();
}

int RadioLink::MeterIndex(const std::string& code) {
    int p = codePosition(code, 'D', protocol::kMeterPositions);
    return p < 0 ? 0 : p;
}

void RadioLink::SelectMeter(const std::string& wanted) {
    const protocol::FirmwareInfo* fw = protocol::firmware(st_.gFwType);
    // The Adapt firmware has no meter key, and an unknown firmware none yet.
    if (fw == nullptr || fw->meterStep == 0) return;
    panel_.greyMeterLabels();
    // The presses count from the reported meter: none is sent until it is known.
    if (codePosition(st_.gMeterReport, 'D', protocol::kMeterPositions) < 0) return;
    int c = MeterIndex(st_.gMeterReport) + protocol::kMeterPositions;
    int t = MeterIndex(wanted) + protocol::kMeterPositions;
    if (c == t) return;
    if (t < c) c -= protocol::kMeterPositions;
    SendRadioCmd(std::string(static_cast<size_t>(t - c), fw->meterStep), true, 0.3);
    ReadRadio();
}

}  // namespace tolvane
