#include "app/GuardSocket.h"

#include "app/GuardMarker.h"
#include "session/EventWait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zuvo {

namespace {

const QByteArray CloseRequest = "close\n";
const QByteArray ClosingAnswer = "closing\n";
const QByteArray WritingAnswer = "writing ";
// An answer is one short line; more is no answer of ours.
constexpr qsizetype MaxAnswerBytes = 1024;

bool socketAddress(const QString& path, sockaddr_un* address) {
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= static_cast<qsizetype>(sizeof(address->sun_path))) {
        return false;
    }
    std::memset(address, 0, sizeof(*address));
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return true;
}

pid_t peerPid(int fd) {
    ucred cred{};
    socklen_t size = sizeof(cred);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 ? cred.pid : 0;
}

// Sends the close request to the copy listening at `path`; nullopt when nobody listens there.
// `stale` tells whether the socket is a dead copy's leftover.
std::optional<AskedCopy> askToClose(const QString& path, bool* stale) {
    *stale = false;
    sockaddr_un address{};
    if (!socketAddress(path, &address)) {
        return std::nullopt;
    }
    // Non-blocking: a frozen copy with a full backlog must not hang this one.
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return std::nullopt;
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        *stale = errno == ECONNREFUSED;
        close(fd);
        return std::nullopt;
    }
    const pid_t pid = peerPid(fd);
    const bool sent =
        send(fd, CloseRequest.constData(), static_cast<std::size_t>(CloseRequest.size()),
             MSG_NOSIGNAL) == CloseRequest.size();
    if (!sent) {
        close(fd);
        return std::nullopt;
    }
    return AskedCopy{pid, fd};
}

// The running copies' sockets in `folder`, the newest first: the copy started last is the one
// a user sees on top, the one a new start replaces.
QStringList copySockets(const QString& folder) {
    QDir dir(folder);
    const QFileInfoList found =
        dir.entryInfoList({QStringLiteral("ZUVO.*.socket")}, QDir::System, QDir::Time);
    QStringList paths;
    for (const QFileInfo& info : found) {
        paths << info.filePath();
    }
    return paths;
}

} // namespace

std::optional<AskedCopy> askNewestCopyToClose(const QString& folder) {
    for (const QString& path : copySockets(folder)) {
        bool stale = false;
        if (const std::optional<AskedCopy> asked = askToClose(path, &stale)) {
            return asked;
        }
        if (stale) {
            unlink(QFile::encodeName(path).constData());
        }
    }
    return std::nullopt;
}

std::optional<QString> writingAnswer(int fd, int ms) {
    QByteArray received;
    bool over = false;
    const auto readSome = [&received, &over, fd] {
        char buffer[256];
        while (!over) {
            const ssize_t n = read(fd, buffer, sizeof(buffer));
            if (n > 0) {
                received.append(buffer, n);
                over = received.contains('\n') || received.size() > MaxAnswerBytes;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                over = n == 0 || errno != EAGAIN; // the end, or an error: no more comes
                return;
            }
        }
    };
    readSome();
    if (!over) {
        QSocketNotifier notifier(fd, QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, readSome);
        waitUntil([&over] { return over; }, QDeadlineTimer(ms, Qt::PreciseTimer));
    }
    const qsizetype end = received.indexOf('\n');
    if (end < 0 || !received.startsWith(WritingAnswer)) {
        return std::nullopt;
    }
    return QString::fromUtf8(received.mid(WritingAnswer.size(), end - WritingAnswer.size()))
        .trimmed();
}

int listenForCloseRequests(const QString& path) {
    sockaddr_un address{};
    const QByteArray name = QFile::encodeName(path);
    if (!socketAddress(path, &address)) {
        qWarning("Socket path too long: %s", name.constData());
        return -1;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // A socket of this pid can only be left over from a dead copy that had it before.
    unlink(name.constData());
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        chmod(name.constData(), 0600) != 0 || ::listen(fd, 4) != 0) {
        qWarning("Cannot listen on %s: %s", name.constData(), qUtf8Printable(errnoText()));
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
    return fd;
}

bool holdsCloseRequest(const QByteArray& received) {
    return received.contains(CloseRequest);
}

QByteArray closeAnswer(QString writing) {
    writing.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return writing.isEmpty() ? ClosingAnswer : WritingAnswer + writing.toUtf8() + '\n';
}

} // namespace zuvo
