// Contents of the setup dialogs as plain values: port lists, opening, Load,
// Apply and Save of the Port, CAT and Audio Setup dialogs.
#include "setup/setup_forms.h"

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <system_error>

#include "platform/port_map.h"

namespace tolvane {

// ---------------------------------------------------------------- port lists

PortListing ListAvailablePorts(const std::function<bool(int)>& portAvailable) {
    PortListing listing;
    for (int n = kFirstListedPort; n <= kLastListedPort; ++n) {
        if (!portAvailable || !portAvailable(n)) continue;
        listing.ports.push_back(std::to_string(n));
        listing.found += std::to_string(n) + ", ";
    }
    if (listing.ports.empty()) listing.found = "No Ports";
    return listing;
}

std::string portDeviceTarget(int n, const std::string& folder) {
    std::string path = portDevicePath(n, folder);
    if (path.empty()) return {};
    const std::string local = folder + "/ports/COM" + std::to_string(n);
    if (path != local) return path;
    std::error_code ec;
    std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    if (ec) return path;  // an entry that is not a link is the device itself
    return target.string();
}

std::string portDeviceLine(const std::string& portText,
                           const std::function<std::string(int)>& devicePath) {
    int n = portNumberValue(portText);
    std::string device = n > 0 && devicePath ? devicePath(n) : std::string();
    return "Device: " + (device.empty() ? std::string("none") : device);
}

std::string textBeforeFirstComma(const std::string& text) {
    return text.substr(0, text.find(','));
}

std::string saveErrorText(std::string_view fileName, const WriteResult& result) {
    return std::string(fileName) + ": Err " + std::to_string(result.err) + ". " + result.message;
}

int handshakeOptionForValue(int handshaking) {
    for (const auto& option : kHandshakeOptions)
        if (option.index == handshaking) return option.index;
    return kNoHandshakeOption;
}

void relistPorts(PortForm& form, const PortListing& listing) {
    form.portList = listing.ports;
    form.port.clear();
    form.found = listing.found;
}

// ---------------------------------------------------------------- Port Setup

PortSetupForm portSetupOnOpen(const LivePort& radioPort, bool extPttEnabled,
                              const PortListing& listing) {
    PortSetupForm form;
    form.portList = listing.ports;
    form.found = listing.found;
    if (radioPort.open) {
        form.portList.push_back(std::to_string(radioPort.number));
        form.port = std::to_string(radioPort.number);
    }
    form.baud = textBeforeFirstComma(radioPort.settings);
    form.handshake = handshakeOptionForValue(radioPort.handshaking);
    form.extPtt = extPttEnabled;
    return form;
}

void loadPortSetupForm(PortSetupForm& form, const PortSetupDialogValues& values) {
    form.port = values.port;
    form.baud = values.baud;
    form.handshake = values.handshakeIndex;
    form.extPtt = values.extPtt;
}

PortSetupSave portSetupSaveOf(const PortSetupForm& form) {
    return PortSetupSave{form.port, form.baud, form.handshake, form.extPtt};
}

RadioPortSettings applyPortSetup(const PortSetupForm& form, const RadioPortSettings& current) {
    RadioPortSettings applied = current;
    applied.settings = form.baud + kRadioLineFormat;
    if (form.handshake != kNoHandshakeOption)
        applied.handshake = std::string(handshakeNameForIndex(form.handshake));
    applied.port = form.port;
    applied.extPtt = form.extPtt;
    return applied;
}

// ---------------------------------------------------------------- CAT Setup

CatSetupForm catSetupOnOpen(const LivePort& catPort, const PortListing& listing) {
    CatSetupForm form;
    form.portList = listing.ports;
    form.found = listing.found;
    if (!catPort.open) return form;

    // The port's text is added to each list once: an item the list holds
    // already is only shown.
    auto addOnce = [](std::vector<std::string>& list, const std::string& item) {
        if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
    };
    addOnce(form.portList, std::to_string(catPort.number));
    form.port = std::to_string(catPort.number);
    auto fields = splitFields(catPort.settings, 5);  // a fifth field only takes the rest
    if (fields.size() >= 4) {
        std::string bits = fields[1] + "," + fields[2] + "," + textBeforeFirstComma(fields[3]);
        addOnce(form.bitsList, bits);
        form.bits = bits;
    }
    addOnce(form.baudList, fields[0]);
    form.baud = fields[0];
    form.handshake = handshakeOptionForValue(catPort.handshaking);
    return form;
}

void loadCatSetupForm(CatSetupForm& form, const CatSetupDialogValues& values) {
    form.port = values.port;
    form.baud = values.baud;
    form.bits = values.bits;
    form.handshake = values.handshakeIndex;
    form.rigList.push_back(values.rigType);
    form.rigType = values.rigType;
}

CatSetupSave catSetupSaveOf(const CatSetupForm& form) {
    return CatSetupSave{form.port, form.baud, form.bits, form.handshake, form.rigType};
}

CatPortSettings applyCatSetup(const CatSetupForm& form, const CatPortSettings& current) {
    CatPortSettings applied = current;
    applied.settings = form.baud + "," + form.bits;
    if (form.handshake != kNoHandshakeOption)
        applied.handshake = std::string(handshakeNameForIndex(form.handshake));
    applied.port = form.port;
    applied.ts2000Answers = form.ts2000Answers;
    return applied;
}

// ---------------------------------------------------------------- Audio Setup

const std::vector<std::string>& audioOptionCodes(AudioGroup group) {
    static const std::vector<std::string> source{"H1", "H2", "H3"};
    static const std::vector<std::string> vox{"V0", "V1", "V2"};
    static const std::vector<std::string> ptt{"'0", "'1"};
    static const std::vector<std::string> locRem{kRoutingLocal, kRoutingRemote};
    switch (group) {
        case AudioGroup::PhoneSource:
        case AudioGroup::DigSource:
            return source;
        case AudioGroup::DigVox:
            return vox;
        case AudioGroup::PttEn:
            return ptt;
        case AudioGroup::LocRem:
            return locRem;
    }
    return source;
}

int audioOptionIndex(AudioGroup group, std::string_view code) {
    const auto& codes = audioOptionCodes(group);
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == code) return static_cast<int>(i);
    return kNoAudioOption;
}

