// The PTT-enable interlock of the band check and the audio re-sync request
// under local control, on the real main window with the radio model in
// virtual time.
#include <QtTest>

#include "panel_harness.h"
#include "setup/frm_audio_setup.h"
#include "ui_frmAudioSetup.h"

using namespace tolvane;
using namespace tolvane::test;

Q_DECLARE_METATYPE(tolvane::Firmware)

namespace {

// What the panel wrote, without the sync heartbeat.
std::string withoutSync(std::string w) {
    std::erase_if(w, [](char c) { return c == 'U'; });
    return w;
}

// Runs `passes` passes of the main loop.
void passes(PanelHarness& h, int n) {
    QVERIFY(h.runPasses(n));
}

}  // namespace

class TestWindowInterlock : public QObject {
    Q_OBJECT
  private slots:
    void localRadioToggledOnce_data();
    void localRadioToggledOnce();
    void remoteRadioFollows();
    void newInitialisationStartsAfresh();
    void audioReloadWaitsUnderLocalControl();
};

void TestWindowInterlock::localRadioToggledOnce_data() {
    QTest::addColumn<Firmware>("fw");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<int>("ptt");
    QTest::addColumn<QByteArray>("toggle");
    QTest::addColumn<QString>("warning");
    const QString off = "Radio did not switch PTT enable off";
    const QString on = "Radio did not switch PTT enable on";
    QTest::newRow("v601 out of band") << Firmware::V601 << "0500000" << 1 << QByteArray("'") << off;
    QTest::newRow("adapt out of band")
        << Firmware::Adapt << "0500000" << 1 << QByteArray("'0\n") << off;
    QTest::newRow("nonadapt out of band")
        << Firmware::NonAdapt << "0500000" << 1 << QByteArray("'0\n") << off;
    QTest::newRow("v601 in band, disabled")
        << Firmware::V601 << "1407400" << 0 << QByteArray("'") << on;
    QTest::newRow("nonadapt in band, disabled")
        << Firmware::NonAdapt << "0700000" << 0 << QByteArray("'1\n") << on;
}

// A radio under its front panel's control does not follow the toggle: it
// goes out once, the operator is told once, and only a new report or a new
// permission sends it again.
void TestWindowInterlock::localRadioToggledOnce() {
    QFETCH(Firmware, fw);
    QFETCH(QString, freq);
    QFETCH(int, ptt);
    QFETCH(QByteArray, toggle);
    QFETCH(QString, warning);
    const std::string t = toggle.toStdString();
    PanelHarness h(fw, false);
    h.model.state.freq = freq.toStdString();
    h.model.state.pttEnable = ptt;
    QVERIFY(h.run([&] { return h.inLoop(); }));
    QCOMPARE(h.c->ps.gControlMode, std::string("LOCAL"));
    h.radio.takeWritten();
    auto* info = h.ui()->txtInfo;
    passes(h, 12);
    QCOMPARE(h.radio.takeWritten(), t);
    QCOMPARE(QString::fromStdString(h.cap(info)), warning);
    QVERIFY(!info->isHidden());
    QCOMPARE(h.model.state.pttEnable, ptt);
    // Told once: the line stays as the operator left it, nothing more is sent.
    vb::setCaption(info, "");
    passes(h, 12);
    QCOMPARE(h.radio.takeWritten(), std::string());
    QCOMPARE(h.cap(info), std::string());
    // The radio's report changes (the operator at the radio): in line with the
    // permission nothing is sent; against it, one toggle more.
    const char* agree = ptt == 1 ? "'0" : "'1";
    const char* against = ptt == 1 ? "'1" : "'0";
    h.model.say(agree, h.clock.elapsed());
    passes(h, 6);
    QCOMPARE(h.radio.takeWritten(), std::string());
    h.model.say(against, h.clock.elapsed());
    passes(h, 6);
    QCOMPARE(h.radio.takeWritten(), t);
    QCOMPARE(QString::fromStdString(h.cap(info)), warning);
    // A new permission: tuned to the other side of the band edge and back.
    vb::setCaption(info, "");
    const std::string other = ptt == 1 ? "1407400" : "0500000";
    h.model.setFrequency(other, h.clock.elapsed());
    passes(h, 6);
    QCOMPARE(h.radio.takeWritten(), std::string());  // the report agrees there
    h.model.setFrequency(freq.toStdString(), h.clock.elapsed());
    passes(h, 6);
    QCOMPARE(h.radio.takeWritten(), t);
    QCOMPARE(QString::fromStdString(h.cap(info)), warning);
}

