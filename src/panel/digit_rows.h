// The arithmetic of the digit-button rows: VFO A and VFO B hold a frequency
// as seven digits in 10 Hz units (index 0 the 10 MHz digit), the channel
// row a number 00..99. A step adds to or subtracts from the whole number,
// so carries and borrows run into the higher digits. Plain functions of
// their inputs; the areas that own the buttons call them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::digits {

// The radio tunes 1.6 MHz to 29.99999 MHz.
constexpr long kLowest = 160000;
constexpr long kHighest = 2999999;
constexpr const char* kLowestText = "0160000";
constexpr const char* kHighestText = "2999999";
constexpr int kFreqDigits = 7;
constexpr int kChanDigits = 2;
constexpr int kHighestChannel = 99;

// Mouse buttons as the rows know them: left steps up, right steps down.
constexpr int kUp = 1;
constexpr int kDown = 2;

// Step in 10 Hz units of the digit at `position` 0..6; 0 for any other.
long freqStep(int position);
// Step of channel digit `index`: 10 for the tens, 1 for the units; 0 otherwise.
int chanStep(int index);

// The number of seven decimal digits; nothing for any other text.
std::optional<long> freqValue(std::string_view text);
bool inTuningRange(long value);
// Seven digits with leading zeros.
std::string freqText(long value);

// One step of VFO A from `value` with mouse button `button`. A step that
// would leave the tuning range is refused (`beep`) and the value stays;
// another button steps nothing.
struct VfoAStep {
    long value;
    bool beep;
};
VfoAStep stepVfoA(long value, long step, int button);

// One step of VFO B from the row's text: a row below or above the tuning
// range (or not a number) is first clamped to its edge; the step is then
// taken only when its result stays in range, so the row stops at the edge
// without a beep. Returns the new row text.
std::string stepVfoB(std::string_view row, long step, int button);

// The channel number of the row's text; a row that does not hold one
// (before the first channel report) reads as 0.
int chanValue(std::string_view text);
// Two digits with a leading zero.
std::string chanText(int value);
struct ChanStep {
    int value;
    bool beep;
};
// One step of the channel row; a step that would leave 0..99 is refused.
ChanStep stepChannel(int value, int step, int button);

// Digit position of a keyboard step for the text of the step-size box
// ("10Hz" 6, "100Hz" 5, "1KHz" 4, "10KHz" 3); nothing for "OFF" or any other.
std::optional<int> keyStepPosition(std::string_view stepSize);

}  // namespace tolvane::digits
