// The radio's wire protocol as tables: report letters with their kept
// widths and record fields, firmware types with their captions and step
// letters, and the step-key cycles.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "radio/radio_state.h"

namespace tolvane::protocol {

constexpr char kLF = '\n';
constexpr char kDQ = '"';     // first character of the audio routing codes
constexpr char kApos = '\'';  // PTT enable

// A report letter that is stored in a fixed-width field of the record.
struct ReportField {
    char letter;
    int width;
    std::string RadioState::*value;
    bool RadioState::*changed;
};
// The stored reports (F is handled with its well-formed test on top).
extern const std::array<ReportField, 22> kReportFields;
const ReportField* findReportField(char letter);

// Left-aligned in a field of `width`: cut or padded with blanks.
std::string fitField(std::string_view line, int width);
// True for "F" followed by exactly seven decimal digits.
bool isFreqReport(std::string_view text);
// True when every character is a decimal digit and there are exactly n.
bool isDigits(std::string_view text, size_t n);

enum FwType { kFwUnknown = 0, kFwV601 = 1, kFwAdapt = 2, kFwNonAdapt = 3 };

struct FirmwareInfo {
    int type;
    const char* remoteCaption;  // lblFWType under remote control
    const char* localCaption;   // lblFWType under local control
    char modeStep;              // 0 = direct codes in the combined form
    char agcStep;
    char meterStep;      // 0 = no step letter defined
    bool pttToggle;      // bare "'" toggles
    bool routingToggle;  // a double quote + LF toggles
};
extern const std::array<FirmwareInfo, 3> kFirmware;
// nullptr for 0 or an unknown type.
const FirmwareInfo* firmware(int type);

// Step-key cycle lengths used in the press counts.
constexpr int kModePositions = 4;
constexpr int kAgcPositions = 3;
constexpr int kMeterPositions = 6;
constexpr int kSourcePositions = 3;

}  // namespace tolvane::protocol
