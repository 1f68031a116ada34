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

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
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

    LineSettings settings;
    std::optional<int> baud = digitsValue(fields[0]);
    if (!baud) return std::nullopt;
    bool known = false;
    for (int speed : kSpeeds) known = known || speed == *baud;
    if (!known) return std::nullopt;
    settings.baud = *baud;

    std::optional<Parity> parity = parityLetter(fields[1]);
    if (!parity) return std::nullopt;
    settings.parity = *parity;

    std::optional<int> dataBits = digitsValue(fields[2]);
    if (!dataBits || *dataBits < 5 || *dataBits > 8 || fields[2].size() != 1) return std::nullopt;
    settings.dataBits = *dataBits;

    if (fields[3] == "1")
        settings.stopBits = 1;
    else if (fields[3] == "2")
        settings.stopBits = 2;
    else
        return std::nullopt;
    return settings;
}

}  // namespace tolvane
