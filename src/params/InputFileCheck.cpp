#include "params/InputFileCheck.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuvo {

namespace {

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

InputFileCheck checkInputFile(const QString& path) {
    using Problem = InputFileCheck::Problem;
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    if (name.isEmpty() || ::stat(name.constData(), &before) != 0) {
        const int error = name.isEmpty() ? ENOENT : errno;
        if (error == ENOENT || error == ENOTDIR) {
            return {Problem::Missing, {}};
        }
        return {Problem::Unreadable, systemText(error)};
    }
    if (S_ISDIR(before.st_mode)) {
        return {Problem::Folder, {}};
    }
    if (!S_ISREG(before.st_mode)) {
        return {Problem::NotRegular, {}};
    }
    // Without blocking, and compared with what was looked at: a pipe put there in between is
    // neither waited for nor taken for the file.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return {Problem::Unreadable, systemText(errno)};
    }
    struct stat opened {};
    const bool same = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                      opened.st_dev == before.st_dev && opened.st_ino == before.st_ino;
    ::close(fd);
    if (!same) {
        return {Problem::NotRegular, {}};
    }
    return {};
}

QString inputFileReason(const InputFileCheck& check) {
    using Problem = InputFileCheck::Problem;
    switch (check.problem) {
    case Problem::None:
        break;
    case Problem::Missing:
        return QStringLiteral("no such file");
    case Problem::Folder:
        return QStringLiteral("it is a folder");
    case Problem::NotRegular:
        return QStringLiteral("it is not a regular file (a pipe or a device)");
    case Problem::Unreadable:
        return check.systemReason.isEmpty()
                   ? QStringLiteral("it cannot be read")
                   : QStringLiteral("it cannot be read: ") + check.systemReason;
    }
    return {};
}

QString unreadableFileText(const QString& what, const QString& path, const InputFileCheck& check) {
    return QStringLiteral("cannot read the %1 %2: %3")
        .arg(what, QDir::toNativeSeparators(path), inputFileReason(check));
}

} // namespace zuvo
