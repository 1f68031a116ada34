// Settings and state file formats (Tolvaneini.txt, PortSetup.txt,
// CATSetup.txt, AudioSetup.txt): exact bytes written, and what each reader
// makes of complete, short, empty and binary files.
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#include "files_test_helpers.h"
#include "setup/audio_setup_file.h"
#include "setup/cat_setup_file.h"
#include "setup/handshake_options.h"
#include "setup/panel_state_file.h"
#include "setup/port_setup_file.h"
#include "setup/text_file.h"

using namespace tolvane;
using namespace tolvane::filetest;

class FilesFormatsTest : public QObject {
    Q_OBJECT

  private slots:

    // ---------------------------------------------------------------- binary files

    void binaryFileGivesDefinedResults() {
        QTemporaryDir dir;
        QByteArray bytes;
        for (int round = 0; round < 64; ++round)
            for (int b = 0; b < 256; ++b) bytes.append(static_cast<char>((b * 7 + round) & 0xff));
        const std::string_view view(bytes.constData(), bytes.size());
        const Lines expected = tolvane::splitTextLines(view);

        for (const char* name :
             {"Tolvaneini.txt", "PortSetup.txt", "CATSetup.txt", "AudioSetup.txt"}) {
            const QString path = dir.filePath(name);
            writeBytes(path, bytes);
            auto lines = readTextLines(str(path));
            QVERIFY(lines.has_value());
            QCOMPARE(*lines, expected);
        }
        // Every line kept its bytes: joining the lines with LF gives back the text
        // less the CRs that ended lines and less the ending of the last line.
        QByteArray plain = bytes;
        plain.replace("\r\n", "\n");
        if (plain.endsWith('\n') || plain.endsWith('\r')) plain.chop(1);
        std::string joined;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (i > 0) joined += '\n';
            joined += expected[i];
        }
        QCOMPARE(QByteArray::fromStdString(joined), plain);

        auto state = readPanelStateFile(str(dir.filePath("Tolvaneini.txt")));
        QVERIFY(state.has_value());
        QCOMPARE(state->left, expected.at(0));
        QCOMPARE(state->top, expected.at(1));
        QCOMPARE(twipsValue(state->left), std::lround(tolvane::numericValue(expected.at(0))));
        QVERIFY(!tolvane::vfoBDigitsApply(state->vfoB));

        auto port = readPortSetupForStartup(str(dir.filePath("PortSetup.txt")));
        QVERIFY(port.has_value());
        QCOMPARE(port->port, expected.at(0));
        auto portDialog = loadPortSetupForDialog(str(dir.filePath("PortSetup.txt")));
        QVERIFY(portDialog.has_value());
        QCOMPARE(portDialog->port, expected.at(0).substr(0, 2));
        QCOMPARE(portDialog->handshakeIndex, 0);

        auto cat = readCatSetupForStartup(str(dir.filePath("CATSetup.txt")));
        QVERIFY(cat.has_value());
        QCOMPARE(cat->settings, expected.at(1));
        auto catDialog = loadCatSetupForDialog(str(dir.filePath("CATSetup.txt")));
        const auto fields = splitFields(expected.at(1), 4);
        QCOMPARE(catDialog.has_value(), fields.size() == 4);

