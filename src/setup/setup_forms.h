// What the three setup dialogs (radio port, CAT port, audio) show and hand
// back, as plain values: the list of available ports, the contents of each
// dialog when it opens, what "Load" puts into it, and what "Apply" and "Save"
// pass on. The dialog classes only copy these values to and from their
// controls, so everything here is testable without a window. A dialog takes
// the settings in force and returns the new ones; the program keeps them.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "setup/audio_setup_file.h"
#include "setup/cat_setup_file.h"
#include "setup/handshake_options.h"
#include "setup/port_setup_file.h"
#include "setup/text_file.h"

namespace tolvane {

// The radio port's settings as Port Setup takes and returns them.
struct RadioPortSettings {
    std::string port;       // gRadioPort
    std::string settings;   // gRadioSettings
    std::string handshake;  // gRadioHandshake
    bool extPtt = false;    // gExtPttEnabled

    bool operator==(const RadioPortSettings&) const = default;
};

// The CAT port's settings as CAT Setup takes and returns them.
struct CatPortSettings {
    std::string port;       // gCatPort
    std::string settings;   // gCatSettings
    std::string handshake;  // gCatHandshake
    // The CAT bridge also answers as a TS-2000 does (line 9 of CATSetup.txt).
    bool ts2000Answers = false;

    bool operator==(const CatPortSettings&) const = default;
};

// The live state of a serial port as the dialogs read it when they open.
struct LivePort {
    bool open = false;
    int number = 0;
    std::string settings;  // line settings text, e.g. "9600,N,8,1"
    int handshaking = 0;   // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both
};

// ---------------------------------------------------------------- port lists

// Only these port numbers are probed (the dialog's label says so).
inline constexpr int kFirstListedPort = 1;
inline constexpr int kLastListedPort = 16;

// The port box's list and the "Available Ports" box: every port from 1 to 16
// the probe reports, in order; the box lists them each followed by ", " (the
// last one too), or reads "No Ports" when none was found.
struct PortListing {
    std::vector<std::string> ports;
    std::string found;
};
PortListing ListAvailablePorts(const std::function<bool(int)>& portAvailable);

// The device a port number maps to: the target of the folder's "ports/COM<n>"
// link (the entry itself when it is not a link), otherwise "/dev/ttyS<n-1>".
// Empty for n <= 0.
std::string portDeviceTarget(int n, const std::string& folder);

// The line shown next to the port box for the text in it: "Device: <path>",
// or "Device: none" when the text names no port.
std::string portDeviceLine(const std::string& portText,
                           const std::function<std::string(int)>& devicePath);

// The text before the first comma (all of it when there is none).
std::string textBeforeFirstComma(const std::string& text);

// The information line's text for a failed settings file write:
// "<FileName>: Err <errno>. <description>".
std::string saveErrorText(std::string_view fileName, const WriteResult& result);

// The baud rate list of both port dialogs; the first three items end in a blank.
inline const std::vector<std::string> kBaudRateItems{"19200 ", "9600 ", "4800 ",
                                                     "2400",   "600",   "300"};

// Handshake option index for a port's handshaking value; none outside 0..3.
int handshakeOptionForValue(int handshaking);

// What the Port Setup and CAT Setup dialogs both show.
struct PortForm {
    std::vector<std::string> portList;
    std::string port;   // port box text
    std::string found;  // "Available Ports" box
    std::vector<std::string> baudList = kBaudRateItems;
    std::string baud = kBaudRateItems[0];  // baud box text
    int handshake = kNoHandshakeOption;    // selected option
};

// Listing the ports again: the probed ports replace the port list, and
// clearing the list clears the port box too.
void relistPorts(PortForm& form, const PortListing& listing);

// ---------------------------------------------------------------- Port Setup

// The contents of the Port Setup dialog.
struct PortSetupForm : PortForm {
    bool extPtt = false;  // "Enable DSR as External PTT"
};

// Opening: the probed ports; an open radio port is added to the list (the probe
// cannot see a port this program holds) and shown in the box, a closed one
// leaves the box empty; the baud box shows the port's settings before the first
// comma; the option of the port's handshaking value; the check box from
// gExtPttEnabled.
PortSetupForm portSetupOnOpen(const LivePort& radioPort, bool extPttEnabled,
                              const PortListing& listing);
// Load: the values read from "PortSetup.txt" replace what the dialog shows.
void loadPortSetupForm(PortSetupForm& form, const PortSetupDialogValues& values);
// What Save writes.
PortSetupSave portSetupSaveOf(const PortSetupForm& form);
// Apply: settings = baud + ",O,7,1"; handshake = the selected option's name
// (the current one when none is selected); port = port text; extPtt = the
// check box. The program then opens the radio port again.
RadioPortSettings applyPortSetup(const PortSetupForm& form, const RadioPortSettings& current);

// ---------------------------------------------------------------- CAT Setup

inline const std::vector<std::string> kCatBitsItems{"N, 8, 1", "O, 7, 1", "E, 7, 1"};
inline const std::vector<std::string> kRigTypeItems{"Kenwood", "Elecraft", "FT-450"};

// The contents of the CAT Setup dialog.
struct CatSetupForm : PortForm {
    std::vector<std::string> bitsList = kCatBitsItems;
    std::string bits = kCatBitsItems[0];
    std::vector<std::string> rigList = kRigTypeItems;
    std::string rigType = kRigTypeItems[0];
    bool ts2000Answers = false;  // "TS-2000 compatible answers"
};

// Opening: the probed ports. An open CAT port adds its number to the port list
// and shows it, adds fields 2 to 4 of its settings joined with "," to the bits
// list and shows them (the bits box keeps its text when the settings have fewer
// than four fields), adds field 1 to the baud list and shows it, and selects the
// option of its handshaking value; a text a list holds already is not added
// again. A closed port leaves the design-time texts
// and no option selected. The rig box starts at "Kenwood".
CatSetupForm catSetupOnOpen(const LivePort& catPort, const PortListing& listing);
// Load: the values read from "CATSetup.txt"; the rig type is added to the rig
// list on every Load and shown.
void loadCatSetupForm(CatSetupForm& form, const CatSetupDialogValues& values);
// What Save writes (no option selected saves "comNone").
CatSetupSave catSetupSaveOf(const CatSetupForm& form);
// Apply: settings = baud + "," + bits; handshake = the selected option's name
// (the current one when none); port = port text; the TS-2000 answers from the
// check box. The program then opens the CAT port again.
CatPortSettings applyCatSetup(const CatSetupForm& form, const CatPortSettings& current);

// ---------------------------------------------------------------- Audio Setup

// The five option groups of the Audio Setup dialog.
enum class AudioGroup { PhoneSource, DigSource, DigVox, PttEn, LocRem };

// The code each option of a group stands for, by option index. Local/remote is
// in reversed order: option 0 "Local Audio" is DQ1, option 1 "Remote Audio" DQ0.
const std::vector<std::string>& audioOptionCodes(AudioGroup group);
// Option index of a code in a group; kNoAudioOption when it is not in the table.
inline constexpr int kNoAudioOption = -1;
int audioOptionIndex(AudioGroup group, std::string_view code);

// The radio's last reports the dialog opens on (fixed-width report fields, so
// blanks before the first report).
struct AudioReports {
    std::string source;  // gSourceReport
    std::string pttEn;   // gPttEnReport
    std::string locRem;  // gLocRemReport
};

// The contents of the Audio Setup dialog: the codes Apply and Save pass on and
// the option selected in each group (kNoAudioOption for none).
struct AudioSetupForm {
    AudioCodes codes;
    int phone = kNoAudioOption;
    int digSource = kNoAudioOption;
    int digVox = kNoAudioOption;
    int ptt = kNoAudioOption;
    int locRem = kNoAudioOption;

