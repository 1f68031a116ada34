// Small pieces shared by the settings and state file tests: reading and
// writing a file's exact bytes, the names a folder holds, and the line list
// type the readers hand back.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTest>
#include <string>
#include <vector>

namespace tolvane::filetest {

using Lines = std::vector<std::string>;

// The bytes of a file, or "<unreadable>" when it cannot be opened.
inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return f.readAll();
}

// Makes the file hold exactly `bytes`.
inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline std::string str(const QString& s) {
    return s.toStdString();
}

// Every name in `dir`, hidden ones included, so a leftover temporary file shows.
inline QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

inline const QByteArray kCrLf("\r\n");

}  // namespace tolvane::filetest

Q_DECLARE_METATYPE(tolvane::filetest::Lines)
