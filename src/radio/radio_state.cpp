// The radio state record starts with every field blank at its width.
#include "radio/radio_state.h"

#include "radio/protocol.h"

namespace tolvane {

RadioState::RadioState() {
    for (const protocol::ReportField& f : protocol::kReportFields)
        this->*(f.value) = std::string(static_cast<size_t>(f.width), ' ');
    gQtReport = "   ";
    gQcReport = "   ";
    gSavedPttEn = "  ";
}

}  // namespace tolvane
