// The command line of tolvane: what each option sets, what is refused and
// with which exit code, Qt's options passing through before QApplication and
// refused after it, the home folder in --folder, and entering the folder.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"

using namespace tolvane;
using Action = CommandLine::Action;

Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(QtOptions)

namespace {

std::vector<std::string> split(const QString& line) {
    std::vector<std::string> out;
    for (const QString& w : line.split(' ', Qt::SkipEmptyParts)) out.push_back(w.toStdString());
    return out;
}

// Runs runEarlyOptions and returns its code with what it wrote.
struct Early {
    int rc = 0;
    std::string out;
    std::string err;
};
Early runEarly(const CommandLine& cl, const std::string& home) {
    char* outBuf = nullptr;
    char* errBuf = nullptr;
    std::size_t outLen = 0;
    std::size_t errLen = 0;
    std::FILE* out = open_memstream(&outBuf, &outLen);
    std::FILE* err = open_memstream(&errBuf, &errLen);
    Early e;
    e.rc = runEarlyOptions(cl, home, out, err);
    std::fclose(out);
    std::fclose(err);
    e.out.assign(outBuf, outLen);
    e.err.assign(errBuf, errLen);
    std::free(outBuf);
    std::free(errBuf);
    return e;
}

// Puts the working folder back after a test that enters another.
struct KeepCwd {
    QString saved = QDir::currentPath();
    ~KeepCwd() { QDir::setCurrent(saved); }
};

}  // namespace

class TestAppCommandLine : public QObject {
    Q_OBJECT

  private slots:
    void parse_data();
    void parse();
    void expandHome_data();
    void expandHome();
    void helpAndVersionOutput();
    void errorNamesOptionAndExitsTwo();
    void folderCreatedWithParentsAndEntered();
    void folderWithHome();
    void folderThatCannotBeMadeExitsOne();
    void folderWithoutHomeExitsOne();
    void noFolderStaysWhereStarted();
    void summaryListsEveryOption();
};

void TestAppCommandLine::parse_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QtOptions>("qt");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("rigctld");
    QTest::addColumn<QString>("rigctldValue");
    QTest::addColumn<QString>("error");
    const auto skip = QtOptions::Skip;
    const auto refused = QtOptions::Refused;
    QTest::newRow("nothing") << "" << skip << Action::Run << "" << false << ""
                             << "";
    QTest::newRow("help") << "--help" << skip << Action::Help << "" << false << ""
                          << "";
    QTest::newRow("h") << "-h" << skip << Action::Help << "" << false << ""
                       << "";
    QTest::newRow("h after qt") << "-h" << refused << Action::Help << "" << false << ""
                                << "";
    QTest::newRow("version") << "--version" << skip << Action::Version << "" << false << ""
                             << "";
    QTest::newRow("version first wins")
        << "--version --bogus" << skip << Action::Version << "" << false << ""
        << "";
    QTest::newRow("folder space") << "--folder /tmp/x" << skip << Action::Run << "/tmp/x" << false
                                  << ""
                                  << "";
    QTest::newRow("folder equals")
        << "--folder=~/radio" << skip << Action::Run << "~/radio" << false << ""
        << "";
    QTest::newRow("folder last wins")
        << "--folder a --folder=b" << skip << Action::Run << "b" << false << ""
        << "";
    QTest::newRow("folder missing value")
        << "--folder" << skip << Action::Error << "" << false << ""
        << "option \"--folder\" needs a folder";
    QTest::newRow("folder empty value") << "--folder=" << skip << Action::Error << "" << false << ""
                                        << "option \"--folder\" needs a folder";
    QTest::newRow("rigctld bare") << "--rigctld" << skip << Action::Run << "" << true << ""
                                  << "";
    QTest::newRow("rigctld value")
        << "--rigctld=0.0.0.0:4533" << skip << Action::Run << "" << true << "0.0.0.0:4533"
        << "";
    QTest::newRow("rigctld ipv6") << "--rigctld=[::1]:4532" << skip << Action::Run << "" << true
                                  << "[::1]:4532"
                                  << "";
    QTest::newRow("rigctld empty value")
        << "--rigctld=" << skip << Action::Error << "" << true << ""
        << "option \"--rigctld=\" needs ADDRESS:PORT";
    QTest::newRow("rigctld does not eat the next")
        << "--rigctld --folder f" << skip << Action::Run << "f" << true << ""
        << "";
    QTest::newRow("unknown long") << "--bogus" << skip << Action::Error << "" << false << ""
                                  << "unknown option \"--bogus\"";
    QTest::newRow("help with value") << "--help=1" << skip << Action::Error << "" << false << ""
                                     << "unknown option \"--help=1\"";
    QTest::newRow("lone dash") << "-" << skip << Action::Error << "" << false << ""
                               << "unknown option \"-\"";
    QTest::newRow("stray word") << "radio" << skip << Action::Error << "" << false << ""
                                << "unexpected argument \"radio\"";
    QTest::newRow("qt platform skipped")
        << "-platform offscreen --folder f" << skip << Action::Run << "f" << false << ""
        << "";
    QTest::newRow("qt display skipped")
        << "-display :1 --rigctld" << skip << Action::Run << "" << true << ""
        << "";
    QTest::newRow("qt flag skipped") << "-reverse" << skip << Action::Run << "" << false << ""
                                     << "";
    QTest::newRow("single dash after qt")
        << "-platform" << refused << Action::Error << "" << false << ""
        << "unknown option \"-platform\"";
    QTest::newRow("unknown single after qt")
        << "--folder f -x" << refused << Action::Error << "f" << false << ""
        << "unknown option \"-x\"";
}

