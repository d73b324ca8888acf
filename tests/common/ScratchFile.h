#pragma once

// Writing and reading the small files that file-handling tests set up and inspect.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace zuvo::test {

// Replaces the file at `path` with `content` and returns the path; a failed write fails the test.
inline QString writeScratchFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    EXPECT_EQ(f.write(content), content.size()) << path.toStdString();
    return path;
}

// The whole file, or a marker no real content holds when it cannot be read.
inline QByteArray scratchFileContents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace zuvo::test
