#include "app/GuardMarker.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuvo {

namespace {

int flockRetrying(int fd, int operation) {
    int rc = 0;
    do {
        rc = flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

} // namespace

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString instanceDirectory() {
    for (const char* name : {"ZUVO_RUNTIME_DIR", "XDG_RUNTIME_DIR"}) {
        const QString dir = qEnvironmentVariable(name);
        if (!dir.isEmpty()) {
            return dir;
        }
    }
    return QStringLiteral("/tmp/ZUVO-%1").arg(geteuid());
}

bool preparePrivateDirectory(const QString& path, QString* why) {
    const auto fail = [why](const QString& reason) {
        if (why) {
            *why = reason;
        }
        return false;
    };
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (lstat(name.constData(), &st) != 0) {
        if (errno != ENOENT || (mkdir(name.constData(), 0700) != 0 && errno != EEXIST) ||
            lstat(name.constData(), &st) != 0) {
            return fail(path + QStringLiteral(": ") + errnoText());
        }
    }
    if (!S_ISDIR(st.st_mode)) {
        return fail(path + QStringLiteral(" is not a directory"));
    }
    if (st.st_uid != geteuid()) {
        return fail(path + QStringLiteral(" belongs to another user"));
    }
    // Nobody else may plant a marker or a socket in it.
    if ((st.st_mode & 022) != 0 && chmod(name.constData(), st.st_mode & 0755) != 0) {
        return fail(path + QStringLiteral(": ") + errnoText());
    }
    return true;
}

FolderGate::FolderGate(int fd) : fd_(fd) {
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

FolderGate::~FolderGate() {
    flock(fd_, LOCK_UN);
}

bool takeMarkerIfFree(int markerFd) {
    if (flockRetrying(markerFd, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    return shareMarker(markerFd);
}

bool shareMarker(int markerFd) {
    return flockRetrying(markerFd, LOCK_SH | LOCK_NB) == 0;
}

bool writePidInto(int markerFd) {
    const QByteArray pid = QByteArray::number(getpid()) + '\n';
    return ftruncate(markerFd, 0) == 0 &&
           pwrite(markerFd, pid.constData(), static_cast<std::size_t>(pid.size()), 0) == pid.size();
}

} // namespace zuvo
