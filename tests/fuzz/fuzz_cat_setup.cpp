// "CATSetup.txt" as start-up and the CAT Setup dialog read it, from a file;
// what the dialog loads, saved again, loads the same.
#include "fuzz_support.h"
#include "setup/cat_setup_file.h"

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::MemoryFile file;
    const std::string& path = file.hold(fuzz::bytes(data, size));
    fuzz::require(readCatSetupForStartup(path).has_value(),
                  "a readable file gives the start-up settings");
    const std::optional<CatSetupDialogValues> v = loadCatSetupForDialog(path);
    if (!v) return 0;
    fuzz::require(v->port.size() <= 2, "port cut to two characters");
    fuzz::require(v->handshakeIndex >= 0 && v->handshakeIndex < int(kHandshakeOptions.size()),
                  "handshake option");
    const auto again = parseCatSetupForDialog(
        catSetupLines(CatSetupSave{v->port, v->baud, v->bits, v->handshakeIndex, v->rigType}));
    fuzz::require(again && again->port == v->port && again->baud == v->baud &&
                      again->bits == v->bits && again->handshakeIndex == v->handshakeIndex &&
                      again->rigType == v->rigType,
                  "saved dialog values load the same");
    return 0;
}
