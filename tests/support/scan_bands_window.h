// The Scan Bands window on a tool harness for the window tests: the
// frequency commands written, and the window with a safety net.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <string>
#include <vector>

#include "tool_harness.h"
#include "tools/frm_scan_bands.h"

namespace tolvane::test::scanbands {

inline QString q(const std::string& s) {
    return QString::fromStdString(s);
}

template <typename W = QWidget>
W* w(QWidget& form, const QString& name) {
    W* found = form.findChild<W*>(name);
    if (found == nullptr) qFatal("no control %s", qPrintable(name));
    return found;
}

// The frequency commands written, in order, with their times.
struct Sent {
    QStringList commands;
    std::vector<double> times;
};
inline Sent frequencyCommands(const FakePort& port) {
    Sent s;
    for (const auto& wr : port.writes()) {
        if (wr.text.empty() || wr.text[0] != 'F' || wr.text.back() != '\n') continue;
        s.commands << q(wr.text.substr(0, wr.text.size() - 1));
        s.times.push_back(wr.at);
    }
    return s;
}

inline int count(const QStringList& list, const QString& item) {
    return static_cast<int>(list.count(item));
}

// The window opened on a harness, with a safety net: a scan that runs
// past `maxYields` yields is stopped and the test fails.
struct ScanWindow {
    explicit ScanWindow(ToolHarness& harness) : h(harness), f(h.link, h.host) { f.show(); }
    void scan(int maxYields = 5000) {
        auto inner = h.host.onYield;
        h.host.onYield = [this, inner, maxYields] {
            if (inner) inner();
            if (h.host.yields > maxYields) {
                overran = true;
                f.cmdStop_Click();
                f.scan().setPaused(false);
            }
        };
        QTest::mouseClick(w(f, "cmdScanUp"), Qt::LeftButton);
        h.host.onYield = inner;
    }
    ToolHarness& h;
    FrmScanBands f;
    bool overran = false;
};

}  // namespace tolvane::test::scanbands
