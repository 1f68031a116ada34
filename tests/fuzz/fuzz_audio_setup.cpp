// "AudioSetup.txt" as start-up and the Audio Setup dialog read it, from a
// file; the codes are two characters each, and saved again they load the same.
#include "fuzz_support.h"
#include "setup/audio_setup_file.h"

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::MemoryFile file;
    const std::string& path = file.hold(fuzz::bytes(data, size));
    const AudioCodes startup = audioCodesAtStartup(path);
    for (const std::string* code :
         {&startup.source, &startup.pttEn, &startup.routing, &startup.digSource, &startup.digVox})
        fuzz::require(code->size() == 2, "two-character codes");
    const std::optional<AudioCodes> v = loadAudioSetupForDialog(path);
    if (!v) return 0;
    fuzz::require(*v == startup, "dialog and start-up read the same codes");
    fuzz::require(parseAudioSetupForDialog(audioSetupLines(*v)) == v, "saved codes load the same");
    return 0;
}