void TestAppCommandLine::parse() {
    QFETCH(QString, line);
    QFETCH(QtOptions, qt);
    const CommandLine cl = parseCommandLine(split(line), qt);
    QTEST(cl.action, "action");
    QTEST(QString::fromStdString(cl.folder), "folder");
    QTEST(cl.rigctld, "rigctld");
    QTEST(QString::fromStdString(cl.rigctldValue), "rigctldValue");
    QTEST(QString::fromStdString(cl.error), "error");
}

void TestAppCommandLine::expandHome_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expanded");
    QTest::newRow("tilde slash") << "~/.local/share/tolvane"
                                 << "/home/op"
                                 << "/home/op/.local/share/tolvane";
    QTest::newRow("tilde alone") << "~"
                                 << "/home/op"
                                 << "/home/op";
    QTest::newRow("absolute") << "/srv/radio"
                              << "/home/op"
                              << "/srv/radio";
    QTest::newRow("relative") << "radio"
                              << "/home/op"
                              << "radio";
    QTest::newRow("other user kept") << "~op/radio"
                                     << "/home/me"
                                     << "~op/radio";
    QTest::newRow("tilde inside kept") << "a/~/b"
                                       << "/home/op"
                                       << "a/~/b";
    QTest::newRow("no home") << "~/radio"
                             << ""
                             << "";
    QTest::newRow("no home, absolute") << "/srv/radio"
                                       << ""
                                       << "/srv/radio";
}

void TestAppCommandLine::expandHome() {
    QFETCH(QString, path);
    QFETCH(QString, home);
    QTEST(QString::fromStdString(tolvane::expandHome(path.toStdString(), home.toStdString())),
          "expanded");
}

void TestAppCommandLine::helpAndVersionOutput() {
    CommandLine cl;
    cl.action = Action::Version;
    Early e = runEarly(cl, "");
    QCOMPARE(e.rc, 0);
    QCOMPARE(e.out, std::string("tolvane 0.962b\n"));
    QCOMPARE(e.err, std::string());

    cl.action = Action::Help;
    e = runEarly(cl, "");
    QCOMPARE(e.rc, 0);
    QCOMPARE(e.out, std::string(commandLineSummary()));
    QCOMPARE(e.err, std::string());
}