int& AudioSetupForm::option(AudioGroup group) {
    switch (group) {
        case AudioGroup::PhoneSource:
            return phone;
        case AudioGroup::DigSource:
            return digSource;
        case AudioGroup::DigVox:
            return digVox;
        case AudioGroup::PttEn:
            return ptt;
        case AudioGroup::LocRem:
            return locRem;
    }
    return phone;
}

int AudioSetupForm::option(AudioGroup group) const {
    return const_cast<AudioSetupForm*>(this)->option(group);
}

std::string& AudioSetupForm::code(AudioGroup group) {
    switch (group) {
        case AudioGroup::PhoneSource:
            return codes.source;
        case AudioGroup::DigSource:
            return codes.digSource;
        case AudioGroup::DigVox:
            return codes.digVox;
        case AudioGroup::PttEn:
            return codes.pttEn;
        case AudioGroup::LocRem:
            return codes.routing;
    }
    return codes.source;
}

namespace {

bool inTable(AudioGroup group, const std::string& code) {
    return audioOptionIndex(group, code) != kNoAudioOption;
}

// A reported value when it is in the group's table, else the stored setting
// when that is, else the start-up default: an invalid code never reaches
// Apply or Save.
void openOnReport(AudioSetupForm& form, AudioGroup group, const std::string& reported,
                  const std::string& stored, const std::string& fallback) {
    const std::string& value = inTable(group, reported) ? reported
                               : inTable(group, stored) ? stored
                                                        : fallback;
    form.code(group) = value;
    form.option(group) = audioOptionIndex(group, value);
}

// A stored digital setting: its option when it is one of `known`, otherwise
// option `fallback`; the code is the one of the option shown.
void openOnStored(AudioSetupForm& form, AudioGroup group, const std::string& stored,
                  std::initializer_list<int> known, int fallback) {
    int index = audioOptionIndex(group, stored);
    bool listed = false;
    for (int k : known) listed = listed || k == index;
    clickAudioOption(form, group, listed ? index : fallback);
}

}  // namespace

AudioSetupForm audioSetupOnOpen(const AudioReports& reports, const AudioCodes& stored) {
    AudioSetupForm form;
    openOnReport(form, AudioGroup::PhoneSource, reports.source, stored.source,
                 kAudioDefaults.source);
    openOnReport(form, AudioGroup::PttEn, reports.pttEn, stored.pttEn, kAudioDefaults.pttEn);
    openOnReport(form, AudioGroup::LocRem, reports.locRem, stored.routing, kAudioDefaults.routing);
    openOnStored(form, AudioGroup::DigSource, stored.digSource, {0, 1}, 2);  // else "Patch"
    openOnStored(form, AudioGroup::DigVox, stored.digVox, {1, 2}, 0);        // else "OFF"
    return form;
}

void clickAudioOption(AudioSetupForm& form, AudioGroup group, int index) {
    const auto& codes = audioOptionCodes(group);
    if (index < 0 || index >= static_cast<int>(codes.size())) return;
    form.option(group) = index;
    form.code(group) = codes[static_cast<std::size_t>(index)];
}

void loadAudioSetupForm(AudioSetupForm& form, const AudioCodes& read) {
    // A value outside its table keeps what the dialog shows for that setting.
    auto take = [&](AudioGroup group, const std::string& code) {
        if (inTable(group, code)) clickAudioOption(form, group, audioOptionIndex(group, code));
    };
    take(AudioGroup::PhoneSource, read.source);
    take(AudioGroup::PttEn, read.pttEn);
    take(AudioGroup::LocRem, read.routing);
    take(AudioGroup::DigSource, read.digSource);
    take(AudioGroup::DigVox, read.digVox);
}

AudioCodes applyAudioSetup(const AudioSetupForm& form) {
    return form.codes;
}

}  // namespace tolvane
