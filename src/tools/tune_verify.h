// Tuning the radio from a scan and waiting until it reports the frequency.
#pragma once

#include <functional>
#include <string>

namespace tolvane {

class RadioLink;
class ToolHost;

enum class TuneResult {
    Agreed,        // the radio reported the commanded frequency
    NotConfirmed,  // it did not, after every try; the information line says so
    Stopped,       // the operator stopped the scan meanwhile
};

// Tries a frequency command at most this many times.
inline constexpr int kTuneTries = 3;
// How long a try waits for the radio's frequency report.
inline constexpr double kTuneAnswerSeconds = 1.5;

// Sends `command` ("F" + seven digits, LF, 0.1 s) and reads the radio until
// its frequency report arrives or 1.5 s have passed, checking `stopped`
// after each read. A radio that stays silent is asked for its status ("?",
// 0.4 s) and read once more. A try agrees when the stored report is the
// command and well-formed; otherwise the scan yields once and tries again,
// and after the third try "Radio did not tune to <MHz>" goes to the main
// window's information line.
TuneResult tuneAndVerify(RadioLink& link, ToolHost& host, const std::string& command,
                         const std::function<bool()>& stopped);

}  // namespace tolvane
