// The operator's list files: band lists, "ScanFreqs.txt" and channel lists.
// Exact bytes written, what the readers make of the edge-case lines, short,
// long, CR-only and binary files, and round trips.
#include <QTemporaryDir>
#include <QTest>

#include "files_test_helpers.h"
#include "tools/list_files.h"

using namespace tolvane;
using namespace tolvane::filetest;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// A row as "freq|mode|info", or "unchanged" for a row the file leaves alone.
QString rowText(const std::optional<ListRow>& row) {
    if (!row) return "unchanged";
    return q(row->freq + "|" + row->mode + "|" + row->info);
}

std::array<ListRow, kBandListRows> sampleBandRows() {
    std::array<ListRow, kBandListRows> rows{};
    rows[0] = {"7.074", "USB", "FT8 calling"};
    rows[1] = {"7.0305", "CW", "QRP  watering hole  "};
    rows[2] = {"", "", "note without a frequency"};
    rows[3] = {"7.1", "lsb", ""};
    rows[4] = {"7.2", "", ""};
    return rows;
}

}  // namespace

class ToolsFilesTest : public QObject {
    Q_OBJECT

  private slots:
    // ---------------------------------------------------------------- band lists

    void bandKeys_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("file");
        QTest::newRow("160") << "160"
                             << "160 Meters"
                             << "M160List.txt";
        QTest::newRow("75") << "75"
                            << "75 Meters"
                            << "M75List.txt";
        QTest::newRow("60") << "60"
                            << "60 Meters"
                            << "M60List.txt";
        QTest::newRow("40") << "40"
                            << "40 Meters"
                            << "M40List.txt";
        QTest::newRow("30") << "30"
                            << "30 Meters"
                            << "M30List.txt";
        QTest::newRow("20") << "20"
                            << "20 Meters"
                            << "M20List.txt";
        QTest::newRow("17") << "17"
                            << "17 Meters"
                            << "M17List.txt";
        QTest::newRow("15") << "15"
                            << "15 Meters"
                            << "M15List.txt";
        QTest::newRow("12") << "12"
                            << "12 Meters"
                            << "M12List.txt";
        QTest::newRow("10") << "10"
                            << "10 Meters"
                            << "M10List.txt";
        QTest::newRow("WWV") << "WWV"
                             << "WWV"
                             << "WWVList.txt";
        QTest::newRow("MARS") << "MARS"
                              << "MARS"
                              << "MarsList.txt";
        QTest::newRow("caption of the 60 m button") << "60 "
                                                    << "none"
                                                    << "none";
        QTest::newRow("lower case") << "mars"
                                    << "none"
                                    << "none";
        QTest::newRow("empty") << ""
                               << "none"
                               << "none";
    }
    void bandKeys() {
        QFETCH(QString, key);
        QFETCH(QString, caption);
        QFETCH(QString, file);
        const auto band = bandListFor(key.toStdString());
        QCOMPARE(band ? q(std::string(band->caption)) : QString("none"), caption);
        QCOMPARE(band ? q(std::string(band->file)) : QString("none"), file);
        QCOMPARE(kBandLists.size(), std::size_t{12});
    }

    void rowLine_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("row");
        QTest::newRow("frequency, mode, note")
            << QByteArray("14.07400 USB FT8 calling") << "14.07400|USB|FT8 calling";
        QTest::newRow("runs of blanks, trailing blanks kept")
            << QByteArray("7.074  LSB   net control  ") << "7.074|LSB|net control  ";
        QTest::newRow("empty row as written") << QByteArray("  ") << "||";
        QTest::newRow("empty line") << QByteArray("") << "unchanged";
        QTest::newRow("no blank: frequency alone") << QByteArray("14.074") << "14.074||";
        QTest::newRow("no blank, a word") << QByteArray("calling") << "calling||";
        QTest::newRow("blank first") << QByteArray(" USB note") << "|USB|note";
        QTest::newRow("frequency and mode") << QByteArray("14.0 USB") << "14.0|USB|";
        QTest::newRow("frequency and blanks") << QByteArray("14.0   ") << "14.0||";
        QTest::newRow("tab is no separator") << QByteArray("14.0\tUSB x") << "14.0\tUSB|x|";
        QTest::newRow("only blanks") << QByteArray("     ") << "||";
    }
    void rowLine() {
        QFETCH(QByteArray, line);
        QFETCH(QString, row);
        QCOMPARE(rowText(parseListRow(line.toStdString())), row);
    }

    void rowWritten_data() {
        QTest::addColumn<QString>("freq");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("line");
        QTest::newRow("empty row") << ""
                                   << ""
                                   << ""
                                   << "  ";
        QTest::newRow("full row") << "14.07400"
                                  << "USB"
                                  << "FT8 calling"
                                  << "14.07400 USB FT8 calling";
        QTest::newRow("texts as they stand") << " 7.1"
                                             << "usb "
                                             << " x "
                                             << " 7.1 usb   x ";
        QTest::newRow("note only") << ""
                                   << ""
                                   << "note"
                                   << "  note";
    }
    void rowWritten() {
        QFETCH(QString, freq);
        QFETCH(QString, mode);
        QFETCH(QString, info);
        QFETCH(QString, line);
        QCOMPARE(q(listRowLine({freq.toStdString(), mode.toStdString(), info.toStdString()})),
                 line);
    }

    void bandListRead_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");  // the 14 rows
        const QString u = "unchanged";
        auto rows = [&](QStringList first) {
            while (first.size() < 14) first << u;
            return first;
        };
        QTest::newRow("three lines") << QByteArray("7.074 USB a\r\n7.1 LSB b\r\n7.2 CW c\r\n")
                                     << rows({"7.074|USB|a", "7.1|LSB|b", "7.2|CW|c"});
        QTest::newRow("empty line in the middle") << QByteArray("7.074 USB a\r\n\r\n7.2 CW c\r\n")
                                                  << rows({"7.074|USB|a", u, "7.2|CW|c"});
        QTest::newRow("LF only") << QByteArray("7.074 USB a\n7.1 LSB b")
                                 << rows({"7.074|USB|a", "7.1|LSB|b"});
        QTest::newRow("CR only") << QByteArray("7.074 USB a\r7.1 LSB b\r7.2 CW c\r")
                                 << rows({"7.074|USB|a", "7.1|LSB|b", "7.2|CW|c"});
        QTest::newRow("CR only, empty line")
            << QByteArray("7.074 USB a\r\r7.2 CW c") << rows({"7.074|USB|a", u, "7.2|CW|c"});
        QTest::newRow("empty file") << QByteArray() << rows({});
        QTest::newRow("line without a blank") << QByteArray("14.074\r\n") << rows({"14.074||"});
        QByteArray twenty;
        QStringList fourteen;
        for (int i = 0; i < 20; ++i) {
            twenty += "7." + QByteArray::number(i) + " USB row" + QByteArray::number(i) + "\r\n";
            if (i < 14) fourteen << QString("7.%1|USB|row%1").arg(i);
        }
        QTest::newRow("twenty lines") << twenty << fourteen;
        QTest::newRow("binary bytes")
            << QByteArray("\x00\x01\xff\xfe x\x00y z\r\n", 12) << rows({"BIN"});
    }
    void bandListRead() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QTemporaryDir dir;
        const QString path = dir.filePath("M40List.txt");
        writeBytes(path, bytes);
        const auto read = readBandListFile(str(path));
        QVERIFY(read.has_value());
        for (std::size_t i = 0; i < kBandListRows; ++i) {
            if (rows[static_cast<int>(i)] == "BIN") {
                // Bytes that are no text stay as they are, field by field.
                QVERIFY((*read)[i].has_value());
                QCOMPARE((*read)[i]->freq, std::string("\x00\x01\xff\xfe", 4));
                QCOMPARE((*read)[i]->mode, std::string("x\x00y", 3));
                QCOMPARE((*read)[i]->info, std::string("z"));
                continue;
            }
            QCOMPARE(rowText((*read)[i]), rows[static_cast<int>(i)]);
        }
    }

    void bandListMissingFile() {
        QTemporaryDir dir;
        QVERIFY(!readBandListFile(str(dir.filePath("M40List.txt"))).has_value());
        QVERIFY(!readBandListFile(str(dir.path())).has_value());  // a folder
    }

    void bandListOverlongLine() {
        QTemporaryDir dir;
        const QString path = dir.filePath("M20List.txt");
        QByteArray line = "14.074 USB " + QByteArray(70000, 'n') + "\r\n7.1 LSB next\r\n";
        writeBytes(path, line);
        const auto read = readBandListFile(str(path));
        QVERIFY(read.has_value());
        QCOMPARE((*read)[0]->info.size(), kMaxLineBytes - 11);
        QCOMPARE(rowText((*read)[1]), QString("7.1|LSB|next"));
    }

    void bandListWrittenBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("M40List.txt");
        const auto rows = sampleBandRows();
        QVERIFY(writeBandListFile(str(path), rows).ok);
        QByteArray expected =
            "7.074 USB FT8 calling\r\n7.0305 CW QRP  watering hole  \r\n"
            "  note without a frequency\r\n7.1 lsb \r\n7.2  \r\n";
        for (int i = 5; i < 14; ++i) expected += "  \r\n";
        QCOMPARE(readBytes(path), expected);
        QCOMPARE(entries(dir.path()), QStringList{"M40List.txt"});

        // Read back: the same rows, the empty ones as three empty fields. A
        // note without frequency and mode keeps its words, the first of them
        // in the mode box (the line starts with the two separating blanks).
        const auto read = readBandListFile(str(path));
        QVERIFY(read.has_value());
        auto expectedRows = rows;
        expectedRows[2] = {"", "note", "without a frequency"};
        for (std::size_t i = 0; i < kBandListRows; ++i) {
            QVERIFY((*read)[i].has_value());
            QCOMPARE(*(*read)[i], expectedRows[i]);
        }
    }

    void bandListWriteFails() {
        QTemporaryDir dir;
        const WriteResult r =
            writeBandListFile(str(dir.filePath("missing/M40List.txt")), sampleBandRows());
        QVERIFY(!r.ok);
        QCOMPARE(r.err, ENOENT);
        QCOMPARE(r.message, std::string("No such file or directory"));
    }

    // ---------------------------------------------------------------- ScanFreqs.txt

    void delayValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("half down to even") << "2.5" << 2;
        QTest::newRow("half up to even") << "3.5" << 4;
        QTest::newRow("not half") << "2.6" << 3;
        QTest::newRow("beyond 16 bits") << "100000" << 32767;
        QTest::newRow("largest") << "32767" << 32767;
        QTest::newRow("just beyond") << "32767.5" << 32767;
        QTest::newRow("far below") << "-100000" << -32768;
        QTest::newRow("not a number") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("leading number") << "5 seconds" << 5;
        QTest::newRow("exponent not read") << "1e5" << 1;
        QTest::newRow("leading blanks") << "  7" << 7;
    }
    void delayValue() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(scanDelayValue(text.toStdString()), value);
    }

    void scanListRead_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rowsRead");   // leading rows set (others unchanged)
        QTest::addColumn<QString>("delay");  // "keep": the box keeps its text
        auto file = [](int rows, const QByteArray& delay, const QByteArray& end = "\r\n") {
            QByteArray b;
            for (int i = 0; i < rows; ++i) b += "7." + QByteArray::number(i + 1) + " USB r" + end;
            if (!delay.isNull()) b += delay + end;
            return b;
        };
        QTest::newRow("full file") << file(13, "5") << 13 << "5";
        QTest::newRow("delay 2.5 to even") << file(13, "2.5") << 13 << "2";
        QTest::newRow("delay 3.5 to even") << file(13, "3.5") << 13 << "4";
        QTest::newRow("delay beyond 16 bits") << file(13, "100000") << 13 << "32767";
        QTest::newRow("delay far below") << file(13, "-100000") << 13 << "-32768";
        QTest::newRow("delay 0") << file(13, "0") << 13 << "0";
        QTest::newRow("delay with leading blanks") << file(13, "  8") << 13 << "8";
        QTest::newRow("delay .5") << file(13, ".5") << 13 << "0";
        QTest::newRow("delay not a number") << file(13, "abc") << 13 << "keep";
        QTest::newRow("delay line empty") << file(13, "") << 13 << "keep";
        QTest::newRow("no delay line") << file(13, QByteArray()) << 13 << "keep";
        QTest::newRow("five lines") << file(5, QByteArray()) << 5 << "keep";
        QTest::newRow("empty file") << QByteArray() << 0 << "keep";
        QTest::newRow("CR only") << file(13, "6", "\r") << 13 << "6";
        QTest::newRow("LF only") << file(13, "6", "\n") << 13 << "6";
        QTest::newRow("more lines after the delay") << file(13, "4") + "extra\r\n" << 13 << "4";
    }
    void scanListRead() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rowsRead);
        QFETCH(QString, delay);
        QTemporaryDir dir;
        const QString path = dir.filePath("ScanFreqs.txt");
        writeBytes(path, bytes);
        const auto list = readScanListFile(str(path));
        QVERIFY(list.has_value());
        for (int i = 0; i < static_cast<int>(kScanListRows); ++i) {
            const auto& row = list->rows[static_cast<std::size_t>(i)];
            if (i < rowsRead)
                QCOMPARE(rowText(row), QString("7.%1|USB|r").arg(i + 1));
            else
                QVERIFY(!row.has_value());
        }
        QCOMPARE(list->delay ? q(*list->delay) : QString("keep"), delay);
    }

    void scanListEmptyRowLine() {
        QByteArray bytes = "7.0 USB a\r\n\r\n14.2 LSB c\r\n";
        const auto list =
            parseScanList(splitTextLines(std::string_view(bytes.constData(), bytes.size())));
        QCOMPARE(rowText(list.rows[0]), QString("7.0|USB|a"));
        QCOMPARE(rowText(list.rows[1]), QString("unchanged"));
        QCOMPARE(rowText(list.rows[2]), QString("14.2|LSB|c"));
        QVERIFY(!list.delay.has_value());
    }

    void scanListMissingOrBinary() {
        QTemporaryDir dir;
        QVERIFY(!readScanListFile(str(dir.filePath("ScanFreqs.txt"))).has_value());
        QByteArray bytes;
        for (int b = 0; b < 256; ++b) bytes.append(static_cast<char>(b));
        writeBytes(dir.filePath("ScanFreqs.txt"), bytes.repeated(8));
        const auto list = readScanListFile(str(dir.filePath("ScanFreqs.txt")));
        QVERIFY(list.has_value());
        QVERIFY(!list->delay.has_value() || !list->delay->empty());
    }

    void scanListWrittenBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("ScanFreqs.txt");
        std::array<ListRow, kScanListRows> rows{};
        rows[0] = {"7.0", "USB", "a b"};
        rows[12] = {"14.2", "am", ""};
        QVERIFY(writeScanListFile(str(path), rows, "3").ok);
        QByteArray expected = "7.0 USB a b\r\n";
        for (int i = 1; i < 12; ++i) expected += "  \r\n";
        expected += "14.2 am \r\n3\r\n";
        QCOMPARE(readBytes(path), expected);
        const auto list = readScanListFile(str(path));
        QVERIFY(list.has_value());
        for (std::size_t i = 0; i < kScanListRows; ++i) QCOMPARE(*list->rows[i], rows[i]);
        QCOMPARE(*list->delay, std::string("3"));
    }

    // ---------------------------------------------------------------- channel lists

    void channelLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("entry");  // "skip": the line is dropped
        QTest::newRow("as written") << "02,07074.00,LSB"
                                    << "0207074002";
        QTest::newRow("single-digit channel") << "7,7074.00,LSB"
                                              << "0707074002";
        QTest::newRow("blanks for commas") << "7 7074.00 LSB"
                                           << "0707074002";
        QTest::newRow("five-digit kHz") << "01,14074.00,USB"
                                        << "0114074001";
        QTest::newRow("AME word") << "03,03573.50,AME"
                                  << "0303573503";
        QTest::newRow("AM") << "03,3573.50,AM"
                            << "0303573503";
        QTest::newRow("CW") << "99,10120.00,CW"
                            << "9910120004";
        QTest::newRow("mode word with more") << "04,14074.00,Upper side band"
                                             << "0414074001";
        QTest::newRow("lowest") << "05,01600.00,USB"
                                << "0501600001";
        QTest::newRow("highest") << "06,29999.99,USB"
                                 << "0629999991";
        QTest::newRow("below the range") << "12,1500.00,AM"
                                         << "skip";
        QTest::newRow("above the range") << "12,30000.00,CW"
                                         << "skip";
        QTest::newRow("lower-case mode") << "12,14074.00,usb"
                                         << "skip";
        QTest::newRow("three-digit channel") << "123,14074.00,USB"
                                             << "skip";
        QTest::newRow("one decimal") << "12,14074.0,USB"
                                     << "skip";
        QTest::newRow("three decimals") << "12,14074.000,USB"
                                        << "skip";
        QTest::newRow("six-digit kHz") << "12,014074.00,USB"
                                       << "skip";
        QTest::newRow("empty channel") << ",14074.00,USB"
                                       << "skip";
        QTest::newRow("letter channel") << "a,14074.00,USB"
                                        << "skip";
        QTest::newRow("empty mode") << "12,14074.00,"
                                    << "skip";
        QTest::newRow("other mode letter") << "12,14074.00,FM"
                                           << "skip";
        QTest::newRow("two fields") << "12,14074.00"
                                    << "skip";
        QTest::newRow("one field") << "12"
                                   << "skip";
        QTest::newRow("empty line") << ""
                                    << "skip";
        QTest::newRow("runs of blanks") << "7  7074.00 LSB"
                                        << "skip";
        QTest::newRow("comma and blanks") << "7, 7074.00, LSB"
                                          << "skip";
        QTest::newRow("trailing blank after mode") << "01,14074.00,USB "
                                                   << "0114074001";
        QTest::newRow("letter in kHz") << "12,1407a.00,USB"
                                       << "skip";
    }
    void channelLine() {
        QFETCH(QString, line);
        QFETCH(QString, entry);
        const auto got = parseChannelLine(line.toStdString());
        QCOMPARE(got ? q(*got) : QString("skip"), entry);
    }

    void channelWritten_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("line");
        QTest::newRow("USB") << "0114074001"
                             << "01,14074.00,USB";
        QTest::newRow("AM") << "0203573503"
                            << "02,03573.50,AM";
        QTest::newRow("LSB") << "0207074002"
                             << "02,07074.00,LSB";
        QTest::newRow("CW") << "9910120004"
                            << "99,10120.00,CW";
        QTest::newRow("mode digit 0") << "0307000000"
                                      << "03,07000.00,";
        QTest::newRow("mode digit 5") << "0307000005"
                                      << "03,07000.00,";
        QTest::newRow("mode blank") << "030700000 "
                                    << "03,07000.00,";
        QTest::newRow("short entry from a short report") << "01"
                                                         << "01,00000.00,";
        QTest::newRow("blank frequency") << "04       1"
                                         << "04,00000.00,USB";
    }
    void channelWritten() {
        QFETCH(QString, entry);
        QFETCH(QString, line);
        QCOMPARE(q(tolvane::channelLine(entry.toStdString())), line);
    }

    void channelFileRoundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Channel List.txt");
        const std::vector<std::string> entries{"0114074001", "0203573503", "0207074002",
                                               "9929999994", "0501600001"};
        QVERIFY(writeChannelListFile(str(path), entries).ok);
        QCOMPARE(readBytes(path), QByteArray("01,14074.00,USB\r\n02,03573.50,AM\r\n"
                                             "02,07074.00,LSB\r\n99,29999.99,CW\r\n"
                                             "05,01600.00,USB\r\n"));
        const auto read = readChannelListFile(str(path));
        QVERIFY(read.has_value());
        QCOMPARE(*read, entries);
    }

    void channelFileWithWrongModeDigit() {
        // The entry with a mode the file cannot name is written with an empty
        // mode and is not read back; the others are.
        QTemporaryDir dir;
        const QString path = dir.filePath("c.txt");
        QVERIFY(writeChannelListFile(str(path), {"0114074001", "0207074009", "0307074002"}).ok);
        QCOMPARE(readBytes(path),
                 QByteArray("01,14074.00,USB\r\n02,07074.00,\r\n03,07074.00,LSB\r\n"));
        QCOMPARE(*readChannelListFile(str(path)),
                 (std::vector<std::string>{"0114074001", "0307074002"}));
    }

    void channelFileRead_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("hand-made file")
            << QByteArray("7 7074.00 LSB\r\n12,1500.00,AM\r\n\r\n1,14074.00,USB\r\n")
            << QStringList{"0707074002", "0114074001"};
        QTest::newRow("CR only") << QByteArray("01,14074.00,USB\r02,07074.00,LSB\r")
                                 << QStringList{"0114074001", "0207074002"};
        QTest::newRow("LF only, no last ending") << QByteArray("01,14074.00,USB\n02,07074.00,LSB")
                                                 << QStringList{"0114074001", "0207074002"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("binary") << QByteArray("\x00\x01,\xff\xfe,\x80\r\n01,14074.00,USB\r\n", 26)
                                << QStringList{"0114074001"};
    }
    void channelFileRead() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QTemporaryDir dir;
        const QString path = dir.filePath("c.txt");
        writeBytes(path, bytes);
        const auto read = readChannelListFile(str(path));
        QVERIFY(read.has_value());
        QStringList got;
        for (const std::string& e : *read) got << q(e);
        QCOMPARE(got, entries);
    }

    void channelFileMissing() {
        QTemporaryDir dir;
        QVERIFY(!readChannelListFile(str(dir.filePath("none.txt"))).has_value());
        const WriteResult r = writeChannelListFile(str(dir.filePath("none/c.txt")), {"0114074001"});
        QVERIFY(!r.ok);
        QCOMPARE(r.err, ENOENT);
    }

    void listLinesSplit_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("max");
        QTest::addColumn<QStringList>("split");
        QTest::newRow("no CR") << QStringList{"a", "b"} << 10 << QStringList{"a", "b"};
        QTest::newRow("lone CRs") << QStringList{"a\rb\rc"} << 10 << QStringList{"a", "b", "c"};
        QTest::newRow("CR at the end") << QStringList{"a\r"} << 10 << QStringList{"a", ""};
        QTest::newRow("limit inside a line")
            << QStringList{"a\rb\rc", "d"} << 2 << QStringList{"a", "b"};
        QTest::newRow("limit at a line")
            << QStringList{"a", "b", "c"} << 2 << QStringList{"a", "b"};
    }
    void listLinesSplit() {
        QFETCH(QStringList, lines);
        QFETCH(int, max);
        QFETCH(QStringList, split);
        std::vector<std::string> in;
        for (const QString& l : lines) in.push_back(l.toStdString());
        QStringList got;
        for (const std::string& l : splitListLines(in, static_cast<std::size_t>(max))) got << q(l);
        QCOMPARE(got, split);
    }
};

QTEST_APPLESS_MAIN(ToolsFilesTest)
#include "test_tools_files.moc"
