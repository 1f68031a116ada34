// The command line of the tolvane program: its own options (--folder,
// --rigctld, --help, --version) and the standard options of Qt programs
// (-platform NAME, -display DISPLAY, ...), which pass through to Qt.
//
// It is read twice. Before QApplication exists, so that --help and
// --version work without a display and the working folder is entered before
// anything opens a file: then a single-dash option is Qt's and is skipped
// (with its value where Qt takes one). After QApplication has taken its
// options out of the list, a single-dash option left over is not understood.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tolvane {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string folder;        // --folder as given; empty: stay where started
    bool rigctld = false;      // --rigctld given
    std::string rigctldValue;  // its ADDRESS:PORT as given; empty: the default
    std::string error;         // what was not understood (Action::Error)
};

enum class QtOptions {
    Skip,     // before QApplication: single-dash options are Qt's
    Refused,  // after QApplication: Qt has taken its own out
};

// args: the arguments without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args, QtOptions qt);

// The summary of the options that --help prints.
const char* commandLineSummary();

// "~" and "~/..." taken in home; other paths unchanged. Empty when the path
// needs home and home is empty.
std::string expandHome(const std::string& path, const std::string& home);

// Creates the folder (with its parents) and makes it the working folder.
// On failure returns false with the reason in error.
bool enterFolder(const std::string& path, std::string& error);

// Handles what needs no window: --help and --version on out, a faulty
// command line with the summary on err, and --folder. Returns the exit code,
// or -1 when the panel is to start.
int runEarlyOptions(const CommandLine& cl, const std::string& home, std::FILE* out, std::FILE* err);

}  // namespace tolvane
