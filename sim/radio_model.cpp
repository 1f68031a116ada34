// The radio model: input framing, the command set of the three firmware
// types, the amplifier timers and the timing of the answers.
//
// Choices where the wire protocol leaves room:
// - While the radio works on its VFO the channel report is "C--". A valid
//   "F" command (or front-panel tuning) while on a channel returns to the
//   VFO and reports "C--" before the frequency.
// - A command of the right shape but out of range ("F" above 2999999, "B"
//   above 200, "G" above 63) changes nothing and answers the current value.
//   Lines of any other shape, and commands of the other firmware flavour,
//   are ignored without an answer.
// - Under local control the radio answers "?", "L", "Z" and the sync
//   characters (with its present keyed state) and ignores every setting,
//   including keying.
// - The Adapt firmware has no meter selection command; it ignores "d"/"D".
// - Leaving operate ("O3", "O1") while the tuner is not idle reports "T1"
//   after the "O" report.
// - Every line and bare character received is recorded in the command log,
//   the blank of the local-mode heartbeat included. The log keeps the last
//   commandLogLines() entries, so a simulator that runs for days stays small.
// - The combined form's frequency line counts as such only when it follows
//   the Adapt direct code within kCombinedGap seconds (one write).
#include "radio_model.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace tolvane {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();
// Longest line the radio takes (a channel store is 11 characters; step keys
// are never pressed more than a few times).
constexpr std::size_t kMaxLine = 64;
// Longest gap between the two lines of the Adapt combined form.
constexpr double kCombinedGap = 0.1;
constexpr int kCw = 4;
constexpr int kSourceOffCw = 4;

bool allDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Number of presses when the line is `key` repeated, else 0.
int presses(std::string_view line, char key) {
    if (line.empty()) return 0;
    for (char c : line)
        if (c != key) return 0;
    return static_cast<int>(line.size());
}

// Steps a value through first..last n times, wrapping; a value outside the
// cycle (A1, H4) enters it at `first` with the first step.
int step(int value, int first, int last, int n) {
    for (int i = 0; i < n; ++i) value = (value >= first && value < last) ? value + 1 : first;
    return value;
}

std::string twoDigits(int v) {
    v = std::clamp(v, 0, 99);
    return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

std::string line(char letter, int value) {
    return std::string(1, letter) + std::to_string(value) + "\n";
}

}  // namespace

RadioModel::RadioModel(Firmware fw, std::size_t commandLogLines) : fw_(fw) {
    setCommandLogLines(commandLogLines);
}

// --- command log ---

void RadioModel::setCommandLogLines(std::size_t lines) {
    logLines_ = std::max<std::size_t>(lines, 1);
    while (seen_.size() > logLines_) seen_.pop_front();
}

std::vector<std::string> RadioModel::commandsSeen() const {
    return std::vector<std::string>(seen_.begin(), seen_.end());
}

void RadioModel::logCommand(std::string line) {
    ++taken_;
    seen_.push_back(std::move(line));
    while (seen_.size() > logLines_) seen_.pop_front();
}

bool RadioModel::isValidFrequency(std::string_view freq7) {
    return freq7.size() == 7 && allDigits(freq7) && freq7 >= "0160000" && freq7 <= "2999999";
}

// --- timing ---

void RadioModel::emitText(std::string_view text, double at) {
    if (state.silent || text.empty()) return;
    double t = std::max(at, lastOut_);
    for (char c : text) {
        out_.emplace_back(t, c);
        t += charTime;
    }
    lastOut_ = t;
}

void RadioModel::advanceTimers(double until) {
    for (;;) {
        const double warm = warmupDue_ >= 0.0 ? warmupDue_ : kNever;
        const double tune = tuneDue_ >= 0.0 ? tuneDue_ : kNever;
        const double due = std::min(warm, tune);
        if (due > until) return;
        if (warm <= tune) {
            warmupDue_ = -1.0;
            if (state.amp == 2) {
                state.amp = 3;
                emitText("O3\n", due);
            }
        } else if (state.ampTune == 2) {
            state.ampTune = 3;
            tuneDue_ = due + tuneStepSeconds;
            emitText("T3\n", due);
        } else {
            tuneDue_ = -1.0;
            state.ampTune = 4;
            emitText("T4\n", due);
        }
    }
}

void RadioModel::produce(double until, std::vector<std::pair<double, char>>& out) {
    advanceTimers(until);
    while (!out_.empty() && out_.front().first <= until) {
        if (!state.silent) out.push_back(out_.front());
        out_.pop_front();
    }
}