    int& option(AudioGroup group);
    int option(AudioGroup group) const;
    std::string& code(AudioGroup group);
};

// Opening: phone source, PTT and local/remote from the radio's reports; a
// report outside its table (a value such as "H4", or blanks before the radio
// has reported) is replaced by the stored setting (gAudSource, gAudPttEn,
// gAudRouting in `stored`), and a stored setting outside its table (a damaged
// AudioSetup.txt) by the start-up default, so it never reaches Apply or Save. The digital source
// and VOX come from the stored settings; a stored digital source other than "H1"/"H2" shows "Patch"
// and any digital VOX other than "V1"/"V2" shows "OFF", and the code shown is the one passed on.
// Each group shows the option of its code.
AudioSetupForm audioSetupOnOpen(const AudioReports& reports, const AudioCodes& stored);
// A click on option `index` of a group: selects it and takes its code.
void clickAudioOption(AudioSetupForm& form, AudioGroup group, int index);
// Load: each code read selects its option. A code outside its table is
// ignored: that setting keeps what the dialog shows.
void loadAudioSetupForm(AudioSetupForm& form, const AudioCodes& read);
// Apply: the five codes the program takes into gAudSource, gDigSource,
// gDigVox, gAudPttEn and gAudRouting before it brings the radio in line.
AudioCodes applyAudioSetup(const AudioSetupForm& form);

}  // namespace tolvane
