// The real tolvane and tolvane-sim over a pseudo-terminal, in real time, on
// a virtual X display: a VFO A digit held down with the left mouse button
// tunes the simulated radio up, a right-button click tunes it down again.
// The mouse is moved and pressed by xdotool as a person would; the test
// skips itself where Xvfb or xdotool is not installed.
#include <QPushButton>
#include <QtTest>

#include "panel/frm_tolvane.h"
#include "xvfb_desktop.h"

class TestE2eTuning : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        if (const QString why = XvfbDesktop::missingTools(); !why.isEmpty()) QSKIP(qPrintable(why));
        desk_ = std::make_unique<XvfbDesktop>();
    }
    void cleanup() { desk_.reset(); }
    void digitClickTunesTheRadio();

  private:
    std::unique_ptr<XvfbDesktop> desk_;
};

void TestE2eTuning::digitClickTunesTheRadio() {
    QVERIFY2(desk_->startDisplay(), "the virtual X display did not start");
    QVERIFY(desk_->startRadioAndPanel());
    // Under remote control, initialised, in the main loop: the heartbeat runs.
    QVERIFY2(desk_->waitTrace("panel> U", 20000), qPrintable(desk_->trace()));
    QVERIFY2(desk_->waitTrace("radio> F1407400", 1000), qPrintable(desk_->trace()));
    QString found;
    QVERIFY(
        desk_->xdotool({"search", "--sync", "--onlyvisible", "--name", "Tolvane"}, &found, 10000));
    const QString window = found.section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "the panel's window was not found");
    // Where the 10 Hz digit lies in the window: the same form, laid out here.
    tolvane::FrmTolvane form;
    QPushButton* digit = form.cmdF[6];
    const QPoint at = digit->mapTo(&form, digit->rect().center());

    // Held with the left button: the first step goes out at once; the
    // release follows it, and the row is sent once more.
    int from = desk_->trace().size();
    QVERIFY(desk_->xdotool({"mousemove", "--window", window, QString::number(at.x()),
                            QString::number(at.y()), "mousedown", "1"}));
    const bool stepped = desk_->waitTrace("panel> F1407401", 5000, from);
    QVERIFY(desk_->xdotool({"mouseup", "1"}));
    QVERIFY2(stepped, qPrintable(desk_->trace().mid(from)));
    QVERIFY2(desk_->waitTrace("radio> F1407401", 3000, from), qPrintable(desk_->trace().mid(from)));
    const int second = desk_->trace().indexOf("panel> F1407401", from) + 1;
    QVERIFY2(desk_->waitTrace("panel> F1407401", 3000, second),
             qPrintable(desk_->trace().mid(from)));

    // A right-button click steps the digit down again.
    from = desk_->trace().size();
    QVERIFY(desk_->xdotool({"mousedown", "3"}));
    const bool down = desk_->waitTrace("panel> F1407400", 5000, from);
    QVERIFY(desk_->xdotool({"mouseup", "3"}));
    QVERIFY2(down, qPrintable(desk_->trace().mid(from)));
    QVERIFY2(desk_->waitTrace("radio> F1407400", 3000, from), qPrintable(desk_->trace().mid(from)));
    QVERIFY(desk_->panel()->state() == QProcess::Running);
}

QTEST_MAIN(TestE2eTuning)
#include "test_e2e_tuning.moc"