double RadioModel::nextOutput() const {
    if (!out_.empty()) return out_.front().first;
    double next = kNever;
    if (warmupDue_ >= 0.0) next = std::min(next, std::max(warmupDue_, lastOut_));
    if (tuneDue_ >= 0.0) next = std::min(next, std::max(tuneDue_, lastOut_));
    return next;
}

// --- input framing ---

void RadioModel::received(std::string_view bytes, double at) {
    advanceTimers(at);
    for (char c : bytes) {
        if (pending_.empty() && !overlong_) {
            // Bare characters, recognised only at the start of a line.
            if (c == 'U' || c == 'K') {
                logCommand(std::string(1, c));
                sync(c == 'K', at);
                continue;
            }
            if (c == ' ') {  // heartbeat of a controller in local mode
                logCommand(std::string(1, c));
                continue;
            }
            if (c == '\'' && fw_ == Firmware::V601) {
                logCommand(std::string(1, c));
                if (state.remote) {
                    std::string answer;
                    setPttEnable(state.pttEnable == 1 ? 0 : 1, answer);
                    emitText(answer, at + answerDelay);
                }
                continue;
            }
        }
        if (c == '\n') {
            std::string text;
            text.swap(pending_);
            const bool dropped = overlong_;
            overlong_ = false;
            if (dropped) {
                logCommand(std::move(text));
            } else if (!text.empty()) {
                handleLine(text, at);
            }
            continue;
        }
        if (pending_.size() < kMaxLine) {
            pending_.push_back(c);
        } else {
            overlong_ = true;
        }
    }
}

void RadioModel::sync(bool key, double at) {
    const bool wasKeyed = state.keyed;
    // Without PTT enable the radio does not key.
    if (state.remote) state.keyed = key && state.pttEnable == 1;
    std::string answer = state.keyed ? "K\n" : "U\n";
    answer += "J" + twoDigits(state.meterReading) + "\n";
    if (!wasKeyed && state.keyed && state.amp == 4) {
        // Keying the amplifier in operate starts its tune cycle.
        state.ampTune = 2;
        tuneDue_ = at + tuneStepSeconds;
        answer += "T2\n";
    } else if (wasKeyed && !state.keyed && tuneDue_ >= 0.0) {
        tuneDue_ = -1.0;
        state.ampTune = 1;
        answer += "T1\n";
    }
    emitText(answer, at + answerDelay);
}

// --- commands ---

void RadioModel::handleLine(const std::string& text, double at) {
    logCommand(text);
    const double answerAt = at + answerDelay;
    // Queries are answered under local control too.
    if (text == "?") {
        emitText(statusReport(), answerAt);
        return;
    }
    if (text == "Z") {
        emitText("Z" + std::to_string(state.fault) + "\n", answerAt);
        return;
    }
    if (text.size() == 3 && text[0] == 'L' && allDigits(std::string_view(text).substr(1))) {
        const Channel& ch = state.channels[std::stoi(text.substr(1))];
        if (ch.empty) return;
        emitText("P" + text.substr(1) + ch.freq + std::to_string(ch.mode) + "\n", answerAt);
        return;
    }
    if (state.remote) applySetting(text, at);
}

std::string RadioModel::statusReport() const {
    std::string s = "#\n";
    s += "F" + state.freq + "\n";
    s += line('M', state.mode);
    s += line('A', state.agc);
    s += line('D', state.meter);
    s += line('H', state.source);
    s += line('"', state.routing);
    s += line('\'', state.pttEnable);
    s += line('(', state.speaker);
    s += ",0\n";
    s += state.remote ? "R1\n" : "R0\n";
    s += line('O', state.amp);
    s += line('T', state.ampTune);
    s += "X0\n";
    s += "G" + state.rfGain + "\n";
    s += line('I', state.clip);
    s += line('S', state.sidetone);
    s += line('V', state.vox);
    if (state.channel >= 0) {
        s += "C" + twoDigits(state.channel) + "\n";
    } else {
        s += std::string(kVfoChannelReport) + "\n";
    }
    s += "B" + state.bfo + "\n";
    s += "*0\n";
    s += line('Z', state.fault);
    if (fw_ != Firmware::Adapt) s += "!\n";
    if (fw_ == Firmware::NonAdapt) s += "QT1\nQC0\n";
    s += ".\n";
    return s;
}

void RadioModel::setPttEnable(int on, std::string& answer) {
    if (state.pttEnable == on) return;
    state.pttEnable = on;
    answer += line('\'', on);
    if (on == 1 || !state.keyed) return;
    state.keyed = false;
    if (tuneDue_ >= 0.0) {
        tuneDue_ = -1.0;
        state.ampTune = 1;
        answer += "T1\n";
    }
}

