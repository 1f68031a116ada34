// The radio's reports: ParseRadioInput on the raw text, and the reader
// (ReadRadio, ReadRadioNoWait) taking the same text from the fake port in
// virtual time, in bursts with gaps, optionally across midnight.
// Input: byte 0 picks the gaps and character spacing, byte 1 the start time
// and the reader; the rest is the line, "\xfe" marking a gap between bursts.
#include "fake_port.h"
#include "fuzz_support.h"
#include "platform/clock.h"
#include "radio/protocol.h"
#include "radio/radio_link.h"
#include "recording_panel.h"

using namespace tolvane;

namespace {

void checkWidths(const RadioState& st) {
    for (const protocol::ReportField& rf : protocol::kReportFields)
        fuzz::require(static_cast<int>((st.*(rf.value)).size()) == rf.width, "report field width");
    fuzz::require(
        st.gFreqReport.size() == 8 && st.gQtReport.size() == 3 && st.gQcReport.size() == 3,
        "frequency and Q report widths");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string_view text = fuzz::bytes(data + 2, size - 2);
    const double gap = (data[0] >> 4) * 0.05;
    const double spacing = (data[0] & 15) * 0.005;
    const bool midnight = (data[1] & 1) != 0;
    const bool noWait = (data[1] & 2) != 0;

    test::RecordingPanel panel;
    panel.dataShown = (data[1] & 4) != 0;
    RadioState state;
    VirtualClock clock(midnight ? 86399.5 : 36000.0);
    FakePort port(clock);
    RadioLink link(port, clock, panel, state);

    // The parser alone: only line feeds that ended a line turn into "<".
    std::string parsed(text);
    link.ParseRadioInput(parsed);
    fuzz::require(parsed.size() == text.size(), "parser keeps the length");
    for (size_t i = 0; i < parsed.size(); ++i)
        fuzz::require(parsed[i] == text[i] || (text[i] == '\n' && parsed[i] == '<'),
                      "parser changes only line feeds");
    checkWidths(state);

    // The reader: the same text from the port, burst by burst.
    PortConfig cfg;
    cfg.portNumber = 1;
    cfg.settings = "9600,O,7,1";
    port.open(cfg);
    double last = 0.0;
    size_t from = 0;
    while (from <= text.size()) {
        size_t mark = text.find('\xfe', from);
        if (mark == std::string_view::npos) mark = text.size();
        const std::string_view burst = text.substr(from, mark - from);
        last += gap;  // the burst starts `gap` after the previous one ended
        port.inject(burst, last - clock.elapsed(), spacing);
        last += spacing * static_cast<double>(burst.size());
        from = mark + 1;
    }
    for (int reads = 0; clock.elapsed() <= last + 1.0 || port.inBufferCount() > 0; ++reads) {
        fuzz::require(reads < 100000, "the reader makes progress");
        if (noWait && reads % 2 == 1) {
            link.ReadRadioNoWait();
            clock.advance(0.01);
        } else {
            link.ReadRadio();
            fuzz::require(state.gRadioInput.size() <= text.size(),
                          "a read takes no more than came");
        }
        checkWidths(state);
    }
    return 0;
}
