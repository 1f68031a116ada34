// A radio link on a fake port in virtual time, optionally with the radio
// model on the far end.
#pragma once

#include <memory>

#include "fake_port.h"
#include "platform/clock.h"
#include "radio/radio_link.h"
#include "radio_model.h"
#include "recording_panel.h"

namespace tolvane::test {

struct RadioFixture {
    explicit RadioFixture(bool withModel = false, Firmware fw = Firmware::V601)
        : model(fw), port(clock, withModel ? &model : nullptr), link(port, clock, panel, state) {
        PortConfig cfg;
        cfg.portNumber = 1;
        cfg.settings = "9600,O,7,1";
        port.open(cfg);
    }
    VirtualClock clock{36000.0};
    RadioModel model;
    FakePort port;
    RecordingPanel panel;
    RadioState state;
    RadioLink link;
};

}  // namespace tolvane::test
