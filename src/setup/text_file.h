// Plain text files of the panel: reading them as lines, writing them whole and
// atomically, and the numeric value of a text as the state file reader takes it.
// Every settings and list file goes through these functions, so a crash or a
// full disk never leaves half a file behind.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/numeric_value.h"

namespace tolvane {

// Limits of the line reader. A settings file has a handful of short lines;
// these only keep a damaged or foreign file from exhausting memory or time.
//  - a line longer than kMaxLineBytes is cut to that length (the rest of the
//    line is skipped, reading goes on with the next line);
//  - at most kMaxLines lines are returned (further lines are not read);
//  - at most kMaxFileBytes bytes of the file are looked at; a file longer than
//    that reads as if it ended there.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;
inline constexpr std::size_t kMaxLines = 10000;
inline constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

// True when `path` names a regular file (symbolic links followed) that can be
// opened for reading. Folders, devices and pipes are not settings files.
bool fileReadable(const std::string& path);

// Split text into lines. A line ends at LF; a CR right before the LF (or at the
// very end of the text) is dropped, so CR LF and LF endings read alike. A CR
// elsewhere, NUL bytes and any other byte stay in the line as they are. A last
// line without an ending counts as a line; an empty text has no lines. The
// limits above apply (the byte limit as the count of bytes looked at).
std::vector<std::string> splitTextLines(std::string_view text, std::size_t maxLines = kMaxLines);

// Read the file at `path` as lines (rules of splitTextLines, limits above),
// at most `maxLines` of them. Nothing when the file is not readable
// (see fileReadable) or a read fails part way.
std::optional<std::vector<std::string>> readTextLines(const std::string& path,
                                                      std::size_t maxLines = kMaxLines);

// Outcome of a file write. On failure `err` is the errno value and `message`
// its text from the C library ("Permission denied").
struct WriteResult {
    bool ok = true;
    int err = 0;
    std::string message;
};

// Replace the file at `path` with `lines`, each followed by CR LF, written
// bytes as they stand. The text goes to a temporary file in the same folder,
// is flushed to disk and then renamed over `path`, so readers see either the
// old file or the new one, never a part. An existing file keeps its access
// mode; a symbolic link at `path` is replaced by the file. On failure the old
// file is untouched and the temporary file removed.
WriteResult atomicWriteLines(const std::string& path, const std::vector<std::string>& lines);

// The first `count` bytes of `text`, padded with blanks to exactly `count`.
std::string leftPadded(std::string_view text, std::size_t count);

}  // namespace tolvane
