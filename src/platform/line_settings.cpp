// Line settings text: "speed,parity,data bits,stop bits", as the setup
// dialogs write it ("9600,O,7,1"). Blanks and tabs around a field are
// tolerated ("9600 ,O,7,1", "19200,N, 8, 1").
//
// Accepted: the standard termios speeds 300 to 115200, parity letters N, O,
// E, M, S in either case, 5 to 8 data bits, 1 or 2 stop bits. "1.5" stop
// bits is refused: a termios port cannot apply it. Anything else (missing
// or extra fields, signs, fractions, unknown letters) gives no settings.
#include <array>
#include <optional>
#include <string_view>

#include "platform/serial_port.h"

namespace tolvane {

namespace {

constexpr std::array<int, 11> kSpeeds = {300,  600,   1200,  1800,  2400,  4800,
                                         9600, 19200, 38400, 57600, 115200};

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Whole number made of 1 to 7 decimal digits and nothing else.
std::optional<int> digitsValue(std::string_view s) {
    if (s.empty() || s.size() > 7) return std::nullopt;
    int value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<Parity> parityLetter(std::string_view s) {
    if (s.size() != 1) return std::nullopt;
    switch (s.front()) {
        case 'N':
        case 'n':
            return Parity::None;
        case 'O':
        case 'o':
            return Parity::Odd;
        case 'E':
        case 'e':
            return Parity::Even;
        case 'M':
        case 'm':
            return Parity::Mark;
        case 'S':
        case 's':
            return Parity::Space;
        default:
            return std::nullopt;
    }
}

// The four fields of a settings text, blanks trimmed; nothing when there
// are more or fewer than four.
std::optional<std::array<std::string_view, 4>> splitFields(std::string_view text) {
    std::array<std::string_view, 4> fields;
    std::size_t count = 0;
    for (;;) {
        std::size_t comma = text.find(',');
        if (count == fields.size()) return std::nullopt;  // a fifth field
        fields[count++] = trimBlanks(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (count != fields.size()) return std::nullopt;
    return fields;
}

std::optional<int> speedValue(std::string_view field) {
    std::optional<int> baud = digitsValue(field);
    if (!baud) return std::nullopt;
    for (int speed : kSpeeds)
        if (speed == *baud) return baud;
    return std::nullopt;
}

std::optional<int> dataBitsValue(std::string_view field) {
    std::optional<int> bits = digitsValue(field);
    if (!bits || *bits < 5 || *bits > 8 || field.size() != 1) return std::nullopt;
    return bits;
}

std::optional<int> stopBitsValue(std::string_view field) {
    if (field == "1") return 1;
    if (field == "2") return 2;
    return std::nullopt;
}

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
    std::optional<std::array<std::string_view, 4>> fields = splitFields(text);
    if (!fields) return std::nullopt;
    std::optional<int> baud = speedValue((*fields)[0]);
    std::optional<Parity> parity = parityLetter((*fields)[1]);
    std::optional<int> dataBits = dataBitsValue((*fields)[2]);
    std::optional<int> stopBits = stopBitsValue((*fields)[3]);
    if (!baud || !parity || !dataBits || !stopBits) return std::nullopt;
    LineSettings settings;
    settings.baud = *baud;
    settings.parity = *parity;
    settings.dataBits = *dataBits;
    settings.stopBits = *stopBits;
    return settings;
}

std::string lineSettingsFault(std::string_view text) {
    std::optional<std::array<std::string_view, 4>> fields = splitFields(text);
    if (!fields) return "not speed,parity,data bits,stop bits";
    std::string fault;
    auto refuse = [&fault](const char* name, std::string_view value) {
        if (!fault.empty()) fault += ", ";
        fault += name;
        fault += value.empty() ? std::string(" missing") : " " + std::string(value);
    };
    if (!speedValue((*fields)[0])) refuse("speed", (*fields)[0]);
    if (!parityLetter((*fields)[1])) refuse("parity", (*fields)[1]);
    if (!dataBitsValue((*fields)[2])) refuse("data bits", (*fields)[2]);
    if (!stopBitsValue((*fields)[3])) refuse("stop bits", (*fields)[3]);
    return fault;
}

int bitsPerCharacter(const LineSettings& line) {
    return 1 + line.dataBits + (line.parity == Parity::None ? 0 : 1) + line.stopBits;
}

}  // namespace tolvane
