// The operator's list files: the band lists ("M40List.txt" ...), the scan
// list "ScanFreqs.txt" and the channel list files. Plain functions that turn
// lines into the windows' contents and back; reading and writing go through
// the settings files' line reader and atomic writer. No window, no port.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "setup/text_file.h"

namespace tolvane {

// Lines of a list file. A line ends at CR LF, at LF or at a lone CR, so a
// list saved by an editor that ends lines with CR alone reads as its lines.
// At most `maxLines` lines; the reader's limits of text_file.h apply to the
// file. Nothing when the file is not readable.
std::vector<std::string> splitListLines(const std::vector<std::string>& lines,
                                        std::size_t maxLines);
std::optional<std::vector<std::string>> readListLines(const std::string& path,
                                                      std::size_t maxLines);

// ---------------------------------------------------------------- band lists

// One row of a band list or of the scan list: frequency text in MHz, mode
// name and a free text, each exactly as the operator typed it.
struct ListRow {
    std::string freq;
    std::string mode;
    std::string info;
    bool operator==(const ListRow&) const = default;
};

inline constexpr std::size_t kBandListRows = 14;

// A band key of the band buttons with its frame caption and list file.
struct BandList {
    std::string_view key;      // "160" ... "10", "WWV", "MARS"
    std::string_view caption;  // "160 Meters" ..., "WWV", "MARS"
    std::string_view file;     // "M160List.txt" ..., "WWVList.txt", "MarsList.txt"
};
// The twelve bands in button order.
extern const std::array<BandList, 12> kBandLists;
// Nothing for a key that is none of the twelve.
std::optional<BandList> bandListFor(std::string_view key);

// A row line: the frequency text up to the first blank, then after any
// blanks the mode up to the next blank, then after any blanks the rest of the
// line as the info text (trailing blanks kept). A line without any blank is
// the frequency alone. Nothing for an empty line: its row keeps what it holds.
std::optional<ListRow> parseListRow(std::string_view line);
// Frequency, blank, mode, blank, info: an empty row is two blanks.
std::string listRowLine(const ListRow& row);

// Rows read from a band list: line n fills row n - 1, at most 14 rows;
// an empty line leaves its row as it was (nothing here).
using BandRows = std::array<std::optional<ListRow>, kBandListRows>;
BandRows parseBandList(const std::vector<std::string>& lines);
// Nothing when the file is not readable (a missing list is no error).
std::optional<BandRows> readBandListFile(const std::string& path);
// Always fourteen lines, one per row in row order.
std::vector<std::string> bandListLines(const std::array<ListRow, kBandListRows>& rows);
WriteResult writeBandListFile(const std::string& path,
                              const std::array<ListRow, kBandListRows>& rows);

// ---------------------------------------------------------------- ScanFreqs.txt

inline constexpr const char* kScanFreqsFileName = "ScanFreqs.txt";
inline constexpr std::size_t kScanListRows = 13;
inline constexpr const char* kDefaultScanDelay = "3";

// The delay text of the scan list as a 16-bit whole number: its leading
// number rounded to the nearest whole number (halves to even) and held
// within -32768..32767 ("100000" gives 32767).
int scanDelayValue(std::string_view text);

struct ScanList {
    std::array<std::optional<ListRow>, kScanListRows> rows;  // nothing: row left as it was
    std::optional<std::string> delay;  // delay box text; nothing keeps the box as it is
};
// Lines 1 to 13 are the rows (band list row rule), line 14 the delay. A file
// that ends before the delay line, or whose delay line does not start with a
// number, keeps the rows read and leaves the delay alone; a delay is shown
// as the decimal text of scanDelayValue.
ScanList parseScanList(const std::vector<std::string>& lines);
std::optional<ScanList> readScanListFile(const std::string& path);
// The thirteen row lines, then the delay text as given.
std::vector<std::string> scanListLines(const std::array<ListRow, kScanListRows>& rows,
                                       const std::string& delay);
WriteResult writeScanListFile(const std::string& path,
                              const std::array<ListRow, kScanListRows>& rows,
                              const std::string& delay);

// ---------------------------------------------------------------- channel lists

// The default channel list file, in the working folder.
inline constexpr const char* kDefaultChannelFile = "Channel List.txt";

// A channel entry is ten characters: channel number (2), frequency (7 digits,
// 10 Hz) and mode digit (1 USB, 2 LSB, 3 AM, 4 CW), as the radio's channel
// report carries it after its letter.

// A file line as an entry, or nothing when the line fails a test:
// separated by commas when it holds one, else by blanks, into at most three
// fields (the third takes the rest); a one-digit channel gets a "0" in
// front and must then be two digits; the frequency is kHz as five or four
// digits, a point and two digits, within the radio's range; the first
// character of the mode field is "U", "L", "A" or "C".
std::optional<std::string> parseChannelLine(std::string_view line);
std::vector<std::string> parseChannelList(const std::vector<std::string>& lines);
std::optional<std::vector<std::string>> readChannelListFile(const std::string& path);
// "02,07074.00,LSB": channel, kHz with five digits and two decimals, mode
// name; a mode digit other than 1 to 4 leaves the mode field empty.
std::string channelLine(std::string_view entry);
std::vector<std::string> channelListLines(const std::vector<std::string>& entries);
WriteResult writeChannelListFile(const std::string& path, const std::vector<std::string>& entries);

}  // namespace tolvane