        const AudioCodes audio = audioCodesAtStartup(str(dir.filePath("AudioSetup.txt")));
        QCOMPARE(audio.source, leftPadded(expected.at(0), 2));
        QCOMPARE(audio.digVox, leftPadded(expected.at(4), 2));
        QCOMPARE(loadAudioSetupForDialog(str(dir.filePath("AudioSetup.txt"))),
                 std::optional(audio));
    }

    // ---------------------------------------------------------------- Tolvaneini.txt

    void printedNumber_data() {
        QTest::addColumn<qlonglong>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("positive") << 1234LL << " 1234 ";
        QTest::newRow("zero") << 0LL << " 0 ";
        QTest::newRow("negative") << -2880LL << "-2880 ";
        QTest::newRow("large") << 1000000000LL << " 1000000000 ";
    }

    void printedNumber() {
        QFETCH(qlonglong, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(tolvane::printedNumber(static_cast<long>(value))), text);
    }

    void panelStateExactBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tolvaneini.txt");
        PanelState s{1234, -2880, "1407400", "USB", "Split Off", "1KHz"};
        QVERIFY(writePanelStateFile(str(path), s).ok);
        QCOMPARE(readBytes(path),
                 QByteArray(" 1234 \r\n-2880 \r\n1407400\r\nUSB\r\nSplit Off\r\n1KHz\r\n"));
    }

    void panelStateRoundTrip_data() {
        QTest::addColumn<qlonglong>("left");
        QTest::addColumn<qlonglong>("top");
        QTest::newRow("positive") << 4320LL << 2400LL;
        QTest::newRow("negative left") << -11520LL << 600LL;
        QTest::newRow("negative both") << -15LL << -2880LL;
        QTest::newRow("zero") << 0LL << 0LL;
    }

    void panelStateRoundTrip() {
        QFETCH(qlonglong, left);
        QFETCH(qlonglong, top);
        QTemporaryDir dir;
        const QString path = dir.filePath("Tolvaneini.txt");
        PanelState s{
            static_cast<long>(left), static_cast<long>(top), "0703500", "CW", "Split On", "OFF"};
        QVERIFY(writePanelStateFile(str(path), s).ok);
        auto read = readPanelStateFile(str(path));
        QVERIFY(read.has_value());
        QCOMPARE(twipsValue(read->left), static_cast<long>(left));
        QCOMPARE(twipsValue(read->top), static_cast<long>(top));
        QCOMPARE(read->vfoB, std::string("0703500"));
        QVERIFY(tolvane::vfoBDigitsApply(read->vfoB));
        QCOMPARE(read->vfoBMode, std::string("CW"));
        QCOMPARE(read->split, std::string("Split On"));
        QCOMPARE(read->stepSize, std::string("OFF"));
    }

    void panelStateShortFiles() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tolvaneini.txt");
        writeBytes(path, " 300 \r\n 450 \r\n");
        auto read = readPanelStateFile(str(path));
        QVERIFY(read.has_value());
        QCOMPARE(twipsValue(read->left), 300L);
        QCOMPARE(twipsValue(read->top), 450L);
        QVERIFY(read->vfoB.empty() && read->vfoBMode.empty());
        QVERIFY(read->split.empty() && read->stepSize.empty());
        QVERIFY(!tolvane::vfoBDigitsApply(read->vfoB));

        writeBytes(path, QByteArray());
        read = readPanelStateFile(str(path));
        QVERIFY(read.has_value());
        QCOMPARE(twipsValue(read->left), 0L);
        QCOMPARE(twipsValue(read->top), 0L);

        writeBytes(path, "abc\r\n" + QByteArray(300, '9') + "\r\n12.6\r\n");
        read = readPanelStateFile(str(path));
        QCOMPARE(twipsValue(read->left), 0L);
        QCOMPARE(twipsValue(read->top), kMaxTwips);
        QCOMPARE(twipsValue("-" + std::string(300, '9')), -kMaxTwips);
        QCOMPARE(twipsValue("12.6"), 13L);

        QVERIFY(!readPanelStateFile(str(dir.filePath("missing.txt"))).has_value());
    }

    void panelStateShortVfoBWrittenUnchanged() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tolvaneini.txt");
        QVERIFY(writePanelStateFile(str(path), PanelState{10, 20, "14074", "", "", ""}).ok);
        QCOMPARE(readBytes(path), QByteArray(" 10 \r\n 20 \r\n14074\r\n\r\n\r\n\r\n"));
        auto read = readPanelStateFile(str(path));
        QCOMPARE(read->vfoB, std::string("14074"));
        QVERIFY(!tolvane::vfoBDigitsApply(read->vfoB));
    }

    void vfoBDigitsApply_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("applies");
        QTest::newRow("seven digits") << QByteArray("1407400") << true;
        QTest::newRow("all zeros") << QByteArray("0000000") << true;
        QTest::newRow("six digits") << QByteArray("140740") << false;
        QTest::newRow("eight digits") << QByteArray("14074000") << false;
        QTest::newRow("letter inside") << QByteArray("14O7400") << false;
        QTest::newRow("blank before") << QByteArray(" 140740") << false;
        QTest::newRow("blank after") << QByteArray("1407400 ") << false;
        QTest::newRow("sign") << QByteArray("-140740") << false;
        QTest::newRow("point") << QByteArray("14074.0") << false;
        QTest::newRow("empty") << QByteArray("") << false;
        QTest::newRow("NUL inside") << QByteArray(
                                           "140\0"
                                           "400",
                                           7)
                                    << false;
    }

    void vfoBDigitsApply() {
        QFETCH(QByteArray, line);
        QFETCH(bool, applies);
        QCOMPARE(tolvane::vfoBDigitsApply(std::string_view(line.constData(), line.size())),
                 applies);
    }

    // ---------------------------------------------------------------- handshake table

    void handshakeTable() {
        QCOMPARE(kHandshakeOptions.size(), std::size_t(4));
        const char* captions[] = {"NONE", "XON", "RTS", "RTS  XON"};
        const char* names[] = {"comNone", "comXonXoff", "comRTS", "comRTSXonXoff"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(kHandshakeOptions[i].index, i);
            QCOMPARE(std::string(kHandshakeOptions[i].caption), std::string(captions[i]));
            QCOMPARE(std::string(kHandshakeOptions[i].name), std::string(names[i]));
            QCOMPARE(handshakeIndexForName(names[i]), i);
            QCOMPARE(std::string(handshakeNameForIndex(i)), std::string(names[i]));
        }
        QCOMPARE(handshakeIndexForName("comrts"), 0);
        QCOMPARE(handshakeIndexForName(""), 0);
        QCOMPARE(handshakeIndexForName("comRTS "), 0);
        QCOMPARE(std::string(handshakeNameForIndex(kNoHandshakeOption)), std::string("comNone"));
        QCOMPARE(std::string(handshakeNameForIndex(4)), std::string("comNone"));
    }

    // ---------------------------------------------------------------- PortSetup.txt

    void portSetupExactBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("PortSetup.txt");
        QVERIFY(writePortSetupFile(str(path), PortSetupSave{"2", "9600 ", 2, false}).ok);
        QCOMPARE(readBytes(path),
                 QByteArray("2\r\n"
                            "9600 ,O,7,1\r\n"
                            "comRTS\r\n"
                            "0\r\n"
                            "Line 1: Port Number, COM1 = 1, COM2 = 2, etc..\r\n"
                            "Line 2: Baud,Parity,Bits,Stop\r\n"
                            "Line 3: comNone, comXonXoff, comRTS, comRTSXonXoff\r\n"
                            "Line 4: External PTT Enable: Enabled =  1 \r\n"));
        QVERIFY(
            writePortSetupFile(str(path), PortSetupSave{"12", "19200", kNoHandshakeOption, true})
                .ok);
        QVERIFY(readBytes(path).startsWith("12\r\n19200,O,7,1\r\ncomNone\r\n1\r\nLine 1"));
    }

    void portSetupRoundTrip_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<int>("handshake");
        QTest::addColumn<bool>("extPtt");
        QTest::newRow("blank after baud") << "1"
                                          << "9600 " << 0 << false;
        QTest::newRow("XON, PTT") << "3"
                                  << "19200 " << 1 << true;
        QTest::newRow("RTS, port 10") << "10"
                                      << "4800 " << 2 << false;
        QTest::newRow("RTS XON, no blank") << "16"
                                           << "300" << 3 << true;
    }

    void portSetupRoundTrip() {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(int, handshake);
        QFETCH(bool, extPtt);
        QTemporaryDir dir;
        const QString path = dir.filePath("PortSetup.txt");
        QVERIFY(
            writePortSetupFile(str(path), PortSetupSave{str(port), str(baud), handshake, extPtt})
                .ok);

        auto dialog = loadPortSetupForDialog(str(path));
        QVERIFY(dialog.has_value());
        QCOMPARE(QString::fromStdString(dialog->port), port);
        QCOMPARE(QString::fromStdString(dialog->baud), baud);
        QCOMPARE(dialog->handshakeIndex, handshake);
        QCOMPARE(dialog->extPtt, extPtt);

        auto startup = readPortSetupForStartup(str(path));
        QVERIFY(startup.has_value());
        QCOMPARE(QString::fromStdString(startup->port), port);
        QCOMPARE(QString::fromStdString(startup->settings), baud + ",O,7,1");
        QCOMPARE(std::string_view(startup->handshake), handshakeNameForIndex(handshake));
        QCOMPARE(startup->extPtt, extPtt);
    }

    void portSetupStartupReader() {
        auto s = parsePortSetupForStartup({"5", "9600,O,7,1", "comXonXoff", "1", "comment"});
        QCOMPARE(s.port, std::string("5"));
        QCOMPARE(s.settings, std::string("9600,O,7,1"));
        QCOMPARE(s.handshake, std::string("comXonXoff"));
        QVERIFY(s.extPtt);
        QVERIFY(!parsePortSetupForStartup({"5", "", "", " 1 "}).extPtt);  // exactly "1" only
        QVERIFY(!parsePortSetupForStartup({"5", "", "", "0"}).extPtt);
        QVERIFY(!parsePortSetupForStartup({"5", "", "", "1x"}).extPtt);

        s = parsePortSetupForStartup({"7"});
        QCOMPARE(s.port, std::string("7"));
        QVERIFY(s.settings.empty() && s.handshake.empty() && !s.extPtt);
        s = parsePortSetupForStartup({});
        QVERIFY(s.port.empty() && !s.extPtt);

        QTemporaryDir dir;
        QVERIFY(!readPortSetupForStartup(str(dir.filePath("PortSetup.txt"))).has_value());
        QVERIFY(!loadPortSetupForDialog(str(dir.filePath("PortSetup.txt"))).has_value());
    }

    void portSetupDialogLoad_data() {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<int>("handshake");
        QTest::addColumn<bool>("extPtt");
        QTest::newRow("three-digit port cut")
            << Lines{"123", "9600,O,7,1", "comRTSXonXoff", "1"} << true << "12"
            << "9600" << 3 << true;
        QTest::newRow("unknown handshake")
            << Lines{"2", "4800 ,O,7,1", "comFancy", "0"} << true << "2"
            << "4800 " << 0 << false;
        QTest::newRow("no comma in line 2")
            << Lines{"2", "2400", "comXonXoff", " 1 "} << true << "2"
            << "2400" << 1 << true;
        QTest::newRow("line 4 not a number")
            << Lines{"2", "600,O,7,1", "comRTS", "yes"} << true << "2"
            << "600" << 2 << false;
        QTest::newRow("line 4 is 2") << Lines{"2", "300,O,7,1", "comNone", "2"} << true << "2"
                                     << "300" << 0 << false;
        QTest::newRow("empty lines") << Lines{"", "", "", ""} << true << ""
                                     << "" << 0 << false;
        QTest::newRow("three lines") << Lines{"2", "9600,O,7,1", "comRTS"} << false << ""
                                     << "" << 0 << false;
        QTest::newRow("no lines") << Lines{} << false << ""
                                  << "" << 0 << false;
    }

    void portSetupDialogLoad() {
        QFETCH(Lines, lines);
        QFETCH(bool, usable);
        auto values = parsePortSetupForDialog(lines);
        QCOMPARE(values.has_value(), usable);
        if (!usable) return;
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(int, handshake);
        QFETCH(bool, extPtt);
        QCOMPARE(QString::fromStdString(values->port), port);
        QCOMPARE(QString::fromStdString(values->baud), baud);
        QCOMPARE(values->handshakeIndex, handshake);
        QCOMPARE(values->extPtt, extPtt);
    }

    // ---------------------------------------------------------------- CATSetup.txt

    void catSetupExactBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("CATSetup.txt");
        QVERIFY(writeCatSetupFile(str(path), CatSetupSave{"4", "19200 ", "N, 8, 1",
                                                          kNoHandshakeOption, "Kenwood"})
                    .ok);
        QCOMPARE(readBytes(path),
                 QByteArray("4\r\n"
                            "19200 ,N, 8, 1\r\n"
                            "comNone\r\n"
                            "Kenwood\r\n"
                            "Line 1: Port Number, COM1 = 1, COM2 = 2, etc..\r\n"
                            "Line 2: Baud,Parity,Bits,Stop\r\n"
                            "Line 3: comNone, comXonXoff, comRTS, comRTSXonXoff\r\n"
                            "Line 4: RigType\r\n"));
        QVERIFY(writeCatSetupFile(str(path), CatSetupSave{"5", "9600", "N,8,1", 3, "FT-450"}).ok);
        QVERIFY(readBytes(path).startsWith("5\r\n9600,N,8,1\r\ncomRTSXonXoff\r\nFT-450\r\nLine 1"));
    }

    void catSetupRoundTrip_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("bits");
        QTest::addColumn<int>("handshake");
        QTest::addColumn<QString>("rig");
        QTest::newRow("blanks from the lists") << "4"
                                               << "4800 "
                                               << "E, 7, 1" << 0 << "Kenwood";
        QTest::newRow("from the open port") << "5"
                                            << "9600"
                                            << "N,8,1" << 2 << "Elecraft";
        QTest::newRow("XON, port 11") << "11"
                                      << "19200 "
                                      << "N, 8, 2" << 1 << "FT-450";
        QTest::newRow("RTS XON, empty rig") << "1"
                                            << "1200"
                                            << "O,7,1" << 3 << "";
    }

    void catSetupRoundTrip() {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(QString, bits);
        QFETCH(int, handshake);
        QFETCH(QString, rig);
        QTemporaryDir dir;
        const QString path = dir.filePath("CATSetup.txt");
        QVERIFY(writeCatSetupFile(
                    str(path), CatSetupSave{str(port), str(baud), str(bits), handshake, str(rig)})
                    .ok);

        auto dialog = loadCatSetupForDialog(str(path));
        QVERIFY(dialog.has_value());
        QCOMPARE(QString::fromStdString(dialog->port), port);
        QCOMPARE(QString::fromStdString(dialog->baud), baud);
        QCOMPARE(QString::fromStdString(dialog->bits), bits);
        QCOMPARE(dialog->handshakeIndex, handshake);
        QCOMPARE(QString::fromStdString(dialog->rigType), rig);

        auto startup = readCatSetupForStartup(str(path));
        QVERIFY(startup.has_value());
        QCOMPARE(QString::fromStdString(startup->port), port);
        // Start-up takes the settings without the list items' blanks; the
        // file keeps them until the operator saves again.
        QCOMPARE(QString::fromStdString(startup->settings), QString(baud + "," + bits).remove(' '));
        QCOMPARE(QString::fromStdString(readTextLines(str(path))->at(1)), baud + "," + bits);
        QCOMPARE(std::string_view(startup->handshake), handshakeNameForIndex(handshake));
        QCOMPARE(QString::fromStdString(startup->rigType), rig);
    }

    void catSetupStartupReader() {
        auto s = parseCatSetupForStartup({"6", "9600,N,8,1", "comRTS", "Elecraft", "comment"});
        QCOMPARE(s.port, std::string("6"));
        QCOMPARE(s.settings, std::string("9600,N,8,1"));
        QCOMPARE(s.handshake, std::string("comRTS"));
        QCOMPARE(s.rigType, std::string("Elecraft"));
        s = parseCatSetupForStartup({"6", "9600,N,8,1"});
        QVERIFY(s.handshake.empty() && s.rigType.empty());
        QCOMPARE(tolvane::numericValue(parseCatSetupForStartup({" 12 "}).port), 12.0);

        QTemporaryDir dir;
        QVERIFY(!readCatSetupForStartup(str(dir.filePath("CATSetup.txt"))).has_value());
        QVERIFY(!loadCatSetupForDialog(str(dir.filePath("CATSetup.txt"))).has_value());

        QCOMPARE(splitFields("a,b,c,d,e", 4), (Lines{"a", "b", "c", "d,e"}));
        QCOMPARE(splitFields("a,b", 4), (Lines{"a", "b"}));
        QCOMPARE(splitFields("", 4), (Lines{""}));
        QCOMPARE(splitFields(",,,", 4), (Lines{"", "", "", ""}));
        QCOMPARE(splitFields("a,b", 0), Lines{});
    }

    void catSetupDialogLoad_data() {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("bits");
        QTest::addColumn<int>("handshake");
        QTest::addColumn<QString>("rig");
        QTest::newRow("three-digit port cut")
            << Lines{"123", "9600,N,8,1", "comXonXoff", "Elecraft"} << true << "12"
            << "9600"
            << "N,8,1" << 1 << "Elecraft";
        QTest::newRow("fifth field joins the fourth")
            << Lines{"3", "9600,N,8,1,x", "comRTS", "Kenwood"} << true << "3"
            << "9600"
            << "N,8,1,x" << 2 << "Kenwood";
        QTest::newRow("empty fields") << Lines{"3", ",,,", "nonsense", ""} << true << "3"
                                      << ""
                                      << ",," << 0 << "";
        QTest::newRow("three fields") << Lines{"3", "9600,N,8", "comRTS", "Kenwood"} << false << ""
                                      << ""
                                      << "" << 0 << "";
        QTest::newRow("no comma") << Lines{"3", "9600", "comRTS", "Kenwood"} << false << ""
                                  << ""
                                  << "" << 0 << "";
        QTest::newRow("three lines") << Lines{"3", "9600,N,8,1", "comRTS"} << false << ""
                                     << ""
                                     << "" << 0 << "";
        QTest::newRow("no lines") << Lines{} << false << ""
                                  << ""
                                  << "" << 0 << "";
    }

    void catSetupDialogLoad() {
        QFETCH(Lines, lines);
        QFETCH(bool, usable);
        auto values = parseCatSetupForDialog(lines);
        QCOMPARE(values.has_value(), usable);
        if (!usable) return;
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(QString, bits);
        QFETCH(int, handshake);
        QFETCH(QString, rig);
        QCOMPARE(QString::fromStdString(values->port), port);
        QCOMPARE(QString::fromStdString(values->baud), baud);
        QCOMPARE(QString::fromStdString(values->bits), bits);
        QCOMPARE(values->handshakeIndex, handshake);
        QCOMPARE(QString::fromStdString(values->rigType), rig);
    }

    // ---------------------------------------------------------------- AudioSetup.txt

    void audioSetupExactBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("AudioSetup.txt");
        QVERIFY(writeAudioSetupFile(str(path), kAudioDefaults).ok);
        QCOMPARE(readBytes(path),
                 QByteArray("H1 Phone Audio Source\r\n"
                            "'1 PTT Enable\r\n"
                            "\"1 LocalRemote Audio\r\n"
                            "H3 Digital Audio Source\r\n"
                            "V2 Digital VOX: [V1|V2|V3]\r\n"
                            "Comments:\r\n"
                            "Phone & DigAudio Source: H1 -> MIC, H2 -> Audio2, H3 -> "
                            "Patch\r\n"
                            "Digital VOX: V0 -> OFF, V1 -> VOICE, V2 -> DATA\r\n"
                            "PTT: '0 -> Disable, '1 -> Enable\r\n"
                            "LocalRemote: \"0 -> Remote, \"1 -> Local\r\n"));
        QCOMPARE(kAudioDefaults, (AudioCodes{"H1", "'1", "\"1", "H3", "V2"}));
        QCOMPARE(std::string(kRoutingRemote), std::string("\"0"));
    }

    void audioSetupRoundTrip_data() {
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("defaults") << QStringList{"H1", "'1", "\"1", "H3", "V2"};
        QTest::newRow("remote audio") << QStringList{"H2", "'0", "\"0", "H1", "V0"};
        QTest::newRow("patch, voice") << QStringList{"H3", "'1", "\"0", "H2", "V1"};
        QTest::newRow("unrecognised codes kept") << QStringList{"H9", "'7", "\"1", "X1", "V9"};
    }

    void audioSetupRoundTrip() {
        QFETCH(QStringList, codes);
        const AudioCodes written{str(codes[0]), str(codes[1]), str(codes[2]), str(codes[3]),
                                 str(codes[4])};
        QTemporaryDir dir;
        const QString path = dir.filePath("AudioSetup.txt");
        QVERIFY(writeAudioSetupFile(str(path), written).ok);
        QCOMPARE(audioCodesAtStartup(str(path)), written);
        QCOMPARE(loadAudioSetupForDialog(str(path)), std::optional(written));
        QCOMPARE(readBytes(path).left(23),
                 QByteArray(str(codes[0]).c_str()) + " Phone Audio Source\r\n");
    }

    void audioSetupStartupReader_data() {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("labels cut off")
            << Lines{"V1 Digital VOX", "'0x", "\"0 LocalRemote", "H2", "V1 Digital VOX: [V1|V2|V3]"}
            << QStringList{"V1", "'0", "\"0", "H2", "V1"};
        QTest::newRow("short lines padded")
            << Lines{"H", "", "\"", "H3", "V"} << QStringList{"H ", "  ", "\" ", "H3", "V "};
        QTest::newRow("missing lines are blanks") << Lines{"H2 Phone Audio Source", "'1 PTT Enable"}
                                                  << QStringList{"H2", "'1", "  ", "  ", "  "};
        QTest::newRow("empty file") << Lines{} << QStringList{"  ", "  ", "  ", "  ", "  "};
    }

    void audioSetupStartupReader() {
        QFETCH(Lines, lines);
        QFETCH(QStringList, codes);
        const AudioCodes expected{str(codes[0]), str(codes[1]), str(codes[2]), str(codes[3]),
                                  str(codes[4])};
        QCOMPARE(parseAudioSetupForStartup(lines), expected);
        if (lines.size() >= 5)
            QCOMPARE(parseAudioSetupForDialog(lines), std::optional(expected));
        else
            QVERIFY(!parseAudioSetupForDialog(lines).has_value());
    }

    void audioSetupDialogLoad() {
        QTemporaryDir dir;
        const QString path = dir.filePath("AudioSetup.txt");
        // Missing file: start-up takes the defaults, Load does nothing.
        QCOMPARE(audioCodesAtStartup(str(path)), kAudioDefaults);
        QVERIFY(!loadAudioSetupForDialog(str(path)).has_value());

        writeBytes(path,
                   "H2 Phone Audio Source\r\n'0 PTT Enable\r\n\"0 LocalRemote Audio\r\n"
                   "H1 Digital Audio Source\r\n");
        QVERIFY(!loadAudioSetupForDialog(str(path)).has_value());
        QCOMPARE(audioCodesAtStartup(str(path)), (AudioCodes{"H2", "'0", "\"0", "H1", "  "}));

        writeBytes(path, "H2\nV1\n\"1\nH1\nV1 Digital VOX: [V1|V2|V3]");
        QCOMPARE(loadAudioSetupForDialog(str(path)),
                 std::optional(AudioCodes{"H2", "V1", "\"1", "H1", "V1"}));
    }
};

QTEST_GUILESS_MAIN(FilesFormatsTest)
#include "test_files_formats.moc"
