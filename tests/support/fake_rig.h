// A stand-in for the app behind the network endpoint and the TS-2000
// answers: a snapshot to answer from, the requests it was given, and the
// status it gives them. With `follows` set it applies each request to its
// snapshot the way the panel and the radio would (10 Hz steps, VFO B on the
// panel), so that a read after a set sees the set.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

#include "cat/rig_control.h"

namespace tolvane::test {

// The snapshot of a radio on 14.074 MHz USB, VFO B 14.080 MHz USB, split
// off, receiving, no digital preset, the meter on FWD reading 9.
inline cat::RigSnapshot usualSnapshot() {
    cat::RigSnapshot s;
    s.freqReport = "F1407400";
    s.modeReport = "M1";
    s.digitalPreset = "OFF";
    s.vfoB = "1408000";
    s.vfoBMode = "M1";
    s.meterReport = "D4";
    s.meterValue = 9;
    s.txRanges = {{7000000, 7300000}, {14000000, 14350000}};
    return s;
}

// "F A 0707400", "M A M2", "M A M1 PSK", "SPLIT 1", "PTT 0".
inline QString describe(const cat::RigRequest& r) {
    QString vfo = r.vfo == cat::RigVfo::A ? "A" : "B";
    switch (r.kind) {
        case cat::RigRequest::Kind::Frequency:
            return "F " + vfo + " " + QString::fromStdString(r.freq);
        case cat::RigRequest::Kind::Mode:
            return "M " + vfo + " " + QString::fromStdString(r.modeCode) +
                   (r.digitalPreset ? " " + QString::fromStdString(*r.digitalPreset) : QString());
        case cat::RigRequest::Kind::Split:
            return r.on ? "SPLIT 1" : "SPLIT 0";
        case cat::RigRequest::Kind::Ptt:
            return r.on ? "PTT 1" : "PTT 0";
    }
    return "?";
}

class FakeRig : public cat::RigControl {
  public:
    cat::RigSnapshot state = usualSnapshot();
    cat::RigStatus status = cat::RigStatus::Queued;
    bool follows = false;
    QStringList requests;
    int snapshots = 0;

    cat::RigSnapshot snapshot() override {
        ++snapshots;
        return state;
    }
    cat::RigStatus request(const cat::RigRequest& r) override {
        requests << describe(r);
        if (follows && status == cat::RigStatus::Queued) apply(r);
        return status;
    }

  private:
    void apply(const cat::RigRequest& r) {
        switch (r.kind) {
            case cat::RigRequest::Kind::Frequency:
                (r.vfo == cat::RigVfo::A ? state.freqReport : state.vfoB) =
                    r.vfo == cat::RigVfo::A ? "F" + r.freq : r.freq;
                break;
            case cat::RigRequest::Kind::Mode:
                (r.vfo == cat::RigVfo::A ? state.modeReport : state.vfoBMode) = r.modeCode;
                if (r.digitalPreset) state.digitalPreset = *r.digitalPreset;
                break;
            case cat::RigRequest::Kind::Split:
                state.split = r.on;
                break;
            case cat::RigRequest::Kind::Ptt:
                state.keyed = r.on;
                break;
        }
    }
};

}  // namespace tolvane::test
