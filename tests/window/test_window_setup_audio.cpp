// The Audio Setup dialog, driven by clicks: the options it opens on from the
// radio's reports and the stored settings (a report outside its table never
// reaches Apply or Save), what Apply hands on, the exact bytes Save writes, what
// Load shows, and the information line text of a failed save.
#include <QButtonGroup>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/setup_results.h"
#include "setup/frm_audio_setup.h"
#include "setup/setup_forms.h"
#include "setup_dialog_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

// What an audio dialog shows: options in the order phone source, digital
// source, digital VOX, PTT, local/remote; codes in the file's order.
QList<int> audioOptions(const FrmAudioSetup& d) {
    return {d.optPhoneAudio->checkedId(), d.optDigAudio->checkedId(), d.optDigVOX->checkedId(),
            d.optPTT->checkedId(), d.optLocRem->checkedId()};
}
QStringList audioCodes(const AudioCodes& c) {
    return {qs(c.source), qs(c.pttEn), qs(c.routing), qs(c.digSource), qs(c.digVox)};
}
QStringList audioSettings(const Settings& s) {
    return {qs(s.gAudSource), qs(s.gAudPttEn), qs(s.gAudRouting), qs(s.gDigSource), qs(s.gDigVox)};
}
Settings storedAudio(const QStringList& c) {
    Settings s;
    s.gAudSource = c[0].toStdString();
    s.gAudPttEn = c[1].toStdString();
    s.gAudRouting = c[2].toStdString();
    s.gDigSource = c[3].toStdString();
    s.gDigVox = c[4].toStdString();
    return s;
}
const QStringList kStartupAudio{"H1", "'1", "\"1", "H3", "V2"};

}  // namespace

class AudioSetupTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string folder() const { return dir_.path().toStdString(); }
    QString file(const char* name) const { return dir_.filePath(name); }

  private slots:

    void init() {
        QVERIFY(dir_.isValid());
        for (const char* name : {kPortSetupFileName, kCatSetupFileName, kAudioSetupFileName})
            QFile::remove(file(name));
    }

    // ---------------------------------------------------------------- Audio Setup

    void audioOptionTables_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("index");
        QTest::newRow("phone H1") << int(AudioGroup::PhoneSource) << "H1" << 0;
        QTest::newRow("phone H3") << int(AudioGroup::PhoneSource) << "H3" << 2;
        QTest::newRow("phone H4") << int(AudioGroup::PhoneSource) << "H4" << -1;
        QTest::newRow("digital H2") << int(AudioGroup::DigSource) << "H2" << 1;
        QTest::newRow("VOX V0") << int(AudioGroup::DigVox) << "V0" << 0;
        QTest::newRow("VOX V2") << int(AudioGroup::DigVox) << "V2" << 2;
        QTest::newRow("PTT on") << int(AudioGroup::PttEn) << "'1" << 1;
        QTest::newRow("PTT blanks") << int(AudioGroup::PttEn) << "  " << -1;
        QTest::newRow("local is option 0") << int(AudioGroup::LocRem) << "\"1" << 0;
        QTest::newRow("remote is option 1") << int(AudioGroup::LocRem) << "\"0" << 1;
    }

    void audioOptionTables() {
        QFETCH(int, group);
        QFETCH(QString, code);
        QTEST(audioOptionIndex(static_cast<AudioGroup>(group), code.toStdString()), "index");
    }

    void audioSetupControls() {
        Settings set;
        FrmAudioSetup d({"H1", "'1", "\"1"}, audioCodes(set), {}, folder());
        QCOMPARE(d.windowTitle(), QString("Audio Setup"));
        QCOMPARE(d.ui->fraPhoneAudio->title(), QString("Phone Audio Source"));
        QCOMPARE(d.ui->fraDigAudio->title(), QString("Digital Audio Source"));
        QCOMPARE(d.ui->fraDigVOX->title(), QString("Digital VOX"));
        QCOMPARE(d.ui->fraPTT->title(), QString("PTT"));
        QCOMPARE(d.ui->fraLocRem->title(), QString("Audio"));
        QCOMPARE(d.optPhoneAudio->button(2)->text(), QString("Patch"));
        QCOMPARE(d.optDigAudio->button(1)->text(), QString("Audio 2"));
        QCOMPARE(d.optDigVOX->button(1)->text(), QString("Voice"));
        QCOMPARE(d.optPTT->button(0)->text(), QString("PTT Off"));
        QCOMPARE(d.optLocRem->button(0)->text(), QString("Local Audio"));
        QCOMPARE(d.optLocRem->button(1)->text(), QString("Remote Audio"));
        QCOMPARE(d.ui->cmdExit->text(), QString("Exit"));
    }

    void audioSetupOpens_data() {
        QTest::addColumn<QStringList>("reports");  // gSourceReport, gPttEnReport, gLocRemReport
        QTest::addColumn<QStringList>("stored");   // settings, in the file's order
        QTest::addColumn<QList<int>>("options");   // phone, digital, VOX, PTT, local/remote
        QTest::addColumn<QStringList>("codes");    // in the file's order
        QTest::newRow("reported audio 2, PTT off, remote")
            << QStringList{"H2", "'0", "\"0"} << QStringList{"H1", "'1", "\"1", "H1", "V1"}
            << QList<int>{1, 0, 1, 0, 1} << QStringList{"H2", "'0", "\"0", "H1", "V1"};
        QTest::newRow("start-up defaults show Patch and Data")
            << QStringList{"H1", "'1", "\"1"} << kStartupAudio << QList<int>{0, 2, 2, 1, 0}
            << kStartupAudio;
        QTest::newRow("stored digital source outside the table shows Patch")
            << QStringList{"H3", "'1", "\"1"} << QStringList{"H1", "'1", "\"1", "H7", "V0"}
            << QList<int>{2, 2, 0, 1, 0} << QStringList{"H3", "'1", "\"1", "H3", "V0"};
        QTest::newRow("stored VOX outside the table shows OFF")
            << QStringList{"H1", "'1", "\"1"} << QStringList{"H1", "'1", "\"1", "H2", "  "}
            << QList<int>{0, 1, 0, 1, 0} << QStringList{"H1", "'1", "\"1", "H2", "V0"};
        QTest::newRow("H4 reported falls back to the stored source")
            << QStringList{"H4", "'1", "\"1"} << QStringList{"H2", "'1", "\"1", "H3", "V2"}
            << QList<int>{1, 2, 2, 1, 0} << QStringList{"H2", "'1", "\"1", "H3", "V2"};
        QTest::newRow("blank reports fall back to the stored settings")
            << QStringList{"  ", "  ", "  "} << QStringList{"H3", "'0", "\"0", "H1", "V0"}
            << QList<int>{2, 0, 0, 0, 1} << QStringList{"H3", "'0", "\"0", "H1", "V0"};
        QTest::newRow("empty reports fall back to the stored settings")
            << QStringList{"", "", ""} << QStringList{"H1", "'1", "\"0", "H2", "V1"}
            << QList<int>{0, 1, 1, 1, 1} << QStringList{"H1", "'1", "\"0", "H2", "V1"};
        // A damaged AudioSetup.txt gave the stored setting: the start-up default stands in.
        QTest::newRow("report and stored setting both outside the table")
            << QStringList{"H4", "'1", "\"1"} << QStringList{"  ", "'1", "\"1", "H3", "V2"}
            << QList<int>{0, 2, 2, 1, 0} << QStringList{"H1", "'1", "\"1", "H3", "V2"};
        QTest::newRow("zz stored in every line, nothing reported yet")
            << QStringList{"  ", "  ", "  "} << QStringList{"zz", "zz", "zz", "zz", "zz"}
            << QList<int>{0, 2, 0, 1, 0} << QStringList{"H1", "'1", "\"1", "H3", "V0"};
        QTest::newRow("zz stored, valid reports win")
            << QStringList{"H2", "'0", "\"0"} << QStringList{"zz", "zz", "zz", "H1", "V1"}
            << QList<int>{1, 0, 1, 0, 1} << QStringList{"H2", "'0", "\"0", "H1", "V1"};
    }

    void audioSetupOpens() {
        QFETCH(QStringList, reports);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, codes);
        Settings set = storedAudio(stored);
        Requests req;
        FrmAudioSetup d(
            {reports[0].toStdString(), reports[1].toStdString(), reports[2].toStdString()},
            audioCodes(set), {}, folder());
        showDialog(d);
        QTEST(audioOptions(d), "options");
        QCOMPARE(audioCodes(d.form().codes), codes);
        QCOMPARE(audioSettings(set), stored);  // opening applies nothing
        click(d.ui->cmdApply);
        takeAudioSetup(d.applied(), set, req);
        QCOMPARE(audioSettings(set), codes);
        click(d.ui->cmdSave);
        const QByteArray saved = readBytes(file(kAudioSetupFileName));
        QCOMPARE(saved, QByteArray::fromStdString([&] {
                     std::string all;
                     for (const auto& line : audioSetupLines(d.form().codes)) all += line + "\r\n";
                     return all;
                 }()));
        QVERIFY(saved.startsWith(codes[0].toUtf8() + " Phone Audio Source\r\n" + codes[1].toUtf8() +
                                 " PTT Enable\r\n" + codes[2].toUtf8() + " LocalRemote Audio\r\n"));
    }

    void audioSetupApplyStaysOpen() {
        Settings set = storedAudio(kStartupAudio);
        Requests req;
        QWidget owner;
        owner.setEnabled(false);
        FrmAudioSetup d({"H1", "'1", "\"1"}, audioCodes(set), {}, folder(), &owner);
        showDialog(d);
        click(d.ui->optPhoneAudio_2);
        click(d.ui->optDigAudio_1);
        click(d.ui->optDigVOX_0);
        click(d.ui->optPTT_0);
        click(d.ui->optLocRem_1);
        QVERIFY(!req.reqAudioReload);
        QCOMPARE(audioSettings(set), kStartupAudio);  // clicks apply nothing
        click(d.ui->cmdApply);
        takeAudioSetup(d.applied(), set, req);
        QCOMPARE(audioSettings(set), (QStringList{"H3", "'0", "\"0", "H2", "V0"}));
        QVERIFY(req.reqAudioReload);
        QVERIFY(d.isVisible());
        QVERIFY(!owner.isEnabled());
        // The last Apply counts.
        click(d.ui->optLocRem_0);
        click(d.ui->cmdApply);
        takeAudioSetup(d.applied(), set, req);
        QCOMPARE(qs(set.gAudRouting), QString("\"1"));
        click(d.ui->cmdExit);
        QVERIFY(!d.isVisible());
        QVERIFY(owner.isEnabled());
        QVERIFY(!QFile::exists(file(kAudioSetupFileName)));
    }

    void audioSetupTitleBarCloseAppliesNothing() {
        Settings set = storedAudio(kStartupAudio);
        Requests req;
        QWidget owner;
        owner.setEnabled(false);
        FrmAudioSetup d({"H1", "'1", "\"1"}, audioCodes(set), {}, folder(), &owner);
        showDialog(d);
        click(d.ui->optPhoneAudio_1);
        d.close();
        QVERIFY(!d.isVisible());
        QVERIFY(owner.isEnabled());
        QVERIFY(!req.reqAudioReload);
        QCOMPARE(audioSettings(set), kStartupAudio);
    }

    void audioSetupReportOutsideTheTableNeverApplied_data() {
        QTest::addColumn<int>("report");  // 0 source, 1 PTT enable, 2 local/remote
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("source H4") << 0 << "H4"
                                   << "H2";
        QTest::newRow("source blanks") << 0 << "  "
                                       << "H3";
        QTest::newRow("source lower case") << 0 << "h1"
                                           << "H2";
        QTest::newRow("PTT blanks") << 1 << "  "
                                    << "'0";
        QTest::newRow("PTT '5") << 1 << "'5"
                                << "'1";
        QTest::newRow("routing blanks") << 2 << "  "
                                        << "\"0";
        QTest::newRow("routing DQ2") << 2 << "\"2"
                                     << "\"1";
    }

    void audioSetupReportOutsideTheTableNeverApplied() {
        QFETCH(int, report);
        QFETCH(QString, value);
        QFETCH(QString, stored);
        QStringList reports{"H1", "'1", "\"1"};
        reports[report] = value;
        QStringList storedCodes{"H1", "'1", "\"1", "H3", "V2"};
        storedCodes[report] = stored;
        Settings set = storedAudio(storedCodes);
        set.gAudSource = set.gAudPttEn = set.gAudRouting = "??";  // only the stored one counts
        (report == 0   ? set.gAudSource
         : report == 1 ? set.gAudPttEn
                       : set.gAudRouting) = stored.toStdString();
        Requests req;
        FrmAudioSetup d(
            {reports[0].toStdString(), reports[1].toStdString(), reports[2].toStdString()},
            audioCodes(set), {}, folder());
        showDialog(d);
        click(d.ui->cmdSave);
        click(d.ui->cmdApply);
        takeAudioSetup(d.applied(), set, req);
        QCOMPARE(audioSettings(set)[report], stored);
        const QList<QByteArray> lines = readBytes(file(kAudioSetupFileName)).split('\n');
        QVERIFY(lines.size() > 3);
        QCOMPARE(lines[report].left(2), stored.toUtf8());
    }

    void audioSetupLocalRemoteReversed() {
        Settings set = storedAudio(kStartupAudio);
        Requests req;
        {
            FrmAudioSetup a({"H1", "'1", "\"1"}, audioCodes(set), {}, folder());
            showDialog(a);
            QCOMPARE(a.optLocRem->checkedId(), 0);
            click(a.ui->optLocRem_1);  // "Remote Audio"
            QCOMPARE(qs(a.form().codes.routing), QString("\"0"));
            click(a.ui->cmdSave);
        }
        QCOMPARE(readBytes(file(kAudioSetupFileName)).split('\n').value(2),
                 QByteArray("\"0 LocalRemote Audio\r"));
        FrmAudioSetup b({"H1", "'1", "\"1"}, audioCodes(set), {}, folder());
        showDialog(b);
        QVERIFY(b.ui->optLocRem_0->isChecked());
        click(b.ui->cmdLoad);
        QVERIFY(b.ui->optLocRem_1->isChecked());
        QVERIFY(!b.ui->optLocRem_0->isChecked());
        click(b.ui->cmdApply);
        takeAudioSetup(b.applied(), set, req);
        QCOMPARE(qs(set.gAudRouting), QString("\"0"));
        click(b.ui->optLocRem_0);  // "Local Audio"
        click(b.ui->cmdApply);
        takeAudioSetup(b.applied(), set, req);
        QCOMPARE(qs(set.gAudRouting), QString("\"1"));
    }

    void audioSetupSaveExactBytes() {
        Settings set = storedAudio(kStartupAudio);
        Requests req;
        FrmAudioSetup d({"H1", "'1", "\"1"}, audioCodes(set), {}, folder());
        showDialog(d);
        click(d.ui->cmdSave);
        QCOMPARE(readBytes(file(kAudioSetupFileName)),
                 QByteArray("H1 Phone Audio Source\r\n"
                            "'1 PTT Enable\r\n"
                            "\"1 LocalRemote Audio\r\n"
                            "H3 Digital Audio Source\r\n"
                            "V2 Digital VOX: [V1|V2|V3]\r\n"
                            "Comments:\r\n"
                            "Phone & DigAudio Source: H1 -> MIC, H2 -> Audio2, H3 -> Patch\r\n"
                            "Digital VOX: V0 -> OFF, V1 -> VOICE, V2 -> DATA\r\n"
                            "PTT: '0 -> Disable, '1 -> Enable\r\n"
                            "LocalRemote: \"0 -> Remote, \"1 -> Local\r\n"));
        QVERIFY(d.isVisible());
        QVERIFY(!req.reqAudioReload);
    }

    void audioSetupLoad_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<int>>("options");  // phone, digital, VOX, PTT, local/remote
        QTest::addColumn<QStringList>("codes");   // in the file's order
        // The dialog opens on Mic, PTT On, Local Audio, Patch, Data.
        const QList<int> opened{0, 2, 2, 1, 0};
        QTest::newRow("complete file, V1 selects Voice")
            << true
            << QByteArray(
                   "H2 Phone Audio Source\r\n'0 PTT Enable\r\n\"0 LocalRemote Audio\r\n"
                   "H1 Digital Audio Source\r\nV1 Digital VOX: [V1|V2|V3]\r\nComments:\r\n")
            << QList<int>{1, 0, 1, 0, 1} << QStringList{"H2", "'0", "\"0", "H1", "V1"};
        QTest::newRow("LF endings, bare codes")
            << true << QByteArray("H3\n'1\n\"0\nH2\nV0\n") << QList<int>{2, 1, 0, 1, 1}
            << QStringList{"H3", "'1", "\"0", "H2", "V0"};
        QTest::newRow("codes outside the tables keep the dialog")
            << true << QByteArray("H9 x\r\n'7 x\r\nDQ x\r\nX1 x\r\nV9 x\r\n") << opened
            << kStartupAudio;
        QTest::newRow("short lines keep the dialog, good lines are taken")
            << true << QByteArray("H\r\n'\r\n\"\r\nH2\r\nV0\r\n") << QList<int>{0, 1, 0, 1, 0}
            << QStringList{"H1", "'1", "\"1", "H2", "V0"};
        QTest::newRow("zz in every line keeps the dialog")
            << true << QByteArray("zz\r\nzz\r\nzz\r\nzz\r\nzz\r\n") << opened << kStartupAudio;
        QTest::newRow("four lines keep the dialog")
            << true << QByteArray("H2\r\n'0\r\n\"0\r\nH1\r\n") << opened << kStartupAudio;
        QTest::newRow("empty file keeps the dialog")
            << true << QByteArray() << opened << kStartupAudio;
        QTest::newRow("missing file keeps the dialog")
            << false << QByteArray() << opened << kStartupAudio;
    }

    void audioSetupLoad() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, codes);
        if (exists) writeBytes(file(kAudioSetupFileName), bytes);
        Settings set = storedAudio(kStartupAudio);
        Requests req;
        FrmAudioSetup d({"H1", "'1", "\"1"}, audioCodes(set), {}, folder());
        showDialog(d);
        click(d.ui->cmdLoad);
        QTEST(audioOptions(d), "options");
        QCOMPARE(audioCodes(d.form().codes), codes);
        QCOMPARE(audioSettings(set), kStartupAudio);  // Load applies nothing
        QVERIFY(!req.reqAudioReload);
        click(d.ui->cmdApply);  // what Load took is what Apply passes on
        takeAudioSetup(d.applied(), set, req);
        QCOMPARE(audioSettings(set), codes);
    }

    void audioSetupSaveFailureIsReported() {
        Settings set = storedAudio(kStartupAudio);
        QStringList info;
        FrmAudioSetup d(
            {"H1", "'1", "\"1"}, audioCodes(set), [&](const std::string& m) { info << qs(m); },
            folder() + "/missing");
        showDialog(d);
        click(d.ui->cmdSave);
        QCOMPARE(info, QStringList{"AudioSetup.txt: Err 2. No such file or directory"});
        QVERIFY(d.isVisible());
        QVERIFY(!QDir(dir_.filePath("missing")).exists());
    }
};

QTEST_MAIN(AudioSetupTest)
#include "test_window_setup_audio.moc"
