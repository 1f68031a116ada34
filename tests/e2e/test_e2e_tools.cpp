// The real tolvane and tolvane-sim over a pseudo-terminal, in real time, on
// a virtual X display: the 40 m band button opens the Frequency Select
// window with the 40 m list, and choosing a row of it tunes the simulated
// radio. The mouse is moved and pressed by xdotool as a person would; the
// test skips itself where Xvfb or xdotool is not installed.
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "panel/frm_tolvane.h"
#include "ui_frmBandSelect.h"
#include "xvfb_desktop.h"

class TestE2eTools : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        if (const QString why = XvfbDesktop::missingTools(); !why.isEmpty()) QSKIP(qPrintable(why));
        desk_ = std::make_unique<XvfbDesktop>();
    }
    void cleanup() { desk_.reset(); }
    void bandListRowTunesTheRadio();

  private:
    std::unique_ptr<XvfbDesktop> desk_;
};

void TestE2eTools::bandListRowTunesTheRadio() {
    QFile list(desk_->filePath("M40List.txt"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("7.074 USB FT8\r\n7.1 USB net\r\n");
    list.close();
    QVERIFY2(desk_->startDisplay(), "the virtual X display did not start");
    QVERIFY(desk_->startRadioAndPanel());
    // Under remote control, initialised, in the main loop: the heartbeat runs.
    QVERIFY2(desk_->waitTrace("panel> U", 20000), qPrintable(desk_->trace()));
    QVERIFY2(desk_->waitTrace("radio> F1407400", 1000), qPrintable(desk_->trace()));
    const QString main = desk_->findWindow("^Tolvane");
    QVERIFY2(!main.isEmpty(), "the panel's window was not found");

    // Where the 40 m button lies in the main window: the same form, shown
    // here (offscreen) so that its menu bar takes its place.
    tolvane::FrmTolvane form;
    form.show();
    auto* band = form.findChild<QPushButton*>("cmd40M");
    QVERIFY(band != nullptr);
    QVERIFY(desk_->click(main, band->mapTo(&form, band->rect().center())));
    // Its title names the list file it shows.
    const QString select = desk_->findWindow("/M40List\\.txt$");
    QVERIFY2(!select.isEmpty(), "the Frequency Select window did not open");

    // The second row's choice button in that window, laid out at its size.
    QString geometry;
    QVERIFY(desk_->xdotool({"getwindowgeometry", "--shell", select}, &geometry));
    int width = 0;
    int height = 0;
    for (const QString& line : geometry.split('\n')) {
        if (line.startsWith("WIDTH=")) width = line.mid(6).toInt();
        if (line.startsWith("HEIGHT=")) height = line.mid(7).toInt();
    }
    QVERIFY(width > 0 && height > 0);
    QDialog dialog;
    Ui::frmBandSelect ui;
    ui.setupUi(&dialog);
    ui.fraBand->setTitle("40 Meters");  // the frame's caption takes its room
    dialog.resize(width, height);
    dialog.show();  // offscreen: lays out the rows inside the frame as well
    QRadioButton* row = ui.Option1_1;
    const int from = desk_->trace().size();
    QVERIFY(desk_->click(select, row->mapTo(&dialog, row->rect().center())));
    QVERIFY2(desk_->waitTrace("panel> F0710000", 5000, from), qPrintable(desk_->trace().mid(from)));
    QVERIFY2(desk_->waitTrace("radio> F0710000", 3000, from), qPrintable(desk_->trace().mid(from)));
    QVERIFY(desk_->panel()->state() == QProcess::Running);
}

QTEST_MAIN(TestE2eTools)
#include "test_e2e_tools.moc"
