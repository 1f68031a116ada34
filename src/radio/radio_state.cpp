// The radio state record starts with every field blank at its width.
#include "radio/radio_state.h"

#include "platform/serial_port.h"
#include "radio/protocol.h"

namespace tolvane {

RadioState::RadioState() {
    for (const protocol::ReportField& f : protocol::kReportFields)
        this->*(f.value) = std::string(static_cast<size_t>(f.width), ' ');
    gQtReport = "   ";
    gQcReport = "   ";
    gSavedPttEn = "  ";
}

bool recordLineError(PortFlags& flags, int event) {
    switch (event) {
        case comm::kErFrame:
            flags.RXFrame = true;
            return true;
        case comm::kErOverrun:
            flags.RXOverrun = true;
            return true;
        case comm::kErRxOver:
            flags.RXOverflow = true;
            return true;
        case comm::kErRxParity:
            flags.RXParity = true;
            return true;
        case comm::kErTxFull:
            flags.TXFull = true;
            return true;
        case comm::kErDcb:
            flags.DCBError = true;
            return true;
        default:
            return false;
    }
}

}  // namespace tolvane
