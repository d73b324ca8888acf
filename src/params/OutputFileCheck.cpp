#include "params/OutputFileCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace zuvo {

OutputFileCheck checkOutputFile(const QString& path) {
    if (path.trimmed().isEmpty()) {
        return {QStringLiteral("no file name given")};
    }
    const QFileInfo file(path);
    if (file.isDir()) {
        return {QStringLiteral("it is a folder")};
    }
    if (file.exists() && !file.isFile()) {
        return {QStringLiteral("it is not a regular file (a pipe or a device)")};
    }
    const QString folder = file.absolutePath();
    const QFileInfo folderInfo(folder);
    if (!folderInfo.exists()) {
        return {
            QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder))};
    }
    if (!folderInfo.isDir()) {
        return {QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(folder))};
    }
    if (file.exists() && !file.isWritable()) {
        return {QStringLiteral("the file may not be changed (no permission)")};
    }
    // The permissions alone do not tell a read-only mount, nor what an administrator may do.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".zuvo-write-check-XXXXXX")));
    if (!probe.open()) {
        return {QStringLiteral("the folder %1 cannot be written: %2")
                    .arg(QDir::toNativeSeparators(folder), probe.errorString())};
    }
    return {};
}

QString unwritableFileText(const QString& what, const QString& path, const OutputFileCheck& check) {
    return QStringLiteral("cannot write the %1 %2: %3")
        .arg(what, QDir::toNativeSeparators(path), check.problem);
}

} // namespace zuvo
