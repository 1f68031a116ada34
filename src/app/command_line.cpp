#include "app/command_line.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tolvane {
namespace {

constexpr const char* kVersion = "tolvane 0.962b";

// Standard Qt options that take the next argument as their value.
bool qtOptionTakesValue(const std::string& arg) {
    static const char* const kWithValue[] = {"-platform",        "-platformpluginpath",
                                             "-platformtheme",   "-plugin",
                                             "-display",         "-geometry",
                                             "-qwindowgeometry", "-qwindowicon",
                                             "-qwindowtitle",    "-style",
                                             "-stylesheet",      "-session",
                                             "-title",           "-name",
                                             "-visual"};
    for (const char* o : kWithValue)
        if (arg == o) return true;
    return false;
}

}  // namespace

const char* commandLineSummary() {
    return "usage: tolvane [--folder PATH] [--rigctld[=ADDRESS:PORT]]\n"
           "       tolvane --help | --version\n"
           "\n"
           "Control panel of the Tolvane HF transceiver.\n"
           "\n"
           "  --folder PATH          work in PATH (created when missing; ~/ is the home\n"
           "                         folder): settings files and ports/COMn links\n"
           "  --rigctld[=ADDRESS:PORT]\n"
           "                         open the network endpoint for this run\n"
           "                         (default 127.0.0.1:4532)\n"
           "  -h, --help             print this summary and exit\n"
           "  --version              print the version and exit\n"
           "\n"
           "The standard options of Qt programs (-platform NAME, -display DISPLAY) are\n"
           "taken as well.\n";
}

CommandLine parseCommandLine(const std::vector<std::string>& args, QtOptions qt) {
    CommandLine cl;
    auto fail = [&cl](std::string message) {
        cl.action = CommandLine::Action::Error;
        cl.error = std::move(message);
        return cl;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            cl.action = CommandLine::Action::Help;
            return cl;
        }
        if (arg == "--version") {
            cl.action = CommandLine::Action::Version;
            return cl;
        }
        if (arg == "--folder") {
            if (i + 1 >= args.size()) return fail("option \"--folder\" needs a folder");
            cl.folder = args[++i];
            if (cl.folder.empty()) return fail("option \"--folder\" needs a folder");
        } else if (arg.rfind("--folder=", 0) == 0) {
            cl.folder = arg.substr(9);
            if (cl.folder.empty()) return fail("option \"--folder\" needs a folder");
        } else if (arg == "--rigctld") {
            cl.rigctld = true;
            cl.rigctldValue.clear();
        } else if (arg.rfind("--rigctld=", 0) == 0) {
            cl.rigctld = true;
            cl.rigctldValue = arg.substr(10);
            if (cl.rigctldValue.empty()) return fail("option \"--rigctld=\" needs ADDRESS:PORT");
        } else if (arg.rfind("--", 0) == 0 || arg == "-") {
            return fail("unknown option \"" + arg + "\"");
        } else if (arg.rfind("-", 0) == 0) {
            if (qt == QtOptions::Refused) return fail("unknown option \"" + arg + "\"");
            if (qtOptionTakesValue(arg)) ++i;
        } else {
            return fail("unexpected argument \"" + arg + "\"");
        }
    }
    return cl;
}

std::string expandHome(const std::string& path, const std::string& home) {
    if (path != "~" && path.rfind("~/", 0) != 0) return path;
    if (home.empty()) return {};
    return home + path.substr(1);
}

bool enterFolder(const std::string& path, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (::chdir(path.c_str()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

int runEarlyOptions(const CommandLine& cl, const std::string& home, std::FILE* out,
                    std::FILE* err) {
    switch (cl.action) {
        case CommandLine::Action::Help:
            std::fputs(commandLineSummary(), out);
            return 0;
        case CommandLine::Action::Version:
            std::fprintf(out, "%s\n", kVersion);
            return 0;
        case CommandLine::Action::Error:
            std::fprintf(err, "tolvane: %s\n\n%s", cl.error.c_str(), commandLineSummary());
            return 2;
        case CommandLine::Action::Run:
            break;
    }
    if (cl.folder.empty()) return -1;
    const std::string folder = expandHome(cl.folder, home);
    if (folder.empty()) {
        std::fprintf(err, "tolvane: cannot use the folder \"%s\": HOME is not set\n",
                     cl.folder.c_str());
        return 1;
    }
    std::string reason;
    if (!enterFolder(folder, reason)) {
        std::fprintf(err, "tolvane: cannot use the folder \"%s\": %s\n", folder.c_str(),
                     reason.c_str());
        return 1;
    }
    return -1;
}

}  // namespace tolvane
