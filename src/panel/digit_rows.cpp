// Digit-row arithmetic of VFO A, VFO B and the channel row.
#include "panel/digit_rows.h"

#include <array>

namespace tolvane::digits {

namespace {

constexpr std::array<long, kFreqDigits> kFreqSteps = {1000000, 100000, 10000, 1000, 100, 10, 1};

struct KeyStep {
    const char* text;
    int position;
};
constexpr std::array<KeyStep, 4> kKeySteps = {
    {{"10Hz", 6}, {"100Hz", 5}, {"1KHz", 4}, {"10KHz", 3}}};

bool allDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

long freqStep(int position) {
    if (position < 0 || position >= kFreqDigits) return 0;
    return kFreqSteps[static_cast<size_t>(position)];
}

int chanStep(int index) {
    if (index == 0) return 10;
    if (index == 1) return 1;
    return 0;
}

std::optional<long> freqValue(std::string_view text) {
    if (text.size() != kFreqDigits || !allDigits(text)) return std::nullopt;
    long v = 0;
    for (char c : text) v = v * 10 + (c - '0');
    return v;
}

bool inTuningRange(long value) {
    return value >= kLowest && value <= kHighest;
}

std::string freqText(long value) {
    std::string s = std::to_string(value < 0 ? 0 : value);
    if (s.size() < kFreqDigits) s.insert(0, kFreqDigits - s.size(), '0');
    return s;
}

VfoAStep stepVfoA(long value, long step, int button) {
    if (button == kUp) {
        if (value + step > kHighest) return {value, true};
        return {value + step, false};
    }
    if (button == kDown) {
        if (value - step < kLowest) return {value, true};
        return {value - step, false};
    }
    return {value, false};
}

std::string stepVfoB(std::string_view row, long step, int button) {
    long value = freqValue(row).value_or(0);
    std::string text(row);
    if (value < kLowest) {
        value = kLowest;
        text = kLowestText;
    } else if (value > kHighest) {
        value = kHighest;
        text = kHighestText;
    }
    long next = value;
    if (button == kUp) next += step;
    if (button == kDown) next -= step;
    if (inTuningRange(next)) text = freqText(next);
    return text;
}

int chanValue(std::string_view text) {
    if (text.empty() || text.size() > kChanDigits || !allDigits(text)) return 0;
    int v = 0;
    for (char c : text) v = v * 10 + (c - '0');
    return v;
}

std::string chanText(int value) {
    std::string s = std::to_string(value);
    return s.size() < kChanDigits ? "0" + s : s;
}

ChanStep stepChannel(int value, int step, int button) {
    if (button == kUp) {
        if (value > kHighestChannel - step) return {value, true};
        return {value + step, false};
    }
    if (button == kDown) {
        if (value < step) return {value, true};
        return {value - step, false};
    }
    return {value, false};
}

std::optional<int> keyStepPosition(std::string_view stepSize) {
    for (const KeyStep& k : kKeySteps)
        if (stepSize == k.text) return k.position;
    return std::nullopt;
}

}  // namespace tolvane::digits
