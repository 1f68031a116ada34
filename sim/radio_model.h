// The radio model: a Tolvane transceiver that answers the wire protocol as
// a radio would, for all three firmware types. Pure logic in time: bytes
// arrive at a time, answers leave at later times. It serves the tests
// (through FakePort in virtual time) and tolvane-sim (in real time).
//
// What the radio does on its own, beyond answering the command it got:
// - Keying needs PTT enable: a "K" with PTT enable off leaves the radio
//   receiving (it answers "U"), and switching PTT enable off while keyed
//   drops the key (a running amplifier tune ends with "T1").
// - A mode change between a voice mode (USB, LSB, AME) and CW moves the
//   audio: entering CW the source becomes "H4" (OFF/CW) and CW's own
//   sidetone setting applies (on until changed); leaving CW the phone source
//   and the voice modes' sidetone come back. On the v601 firmware the same
//   change also switches PTT enable off (the keying input changes meaning);
//   the v604 firmware types keep it. Every value that changed is reported
//   after the "M" report, in the order H, S, apostrophe; this holds for a
//   channel select that changes the mode too.
// - The Adapt firmware's combined form (a direct mode or AGC code, LF, the
//   frequency report, LF) is one setting: its frequency line keeps a
//   selected channel when it names the frequency the radio is on; another
//   frequency retunes (and leaves the channel) as an "F" command does.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fake_device.h"

namespace tolvane {

enum class Firmware { V601, Adapt, NonAdapt };

class RadioModel final : public FakeDevice {
  public:
    struct Channel {
        std::string freq = "0700000";  // seven digits, 10 Hz units
        int mode = 1;                  // 1 USB, 2 LSB, 3 AME, 4 CW
        bool empty = false;            // an empty slot does not answer "L"; "P" fills it
    };
    // What a person at the radio would see. Tests may set it up directly.
    struct State {
        std::string freq = "1407400";
        int mode = 1;       // M1..M4
        int agc = 2;        // A1..A4
        int meter = 1;      // D1..D6
        int source = 1;     // H1..H4
        int routing = 1;    // DQ0 remote audio, DQ1 local audio
        int pttEnable = 1;  // '0 / '1
        int speaker = 1;    // (0 / (1
        int clip = 0;       // I0 / I1
        int sidetone = 0;   // S0 / S1
        int vox = 0;        // V0..V2
        std::string bfo = "100";
        std::string rfGain = "00";
        int channel = -1;  // selected channel 0..99, -1 on the VFO
        std::array<Channel, 100> channels{};
        bool remote = true;    // R1 / R0
        bool keyed = false;    // last sync character was K
        int amp = 1;           // O1..O4
        int ampTune = 1;       // T1..T4
        int fault = 0;         // Z0 = no fault
        bool silent = false;   // answers nothing
        int meterReading = 7;  // J00..J99
    };

    explicit RadioModel(Firmware fw = Firmware::V601,
                        std::size_t commandLogLines = kDefaultLogLines);

    Firmware firmware() const { return fw_; }
    State state;

    // Timing of answers: the delay before an answer starts and the time per
    // character (9600 baud, 7O1: about 1 ms).
    double answerDelay = 0.015;
    double charTime = 10.0 / 9600.0;
    double warmupSeconds = 3.0;    // O2 -> O3
    double tuneStepSeconds = 1.0;  // T2 -> T3 -> T4 while keyed in operate

    // --- FakeDevice ---
    void received(std::string_view bytes, double at) override;
    void produce(double until, std::vector<std::pair<double, char>>& out) override;
    double nextOutput() const override;

    // --- what a person at the radio does (each may report on its own) ---
    void setRemote(bool remote, double at);  // reports "R1"/"R0"
    void setSilent(bool silent) { state.silent = silent; }
    void raiseFault(int code, double at);                    // reports "Z<code>"
    void clearFault(double at);                              // reports "Z0"
    void setFrequency(const std::string& freq7, double at);  // front-panel tuning, reports F
    // Unsolicited report lines (for demos and tests), LF added per line.
    void say(std::string_view lines, double at);

    // The last commandLogLines() command lines (or bare sync/toggle
    // characters) taken, oldest first.
    std::vector<std::string> commandsSeen() const;
    // How many command lines were taken since the start, logged or not.
    std::size_t commandsTaken() const { return taken_; }
    // How many lines the command log keeps (at least 1; older ones are dropped).
    void setCommandLogLines(std::size_t lines);
    std::size_t commandLogLines() const { return logLines_; }
    static constexpr std::size_t kDefaultLogLines = 1000;

    // The channel report while the radio works on its VFO.
    static constexpr std::string_view kVfoChannelReport = "C--";
    // Seven digits within the radio's range 0160000..2999999.
    static bool isValidFrequency(std::string_view freq7);

  private:
    // ... implementation details are the model's own.
    void handleLine(const std::string& line, double at);
    void emitText(std::string_view text, double at);
    void advanceTimers(double until);
    std::string statusReport() const;
    void sync(bool key, double at);
    void applySetting(const std::string& line, double at);
    void leaveOperate(std::string& answer);
    void logCommand(std::string line);
    // The audio moves that follow a mode change from `from`; reports appended.
    void modeChanged(int from, std::string& answer);
    // PTT enable set to `on`; a key is dropped with it. Reports appended.
    void setPttEnable(int on, std::string& answer);

    Firmware fw_;
    std::string pending_;  // partial command line
    std::deque<std::pair<double, char>> out_;
    std::deque<std::string> seen_;
    std::size_t logLines_ = kDefaultLogLines;
    std::size_t taken_ = 0;
    int phoneSource_ = 1;       // source the voice modes come back to
    int otherSidetone_ = -1;    // sidetone of the mode group not in use; -1 its default
    double combinedAt_ = -1.0;  // when an Adapt direct mode/AGC line came; -1 none
    double lastOut_ = 0.0;
    double warmupDue_ = -1.0;
    double tuneDue_ = -1.0;
    bool overlong_ = false;  // the partial line outgrew any command; dropped at its LF
};

}  // namespace tolvane
