// Tables of the radio's wire protocol.
#include "radio/protocol.h"

namespace tolvane::protocol {

// Report letter, kept width (report letter included), record field, changed flag.
const std::array<ReportField, 22> kReportFields = {{
    {'A', 2, &RadioState::gAgcReport, &RadioState::gAgcReportNew},
    {'M', 2, &RadioState::gModeReport, &RadioState::gModeReportNew},
    {'D', 2, &RadioState::gMeterReport, &RadioState::gMeterReportNew},
    {'H', 2, &RadioState::gSourceReport, &RadioState::gSourceReportNew},
    {'"', 2, &RadioState::gLocRemReport, &RadioState::gLocRemReportNew},
    {'\'', 2, &RadioState::gPttEnReport, &RadioState::gPttEnReportNew},
    {'(', 2, &RadioState::gSpeakerReport, &RadioState::gSpeakerReportNew},
    {',', 2, &RadioState::gCommaReport, &RadioState::gCommaReportNew},
    {'R', 2, &RadioState::gRemoteState, &RadioState::gRemoteReport},
    {'O', 2, &RadioState::gAmpReport, &RadioState::gAmpReportNew},
    {'T', 2, &RadioState::gAmpTuneReport, &RadioState::gAmpTuneReportNew},
    {'X', 2, &RadioState::gXReport, &RadioState::gXReportNew},
    {'I', 2, &RadioState::gClipReport, &RadioState::gClipReportNew},
    {'S', 2, &RadioState::gSideToneReport, &RadioState::gSideToneReportNew},
    {'V', 2, &RadioState::gVoxReport, &RadioState::gVoxReportNew},
    {'*', 2, &RadioState::gStarReport, &RadioState::gStarReportNew},
    {'Z', 2, &RadioState::gFaultReport, &RadioState::gFaultReportNew},
    {'G', 3, &RadioState::gRfGainReport, &RadioState::gRfGainReportNew},
    {'C', 3, &RadioState::gChanSelReport, &RadioState::gChanSelReportNew},
    {'B', 4, &RadioState::gBfoReport, &RadioState::gBfoReportNew},
    {'P', 11, &RadioState::gChanReport, &RadioState::gChanReportNew},
    {'F', 8, &RadioState::gFreqReport, &RadioState::gFreqReportNew},
}};

const ReportField* findReportField(char letter) {
    for (const ReportField& f : kReportFields)
        if (f.letter == letter) return &f;
    return nullptr;
}

std::string fitField(std::string_view line, int width) {
    std::string s(line.substr(0, static_cast<size_t>(width)));
    s.resize(static_cast<size_t>(width), ' ');
    return s;
}

bool isDigits(std::string_view text, size_t n) {
    if (text.size() != n) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool isFreqReport(std::string_view text) {
    return text.size() == 8 && text[0] == 'F' && isDigits(text.substr(1), 7);
}

// Type, captions (remote, local), mode, AGC and meter step letters, toggles.
const std::array<FirmwareInfo, 3> kFirmware = {{
    {kFwV601, "F/W: v601", "F/W: v601C", 'M', 'A', 'd', true, true},
    {kFwAdapt, "F/W: v604 Adapt", "F/W: v604M Adapt", 0, 0, 0, false, false},
    {kFwNonAdapt, "F/W: v604 NonAdapt", "F/W: v604M NonAdapt", 'm', 'a', 'D', false, false},
}};

const FirmwareInfo* firmware(int type) {
    for (const FirmwareInfo& f : kFirmware)
        if (f.type == type) return &f;
    return nullptr;
}

}  // namespace tolvane::protocol
