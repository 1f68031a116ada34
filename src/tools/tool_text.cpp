// Frequency and mode texts of the tool windows.
#include "tools/tool_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "platform/numeric_value.h"

namespace tolvane {

namespace {

constexpr std::size_t kDigits = 7;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

struct ModeRow {
    const char* name;
    const char* code;
};
constexpr std::array<ModeRow, 4> kModes{
    {{"USB", "M1"}, {"LSB", "M2"}, {"AME", "M3"}, {"CW", "M4"}}};

}  // namespace

bool isRadioFrequency(std::string_view seven) {
    if (seven.size() != kDigits || !std::all_of(seven.begin(), seven.end(), isDigit)) return false;
    std::int64_t value = 0;
    for (char c : seven) value = value * 10 + (c - '0');
    return frequencyInRange(value);
}

std::optional<std::string> bandRowDigits(std::string_view text) {
    std::string digits(kDigits, '0');
    const bool singleMHz =
        text.size() >= 3 && isDigit(text[0]) && text[1] == '.' && isDigit(text[2]);
    std::size_t pos = singleMHz ? 1 : 0;
    for (char c : text) {
        if (!isDigit(c)) continue;
        if (pos >= kDigits) return std::nullopt;
        digits[pos++] = c;
    }
    return digits;
}

std::int32_t ParseScanFreq(std::string_view text) {
    std::string cells(kDigits, '0');
    std::size_t pos = text.size() >= 2 && text[1] == '.' ? 1 : 0;
    for (char c : text) {
        if (c == '.') continue;
        if (pos >= kDigits) return 0;
        cells[pos++] = c;
    }
    return static_cast<std::int32_t>(std::lround(numericValue(cells)));
}

std::string scanCommand(std::int32_t tenHz) {
    const std::string digits = std::to_string(tenHz);
    return digits.size() == 6 ? "F0" + digits : "F" + digits;
}

std::optional<std::string> listRowCommand(std::string_view text) {
    std::string command = "F" + std::string(kDigits, '0');
    std::size_t pos = text.size() >= 2 && text[1] == '.' ? 2 : 1;
    for (char c : text) {
        if (c == '.') continue;
        if (pos > kDigits) return std::nullopt;
        command[pos++] = c;
    }
    return command;
}

bool isFrequencyCommand(std::string_view command) {
    return command.size() == kDigits + 1 && command[0] == 'F' &&
           isRadioFrequency(command.substr(1));
}

std::string reportMHz(std::string_view report) {
    std::string r(report.substr(0, std::min<std::size_t>(report.size(), kDigits + 1)));
    r.resize(kDigits + 1, ' ');
    std::string out;
    if (r[1] != '0') out += r[1];
    out += r[2];
    out += '.';
    out += r.substr(3, 5);
    return out;
}

std::string modeCodeFor(std::string_view modeText, const std::string& current, bool acceptAm) {
    const std::string name = upper(modeText);
    for (const ModeRow& m : kModes)
        if (name == m.name) return m.code;
    if (acceptAm && name == "AM") return "M3";
    return current;
}

std::optional<std::string> modeNameOf(std::string_view code) {
    for (const ModeRow& m : kModes)
        if (code == m.code) return std::string(m.name);
    return std::nullopt;
}

std::string fileErrorText(std::string_view fileName, int err, std::string_view description) {
    return std::string(fileName) + ": Err " + std::to_string(err) + ". " + std::string(description);
}

}  // namespace tolvane
