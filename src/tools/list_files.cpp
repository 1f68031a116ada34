// The operator's list files: band lists, "ScanFreqs.txt", channel lists.
#include "tools/list_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/numeric_value.h"
#include "tools/tool_text.h"

namespace tolvane {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), isDigit);
}

// True when the text starts (after blanks and tabs) with a number: an
// optional sign, then a digit, or a point followed by a digit.
bool startsWithNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i < text.size() && isDigit(text[i])) return true;
    return i + 1 < text.size() && text[i] == '.' && isDigit(text[i + 1]);
}

}  // namespace

std::vector<std::string> splitListLines(const std::vector<std::string>& lines,
                                        std::size_t maxLines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        std::size_t start = 0;
        for (;;) {
            if (out.size() >= maxLines) return out;
            const std::size_t cr = line.find('\r', start);
            if (cr == std::string::npos) {
                out.push_back(line.substr(start));
                break;
            }
            out.push_back(line.substr(start, cr - start));
            start = cr + 1;
        }
    }
    return out;
}

std::optional<std::vector<std::string>> readListLines(const std::string& path,
                                                      std::size_t maxLines) {
    auto lines = readTextLines(path, maxLines);
    if (!lines) return std::nullopt;
    return splitListLines(*lines, maxLines);
}

// ---------------------------------------------------------------- band lists

const std::array<BandList, 12> kBandLists{{
    {"160", "160 Meters", "M160List.txt"},
    {"75", "75 Meters", "M75List.txt"},
    {"60", "60 Meters", "M60List.txt"},
    {"40", "40 Meters", "M40List.txt"},
    {"30", "30 Meters", "M30List.txt"},
    {"20", "20 Meters", "M20List.txt"},
    {"17", "17 Meters", "M17List.txt"},
    {"15", "15 Meters", "M15List.txt"},
    {"12", "12 Meters", "M12List.txt"},
    {"10", "10 Meters", "M10List.txt"},
    {"WWV", "WWV", "WWVList.txt"},
    {"MARS", "MARS", "MarsList.txt"},
}};

std::optional<BandList> bandListFor(std::string_view key) {
    for (const BandList& b : kBandLists)
        if (b.key == key) return b;
    return std::nullopt;
}

std::optional<ListRow> parseListRow(std::string_view line) {
    if (line.empty()) return std::nullopt;
    ListRow row;
    const std::size_t p = line.find(' ');
    if (p == std::string_view::npos) {
        row.freq = std::string(line);
        return row;
    }
    row.freq = std::string(line.substr(0, p));
    std::size_t m = line.find_first_not_of(' ', p);
    if (m == std::string_view::npos) return row;
    std::size_t e = line.find(' ', m);
    if (e == std::string_view::npos) e = line.size();
    row.mode = std::string(line.substr(m, e - m));
    const std::size_t i = line.find_first_not_of(' ', e);
    if (i != std::string_view::npos) row.info = std::string(line.substr(i));
    return row;
}

std::string listRowLine(const ListRow& row) {
    return row.freq + " " + row.mode + " " + row.info;
}

BandRows parseBandList(const std::vector<std::string>& lines) {
    BandRows rows;
    for (std::size_t i = 0; i < lines.size() && i < kBandListRows; ++i)
        rows[i] = parseListRow(lines[i]);
    return rows;
}

std::optional<BandRows> readBandListFile(const std::string& path) {
    auto lines = readListLines(path, kBandListRows);
    if (!lines) return std::nullopt;
    return parseBandList(*lines);
}

std::vector<std::string> bandListLines(const std::array<ListRow, kBandListRows>& rows) {
    std::vector<std::string> lines;
    for (const ListRow& row : rows) lines.push_back(listRowLine(row));
    return lines;
}

WriteResult writeBandListFile(const std::string& path,
                              const std::array<ListRow, kBandListRows>& rows) {
    return atomicWriteLines(path, bandListLines(rows));
}

// ---------------------------------------------------------------- ScanFreqs.txt

int scanDelayValue(std::string_view text) {
    const double v = std::nearbyint(numericValue(text));
    return static_cast<int>(std::clamp(v, -32768.0, 32767.0));
}

