// Frequency and mode texts of the tool windows: the MHz texts the operator
// types into the band lists, the scan limits and the scan list, turned into
// the radio's seven digits (10 Hz units); the mode names of the lists; and
// the MHz text of a frequency report. Plain functions, no window, no port.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The radio tunes from 1.6 MHz to 29.99999 MHz: 0160000..2999999 in 10 Hz.
inline constexpr std::int32_t kLowestFrequency = 160000;
inline constexpr std::int32_t kHighestFrequency = 2999999;
inline constexpr bool frequencyInRange(std::int64_t tenHz) {
    return tenHz >= kLowestFrequency && tenHz <= kHighestFrequency;
}

// True for exactly seven decimal digits within the radio's range.
bool isRadioFrequency(std::string_view seven);

// A band list row's frequency text as seven digits. A text that starts with
// one digit, a point and one digit (7.074) fills from the second position
// (a single MHz digit); any other text from the first. Decimal digits are
// written in turn, every other character is skipped, positions not reached
// keep their "0": 7.1 gives 0710000, 14.07400 gives 1407400. Nothing when the
// text holds more digits than the seven positions take (14.074000).
std::optional<std::string> bandRowDigits(std::string_view text);

// A scan limit typed in MHz as the frequency in 10 Hz units. When the second
// character is "." the text fills from the second of seven positions, else
// from the first; every character other than "." takes the next position,
// and the result is the leading number of the seven positions: "1.800" gives
// 180000, "14.00" gives 1400000, "Error" gives 0. A text with more characters
// (other than ".") than the positions hold gives 0, an invalid limit.
std::int32_t ParseScanFreq(std::string_view text);

// The frequency command of a scan step: "F" and the value, with a "0" in
// front of a six-digit value (700000 -> F0700000, 1400000 -> F1400000).
std::string scanCommand(std::int32_t tenHz);

// A scan list row's frequency command, "F" and seven cells. When the second
// character of the text is "." the first cell stays "0" and writing starts
// at the second; every character other than "." takes the next cell (so a
// cell may hold a non-digit). Nothing when the text overfills the cells.
std::optional<std::string> listRowCommand(std::string_view text);

// "F" + seven digits within the radio's range.
bool isFrequencyCommand(std::string_view command);

// MHz with five decimals from a frequency report or command ("F" + seven
// digits): the tens digit only when it is not "0". F0707400 gives 7.07400,
// F1407400 gives 14.07400. Characters missing from a short text count as
// blanks, as the report field keeps them.
std::string reportMHz(std::string_view report);

// The mode code a list's mode text selects (compared in upper case): "USB"
// M1, "LSB" M2, "AME" M3, "CW" M4, and with `acceptAm` also "AM" M3. Any
// other text keeps `current`, the radio's reported mode.
std::string modeCodeFor(std::string_view modeText, const std::string& current, bool acceptAm);

// The mode name of a report code ("M1" USB, "M2" LSB, "M3" AME, "M4" CW);
// nothing for any other code.
std::optional<std::string> modeNameOf(std::string_view code);

// "<file name>: Err <number>. <description>" for a failed file operation.
std::string fileErrorText(std::string_view fileName, int err, std::string_view description);

}  // namespace tolvane
