// AudioSetup.txt writer and its two readers (start-up and the dialog's Load).
#include "setup/audio_setup_file.h"

namespace tolvane {

std::vector<std::string> audioSetupLines(const AudioCodes& codes) {
    return {
        codes.source + " Phone Audio Source",
        codes.pttEn + " PTT Enable",
        codes.routing + " LocalRemote Audio",
        codes.digSource + " Digital Audio Source",
        // The label names V1 to V3 although the codes are V0 to V2; kept as it is.
        codes.digVox + " Digital VOX: [V1|V2|V3]",
        "Comments:",
        "Phone & DigAudio Source: H1 -> MIC, H2 -> Audio2, H3 -> Patch",
        "Digital VOX: V0 -> OFF, V1 -> VOICE, V2 -> DATA",
        "PTT: '0 -> Disable, '1 -> Enable",
        std::string("LocalRemote: ") + kRoutingRemote + " -> Remote, " + kRoutingLocal +
            " -> Local",
    };
}

WriteResult writeAudioSetupFile(const std::string& path, const AudioCodes& codes) {
    return atomicWriteLines(path, audioSetupLines(codes));
}

AudioCodes parseAudioSetupForStartup(const std::vector<std::string>& lines) {
    auto code = [&](std::size_t i) {
        return leftPadded(i < lines.size() ? std::string_view(lines[i]) : std::string_view(), 2);
    };
    return AudioCodes{code(0), code(1), code(2), code(3), code(4)};
}

AudioCodes audioCodesAtStartup(const std::string& path) {
    auto lines = readTextLines(path, 5);
    if (!lines) return kAudioDefaults;
    return parseAudioSetupForStartup(*lines);
}

std::optional<AudioCodes> parseAudioSetupForDialog(const std::vector<std::string>& lines) {
    if (lines.size() < 5) return std::nullopt;
    return parseAudioSetupForStartup(lines);
}

std::optional<AudioCodes> loadAudioSetupForDialog(const std::string& path) {
    auto lines = readTextLines(path, 5);
    if (!lines) return std::nullopt;
    return parseAudioSetupForDialog(*lines);
}

}  // namespace tolvane