void RadioModel::modeChanged(int from, std::string& answer) {
    const bool wasCw = from == kCw;
    const bool cw = state.mode == kCw;
    if (wasCw == cw) return;
    const int source = state.source;
    if (cw) {
        phoneSource_ = state.source;
        state.source = kSourceOffCw;
    } else if (state.source == kSourceOffCw) {
        state.source = phoneSource_;
    }
    if (state.source != source) answer += line('H', state.source);
    // Each mode group keeps its own sidetone; CW's is on until changed.
    const int sidetone = otherSidetone_ >= 0 ? otherSidetone_ : (cw ? 1 : 0);
    otherSidetone_ = state.sidetone;
    if (sidetone != state.sidetone) {
        state.sidetone = sidetone;
        answer += line('S', sidetone);
    }
    if (fw_ == Firmware::V601) setPttEnable(0, answer);
}

void RadioModel::leaveOperate(std::string& answer) {
    if (state.ampTune != 1) {
        state.ampTune = 1;
        tuneDue_ = -1.0;
        answer += "T1\n";
    }
}

void RadioModel::applySetting(const std::string& text, double at) {
    const std::string_view cmd(text);
    const std::string_view arg = cmd.substr(1);
    const bool v601 = fw_ == Firmware::V601;
    const bool adapt = fw_ == Firmware::Adapt;
    const bool nonAdapt = fw_ == Firmware::NonAdapt;
    // Direct one-digit setting "<letter><lo..hi>".
    auto digit = [&](int lo, int hi) {
        if (arg.size() != 1 || arg[0] < '0' + lo || arg[0] > '0' + hi) return -1;
        return arg[0] - '0';
    };
    std::string answer;
    int n = 0;
    int d = -1;
    const int mode = state.mode;
    // The frequency line of the Adapt combined form follows its code at once.
    const bool combined = combinedAt_ >= 0.0 && at - combinedAt_ <= kCombinedGap;
    combinedAt_ = -1.0;

    switch (cmd[0]) {
        case 'F':
            if (arg.size() != 7 || !allDigits(arg)) return;
            // A combined form naming the frequency the radio is on sets only
            // the mode or AGC: a selected channel stays.
            if (!(combined && arg == state.freq) && isValidFrequency(arg)) {
                if (state.channel >= 0) {
                    state.channel = -1;
                    answer += std::string(kVfoChannelReport) + "\n";
                }
                state.freq = std::string(arg);
            }
            answer += "F" + state.freq + "\n";
            break;
        case 'M':
            if (v601 && (n = presses(cmd, 'M')) > 0) {
                state.mode = step(state.mode, 1, 4, n);
            } else if (adapt && (d = digit(1, 4)) > 0) {
                state.mode = d;
                combinedAt_ = at;
            } else {
                return;
            }
            answer = line('M', state.mode);
            modeChanged(mode, answer);
            break;
        case 'm':
            if (!nonAdapt || (n = presses(cmd, 'm')) == 0) return;
            state.mode = step(state.mode, 1, 4, n);
            answer = line('M', state.mode);
            modeChanged(mode, answer);
            break;
        case 'A':
            if (v601 && (n = presses(cmd, 'A')) > 0) {
                state.agc = step(state.agc, 2, 4, n);
            } else if (adapt && (d = digit(1, 4)) > 0) {
                state.agc = d;
                combinedAt_ = at;
            } else {
                return;
            }
            answer = line('A', state.agc);
            break;
        case 'a':
            if (!nonAdapt || (n = presses(cmd, 'a')) == 0) return;
            state.agc = step(state.agc, 2, 4, n);
            answer = line('A', state.agc);
            break;
        case 'd':
        case 'D':
            if ((cmd[0] == 'd' && !v601) || (cmd[0] == 'D' && !nonAdapt)) return;
            if ((n = presses(cmd, cmd[0])) == 0) return;
            state.meter = step(state.meter, 1, 6, n);
            answer = line('D', state.meter);
            break;
        case 'H':
            if ((n = presses(cmd, 'H')) == 0) return;
            state.source = step(state.source, 1, 3, n);
            answer = line('H', state.source);
            break;
        case '"':
            if (v601 && arg.empty()) {
                state.routing = state.routing == 1 ? 0 : 1;
            } else if (!v601 && (d = digit(0, 1)) >= 0) {
                state.routing = d;
            } else {
                return;
            }
            answer = line('"', state.routing);
            break;
        case '\'':  // the v601 toggle is a bare character, taken before any line
            if (v601 || (d = digit(0, 1)) < 0) return;
            if (state.pttEnable == d) {
                answer = line('\'', d);  // the radio answers its state all the same
            } else {
                setPttEnable(d, answer);
            }
            break;
        case '(':
            if ((d = digit(0, 1)) < 0) return;
            state.speaker = d;
            answer = line('(', state.speaker);
            break;
        case 'I':
            if (!arg.empty()) return;
            state.clip = state.clip == 1 ? 0 : 1;
            answer = line('I', state.clip);
            break;
        case 'S':
            if (!arg.empty()) return;
            state.sidetone = state.sidetone == 1 ? 0 : 1;
            answer = line('S', state.sidetone);
            break;
        case 'V':
            if (!arg.empty()) return;
            state.vox = (state.vox + 1) % 3;
            answer = line('V', state.vox);
            break;
        case 'B':
            if (arg.size() != 3 || !allDigits(arg)) return;
            if (arg <= "200") state.bfo = std::string(arg);
            answer = "B" + state.bfo + "\n";
            break;
        case 'G':
            if (arg.size() != 2 || !allDigits(arg)) return;
            if (arg <= "63") state.rfGain = std::string(arg);
            answer = "G" + state.rfGain + "\n";
            break;
        case 'C': {
            if (arg.size() != 2 || !allDigits(arg)) return;
            state.channel = std::stoi(std::string(arg));
            const Channel& ch = state.channels[state.channel];
            state.freq = ch.freq;
            state.mode = ch.mode;
            answer =
                "C" + std::string(arg) + "\n" + "F" + state.freq + "\n" + line('M', state.mode);
            modeChanged(mode, answer);
            break;
        }
        case 'P': {
            // "P" + channel (2) + frequency (7) + mode digit; no answer.
            if (arg.size() != 10 || !allDigits(arg)) return;
            const std::string_view freq = arg.substr(2, 7);
            const int mode = arg[9] - '0';
            if (!isValidFrequency(freq) || mode < 1 || mode > 4) return;
            Channel& ch = state.channels[std::stoi(std::string(arg.substr(0, 2)))];
            ch.freq = std::string(freq);
            ch.mode = mode;
            ch.empty = false;
            return;
        }
        case 'O':
            if ((d = digit(1, 4)) < 0) return;
            switch (d) {
                case 1:
                    warmupDue_ = -1.0;
                    state.amp = 1;
                    answer = "O1\n";
                    leaveOperate(answer);
                    break;
                case 2:
                    if (state.amp == 1) {
                        state.amp = 2;
                        warmupDue_ = at + warmupSeconds;
                    }
                    answer = line('O', state.amp);
                    break;
                case 3:
                    if (state.amp == 4) state.amp = 3;
                    answer = line('O', state.amp);
                    if (state.amp == 3) leaveOperate(answer);
                    break;
                default:
                    if (state.amp == 3) {
                        state.amp = 4;
                        state.ampTune = 1;
                        answer = "O4\nT1\n";
                    } else {
                        answer = line('O', state.amp);
                    }
                    break;
            }
            break;
        default:
            return;
    }
    emitText(answer, at + answerDelay);
}

