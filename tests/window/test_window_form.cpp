// The main window form and its thin class: every control by name with its
// design caption and tool tip, the lists, arrays and option groups, the menu,
// the layout, and the mouse, key and close events the panel routines use.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <memory>

#include "panel/frm_help.h"
#include "panel/frm_tolvane.h"

using tolvane::FrmHelp;
using tolvane::FrmTolvane;

namespace {

const char* const kDigitTip = "Left Click Up,Right Click Down";

struct ControlRow {
    const char* name;
    const char* cls;
    const char* caption;
    const char* tip;
};

// Design state of every control: object name, class, caption, tool tip.
const ControlRow kControls[] = {
    // frequency frame
    {"Frame1", "QGroupBox", "Frequency (V)", ""},
    {"fraFreq", "QGroupBox", "VFO A", ""},
    {"cmdF_0", "QPushButton", "0", kDigitTip},
    {"cmdF_1", "QPushButton", "0", kDigitTip},
    {"cmdF_2", "QPushButton", "0", kDigitTip},
    {"cmdF_3", "QPushButton", "0", kDigitTip},
    {"cmdF_4", "QPushButton", "0", kDigitTip},
    {"cmdF_5", "QPushButton", "0", kDigitTip},
    {"cmdF_6", "QPushButton", "0", kDigitTip},
    {"Command1", "QPushButton", ",", ""},
    {"Command2", "QPushButton", ".", ""},
    {"cmdVFOB_0", "QPushButton", "0", kDigitTip},
    {"cmdVFOB_1", "QPushButton", "0", kDigitTip},
    {"cmdVFOB_2", "QPushButton", "0", kDigitTip},
    {"cmdVFOB_3", "QPushButton", "0", kDigitTip},
    {"cmdVFOB_4", "QPushButton", "0", kDigitTip},
    {"cmdVFOB_5", "QPushButton", "0", kDigitTip},
    {"cmdVFOB_6", "QPushButton", "0", kDigitTip},
    {"cmdDot", "QPushButton", ".", ""},
    {"cmdCma", "QPushButton", ",", ""},
    {"optTXVFO_0", "QRadioButton", "", "Transmit using VFO A"},
    {"optTXVFO_1", "QRadioButton", "", "Transmit using VFO B"},
    {"Label7", "QLabel", "TXA", ""},
    {"Label8", "QLabel", "TXB", ""},
    {"cmdA2B", "QPushButton", "A->B", "Copy VFO A  to VFO B"},
    {"cmdSwap", "QPushButton", "Swap ", "Swap VFO A and VFO B"},
    {"Frame4", "QGroupBox", "VFO B", ""},
    {"cmbVFOBMode", "QComboBox", "USB", "Select Mode for VFO B"},
    {"Label9", "QLabel", "Mode", ""},
    {"lblInfo", "QLabel", "Frequency Label", ""},
    {"lblInBand", "QLabel", "", "Out Of Band"},
    {"lblPorM", "QLabel", "", ""},
    {"lblBFOOn", "QLabel", "", "BFO"},
    {"Label3", "QLabel", "AGC:", ""},
    // external knob
    {"fraExtKnob", "QGroupBox", "Ext. Knob", ""},
    {"cmbStepSize", "QComboBox", "OFF", "Step size for KB Input"},
    {"Label2", "QLabel", "Up = i", ""},
    {"Label4", "QLabel", "Dn = d", ""},
    {"StepSize", "QLabel", "", ""},
    // channel memory
    {"Frame3", "QGroupBox", "Channel", ""},
    {"optChan_0", "QRadioButton", "", "Use Radio's Channels"},
    {"optChan_1", "QRadioButton", "", "Use VFO"},
    {"cmdM2V", "QPushButton", "M->V", "Memory to VFO"},
    {"cmdV2M", "QPushButton", "V->M", "VFO to Memory"},
    {"Label6", "QLabel", "VFO", ""},
    {"lblChan", "QLabel", "CHAN", ""},
    {"Frame2", "QGroupBox", "CH", ""},
    {"cmdM_0", "QPushButton", "0", kDigitTip},
    {"cmdM_1", "QPushButton", "0", kDigitTip},
    // right-hand buttons
    {"fraRightButtons", "QGroupBox", "", ""},
    {"cmdPTT", "QPushButton", "PTT", "Press Mouse Button to Transmit"},
    {"cmdTune", "QPushButton", "T&UNE ON", "Transmit AM For Tuning"},
    {"cmdXmit", "QPushButton", "&XMT ON", "Toggle between RCV and XMT"},
    {"cmbMode", "QComboBox", "USB", "Select Mode"},
    {"lblMode", "QLabel", "Mode", ""},
    {"cmbAGC", "QComboBox", "SLOW", "Select AGC Time"},
    {"lblAGC", "QLabel", "AGC", ""},
    {"cmbSource", "QComboBox", "MIC", "Select Audio Source"},
    {"lblSource", "QLabel", "Source", ""},
    {"cmbDig", "QComboBox", "OFF", "Choose Digital Mode"},
    {"lblDig", "QLabel", "Digital", ""},
    {"lblSplit", "QLabel", "Split Off", ""},
    {"lblExtPTT", "QLabel", "EXT PTT", "Yellow: Disabled, Green: Ready, Red: Active"},
    {"lblXMTRCV", "QLabel", "Receive", ""},
    // left-hand buttons
    {"fraLeftButtons", "QGroupBox", "", ""},
    {"cmdTest", "QPushButton", "TEST", ""},
    {"cmdViewInData", "QPushButton", "Hide Data", "Show / Hide the Data Box"},
    {"cmdGetStatus", "QPushButton", "Refresh", "Refresh Radio Status"},
    {"cmdMute", "QPushButton", "SPKR", "Toggle Panel Speaker"},
    {"lblMute", "QLabel", "OFF", ""},
    {"cmdClipping", "QPushButton", "CLIP", ""},
    {"lblClipping", "QLabel", "OFF", ""},
    {"cmdSideTone", "QPushButton", "SideTone", ""},
    {"lblSideTone", "QLabel", "OFF", ""},
    {"cmdVOX", "QPushButton", " VOX", ""},
    {"lblVox", "QLabel", "OFF", ""},
    {"cmdPTTEn", "QPushButton", "PTT En", "Toggle XCVR PTT Enable"},
    {"lblPTTEn", "QLabel", "OFF", ""},
    {"lblFault", "QLabel", "Z0", "Fault Code"},
    {"lblREMOTE", "QLabel", "REMOTE", "Shows Tolvane State"},
    {"lblComStat", "QLabel", "Com OK", "Shows Com Status"},
    // meter
    {"fraMeter", "QGroupBox", "Meter", ""},
    {"optMeter_0", "QRadioButton", "", ""},
    {"optMeter_1", "QRadioButton", "", ""},
    {"optMeter_2", "QRadioButton", "", ""},
    {"optMeter_3", "QRadioButton", "", ""},
    {"optMeter_4", "QRadioButton", "", ""},
    {"optMeter_5", "QRadioButton", "", ""},
    {"lblMeter_0", "QLabel", "Aud", ""},
    {"lblMeter_1", "QLabel", "Line", ""},
    {"lblMeter_2", "QLabel", "Patch", ""},
    {"lblMeter_3", "QLabel", "FWD", ""},
    {"lblMeter_4", "QLabel", "REF", ""},
    {"lblMeter_5", "QLabel", "VSWR", ""},
    {"pbMeter", "QProgressBar", "", ""},
    {"lblMeterScale", "QLabel", " -20       -10          0         +10 ", ""},
    // BFO and RF gain
    {"fraBFO", "QGroupBox", "BFO", ""},
    {"vscBFO", "QScrollBar", "", ""},
    {"txtBFO", "QLineEdit", "000", "Set BFO Offset"},
    {"cmdBFO", "QPushButton", "ON", "Toggle BFO State"},
    {"lblBFOHz", "QLabel", "Hz", ""},
    {"fraRF", "QGroupBox", "RF Gain", ""},
    {"txtRFG", "QLineEdit", "100", "Set RF Gain"},
    {"vscRFG", "QScrollBar", "", ""},
    {"Label1", "QLabel", "%", ""},
    // band buttons
    {"fraBand", "QGroupBox", "Band", ""},
    {"cmd160M", "QPushButton", "160", "Open menu of 160M Frequencies"},
    {"cmd75M", "QPushButton", "75", "Open menu of 75M Frequencies"},
    {"cmd60M", "QPushButton", "60 ", "Open menu of 60M Frequencies"},
    {"cmd40M", "QPushButton", "40", "Open menu of 40M Frequencies"},
    {"cmd30M", "QPushButton", "30", "Open menu of 30M Frequencies"},
    {"cmd20M", "QPushButton", "20", "Open menu of 20M Frequencies"},
    {"cmd17M", "QPushButton", "17", "Open menu of 17M Frequencies"},
    {"cmd15M", "QPushButton", "15", "Open menu of 15M Frequencies"},
    {"cmd12M", "QPushButton", "12", "Open menu of 12M Frequencies"},
    {"cmd10M", "QPushButton", "10", "Open menu of 10M Frequencies"},
    {"cmdWWV", "QPushButton", "WWV", "Open menu of WWV Frequencies"},
    {"cmdMARS", "QPushButton", "MARS", "Open menu of MARS Frequencies"},
    // amplifier
    {"fraAmp", "QGroupBox", "Amp", ""},
    {"cmdAmpPwr", "QPushButton", "PWR ->", "Turn Amp ON / OFF"},
    {"lblAmpPwr", "QLabel", "OFF", ""},
    {"cmdAmpOpr", "QPushButton", "OPR ->", "Place AMP in Operate / Standby"},
    {"lblAmpOpStby", "QLabel", "", ""},
    {"cmdTuneAmp", "QPushButton", "TUN ->", "Start Amp Tune Cycle"},
    {"lblAmpTuned", "QLabel", "", ""},
    // CAT
    {"fraCAT", "QGroupBox", "CAT", ""},
    {"txtInCat", "QLineEdit", "", ""},
    {"txtOutCAT", "QLineEdit", "", ""},
    // window body
    {"txtInfo", "QLineEdit", "", ""},
    {"txtInData", "QPlainTextEdit", "", "Data from Tolvane"},
    {"lblU", "QLabel", "U", "Sync Character"},
    {"shaTrace", "QFrame", "", ""},
    {"lblFWType", "QLabel", "", ""},
    {"Label5", "QLabel", "Tolvane", ""},
    {"Line1", "QFrame", "", ""},
    {"Line2", "QFrame", "", ""},
    {"Line3", "QFrame", "", ""},
    {"Line4", "QFrame", "", ""},
};

QString captionOf(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w)) return t->toPlainText();
    return {};
}

