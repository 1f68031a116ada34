// "AudioSetup.txt", the wanted audio settings of the radio: phone audio
// source, PTT enable, local/remote audio routing, digital audio source and
// digital VOX, each as the two-character radio code that selects it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "setup/text_file.h"

namespace tolvane {

inline constexpr const char* kAudioSetupFileName = "AudioSetup.txt";

// Audio routing codes: a double quote followed by 0 (remote) or 1 (local).
inline constexpr const char* kRoutingRemote = "\"0";  // DQ0
inline constexpr const char* kRoutingLocal = "\"1";   // DQ1

struct AudioCodes {
    std::string source;     // gAudSource: "H1" mic, "H2" audio 2, "H3" patch
    std::string pttEn;      // gAudPttEn: "'0" disabled, "'1" enabled
    std::string routing;    // gAudRouting: DQ0 remote, DQ1 local
    std::string digSource;  // gDigSource: "H1", "H2", "H3"
    std::string digVox;     // gDigVox: "V0" off, "V1" voice, "V2" data

    bool operator==(const AudioCodes&) const = default;
};

// The values start-up uses when the file is missing.
inline const AudioCodes kAudioDefaults{"H1", "'1", kRoutingLocal, "H3", "V2"};

// The ten lines of the file: the five codes (written as they stand) each with
// its label, then five comment lines.
std::vector<std::string> audioSetupLines(const AudioCodes& codes);
WriteResult writeAudioSetupFile(const std::string& path, const AudioCodes& codes);

// The start-up reader: the first two characters of lines 1 to 5, a shorter line
// padded with blanks to two; a line missing from a short file reads as two
// blanks ("  ").
AudioCodes parseAudioSetupForStartup(const std::vector<std::string>& lines);
// Start-up's audio values from the file at `path`; kAudioDefaults when the
// file is not readable.
AudioCodes audioCodesAtStartup(const std::string& path);

// The dialog's Load: the same five codes, but a file of fewer than five lines
// is not usable (nothing) and the dialog keeps the values it shows.
std::optional<AudioCodes> parseAudioSetupForDialog(const std::vector<std::string>& lines);
// Nothing when the file is not readable or not usable.
std::optional<AudioCodes> loadAudioSetupForDialog(const std::string& path);

}  // namespace tolvane
