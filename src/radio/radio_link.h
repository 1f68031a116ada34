// The radio link: the transport that writes commands (SendRadioCmd, Delay),
// the radio port's event handler, the reader and report parser, the sync
// heartbeat sender and the setting routines shared by the whole panel.
// Everything runs on the one thread and never yields to the window system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "radio/radio_panel.h"
#include "radio/radio_state.h"

namespace tolvane {

class RadioLink {
  public:
    RadioLink(SerialPort& port, Clock& clock, RadioPanel& panel, RadioState& state);

    SerialPort& port() { return port_; }
    Clock& clock() { return clock_; }
    RadioPanel& panel() { return panel_; }
    RadioState& state() { return st_; }

    // --- transport ---
    // Writes the command (LF appended when asked) after the output drain,
    // then busy-waits `pause` seconds. Port errors are ignored; a transmit
    // buffer that does not empty within ten 10 ms polls drops the command.
    void SendRadioCmd(std::string_view command, bool newline, double pause);
    // Writes straight to the port: no drain wait, no lamp. Throws PortError
    // when the port is closed.
    void writeDirect(std::string_view text);
    void Delay(double seconds);
    void ReportError(const std::string& message);
    // True when `path` is a regular file that opens for reading. Anything
    // else reports itself on the information line and counts as missing; a
    // path that exists but is no regular file (a FIFO, a device) is also
    // kept in notRegularFiles, so that the panel can name it once start-up
    // is done.
    bool fileExists(const std::string& path);
    std::vector<std::string> notRegularFiles;
    // The radio port's event handler (runs only while the program yields).
    void MSComm1_OnComm(int event);
    PortFlags comm1;

    // --- reader and parser ---
    void ReadRadio();
    void ReadRadioNoWait();
    void ParseRadioInput(std::string& text);
    // Longest time ReadRadio keeps taking input after its first character:
    // kReadLimit beyond the time the longest complete status takes at the
    // port's line settings (at 300 baud that is several seconds).
    static constexpr double kReadLimit = 1.0;
    // Characters of the longest complete status: "#", "!" and "."; "F" and
    // seven digits; the 2-character reports A M D H " ' ( , R O T X I S V * Z;
    // G and C in 3, B in 4, P in 11, two Q lines in 3 and a J reading in 3;
    // every line with its LF.
    static constexpr int kLongestStatus = 103;
    static double readLimitFor(std::string_view settings);

    // --- sync heartbeat ---
    void gSendSync(const std::string& c);

    // --- setting routines ---
    void SetFreqCmd(const std::string& f);
    void SetAgc(const std::string& wanted);
    static int ModeIndex(const std::string& code);
    std::string ModeKeys(const std::string& wanted);
    void SetMode(const std::string& wanted);
    void StepMode();
    void TogglePttEnable();
    static int MeterIndex(const std::string& code);
    void SelectMeter(const std::string& wanted);

  private:
    // The link status in the state and on the status caption.
    void linkStatus(mapping::LinkStatus status);
    SerialPort& port_;
    Clock& clock_;
    RadioPanel& panel_;
    RadioState& st_;
};

}  // namespace tolvane
