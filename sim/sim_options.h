// Command-line options and the console help of tolvane-sim.
#pragma once

#include <string>
#include <string_view>

#include "radio_model.h"

namespace tolvane::sim {

extern const char* const kUsage;
extern const char* const kConsoleHelp;

struct Options {
    std::string folder = ".";
    int port = 1;
    Firmware firmware = Firmware::V601;
    bool local = false;
    bool trace = false;
    double warmup = 3.0;
    double tuneStep = 1.0;
    int logLines = static_cast<int>(RadioModel::kDefaultLogLines);
};

const char* firmwareName(Firmware fw);
bool parseFirmware(std::string name, Firmware& fw);
// A decimal number of at most six digits within lo..hi.
bool parseNumber(std::string_view text, int lo, int hi, int& value);
// Seconds from 0 to 3600, fractions allowed.
bool parseSeconds(const std::string& text, double& seconds);
// Reads the options into opt. Returns -1 to go on, otherwise the exit code
// (after --help, --version or a bad argument).
int parseOptions(int argc, char** argv, Options& opt);

}  // namespace tolvane::sim
