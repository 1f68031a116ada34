// Opening the Frequency Select window: from the band's action routine
// creating the window to the window shown and painted with its fourteen
// rows read from the band list file and the last row filled from the
// radio's frequency. The window's share of "band button click to the list
// shown"; the main window's part (the click, the request served by the
// main loop) comes on top once the band buttons are wired. Offscreen, real
// clock, repeated; prints median, p95 and largest.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <cstdio>

#include "bench_support.h"
#include "platform/clock.h"
#include "platform/posix_serial_port.h"
#include "radio/radio_link.h"
#include "tools/frm_band_select.h"
#include "tools/tool_host.h"

namespace tolvane::bench {
namespace {

class QuietPanel final : public RadioPanel {
  public:
    void setLamp(Lamp) override {}
    void setComStat(const std::string&) override {}
    void reportError(const std::string&) override {}
    void setInfoText(const std::string&) override {}
    bool dataBoxShown() override { return false; }
    void setDataBox(const std::string&) override {}
    void displayMeterData(const std::string&) override {}
    void setSyncCaption(const std::string&) override {}
    void setSyncColour(long) override {}
    void ShowMode() override {}
    void ShowSideTone() override {}
    void ShowSource() override {}
    void ShowPttEnable() override {}
    void greyMeterLabels() override {}
};

class QuietHost final : public ToolHost {
  public:
    void yield() override { QCoreApplication::processEvents(); }
    void beep() override {}
    void setInfoLabel(const std::string&) override {}
    bool infoLabelVisible() override { return true; }
    void setInfoLabelVisible(bool) override {}
    bool infoBoxVisible() override { return false; }
    void setInfoBoxVisible(bool) override {}
    bool radioLocal() override { return false; }
    void ShowFreqDigits() override {}
    void gUpdateDisplay() override {}
    void SetTxControlsEnabled(bool) override {}
    bool freqReportInBand() override { return true; }
    void setScanActive(bool) override {}
    void setMainWindowEnabled(bool) override {}
    QRect mainWindowFrame() override { return {0, 0, 800, 600}; }
    int bandFrameWidth() override { return 200; }
    void showModal(QDialog&) override {}
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return {}; }
};

int run(int argc, char** argv) {
    int count = 50;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--count", 1, 1000, count)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [--count N]   (openings, 50)\n", argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(60 + count));
    TempDir dir;
    std::string list;
    for (int i = 0; i < 14; ++i)
        list += "7.0" + std::to_string(10 + i) + " LSB net number " + std::to_string(i) + "\r\n";
    writeFile(dir.file("M40List.txt"), list);
    QDir::setCurrent(QString::fromStdString(dir.path()));

    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qargc = 1;
    char* qargv[] = {argv[0], nullptr};
    QApplication app(qargc, qargv);

    PosixSerialPort port(dir.path());  // never opened: opening does no radio traffic
    RealClock clock;
    QuietPanel panel;
    RadioState state;
    state.gFreqReport = "F0707400";
    state.gModeReport = "M2";
    RadioLink link(port, clock, panel, state);
    QuietHost host;

    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        checkInterrupted();
        const Clock::time_point t0 = Clock::now();
        FrmBandSelect window(link, host, "40");
        window.show();
        QCoreApplication::processEvents();
        const Clock::time_point t1 = Clock::now();
        const bool filled = window.findChild<QLineEdit*>("txtFreq_13")->text() == "7.07400" &&
                            window.findChild<QLineEdit*>("txtInfo_12")->text() == "net number 12";
        if (!filled) throw std::runtime_error("the window did not show the list");
        ms.push_back(secondsBetween(t0, t1) * 1000.0);
        window.cmdExit_Click();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("Frequency Select window opened %d times (14-row list, offscreen)\n", count);
    std::printf(
        "  created, read and painted   median %6.1f  p95 %6.1f  max %6.1f ms   (goal <= 100 ms "
        "with the main window's part)\n",
        median(ms), percentile(ms, 95), ms.back());
    QDir::setCurrent(QDir::tempPath());
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_band_select_open", tolvane::bench::run, argc, argv);
}
