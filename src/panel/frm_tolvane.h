// The main window frmTolvane: the Designer form plus the control arrays, the
// option-button groups and the mouse and key events the panel routines need
// (button identity on digit presses, the release, key preview, close).
// The routines that act on these signals live elsewhere.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCloseEvent;
class QLabel;
class QMouseEvent;
class QPushButton;
class QRadioButton;

namespace Ui {
class frmTolvane;
}

namespace tolvane {

struct ReceiverWidgets;
struct FrequencyEntryWidgets;
struct VfoBWidgets;
struct ChannelWidgets;
struct TransmitWidgets;
struct AmplifierWidgets;
namespace test {
struct FormAccess;
}

class FrmTolvane : public QMainWindow {
    Q_OBJECT

  public:
    // Rows of digit buttons as digitMouseDown/digitMouseUp report them.
    enum DigitRow { kRowVfoA = 0, kRowVfoB = 1, kRowChannel = 2 };
    // Mouse button codes: 1 left, 2 right, 4 middle (0 for any other button).
    enum MouseButtonCode { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
    // Shift-state bits of keyDown: 1 Shift, 2 Ctrl, 4 Alt.
    enum ShiftBits { kShiftBit = 1, kCtrlBit = 2, kAltBit = 4 };

    explicit FrmTolvane(QWidget* parent = nullptr);
    ~FrmTolvane() override;
    FrmTolvane(const FrmTolvane&) = delete;
    FrmTolvane& operator=(const FrmTolvane&) = delete;

    // The controls of the receiver settings area.
    ReceiverWidgets receiverWidgets() const;
    // The controls of the frequency entry, VFO B and split, and channel
    // memory areas.
    FrequencyEntryWidgets frequencyEntryWidgets() const;
    VfoBWidgets vfoBWidgets() const;
    ChannelWidgets channelWidgets() const;
    // The controls of the transmit and amplifier areas.
    TransmitWidgets transmitWidgets() const;
    AmplifierWidgets amplifierWidgets() const;

    // Control arrays, index as in the control names (cmdF_0 is cmdF[0]).
    std::array<QPushButton*, 7> cmdF{};     // VFO A digits, [0] the 10 MHz digit
    std::array<QPushButton*, 7> cmdVFOB{};  // VFO B digits, [0] the 10 MHz digit
    std::array<QPushButton*, 2> cmdM{};     // channel digits, tens and units
    std::array<QRadioButton*, 2> optTXVFO{};
    std::array<QRadioButton*, 2> optChan{};
    std::array<QRadioButton*, 6> optMeter{};
    std::array<QLabel*, 6> lblMeter{};
    // cmd160M, cmd75M, cmd60M, cmd40M, cmd30M, cmd20M, cmd17M, cmd15M, cmd12M,
    // cmd10M, cmdWWV, cmdMARS.
    std::array<QPushButton*, 12> cmdBand{};

    // Exclusive groups of the option-button arrays, ids = indexes.
    QButtonGroup* grpTXVFO;
    QButtonGroup* grpChan;
    QButtonGroup* grpMeter;

    // Deselects every option of a group (an exclusive group cannot do this by
    // itself). Emits no click of the group.
    static void clearGroup(QButtonGroup* group);

  signals:
    // A mouse button went down / came up on a digit button. row: DigitRow;
    // index: the button's index in its array; button: MouseButtonCode.
    // A disabled button reports no press; a press, once reported, always
    // gets its release, wherever the mouse button is let go (also when the
    // button is disabled meanwhile or a modal window opens).
    void digitMouseDown(int row, int index, int button);
    void digitMouseUp(int row, int index);
    // The same for the push-to-talk button cmdPTT.
    void pttMouseDown(int button);
    void pttMouseUp();
    // The window was asked to close; it stays open (the close handler of the
    // application decides and ends the program itself).
    void closeRequested();
    // Key preview: a key press meant for this window or any of its controls,
    // reported before the control sees it. key: Qt key code (for letters and
    // digits the same as the upper-case character code, I = 73, D = 68);
    // modifiers: ShiftBits.
    void keyDown(int key, int modifiers);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Every control by its name, e.g. ui->cmdXmit, ui->lblSplit. Only the
    // areas of the window work on them; the program reaches the window
    // through the areas.
    Ui::frmTolvane* ui;
    friend class StatusDisplay;
    friend class UtilityControls;
    friend class CatFrame;
    friend class PanelLayout;
    friend class BandButtons;
    friend class PanelToolHost;
    friend struct test::FormAccess;  // window tests click and read the controls

    // Where a pressed button belongs: row (kRowVfoA.. or kPttRow) and index.
    struct Place {
        int row = -1;
        int index = -1;
    };
    static constexpr int kPttRow = 3;

    // Sees every event of the application before its receiver does.
    class AppEvents;
    friend class AppEvents;

    Place placeOf(const QObject* obj) const;
    bool appEventFilter(QObject* watched, QEvent* event);
    void releaseAll();
    void handleKeyPreview(QObject* watched, QEvent* event);

    // A press in progress: which button.
    struct Held {
        QPointer<QAbstractButton> button;
        Place place;
    };
    void release(Held& held);
    std::array<Held, 3> held_{};  // by mouse button: left, right, middle

    // Key preview: key presses reported and not yet finished, with the
    // widget each was seen at last, so that a press a control ignores is not
    // reported again as it climbs to the parent widgets. A record lives
    // until a key release arrives after its report has returned (the routine
    // behind keyDown may yield, and the release may arrive meanwhile).
    struct KeyInFlight {
        const QEvent* event = nullptr;
        QPointer<QObject> at;
        bool reporting = false;
    };
    std::vector<KeyInFlight> keys_;

    AppEvents* appEvents_ = nullptr;
};

}  // namespace tolvane
