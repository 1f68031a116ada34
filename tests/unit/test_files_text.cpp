// The text layer under the settings and state files: reading numbers the way
// the files hold them, splitting and reading lines (short, empty, binary,
// oversized and special files), and writing a file atomically.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cfloat>
#include <cstring>

#include "files_test_helpers.h"
#include "setup/text_file.h"

using namespace tolvane;
using namespace tolvane::filetest;

class FilesTextTest : public QObject {
    Q_OBJECT

  private slots:

    // ---------------------------------------------------------------- numbers

    void numericValue_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("printed positive") << QByteArray(" 1234 ") << 1234.0;
        QTest::newRow("printed negative") << QByteArray("-2880 ") << -2880.0;
        QTest::newRow("negative bare") << QByteArray("-2880") << -2880.0;
        QTest::newRow("plus sign") << QByteArray("+15") << 15.0;
        QTest::newRow("not a number") << QByteArray("abc") << 0.0;
        QTest::newRow("number then letters") << QByteArray("12abc") << 12.0;
        QTest::newRow("empty") << QByteArray("") << 0.0;
        QTest::newRow("blanks only") << QByteArray("   ") << 0.0;
        QTest::newRow("tab before") << QByteArray("\t42") << 42.0;
        QTest::newRow("decimal part") << QByteArray("12.5") << 12.5;
        QTest::newRow("trailing point") << QByteArray("12.") << 12.0;
        QTest::newRow("leading point") << QByteArray(".5") << 0.5;
        QTest::newRow("negative fraction") << QByteArray("-0.25x") << -0.25;
        QTest::newRow("point alone") << QByteArray(".") << 0.0;
        QTest::newRow("sign alone") << QByteArray("-") << 0.0;
        QTest::newRow("sign then blank") << QByteArray("- 5") << 0.0;
        QTest::newRow("two signs") << QByteArray("--5") << 0.0;
        QTest::newRow("second point stops") << QByteArray("1.2.3") << 1.2;
        QTest::newRow("exponent not taken") << QByteArray("1e3") << 1.0;
        QTest::newRow("comma stops") << QByteArray("9600,O,7,1") << 9600.0;
        QTest::newRow("blank inside stops") << QByteArray("12 34") << 12.0;
        QTest::newRow("leading zeros") << QByteArray("007") << 7.0;
        QTest::newRow("CR after") << QByteArray("5\r") << 5.0;
        QTest::newRow("NUL before") << QByteArray(
                                           "\0"
                                           "5",
                                           2)
                                    << 0.0;
        QTest::newRow("too large") << QByteArray(400, '9') << DBL_MAX;
        QTest::newRow("too large negative") << ("-" + QByteArray(400, '9')) << -DBL_MAX;
        QTest::newRow("too small") << ("0." + QByteArray(400, '0') + "1") << 0.0;
    }

    void numericValue() {
        QFETCH(QByteArray, text);
        QFETCH(double, value);
        QCOMPARE(tolvane::numericValue(std::string_view(text.constData(), text.size())), value);
    }

    // ---------------------------------------------------------------- line reading

    void splitTextLines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Lines>("lines");
        QTest::newRow("CR LF") << QByteArray("a\r\nbb\r\n") << Lines{"a", "bb"};
        QTest::newRow("LF alone") << QByteArray("a\nbb\n") << Lines{"a", "bb"};
        QTest::newRow("mixed endings") << QByteArray("a\r\nb\nc\r\n") << Lines{"a", "b", "c"};
        QTest::newRow("last line unended") << QByteArray("a\r\nb") << Lines{"a", "b"};
        QTest::newRow("last line ends in CR") << QByteArray("a\r\nb\r") << Lines{"a", "b"};
        QTest::newRow("empty text") << QByteArray("") << Lines{};
        QTest::newRow("one empty line") << QByteArray("\r\n") << Lines{""};
        QTest::newRow("empty lines kept") << QByteArray("\r\n\r\nx\r\n") << Lines{"", "", "x"};
        QTest::newRow("CR inside kept") << QByteArray("a\rb\r\n") << Lines{"a\rb"};
        QTest::newRow("only the last CR dropped") << QByteArray("a\r\r\n") << Lines{"a\r"};
        QTest::newRow("blanks kept") << QByteArray(" 1234 \r\n") << Lines{" 1234 "};
        QTest::newRow("NUL kept") << QByteArray("a\0b\r\n", 5) << Lines{std::string("a\0b", 3)};
        QTest::newRow("high bytes kept") << QByteArray("\xff\xfe\r\n") << Lines{"\xff\xfe"};
    }

    void splitTextLines() {
        QFETCH(QByteArray, text);
        QFETCH(Lines, lines);
        QCOMPARE(tolvane::splitTextLines(std::string_view(text.constData(), text.size())), lines);
    }

    void readTextLinesMatchesSplit() {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.txt");
        const QByteArray text("first\r\nsecond\nthird");
        writeBytes(path, text);
        auto lines = readTextLines(str(path));
        QVERIFY(lines.has_value());
        QCOMPARE(*lines, (Lines{"first", "second", "third"}));

        writeBytes(path, QByteArray());
        lines = readTextLines(str(path));
        QVERIFY(lines.has_value());
        QVERIFY(lines->empty());

        QVERIFY(!readTextLines(str(dir.filePath("missing.txt"))).has_value());
        QVERIFY(!readTextLines(str(dir.path())).has_value());
        QVERIFY(!readTextLines("").has_value());
    }

    void fileReadable() {
        QTemporaryDir dir;
        const QString path = dir.filePath("present.txt");
        QVERIFY(!tolvane::fileReadable(str(path)));
        writeBytes(path, QByteArray());
        QVERIFY(tolvane::fileReadable(str(path)));  // an empty file counts as present
        QVERIFY(!tolvane::fileReadable(str(dir.path())));
        QVERIFY(!tolvane::fileReadable(""));
        QVERIFY(QFile::link(path, dir.filePath("link.txt")));
        QVERIFY(tolvane::fileReadable(str(dir.filePath("link.txt"))));
        QVERIFY(QFile::remove(path));
        QVERIFY(!tolvane::fileReadable(str(dir.filePath("link.txt"))));  // dangling link
        // A pipe is no settings file, and looking at it must not wait for a writer.
        const QString fifo = dir.filePath("pipe.txt");
        QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
        QVERIFY(!tolvane::fileReadable(str(fifo)));
        QVERIFY(!readTextLines(str(fifo)).has_value());
    }

    void longLineIsCut() {
        QTemporaryDir dir;
        const QString path = dir.filePath("long.txt");
        writeBytes(path, QByteArray(200 * 1024, 'x') + "\r\nnext\r\n" +
                             QByteArray(kMaxLineBytes, 'y') + "\r\n");
        auto lines = readTextLines(str(path));
        QVERIFY(lines.has_value());
        QCOMPARE(lines->size(), std::size_t(3));
        QCOMPARE((*lines)[0], std::string(kMaxLineBytes, 'x'));
        QCOMPARE((*lines)[1], std::string("next"));
        QCOMPARE((*lines)[2], std::string(kMaxLineBytes, 'y'));  // exactly at the limit: whole
    }

    void manyLinesAreCapped() {
        QTemporaryDir dir;
        const QString path = dir.filePath("many.txt");
        QByteArray text;
        for (int i = 0; i < 20000; ++i) text += QByteArray::number(i) + kCrLf;
        writeBytes(path, text);
        auto lines = readTextLines(str(path));
        QVERIFY(lines.has_value());
        QCOMPARE(lines->size(), kMaxLines);
        QCOMPARE(lines->front(), std::string("0"));
        QCOMPARE(lines->back(), std::to_string(kMaxLines - 1));
    }

    void hugeFileReadsFirstPart() {
        // 5000 lines of 4 KiB: only the first 16 MiB (4096 whole lines) are read.
        QTemporaryDir dir;
        const QString path = dir.filePath("huge.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray line = QByteArray(4094, 'z') + kCrLf;
        for (int i = 0; i < 5000; ++i) QCOMPARE(f.write(line), line.size());
        f.close();
        auto lines = readTextLines(str(path));
        QVERIFY(lines.has_value());
        QCOMPARE(lines->size(), kMaxFileBytes / 4096);
        QCOMPARE(lines->back(), std::string(4094, 'z'));
    }

    void readerLineLimit() {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.txt");
        writeBytes(path, "1\r\n2\r\n3\r\n4\r\n5\r\n");
        QCOMPARE(*readTextLines(str(path), 2), (Lines{"1", "2"}));
        QCOMPARE(*readTextLines(str(path), 0), Lines{});
    }

    // ---------------------------------------------------------------- atomic writing

    void atomicWriteExactBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.txt");
        WriteResult r = atomicWriteLines(str(path), {" 1 ", "", std::string("a\0b", 3), "end"});
        QVERIFY(r.ok);
        QCOMPARE(r.err, 0);
        QCOMPARE(readBytes(path), QByteArray(" 1 \r\n\r\na\0b\r\nend\r\n", 17));
        QCOMPARE(entries(dir.path()), QStringList{"out.txt"});

        r = atomicWriteLines(str(path), {});
        QVERIFY(r.ok);
        QCOMPARE(readBytes(path), QByteArray());
        QCOMPARE(entries(dir.path()), QStringList{"out.txt"});
    }

    void atomicWriteReplacesAndKeepsMode() {
        QTemporaryDir dir;
        const QString path = dir.filePath("PortSetup.txt");
        writeBytes(path, QByteArray(5000, 'o'));
        QCOMPARE(::chmod(path.toLocal8Bit().constData(), 0640), 0);
        QVERIFY(atomicWriteLines(str(path), {"short"}).ok);
        QCOMPARE(readBytes(path), QByteArray("short\r\n"));
        struct stat st {};
        QCOMPARE(::stat(path.toLocal8Bit().constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
        QCOMPARE(entries(dir.path()), QStringList{"PortSetup.txt"});
    }

    void atomicWriteMissingFolderFails() {
        QTemporaryDir dir;
        const QString path = dir.filePath("no/such/folder/CATSetup.txt");
        WriteResult r = atomicWriteLines(str(path), {"4"});
        QVERIFY(!r.ok);
        QCOMPARE(r.err, ENOENT);
        QCOMPARE(QString::fromStdString(r.message), QString::fromLocal8Bit(std::strerror(ENOENT)));
        QVERIFY(!r.message.empty());
        QVERIFY(entries(dir.path()).isEmpty());
    }

    void atomicWriteOntoFolderFails() {
        // The target is a folder: the rename fails after the temporary file was
        // written, which must then be gone again.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("AudioSetup.txt"));
        writeBytes(dir.filePath("AudioSetup.txt/inside"), "keep");
        WriteResult r = atomicWriteLines(str(dir.filePath("AudioSetup.txt")), {"H1"});
        QVERIFY(!r.ok);
        QVERIFY(r.err == EISDIR || r.err == ENOTEMPTY || r.err == EEXIST);
        QCOMPARE(QString::fromStdString(r.message), QString::fromLocal8Bit(std::strerror(r.err)));
        QCOMPARE(entries(dir.path()), QStringList{"AudioSetup.txt"});
        QCOMPARE(readBytes(dir.filePath("AudioSetup.txt/inside")), QByteArray("keep"));
    }

    void atomicWriteReadOnlyFolderFails() {
        QTemporaryDir dir;
        const QString sub = dir.filePath("ro");
        QVERIFY(QDir(dir.path()).mkdir("ro"));
        const QString path = sub + "/Tolvaneini.txt";
        writeBytes(path, "old\r\n");
        QCOMPARE(::chmod(sub.toLocal8Bit().constData(), 0555), 0);
        // A privileged user ignores the folder's write bits; the missing-folder
        // and onto-a-folder cases cover the failure path for such a user.
        if (::access(sub.toLocal8Bit().constData(), W_OK) == 0) {
            ::chmod(sub.toLocal8Bit().constData(), 0755);
            QSKIP("folder permissions are not enforced for this user");
        }
        WriteResult r = atomicWriteLines(str(path), {"new"});
        ::chmod(sub.toLocal8Bit().constData(), 0755);
        QVERIFY(!r.ok);
        QCOMPARE(r.err, EACCES);
        QCOMPARE(QString::fromStdString(r.message), QString::fromLocal8Bit(std::strerror(EACCES)));
        QCOMPARE(readBytes(path), QByteArray("old\r\n"));
        QCOMPARE(entries(sub), QStringList{"Tolvaneini.txt"});
    }
};

QTEST_GUILESS_MAIN(FilesTextTest)
#include "test_files_text.moc"
