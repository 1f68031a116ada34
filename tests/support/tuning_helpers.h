// Helpers of the tuning window tests: the digit rows as text, presses held
// until a condition holds at one of the handler's yields, and the commands
// the panel wrote (heartbeat characters left out).
#pragma once

#include <QPushButton>
#include <QTest>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "panel_harness.h"

namespace tolvane::test {

template <size_t N>
std::string rowOf(const std::array<QPushButton*, N>& row) {
    std::string s;
    for (QPushButton* b : row) s += vb::caption(b);
    return s;
}

template <size_t N>
void setRow(const std::array<QPushButton*, N>& row, const std::string& digits) {
    for (size_t i = 0; i < N; ++i) vb::setCaption(row[i], digits.substr(i, 1));
}

// Presses `button` with the mouse button `mouse` and lets it go in the
// first yield of the handler at which `releaseWhen` holds. The handler runs
// inside the press; when it returned without having seen the release (a
// locked row), the release follows at once. Returns the handler's yields
// before the release (-1 when it came after the handler returned).
inline int holdUntil(PanelHarness& h, QPushButton* button, Qt::MouseButton mouse,
                     const std::function<bool()>& releaseWhen,
                     const std::function<void()>& beforeRelease = {}) {
    int yields = 0;
    int releasedAt = -1;
    h.shell.onYield = [&] {
        if (releasedAt >= 0) return;
        ++yields;
        if (!releaseWhen()) return;
        releasedAt = yields;
        if (beforeRelease) beforeRelease();
        QTest::mouseRelease(button, mouse);
    };
    QTest::mousePress(button, mouse);
    h.shell.onYield = nullptr;
    if (releasedAt < 0) QTest::mouseRelease(button, mouse);
    return releasedAt;
}

// A click whose release arrives once the handler has made its first step
// (after its first two yields).
inline void clickDigit(PanelHarness& h, QPushButton* button, Qt::MouseButton mouse) {
    int n = 0;
    holdUntil(h, button, mouse, [&n] { return ++n > 2; });
}

// A click on a VFO B or channel digit: those loops yield once per step, so
// a release in the first yield makes one step.
inline void clickOnce(PanelHarness& h, QPushButton* button, Qt::MouseButton mouse) {
    holdUntil(h, button, mouse, [] { return true; });
}

// Every command written from write number `from` on, heartbeat characters
// ("U", "K" and the blank of the local heartbeat) left out.
inline std::vector<std::string> commandsSince(const PanelHarness& h, size_t from) {
    std::vector<std::string> out;
    const auto& w = h.radio.writes();
    for (size_t i = from; i < w.size(); ++i) {
        if (w[i].text == "U" || w[i].text == "K" || w[i].text == " ") continue;
        out.push_back(w[i].text);
    }
    return out;
}

inline std::string joined(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& t : v) {
        for (char c : t) s += c == '\n' ? std::string("<LF>") : std::string(1, c);
        s += "|";
    }
    return s;
}

// The same as one text, for readable comparisons.
inline QString wire(const std::vector<std::string>& v) {
    return QString::fromStdString(joined(v));
}

// Writes of a line list as the wire sees them: "F1407401\n" ...
inline std::vector<std::string> lines(std::initializer_list<const char*> l) {
    std::vector<std::string> out;
    for (const char* s : l) out.push_back(std::string(s) + "\n");
    return out;
}

}  // namespace tolvane::test
