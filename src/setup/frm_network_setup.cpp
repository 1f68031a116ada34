// The Network Setup dialog and the values it takes and returns.
#include "setup/frm_network_setup.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>

namespace tolvane {

namespace {

std::string trimmed(std::string_view s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

}  // namespace

NetworkSetupForm networkSetupOnOpen(const NetworkSettings& current) {
    NetworkSetupForm form;
    form.enabled = current.enabled;
    form.address = current.address;
    form.port = std::to_string(current.port);
    for (const std::string& h : current.allowedHosts)
        form.allowedHosts += (form.allowedHosts.empty() ? "" : ",") + h;
    return form;
}

std::variant<NetworkSettings, std::string> applyNetworkSetup(const NetworkSetupForm& form) {
    NetworkSettings s;
    s.enabled = form.enabled;
    s.address = trimmed(form.address);
    if (!isListenAddress(s.address)) return "Not an address: \"" + s.address + "\"";
    std::string port = trimmed(form.port);
    const char* end = port.data() + port.size();
    auto [ptr, ec] = std::from_chars(port.data(), end, s.port);
    if (port.empty() || ec != std::errc() || ptr != end || s.port < 1 || s.port > 65535)
        return "The port is a number from 1 to 65535";
    std::string_view rest = form.allowedHosts;
    while (!rest.empty()) {
        std::size_t comma = rest.find(',');
        std::string host = trimmed(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (host.empty()) continue;
        if (!isHostPattern(host)) return "Not an address or subnet: \"" + host + "\"";
        s.allowedHosts.push_back(host);
    }
    return s;
}

FrmNetworkSetup::FrmNetworkSetup(const NetworkSettings& current, QWidget* owner)
    : OwnedDialog(owner) {
    setObjectName("frmNetworkSetup");
    setWindowTitle("Network Setup");
    chkEnable = new QCheckBox("Enable network rig control (rigctld)", this);
    chkEnable->setObjectName("chkEnable");
    txtAddress = new QLineEdit(this);
    txtAddress->setObjectName("txtAddress");
    txtPort = new QLineEdit(this);
    txtPort->setObjectName("txtPort");
    txtAllowedHosts = new QLineEdit(this);
    txtAllowedHosts->setObjectName("txtAllowedHosts");
    txtAllowedHosts->setPlaceholderText("e.g. 192.168.1.0/24, 192.168.1.7");
    lblProblem = new QLabel(this);
    lblProblem->setObjectName("lblProblem");
    lblProblem->setStyleSheet("color: red");
    cmdApply = new QPushButton("Apply", this);
    cmdApply->setObjectName("cmdApply");
    cmdApply->setDefault(true);
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");

    auto* fields = new QFormLayout;
    fields->addRow(chkEnable);
    fields->addRow("Listen address", txtAddress);
    fields->addRow("Port", txtPort);
    fields->addRow("Allowed hosts", txtAllowedHosts);
    auto* note = new QLabel(
        "Only this computer (127.0.0.1) can connect unless another address is chosen; "
        "then also the allowed hosts. Anyone who connects can tune the radio.",
        this);
    note->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(fields);
    all->addWidget(note);
    all->addWidget(lblProblem);
    all->addLayout(buttons);

    connect(cmdApply, &QPushButton::clicked, this, &FrmNetworkSetup::cmdApply_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmNetworkSetup::cmdCancel_Click);

    NetworkSetupForm shown = networkSetupOnOpen(current);
    chkEnable->setChecked(shown.enabled);
    txtAddress->setText(QString::fromStdString(shown.address));
    txtPort->setText(QString::fromStdString(shown.port));
    txtAllowedHosts->setText(QString::fromStdString(shown.allowedHosts));
}

NetworkSetupForm FrmNetworkSetup::form() const {
    return {chkEnable->isChecked(), txtAddress->text().toStdString(), txtPort->text().toStdString(),
            txtAllowedHosts->text().toStdString()};
}

void FrmNetworkSetup::cmdApply_Click() {
    auto result = applyNetworkSetup(form());
    if (auto* problem = std::get_if<std::string>(&result)) {
        // The dialog stays open with what was typed, so it can be mended.
        lblProblem->setText(QString::fromStdString(*problem));
        return;
    }
    applied_ = std::get<NetworkSettings>(result);
    accept();
}

void FrmNetworkSetup::cmdCancel_Click() {
    reject();
}

}  // namespace tolvane