// Point inside a sub-control of a scroll bar, in its own coordinates.
QPoint pointIn(QScrollBar* bar, QStyle::SubControl sc) {
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, sc, bar).center();
}

}  // namespace

class TestWindowForm : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FrmTolvane> form_;

    template <typename T>
    T* child(const char* name) {
        T* w = form_->findChild<T*>(QString::fromLatin1(name));
        if (w == nullptr) qWarning("no control %s", name);
        return w;
    }

  private slots:
    void init() {
        form_ = std::make_unique<FrmTolvane>();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void cleanup() { form_.reset(); }

    void controls_data() {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        for (const ControlRow& r : kControls)
            QTest::newRow(r.name) << QString::fromLatin1(r.cls) << QString::fromLatin1(r.caption)
                                  << QString::fromLatin1(r.tip);
    }
    void controls() {
        QFETCH(QString, cls);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        const QList<QWidget*> found = form_->findChildren<QWidget*>(name);
        QCOMPARE(found.size(), 1);
        QWidget* w = found.first();
        QVERIFY2(w->inherits(cls.toLatin1().constData()), qPrintable(w->metaObject()->className()));
        QCOMPARE(captionOf(w), caption);
        QCOMPARE(w->toolTip(), tip);
        QVERIFY(w->isEnabled());
        QVERIFY(w->isVisible());
    }

    void everyNamedControlIsInTheTable() {
        // A control the table does not know would carry an unchecked caption.
        QStringList names;
        for (const ControlRow& r : kControls) names << QString::fromLatin1(r.name);
        for (QWidget* w : form_->centralWidget()->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
                continue;
            QVERIFY2(names.contains(w->objectName()), qPrintable(w->objectName()));
        }
    }

    void comboLists_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("shown");
        QTest::newRow("cmbMode") << QStringList{"USB", "LSB", "AME", "CW"} << "USB";
        QTest::newRow("cmbVFOBMode") << QStringList{"USB", "LSB", "AME", "CW"} << "USB";
        QTest::newRow("cmbAGC") << QStringList{"SLOW", "MED", "FAST", "OFF"} << "SLOW";
        QTest::newRow("cmbSource")
            << QStringList{"MIC", "AUDIO2", "PATCH", "REMOTE", "OFF/CW"} << "MIC";
        QTest::newRow("cmbDig") << QStringList{"OFF", "PSK", "FSK", "RTTY"} << "OFF";
        QTest::newRow("cmbStepSize")
            << QStringList{"10Hz", "100Hz", "1KHz", "10KHz", "OFF"} << "OFF";
    }
    void comboLists() {
        QFETCH(QStringList, entries);
        QFETCH(QString, shown);
        auto* c = child<QComboBox>(QTest::currentDataTag());
        QVERIFY(c != nullptr);
        QVERIFY(!c->isEditable());
        QStringList got;
        for (int i = 0; i < c->count(); ++i) got << c->itemText(i);
        QCOMPARE(got, entries);
        QCOMPARE(c->currentText(), shown);
    }

    void readOnlyBoxes_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("txtBFO") << true;
        QTest::newRow("txtRFG") << true;
        QTest::newRow("txtInCat") << true;
        QTest::newRow("txtOutCAT") << true;
        QTest::newRow("txtInfo") << false;
    }
    void readOnlyBoxes() {
        QFETCH(bool, readOnly);
        auto* e = child<QLineEdit>(QTest::currentDataTag());
        QVERIFY(e != nullptr);
        QCOMPARE(e->isReadOnly(), readOnly);
    }

    void dataBoxAndMeterBar() {
        auto* data = child<QPlainTextEdit>("txtInData");
        QVERIFY(data != nullptr);
        QVERIFY(data->isReadOnly());
        auto* bar = child<QProgressBar>("pbMeter");
        QVERIFY(bar != nullptr);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 21);
        QVERIFY(!bar->isTextVisible());
    }

    void meterScalesLineUp() {
        // The four scales are 38 characters each and only line up with the
        // bar in a fixed-pitch font.
        auto* scale = child<QLabel>("lblMeterScale");
        QVERIFY(scale != nullptr);
        const QFontMetrics fm = scale->fontMetrics();
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("iiii")),
                 fm.horizontalAdvance(QStringLiteral("WWWW")));
        const QStringList scales = {
            " -20       -10          0         +10 ", "0            25          50   100  150",
            "1               2             3      4", "  S3    S6     S9      +30      +60   "};
        for (const QString& s : scales) {
            QCOMPARE(s.size(), 38);
            QVERIFY2(fm.horizontalAdvance(s) <= scale->contentsRect().width(), qPrintable(s));
        }
    }

    void scrollBars_data() {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::newRow("vscBFO") << 200 << 100;
        QTest::newRow("vscRFG") << 63 << 63;
    }
    void scrollBars() {
        QFETCH(int, maximum);
        QFETCH(int, value);
        auto* bar = child<QScrollBar>(QTest::currentDataTag());
        QVERIFY(bar != nullptr);
        QCOMPARE(bar->orientation(), Qt::Vertical);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), maximum);
        QCOMPARE(bar->value(), value);
        QVERIFY(bar->invertedAppearance());

        // The larger value is at the top: the thumb of the maximum sits above
        // the thumb of the minimum, and clicks move the thumb towards them.
        bar->setValue(maximum);
        const int topY = pointIn(bar, QStyle::SC_ScrollBarSlider).y();
        bar->setValue(0);
        QVERIFY(pointIn(bar, QStyle::SC_ScrollBarSlider).y() > topY);

        const int mid = maximum / 2;
        bar->setValue(mid);
        QTest::mouseClick(bar, Qt::LeftButton, {}, pointIn(bar, QStyle::SC_ScrollBarSubLine));
        QCOMPARE(bar->value(), mid + 1);  // upper arrow
        bar->setValue(mid);
        QTest::mouseClick(bar, Qt::LeftButton, {}, pointIn(bar, QStyle::SC_ScrollBarAddLine));
        QCOMPARE(bar->value(), mid - 1);  // lower arrow
        bar->setValue(mid);
        QTest::mouseClick(bar, Qt::LeftButton, {}, pointIn(bar, QStyle::SC_ScrollBarSubPage));
        QVERIFY(bar->value() > mid);  // page area above the thumb
        bar->setValue(mid);
        bar->setFocus();
        QTest::keyClick(bar, Qt::Key_Up);
        QCOMPARE(bar->value(), mid + 1);
    }

    void arrays() {
        QCOMPARE(form_->cmdF.size(), std::size_t{7});
        QCOMPARE(form_->cmdVFOB.size(), std::size_t{7});
        QCOMPARE(form_->cmdM.size(), std::size_t{2});
        QCOMPARE(form_->optTXVFO.size(), std::size_t{2});
        QCOMPARE(form_->optChan.size(), std::size_t{2});
        QCOMPARE(form_->optMeter.size(), std::size_t{6});
        QCOMPARE(form_->lblMeter.size(), std::size_t{6});
        QCOMPARE(form_->cmdBand.size(), std::size_t{12});
        auto check = [](const auto& arr, const char* base) {
            for (std::size_t i = 0; i < arr.size(); ++i) {
                QVERIFY(arr[i] != nullptr);
                QCOMPARE(arr[i]->objectName(), QStringLiteral("%1_%2").arg(base).arg(i));
            }
        };
        check(form_->cmdF, "cmdF");
        check(form_->cmdVFOB, "cmdVFOB");
        check(form_->cmdM, "cmdM");
        check(form_->optTXVFO, "optTXVFO");
        check(form_->optChan, "optChan");
        check(form_->optMeter, "optMeter");
        check(form_->lblMeter, "lblMeter");
        const QStringList bands = {"cmd160M", "cmd75M", "cmd60M", "cmd40M", "cmd30M", "cmd20M",
                                   "cmd17M",  "cmd15M", "cmd12M", "cmd10M", "cmdWWV", "cmdMARS"};
        for (std::size_t i = 0; i < form_->cmdBand.size(); ++i)
            QCOMPARE(form_->cmdBand[i]->objectName(), bands[static_cast<int>(i)]);
    }

    void optionGroups_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("size");
        QTest::newRow("grpTXVFO") << 0 << 2;
        QTest::newRow("grpChan") << 1 << 2;
        QTest::newRow("grpMeter") << 2 << 6;
    }
    void optionGroups() {
        QFETCH(int, which);
        QFETCH(int, size);
        QButtonGroup* g = which == 0   ? form_->grpTXVFO
                          : which == 1 ? form_->grpChan
                                       : form_->grpMeter;
        QRadioButton* const* opts = which == 0   ? form_->optTXVFO.data()
                                    : which == 1 ? form_->optChan.data()
                                                 : form_->optMeter.data();
        QVERIFY(g->exclusive());
        QCOMPARE(g->buttons().size(), size);
        for (int i = 0; i < size; ++i) QCOMPARE(g->id(opts[i]), i);
        QCOMPARE(g->checkedId(), -1);  // nothing selected at design

        opts[0]->setChecked(true);
        opts[size - 1]->setChecked(true);
        QVERIFY(!opts[0]->isChecked());
        QCOMPARE(g->checkedId(), size - 1);

        QSignalSpy clicked(g, &QButtonGroup::idClicked);
        FrmTolvane::clearGroup(g);
        QCOMPARE(g->checkedId(), -1);
        for (int i = 0; i < size; ++i) QVERIFY(!opts[i]->isChecked());
        QVERIFY(g->exclusive());
        QCOMPARE(clicked.count(), 0);

        // Still exclusive afterwards.
        opts[0]->setChecked(true);
        opts[1]->setChecked(true);
        QVERIFY(!opts[0]->isChecked());
        QCOMPARE(g->checkedId(), 1);
    }

    void menus_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("menuTitle");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("mnuFileExit") << "mnuFile"
                                     << "&File"
                                     << "E&xit" << true;
        QTest::newRow("mnuScanBands") << "mnuScan"
                                      << "Scan"
                                      << "Scan Bands" << false;
        QTest::newRow("mnuScanFreqs") << "mnuScan"
                                      << "Scan"
                                      << "Scan Freqs" << false;
        QTest::newRow("mnuPortSetup") << "mnuSetup"
                                      << "Setup"
                                      << "Port Setup" << true;
        QTest::newRow("mnuAudioSetup") << "mnuSetup"
                                       << "Setup"
                                       << "Audio Setup" << true;
        QTest::newRow("mnuCATSetup") << "mnuSetup"
                                     << "Setup"
                                     << "CAT Setup" << true;
        QTest::newRow("mnuNetworkSetup") << "mnuSetup"
                                         << "Setup"
                                         << "Network Setup" << true;
        QTest::newRow("mnuChannelSetup") << "mnuSetup"
                                         << "Setup"
                                         << "Channels" << true;
        QTest::newRow("mnuHelpAbout") << "mnuHelp"
                                      << "Help"
                                      << "About" << true;
        QTest::newRow("mnuHelpTolvane") << "mnuHelp"
                                        << "Help"
                                        << "Tolvane Help" << true;
    }
    void menus() {
        QFETCH(QString, menu);
        QFETCH(QString, menuTitle);
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        auto* m = form_->findChild<QMenu*>(menu);
        QVERIFY(m != nullptr);
        QCOMPARE(m->title(), menuTitle);
        auto* a = form_->findChild<QAction*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(a != nullptr);
        QCOMPARE(a->text(), text);
        QCOMPARE(a->isEnabled(), enabled);
        QVERIFY(m->actions().contains(a));
    }

    void menuBarOrder() {
        QStringList titles;
        for (QAction* a : form_->menuBar()->actions()) titles << a->text();
        QCOMPARE(titles, (QStringList{"&File", "Scan", "Setup", "Help"}));
    }

    void layoutFitsAndDoesNotOverlap() {
        QVERIFY(form_->width() <= 960);
        QVERIFY(form_->height() <= 600);
        QCOMPARE(form_->minimumSize(), form_->maximumSize());
        // Every control lies inside its parent, siblings do not overlap, and
        // single-line captions fit their control.
        const QList<QWidget*> all = form_->centralWidget()->findChildren<QWidget*>();
        for (QWidget* w : all) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
                continue;
            QWidget* p = w->parentWidget();
            QVERIFY2(p->rect().contains(w->geometry()), qPrintable(w->objectName()));
            for (QObject* o : p->children()) {
                auto* s = qobject_cast<QWidget*>(o);
                if (s == nullptr || s == w || s->objectName().isEmpty() ||
                    s->objectName().startsWith(QLatin1String("qt_")))
                    continue;
                QVERIFY2(!w->geometry().intersects(s->geometry()),
                         qPrintable(w->objectName() + " / " + s->objectName()));
            }
            QString text;
            if (auto* l = qobject_cast<QLabel*>(w); l != nullptr && !l->wordWrap())
                text = l->text();
            else if (auto* b = qobject_cast<QAbstractButton*>(w))
                text = b->text().remove(QLatin1Char('&'));
            if (!text.isEmpty())
                QVERIFY2(w->fontMetrics().horizontalAdvance(text) <= w->width(),
                         qPrintable(w->objectName()));
        }
    }

    void vfoDigitsAreLarge() {
        for (QPushButton* b : form_->cmdF) {
            QVERIFY(b->font().bold());
            QVERIFY(b->font().pointSize() >= 2 * QApplication::font().pointSize());
        }
    }

    void digitPress_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("mouse");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("code");
        QTest::newRow("cmdF_3 right") << "cmdF_3" << int(Qt::RightButton) << 0 << 3 << 2;
        QTest::newRow("cmdF_0 left") << "cmdF_0" << int(Qt::LeftButton) << 0 << 0 << 1;
        QTest::newRow("cmdF_6 middle") << "cmdF_6" << int(Qt::MiddleButton) << 0 << 6 << 4;
        QTest::newRow("cmdVFOB_6 right") << "cmdVFOB_6" << int(Qt::RightButton) << 1 << 6 << 2;
        QTest::newRow("cmdVFOB_1 left") << "cmdVFOB_1" << int(Qt::LeftButton) << 1 << 1 << 1;
        QTest::newRow("cmdM_0 right") << "cmdM_0" << int(Qt::RightButton) << 2 << 0 << 2;
        QTest::newRow("cmdM_1 left") << "cmdM_1" << int(Qt::LeftButton) << 2 << 1 << 1;
    }
    void digitPress() {
        QFETCH(QString, button);
        QFETCH(int, mouse);
        QFETCH(int, row);
        QFETCH(int, index);
        QFETCH(int, code);
        auto* b = form_->findChild<QPushButton*>(button);
        QVERIFY(b != nullptr);
        QSignalSpy down(form_.get(), &FrmTolvane::digitMouseDown);
        QSignalSpy up(form_.get(), &FrmTolvane::digitMouseUp);
        QSignalSpy clicked(b, &QPushButton::clicked);

        QTest::mousePress(b, Qt::MouseButton(mouse));
        QCOMPARE(down.count(), 1);
        QCOMPARE(down.at(0), (QVariantList{row, index, code}));
        QCOMPARE(up.count(), 0);
        QVERIFY(b->isDown());

        QTest::mouseRelease(b, Qt::MouseButton(mouse));
        QCOMPARE(up.count(), 1);
        QCOMPARE(up.at(0), (QVariantList{row, index}));
        QCOMPARE(down.count(), 1);
        QVERIFY(!b->isDown());
        QCOMPARE(clicked.count(), 0);
    }

    void releaseElsewhereEndsThePress() {
        QSignalSpy up(form_.get(), &FrmTolvane::digitMouseUp);
        QTest::mousePress(form_->cmdF[2], Qt::LeftButton);
        // The pointer left the button before the release.
        QTest::mouseRelease(child<QLabel>("lblInfo"), Qt::LeftButton);
        QCOMPARE(up.count(), 1);
        QCOMPARE(up.at(0), (QVariantList{0, 2}));
        QVERIFY(!form_->cmdF[2]->isDown());
        // A second release reports nothing more.
        QTest::mouseRelease(form_->cmdF[2], Qt::LeftButton);
        QCOMPARE(up.count(), 1);
    }

    void doubleClickIsAPress() {
        QSignalSpy down(form_.get(), &FrmTolvane::digitMouseDown);
        QSignalSpy up(form_.get(), &FrmTolvane::digitMouseUp);
        QPushButton* b = form_->cmdVFOB[4];
        QTest::mouseClick(b, Qt::RightButton);
        QTest::mouseDClick(b, Qt::RightButton);
        QTest::mouseRelease(b, Qt::RightButton);
        QCOMPARE(down.count(), 2);
        QCOMPARE(down.at(1), (QVariantList{1, 4, 2}));
        QCOMPARE(up.count(), 2);
    }

    void pttPressAndRelease_data() {
        QTest::addColumn<int>("mouse");
        QTest::addColumn<int>("code");
        QTest::newRow("left") << int(Qt::LeftButton) << 1;
        QTest::newRow("right") << int(Qt::RightButton) << 2;
    }
    void pttPressAndRelease() {
        QFETCH(int, mouse);
        QFETCH(int, code);
        auto* ptt = child<QPushButton>("cmdPTT");
        QSignalSpy down(form_.get(), &FrmTolvane::pttMouseDown);
        QSignalSpy up(form_.get(), &FrmTolvane::pttMouseUp);
        QSignalSpy digit(form_.get(), &FrmTolvane::digitMouseDown);
        QTest::mousePress(ptt, Qt::MouseButton(mouse));
        QCOMPARE(down.count(), 1);
        QCOMPARE(down.at(0).at(0).toInt(), code);
        QCOMPARE(up.count(), 0);
        QTest::mouseRelease(ptt, Qt::MouseButton(mouse));
        QCOMPARE(up.count(), 1);
        QCOMPARE(digit.count(), 0);
    }

    void disabledButtonsReportNoPress() {
        auto* ptt = child<QPushButton>("cmdPTT");
        ptt->setEnabled(false);
        form_->cmdF[1]->setEnabled(false);
        QSignalSpy ptDown(form_.get(), &FrmTolvane::pttMouseDown);
        QSignalSpy ptUp(form_.get(), &FrmTolvane::pttMouseUp);
        QSignalSpy digit(form_.get(), &FrmTolvane::digitMouseDown);
        QTest::mousePress(ptt, Qt::LeftButton);
        QTest::mouseRelease(ptt, Qt::LeftButton);
        QTest::mousePress(form_->cmdF[1], Qt::LeftButton);
        QTest::mouseRelease(form_->cmdF[1], Qt::LeftButton);
        QCOMPARE(ptDown.count(), 0);
        QCOMPARE(ptUp.count(), 0);
        QCOMPARE(digit.count(), 0);
    }

    void buttonDisabledWhileHeldStillReleases() {
        auto* ptt = child<QPushButton>("cmdPTT");
        QSignalSpy up(form_.get(), &FrmTolvane::pttMouseUp);
        QTest::mousePress(ptt, Qt::LeftButton);
        ptt->setEnabled(false);  // the band check may disable it mid-transmission
        QTest::mouseRelease(ptt, Qt::LeftButton);
        QCOMPARE(up.count(), 1);
    }

    void modalWindowEndsAHeldPress() {
        QSignalSpy up(form_.get(), &FrmTolvane::pttMouseUp);
        QTest::mousePress(child<QPushButton>("cmdPTT"), Qt::LeftButton);
        {
            QDialog box;
            box.setWindowModality(Qt::ApplicationModal);
            box.show();
            QTRY_COMPARE(up.count(), 1);
        }
        QTest::mouseRelease(child<QPushButton>("cmdPTT"), Qt::LeftButton);
        QCOMPARE(up.count(), 1);
    }

    void keyPreview_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("bits");
        QTest::newRow("I on a digit") << "cmdF_2" << int(Qt::Key_I) << 0 << 0;
        QTest::newRow("D on a button") << "cmdTest" << int(Qt::Key_D) << 0 << 0;
        QTest::newRow("I on a list") << "cmbStepSize" << int(Qt::Key_I) << 0 << 0;
        QTest::newRow("D with shift on a text box")
            << "txtInfo" << int(Qt::Key_D) << int(Qt::ShiftModifier) << 1;
        QTest::newRow("I with ctrl on a scroll bar")
            << "vscBFO" << int(Qt::Key_I) << int(Qt::ControlModifier) << 2;
        QTest::newRow("D with alt on an option")
            << "optMeter_3" << int(Qt::Key_D) << int(Qt::AltModifier) << 4;
        QTest::newRow("F1 on the window") << "frmTolvane" << int(Qt::Key_F1) << 0 << 0;
    }
    void keyPreview() {
        QFETCH(QString, target);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, bits);
        QWidget* w = target == QLatin1String("frmTolvane") ? form_.get()
                                                           : form_->findChild<QWidget*>(target);
        QVERIFY(w != nullptr);
        QSignalSpy spy(form_.get(), &FrmTolvane::keyDown);
        QTest::keyClick(w, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        // The modifier keys are presses of their own; the key itself is
        // reported once, though it climbs the parents of a control that
        // ignores it.
        QList<QVariantList> ofKey;
        for (const QVariantList& args : spy)
            if (args.at(0).toInt() == key) ofKey << args;
        QCOMPARE(ofKey.size(), 1);
        QCOMPARE(ofKey.at(0), (QVariantList{key, bits}));
        QCOMPARE(spy.size(), 1 + (modifiers != 0 ? 1 : 0));
    }

    void keyPreviewSeesTheLetterCodes() {
        QSignalSpy spy(form_.get(), &FrmTolvane::keyDown);
        QTest::keyClick(form_->cmdF[0], Qt::Key_I);
        QTest::keyClick(form_->cmdF[0], Qt::Key_D);
        QTest::keyClick(form_->cmdF[0], Qt::Key_D);
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.at(0).at(0).toInt(), 73);
        QCOMPARE(spy.at(1).at(0).toInt(), 68);
        QCOMPARE(spy.at(2).at(0).toInt(), 68);
    }

    void keyReleasedWhileTheRoutineRuns() {
        // The keyboard step yields; the key's release arrives inside it, and
        // the press then climbs on to the parents of the button. It is still
        // one key press.
        QPushButton* b = form_->cmdF[5];
        int reports = 0;
        connect(form_.get(), &FrmTolvane::keyDown, this, [&](int key, int) {
            if (key != Qt::Key_I) return;
            ++reports;
            QTest::keyRelease(b, Qt::Key_I);
        });
        QTest::keyPress(b, Qt::Key_I);
        QCOMPARE(reports, 1);
        QTest::keyPress(b, Qt::Key_I);  // the next press counts again
        QCOMPARE(reports, 2);
    }

    void keyPreviewThroughTheWindow() {
        // The way the window system delivers keys: to the window, which hands
        // them to the control with the focus.
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        child<QPushButton>("cmdGetStatus")->setFocus();
        QSignalSpy spy(form_.get(), &FrmTolvane::keyDown);
        QTest::keyClick(form_->windowHandle(), Qt::Key_I);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0), (QVariantList{int(Qt::Key_I), 0}));
    }

    void keysOfOtherWindowsAreNotPreviewed() {
        QLineEdit other;
        other.show();
        QSignalSpy spy(form_.get(), &FrmTolvane::keyDown);
        QTest::keyClick(&other, Qt::Key_I);
        QCOMPARE(spy.count(), 0);
    }

    void closeIsForwardedAndRefused() {
        QSignalSpy spy(form_.get(), &FrmTolvane::closeRequested);
        QVERIFY(!form_->close());
        QCOMPARE(spy.count(), 1);
        QVERIFY(form_->isVisible());
    }

    void aboutBox() {
        const QString title = QStringLiteral("Tolvane 0.962b : 8-24-18 : 1140");
        form_->setEnabled(false);  // the menu handler disables the window first
        FrmHelp box(title, form_.get());
        QCOMPARE(box.windowTitle(), QStringLiteral("About Tolvane"));
        QVERIFY(box.isModal());
        auto* lbl = box.findChild<QLabel*>(QStringLiteral("lblTitle"));
        QVERIFY(lbl != nullptr);
        QCOMPARE(lbl->text(), title);
        auto* credits = box.findChild<QLabel*>(QStringLiteral("lblCredits"));
        QVERIFY(credits != nullptr);
        QVERIFY(!credits->text().isEmpty());
        auto* ok = box.findChild<QPushButton*>(QStringLiteral("cmdOK"));
        QVERIFY(ok != nullptr);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.isEnabled());  // usable although the main window is disabled
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
        QVERIFY(form_->isEnabled());
    }
};

QTEST_MAIN(TestWindowForm)
#include "test_window_form.moc"