ScanList parseScanList(const std::vector<std::string>& lines) {
    ScanList list;
    for (std::size_t i = 0; i < lines.size() && i < kScanListRows; ++i)
        list.rows[i] = parseListRow(lines[i]);
    if (lines.size() > kScanListRows && startsWithNumber(lines[kScanListRows]))
        list.delay = std::to_string(scanDelayValue(lines[kScanListRows]));
    return list;
}

std::optional<ScanList> readScanListFile(const std::string& path) {
    auto lines = readListLines(path, kScanListRows + 1);
    if (!lines) return std::nullopt;
    return parseScanList(*lines);
}

std::vector<std::string> scanListLines(const std::array<ListRow, kScanListRows>& rows,
                                       const std::string& delay) {
    std::vector<std::string> lines;
    for (const ListRow& row : rows) lines.push_back(listRowLine(row));
    lines.push_back(delay);
    return lines;
}

WriteResult writeScanListFile(const std::string& path,
                              const std::array<ListRow, kScanListRows>& rows,
                              const std::string& delay) {
    return atomicWriteLines(path, scanListLines(rows, delay));
}

// ---------------------------------------------------------------- channel lists

std::optional<std::string> parseChannelLine(std::string_view line) {
    const char sep = line.find(',') != std::string_view::npos ? ',' : ' ';
    const std::size_t a = line.find(sep);
    if (a == std::string_view::npos) return std::nullopt;
    const std::size_t b = line.find(sep, a + 1);
    if (b == std::string_view::npos) return std::nullopt;
    std::string channel(line.substr(0, a));
    const std::string_view khz = line.substr(a + 1, b - a - 1);
    const std::string_view mode = line.substr(b + 1);

    if (channel.size() == 1) channel = "0" + channel;
    if (channel.size() != 2 || !allDigits(channel)) return std::nullopt;

    std::string digits;
    if (khz.size() == 8 && khz[5] == '.' && allDigits(khz.substr(0, 5)) &&
        allDigits(khz.substr(6))) {
        digits = std::string(khz.substr(0, 5)) + std::string(khz.substr(6));
    } else if (khz.size() == 7 && khz[4] == '.' && allDigits(khz.substr(0, 4)) &&
               allDigits(khz.substr(5))) {
        digits = "0" + std::string(khz.substr(0, 4)) + std::string(khz.substr(5));
    } else {
        return std::nullopt;
    }
    if (!isRadioFrequency(digits)) return std::nullopt;

    if (mode.empty()) return std::nullopt;
    const std::string_view letters = "ULAC";
    const std::size_t m = letters.find(mode[0]);
    if (m == std::string_view::npos) return std::nullopt;
    return channel + digits + static_cast<char>('1' + m);
}

std::vector<std::string> parseChannelList(const std::vector<std::string>& lines) {
    std::vector<std::string> entries;
    for (const std::string& line : lines)
        if (auto entry = parseChannelLine(line)) entries.push_back(*entry);
    return entries;
}

std::optional<std::vector<std::string>> readChannelListFile(const std::string& path) {
    auto lines = readListLines(path, kMaxLines);
    if (!lines) return std::nullopt;
    return parseChannelList(*lines);
}

std::string channelLine(std::string_view entry) {
    const std::string e = leftPadded(entry, 10);
    char khz[32];
    std::snprintf(khz, sizeof khz, "%08.2f", numericValue(e.substr(2, 7)) / 100.0);
    static constexpr std::array<const char*, 4> kNames{"USB", "LSB", "AM", "CW"};
    const char m = e[9];
    const std::string mode = m >= '1' && m <= '4' ? kNames[static_cast<std::size_t>(m - '1')] : "";
    return e.substr(0, 2) + "," + khz + "," + mode;
}

std::vector<std::string> channelListLines(const std::vector<std::string>& entries) {
    std::vector<std::string> lines;
    for (const std::string& entry : entries) lines.push_back(channelLine(entry));
    return lines;
}

WriteResult writeChannelListFile(const std::string& path, const std::vector<std::string>& entries) {
    return atomicWriteLines(path, channelListLines(entries));
}

}  // namespace tolvane