// A radio under remote control follows: one toggle, no warning.
void TestWindowInterlock::remoteRadioFollows() {
    PanelHarness h(Firmware::NonAdapt, true);
    passes(h, 3);
    h.radio.takeWritten();
    // The radio's PTT enable goes off on its own, in band.
    h.model.state.pttEnable = 0;
    h.model.say("'0", h.clock.elapsed());
    passes(h, 12);
    QCOMPARE(withoutSync(h.radio.takeWritten()), std::string("'1\n"));
    QCOMPARE(h.model.state.pttEnable, 1);
    QCOMPARE(h.cap(h.ui()->lblPTTEn), std::string("ON"));
    QVERIFY(h.ui()->txtInfo->isHidden());
    QVERIFY(!h.c->display.pttInterlock().outstanding);
    // Out of band it is switched off, once.
    h.model.setFrequency("0500000", h.clock.elapsed());
    passes(h, 12);
    QCOMPARE(withoutSync(h.radio.takeWritten()), std::string("'0\n"));
    QCOMPARE(h.model.state.pttEnable, 0);
    QVERIFY(h.ui()->txtInfo->isHidden());
}

// The radio that did not follow under local control is toggled again when
// it comes under remote control, and then follows.
void TestWindowInterlock::newInitialisationStartsAfresh() {
    PanelHarness h(Firmware::V601, false);
    h.model.state.freq = "0500000";
    passes(h, 12);
    QCOMPARE(h.cap(h.ui()->txtInfo), std::string("Radio did not switch PTT enable off"));
    QCOMPARE(h.model.state.pttEnable, 1);
    h.model.setRemote(true, h.clock.elapsed());
    QVERIFY(h.run([&] { return h.c->ps.gControlMode == "REMOTE" && h.inLoop(); }));
    passes(h, 6);
    QCOMPARE(h.model.state.pttEnable, 0);
    QCOMPARE(h.cap(h.ui()->lblPTTEn), std::string("OFF"));
    QCOMPARE(h.cap(h.ui()->lblInBand), std::string("Out Of Band"));
}

// Audio settings applied while the radio is under its front panel's control
// wait for the next REMOTE initialisation, which brings the radio to them.
void TestWindowInterlock::audioReloadWaitsUnderLocalControl() {
    PanelHarness h(Firmware::V601, false);
    writeLines("AudioSetup.txt", {"H3", "'1", "\"1", "H3", "V2"});
    passes(h, 3);
    auto* ui = h.ui();
    QCOMPARE(h.cap(ui->lblFWType), std::string("F/W: v601C"));
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmAudioSetup*>(&d);
        QVERIFY(dlg != nullptr);
        dlg->ui->optPhoneAudio_1->click();  // Audio 2
        dlg->ui->optLocRem_1->click();      // Remote Audio
        dlg->ui->cmdApply->click();
    };
    ui->mnuAudioSetup->trigger();
    QVERIFY(h.c->req.reqAudioReload);
    h.radio.takeWritten();
    passes(h, 20);
    // Nothing went to the radio, the panel stays a monitor.
    QCOMPARE(h.radio.takeWritten(), std::string());
    QVERIFY(h.c->req.reqAudioReload);
    QCOMPARE(h.cap(ui->lblFWType), std::string("F/W: v601C"));
    QCOMPARE(h.c->ps.gControlMode, std::string("LOCAL"));
    QVERIFY(!ui->cmdPTTEn->isEnabled());
    QVERIFY(!ui->cmdSideTone->isEnabled());
    QCOMPARE(h.model.state.routing, 1);
    QCOMPARE(h.model.state.source, 1);
    // Under remote control the applied values, not the file's, are brought in.
    h.model.setRemote(true, h.clock.elapsed());
    QVERIFY(h.run([&] { return h.c->ps.gControlMode == "REMOTE" && h.inLoop(); }));
    QVERIFY(!h.c->req.reqAudioReload);
    QCOMPARE(h.cap(ui->lblFWType), std::string("F/W: v601"));
    QCOMPARE(h.c->set.gAudSource, std::string("H2"));
    QCOMPARE(h.c->set.gAudRouting, std::string("\"0"));
    QCOMPARE(h.model.state.routing, 0);
    QCOMPARE(h.model.state.source, 2);
    QVERIFY(ui->cmdPTTEn->isEnabled());
}

QTEST_MAIN(TestWindowInterlock)
#include "test_window_interlock.moc"
