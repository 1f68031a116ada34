// The radio's two-character codes and what the panel and the CAT dialect
// call them: one table per mapping, read in both directions (a report to the
// caption it shows, an operator's pick or a CAT digit to the code to send).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::mapping {

// A radio mode: its report code, its caption in the mode boxes, and the
// digit the Kenwood CAT dialect uses for it.
struct ModeRow {
    std::string_view code;
    std::string_view caption;
    char catDigit;
};
inline constexpr std::array<ModeRow, 4> kModes{{
    {"M1", "USB", '2'},
    {"M2", "LSB", '1'},
    {"M3", "AME", '5'},  // AM on the CAT side
    {"M4", "CW", '3'},
}};

struct CodeCaption {
    std::string_view code;
    std::string_view caption;
};
inline constexpr std::array<CodeCaption, 4> kAgc{
    {{"A1", "OFF"}, {"A2", "SLOW"}, {"A3", "MED"}, {"A4", "FAST"}}};
// "OFF/CW" is shown but cannot be picked: the source steps through H1..H3.
inline constexpr std::array<CodeCaption, 4> kSources{
    {{"H1", "MIC"}, {"H2", "AUDIO2"}, {"H3", "PATCH"}, {"H4", "OFF/CW"}}};
// The audio routing; the source box shows "REMOTE" for remote audio.
inline constexpr std::array<CodeCaption, 2> kRouting{{{"\"0", "REMOTE"}, {"\"1", "LOCAL"}}};
inline constexpr std::array<CodeCaption, 2> kClipping{{{"I0", "OFF"}, {"I1", "ON"}}};
inline constexpr std::array<CodeCaption, 2> kPttEnable{{{"'0", "OFF"}, {"'1", "ON"}}};
inline constexpr std::array<CodeCaption, 2> kSpeaker{{{"(0", "OFF"}, {"(1", "ON"}}};
inline constexpr std::array<CodeCaption, 2> kSideTone{{{"S0", "OFF"}, {"S1", "ON"}}};
inline constexpr std::array<CodeCaption, 3> kVox{{{"V0", "OFF"}, {"V1", "VOICE"}, {"V2", "DATA"}}};
// The radio's control mode report.
inline constexpr std::array<CodeCaption, 2> kControl{{{"R1", "REMOTE"}, {"R0", "LOCAL"}}};

// Caption of a code; nothing for a code not in the table.
template <typename Row, std::size_t N>
constexpr std::optional<std::string_view> captionOf(const std::array<Row, N>& table,
                                                    std::string_view code) {
    for (const Row& row : table)
        if (row.code == code) return row.caption;
    return std::nullopt;
}

// Code of a caption; nothing for a caption not in the table.
template <typename Row, std::size_t N>
constexpr std::optional<std::string_view> codeOf(const std::array<Row, N>& table,
                                                 std::string_view caption) {
    for (const Row& row : table)
        if (row.caption == caption) return row.code;
    return std::nullopt;
}

// The mode code of a CAT digit, and the CAT digit of a mode code.
constexpr std::optional<std::string_view> modeOfCatDigit(char digit) {
    for (const ModeRow& row : kModes)
        if (row.catDigit == digit) return row.code;
    return std::nullopt;
}
constexpr std::optional<char> catDigitOfMode(std::string_view code) {
    for (const ModeRow& row : kModes)
        if (row.code == code) return row.catDigit;
    return std::nullopt;
}

// The state of the port links as the status caption shows it. A lost radio
// port reads "No Com" like a silent radio; the state tells them apart.
enum class LinkStatus {
    NoPort,      // no port opened (none set, or it failed to open)
    PortOpened,  // opened, no answer read yet: "COM<n>"
    ComOk,       // the radio answered
    NoCom,       // the radio did not answer
    Lost,        // the port's device went away
    ComError,    // a line error on the radio port
    CatError,    // a line error on the CAT port
};
struct LinkRow {
    LinkStatus status;
    std::string_view caption;  // "COM" is followed by the port number
};
inline constexpr std::array<LinkRow, 7> kLinkStatus{{
    {LinkStatus::NoPort, "No Port"},
    {LinkStatus::PortOpened, "COM"},
    {LinkStatus::ComOk, "Com OK"},
    {LinkStatus::NoCom, "No Com"},
    {LinkStatus::Lost, "No Com"},
    {LinkStatus::ComError, "Com Error"},
    {LinkStatus::CatError, "Com2 Error"},
}};

// The caption of a link status; `port` is the radio port number, shown
// with PortOpened.
inline std::string linkStatusCaption(LinkStatus status, std::string_view port = {}) {
    for (const LinkRow& row : kLinkStatus)
        if (row.status == status)
            return std::string(row.caption) +
                   (status == LinkStatus::PortOpened ? std::string(port) : std::string());
    return {};
}

}  // namespace tolvane::mapping
