#include "sim_options.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace tolvane::sim {

const char* const kUsage =
    "usage: tolvane-sim [--folder DIR] [--port N] [--firmware v601|adapt|nonadapt] [--local]\n"
    "                   [--warmup SECONDS] [--tune-step SECONDS] [--log-lines N] [--trace]\n"
    "                   [--help] [--version]\n"
    "\n"
    "A Tolvane radio on a pseudo-terminal, linked as DIR/ports/COMN (defaults: folder \".\",\n"
    "port 1, firmware v601). It starts under remote control on 14.07400 MHz USB, or under\n"
    "local control with --local. The amplifier warms up in --warmup seconds (3) and tunes in\n"
    "two --tune-step steps (1 s each); --trace prints every command and report. It answers\n"
    "at the line speed the panel sets on the terminal (7 data bits, odd parity, 1 stop bit\n"
    "in time; the pseudo-terminal itself carries 8-bit characters). The radio keeps the\n"
    "last --log-lines commands it took (1000) in its log. It runs until\n"
    "SIGTERM, SIGINT or the console command quit; the end of standard input does not stop it.\n"
    "\n";

const char* const kConsoleHelp =
    "console commands (one per line on standard input):\n"
    "  help            this list\n"
    "  local           front-panel control: the radio reports R0 and ignores settings\n"
    "  remote          remote control: the radio reports R1\n"
    "  silent          the radio stops answering\n"
    "  talk            the radio answers again\n"
    "  fault N         raise fault code N (reports Z<N>)\n"
    "  clear           clear the fault (reports Z0)\n"
    "  freq NNNNNNN    tune from the front panel, seven digits 0160000..2999999 (reports F)\n"
    "  say TEXT        send TEXT as a raw report line\n"
    "  meter NN|auto   hold the meter reading at NN (00..99), or let it move\n"
    "  state           print what the radio's front panel shows\n"
    "  babble          junk lines between the reports on/off (robustness demos)\n"
    "  trace           print commands and reports on/off\n"
    "  quit            stop the simulator\n";

const char* firmwareName(Firmware fw) {
    switch (fw) {
        case Firmware::Adapt:
            return "adapt";
        case Firmware::NonAdapt:
            return "nonadapt";
        default:
            return "v601";
    }
}

bool parseFirmware(std::string name, Firmware& fw) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "v601") {
        fw = Firmware::V601;
    } else if (name == "adapt" || name == "v604adapt") {
        fw = Firmware::Adapt;
    } else if (name == "nonadapt" || name == "v604nonadapt") {
        fw = Firmware::NonAdapt;
    } else {
        return false;
    }
    return true;
}

bool parseNumber(std::string_view text, int lo, int hi, int& value) {
    if (text.empty() || text.size() > 6) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi) return false;
    value = v;
    return true;
}

bool parseSeconds(const std::string& text, double& seconds) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end == nullptr || *end != '\0' || !(v >= 0.0 && v <= 3600.0)) return false;
    seconds = v;
    return true;
}

int parseOptions(int argc, char** argv, Options& opt) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kConsoleHelp, stdout);
            return 0;
        } else if (arg == "--version") {
            std::fputs("tolvane-sim 0.962b\n", stdout);
            return 0;
        } else if (arg == "--local") {
            opt.local = true;
        } else if (arg == "--trace") {
            opt.trace = true;
        } else if (arg == "--folder" && value(v)) {
            opt.folder = v;
        } else if (arg == "--port" && value(v) && parseNumber(v, 1, 255, opt.port)) {
        } else if (arg == "--firmware" && value(v) && parseFirmware(v, opt.firmware)) {
        } else if (arg == "--warmup" && value(v) && parseSeconds(v, opt.warmup)) {
        } else if (arg == "--tune-step" && value(v) && parseSeconds(v, opt.tuneStep)) {
        } else if (arg == "--log-lines" && value(v) && parseNumber(v, 1, 999999, opt.logLines)) {
        } else {
            std::fprintf(stderr, "tolvane-sim: bad argument \"%s\"%s\n\n", arg.c_str(),
                         v.empty() ? "" : (" \"" + v + "\"").c_str());
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    return -1;
}

}  // namespace tolvane::sim
