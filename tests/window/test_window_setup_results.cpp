// What the setup dialogs return: the settings Apply produces from the
// settings in force, nothing on Cancel or close, and the program taking the
// returned settings over.
#include <QTemporaryDir>
#include <QtTest>

#include "app/setup_results.h"
#include "setup/frm_audio_setup.h"
#include "setup/frm_cat_setup.h"
#include "setup/frm_port_setup.h"
#include "setup/setup_forms.h"
#include "setup_dialog_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

class SetupResultsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string folder() const { return dir_.path().toStdString(); }

  private slots:
    void portApplied_data() {
        QTest::addColumn<int>("handshake");
        QTest::addColumn<bool>("extPtt");
        QTest::addColumn<QString>("name");
        QTest::newRow("none selected keeps the current") << kNoHandshakeOption << false << "comRTS";
        QTest::newRow("XON") << 1 << true << "comXonXoff";
        QTest::newRow("RTS XON") << 3 << false << "comRTSXonXoff";
    }
    void portApplied() {
        QFETCH(int, handshake);
        QFETCH(bool, extPtt);
        PortSetupForm form;
        form.port = "4";
        form.baud = "4800 ";
        form.handshake = handshake;
        form.extPtt = extPtt;
        const RadioPortSettings current{"1", "9600,O,7,1", "comRTS", !extPtt};
        RadioPortSettings got = applyPortSetup(form, current);
        QCOMPARE(qs(got.port), QString("4"));
        QCOMPARE(qs(got.settings), QString("4800 ,O,7,1"));
        QTEST(qs(got.handshake), "name");
        QCOMPARE(got.extPtt, extPtt);
    }

    void catApplied() {
        CatSetupForm form;
        form.port = "7";
        form.baud = "19200 ";
        form.bits = "E, 7, 1";
        const CatPortSettings current{"2", "9600,N,8,1", "comXonXoff"};
        QCOMPARE(applyCatSetup(form, current),
                 (CatPortSettings{"7", "19200 ,E, 7, 1", "comXonXoff"}));
        form.handshake = 2;
        QCOMPARE(applyCatSetup(form, current).handshake, std::string("comRTS"));
    }

    void dialogsReturnNothingUnlessApplied() {
        FrmPortSetup port({true, 3, "9600,O,7,1", 0}, {"3", "9600,O,7,1", "comNone", false},
                          present({}), {}, {}, folder());
        showDialog(port);
        click(port.ui->cmdCancel);
        QVERIFY(!port.applied());
        FrmCATSetup cat({true, 5, "9600,N,8,1", 0}, {"5", "9600,N,8,1", "comNone"}, present({}), {},
                        {}, folder());
        showDialog(cat);
        click(cat.ui->cmdCancel);
        QVERIFY(!cat.applied());
        FrmAudioSetup audio({"H1", "'1", "\"1"}, kAudioDefaults, {}, folder());
        showDialog(audio);
        click(audio.ui->cmdExit);
        QVERIFY(!audio.applied());
    }

    void dialogsReturnWhatApplyMade() {
        FrmPortSetup port({true, 3, "9600,O,7,1", 0}, {"3", "9600,O,7,1", "comNone", false},
                          present({}), {}, {}, folder());
        showDialog(port);
        click(port.ui->chkExtPTTEna);
        click(port.ui->cmdApply);
        QCOMPARE(port.applied(), (RadioPortSettings{"3", "9600,O,7,1", "comNone", true}));
        FrmAudioSetup audio({"H1", "'1", "\"1"}, kAudioDefaults, {}, folder());
        showDialog(audio);
        click(audio.ui->optPhoneAudio_2);  // Patch
        click(audio.ui->cmdApply);
        AudioCodes want = kAudioDefaults;
        want.source = "H3";
        QCOMPARE(audio.applied(), want);
    }

    void programTakesTheSettings() {
        Settings set;
        Requests req;
        bool ext = false;
        takePortSetup(std::nullopt, set, req, ext);
        QVERIFY(!req.reqPortReopen);
        takePortSetup(RadioPortSettings{"2", "300,O,7,1", "comRTS", true}, set, req, ext);
        QCOMPARE(radioPortSettings(set, ext),
                 (RadioPortSettings{"2", "300,O,7,1", "comRTS", true}));
        QVERIFY(req.reqPortReopen);

        takeCatSetup(CatPortSettings{"6", "4800,N,8,1", "comNone"}, set);
        QVERIFY(set.gCatSetupApplied);
        QCOMPARE(catPortSettings(set), (CatPortSettings{"6", "4800,N,8,1", "comNone"}));
        takeCatSetup(std::nullopt, set);
        QVERIFY(!set.gCatSetupApplied);
        QCOMPARE(qs(set.gCatPort), QString("6"));  // an earlier Apply stays

        AudioCodes codes{"H2", "'0", "\"0", "H1", "V1"};
        takeAudioSetup(std::nullopt, set, req);
        QVERIFY(!req.reqAudioReload);
        takeAudioSetup(codes, set, req);
        QCOMPARE(audioCodes(set), codes);
        QVERIFY(req.reqAudioReload);
    }
};

QTEST_MAIN(SetupResultsTest)
#include "test_window_setup_results.moc"