// --- what a person at the radio does ---

void RadioModel::setRemote(bool remote, double at) {
    advanceTimers(at);
    state.remote = remote;
    if (!remote && state.keyed) {
        // The front panel takes over: the remote key is dropped.
        state.keyed = false;
        if (tuneDue_ >= 0.0) {
            tuneDue_ = -1.0;
            state.ampTune = 1;
        }
    }
    emitText(remote ? "R1\n" : "R0\n", at);
}

void RadioModel::raiseFault(int code, double at) {
    advanceTimers(at);
    state.fault = code;
    emitText(line('Z', code), at);
}

void RadioModel::clearFault(double at) {
    raiseFault(0, at);
}

void RadioModel::setFrequency(const std::string& freq7, double at) {
    if (!isValidFrequency(freq7)) return;
    advanceTimers(at);
    std::string answer;
    if (state.channel >= 0) {
        state.channel = -1;
        answer += std::string(kVfoChannelReport) + "\n";
    }
    state.freq = freq7;
    answer += "F" + freq7 + "\n";
    emitText(answer, at);
}

void RadioModel::say(std::string_view lines, double at) {
    advanceTimers(at);
    std::string text;
    while (!lines.empty()) {
        const std::size_t lf = lines.find('\n');
        text += lines.substr(0, lf);
        text += '\n';
        if (lf == std::string_view::npos) break;
        lines.remove_prefix(lf + 1);
    }
    emitText(text, at);
}

}  // namespace tolvane