void TestAppCommandLine::errorNamesOptionAndExitsTwo() {
    const CommandLine cl = parseCommandLine({"--bogus"}, QtOptions::Skip);
    const Early e = runEarly(cl, "");
    QCOMPARE(e.rc, 2);
    QCOMPARE(e.out, std::string());
    QCOMPARE(e.err, "tolvane: unknown option \"--bogus\"\n\n" + std::string(commandLineSummary()));
}

void TestAppCommandLine::folderCreatedWithParentsAndEntered() {
    KeepCwd keep;
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString target = tmp.path() + "/a/b/c";
    const CommandLine cl = parseCommandLine({"--folder", target.toStdString()}, QtOptions::Skip);
    const Early e = runEarly(cl, "/nonexistent-home");
    QCOMPARE(e.rc, -1);
    QCOMPARE(e.err, std::string());
    QVERIFY(QFileInfo(target).isDir());
    QCOMPARE(QDir::currentPath(), QFileInfo(target).canonicalFilePath());
    // An existing folder is simply entered.
    QDir::setCurrent(tmp.path());
    QCOMPARE(runEarly(cl, "").rc, -1);
    QCOMPARE(QDir::currentPath(), QFileInfo(target).canonicalFilePath());
}

void TestAppCommandLine::folderWithHome() {
    KeepCwd keep;
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const CommandLine cl = parseCommandLine({"--folder=~/.local/share/tolvane"}, QtOptions::Skip);
    QCOMPARE(runEarly(cl, home.path().toStdString()).rc, -1);
    const QString want = home.path() + "/.local/share/tolvane";
    QVERIFY(QFileInfo(want).isDir());
    QCOMPARE(QDir::currentPath(), QFileInfo(want).canonicalFilePath());
}

void TestAppCommandLine::folderThatCannotBeMadeExitsOne() {
    KeepCwd keep;
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    // A file stands where a parent folder would have to be.
    QFile blocker(tmp.path() + "/file");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const std::string target = (tmp.path() + "/file/sub").toStdString();
    const Early e = runEarly(parseCommandLine({"--folder", target}, QtOptions::Skip), "");
    QCOMPARE(e.rc, 1);
    QVERIFY2(e.err.rfind("tolvane: cannot use the folder \"" + target + "\": ", 0) == 0,
             e.err.c_str());
    QCOMPARE(QDir::currentPath(), keep.saved);

    // A folder that cannot be entered.
    if (::geteuid() != 0) {
        const QString locked = tmp.path() + "/locked";
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner));
        const Early e2 =
            runEarly(parseCommandLine({"--folder", locked.toStdString()}, QtOptions::Skip), "");
        QFile::setPermissions(
            locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(e2.rc, 1);
        QCOMPARE(QDir::currentPath(), keep.saved);
    }
}

void TestAppCommandLine::folderWithoutHomeExitsOne() {
    KeepCwd keep;
    const Early e = runEarly(parseCommandLine({"--folder", "~/radio"}, QtOptions::Skip), "");
    QCOMPARE(e.rc, 1);
    QCOMPARE(e.err, std::string("tolvane: cannot use the folder \"~/radio\": HOME is not set\n"));
    QCOMPARE(QDir::currentPath(), keep.saved);
}

void TestAppCommandLine::noFolderStaysWhereStarted() {
    KeepCwd keep;
    const Early e = runEarly(parseCommandLine({"--rigctld"}, QtOptions::Skip), "/home/op");
    QCOMPARE(e.rc, -1);
    QCOMPARE(e.out, std::string());
    QCOMPARE(QDir::currentPath(), keep.saved);
}

void TestAppCommandLine::summaryListsEveryOption() {
    const QString s = commandLineSummary();
    for (const char* o : {"--folder PATH", "--rigctld[=ADDRESS:PORT]", "-h, --help", "--version",
                          "-platform NAME", "-display DISPLAY"})
        QVERIFY2(s.contains(o), o);
}

QTEST_GUILESS_MAIN(TestAppCommandLine)
#include "test_app_command_line.moc"
