// The radio state record: the last report of each letter in its fixed-width
// field with its changed flag, the reader's values, the status markers and
// the firmware type. Everything starts blank / false.
#pragma once

#include <string>

#include "radio/mappings.h"

namespace tolvane {

struct RadioState {
    RadioState();

    // Report fields (fixed width, blank padded) and their changed flags.
    std::string gFreqReport;  // "F" + 7 digits, width 8
    bool gFreqReportNew = false;
    bool gFreqReportOk = false;  // the stored F line was exactly "F" + seven digits
    std::string gAgcReport;      // A, 2
    bool gAgcReportNew = false;
    std::string gModeReport;  // M, 2
    bool gModeReportNew = false;
    std::string gMeterReport;  // D, 2
    bool gMeterReportNew = false;
    std::string gSourceReport;  // H, 2
    bool gSourceReportNew = false;
    std::string gLocRemReport;  // double quote, 2
    bool gLocRemReportNew = false;
    std::string gPttEnReport;  // apostrophe, 2
    bool gPttEnReportNew = false;
    std::string gSpeakerReport;  // (, 2
    bool gSpeakerReportNew = false;
    std::string gCommaReport;  // ",", 2
    bool gCommaReportNew = false;
    std::string gRemoteState;  // R, 2
    bool gRemoteReport = false;
    std::string gAmpReport;  // O, 2
    bool gAmpReportNew = false;
    std::string gAmpTuneReport;  // T, 2
    bool gAmpTuneReportNew = false;
    std::string gXReport;  // X, 2
    bool gXReportNew = false;
    std::string gRfGainReport;  // G, 3
    bool gRfGainReportNew = false;
    std::string gClipReport;  // I, 2
    bool gClipReportNew = false;
    std::string gSideToneReport;  // S, 2
    bool gSideToneReportNew = false;
    std::string gVoxReport;  // V, 2
    bool gVoxReportNew = false;
    std::string gChanSelReport;  // C, 3
    bool gChanSelReportNew = false;
    std::string gBfoReport;  // B, 4
    bool gBfoReportNew = false;
    std::string gChanReport;  // P, 11
    bool gChanReportNew = false;
    std::string gStarReport;  // *, 2
    bool gStarReportNew = false;
    std::string gFaultReport;  // Z, 2
    bool gFaultReportNew = false;
    std::string gQtReport;  // "QT" + 1, width 3
    std::string gQcReport;  // "QC" + 1, width 3

    // Reader values.
    std::string gRadioInput;  // raw text of the last ReadRadio, LFs turned to "<"
    bool gRadioHeard = false;
    // The radio port's link as the status caption shows it.
    mapping::LinkStatus gLinkStatus = mapping::LinkStatus::NoCom;

    // Sync answers and markers.
    bool gSyncReply = false;
    bool gRadioKeyed = false;
    bool gExclSeen = false;
    bool gQSeen = false;
    bool gHashSeen = false;
    bool gDotSeen = false;
    bool gFullStatus = false;
    bool gMeterDataNew = false;
    int gMeterValue = 0;

    // 0 not yet known, 1 v601, 2 v604 Adapt, 3 v604 NonAdapt.
    int gFwType = 0;
    // PTT-enable report saved by SetMode before a v601 mode change.
    std::string gSavedPttEn;

    // Sync heartbeat.
    std::string gSyncChar = "U";
    std::string gLastSync;   // last character actually sent; empty before the first call
    double gSyncTime = 0.0;  // seconds since midnight of the last send; 0 before
    int gSyncMissCount = 0;  // syncs sent since the last answer (saturates)

    // Radio port line state.
    bool gRadioBreak = false;
    bool gExtPttEnabled = false;
    bool gExtPttIdle = true;
};

// Flags a serial port's event handler keeps: each error seen at least once
// (never cleared) and the last level of each modem line.
struct PortFlags {
    bool RXFrame = false;
    bool RXOverrun = false;
    bool RXOverflow = false;
    bool RXParity = false;
    bool TXFull = false;
    bool DCBError = false;
    bool EvCD = false;
    bool EvCTS = false;
    bool EvDSR = false;
};

// Marks the error flag of a line error event and answers true; any other
// event is left to the port's handler. The radio and CAT ports share it.
bool recordLineError(PortFlags& flags, int event);

}  // namespace tolvane
