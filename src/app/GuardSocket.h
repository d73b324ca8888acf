#pragma once
// The guard's conversation between copies. Every running copy listens on a socket of its own
// beside the marker; a new copy writes "close\n" to the newest of them and reads one line back:
// "closing\n", or "writing <what>\n" from a copy that is writing to the controller and stays.

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

namespace zuvo {

// A request longer than this without the close request in it is no request of ours.
inline constexpr qsizetype kMaxCloseRequestBytes = 256;

// A close request on its way: the asked copy's pid (0 when unknown) and the connection its answer
// comes back on.
struct AskedCopy {
    pid_t pid = 0;
    int fd = -1;
};

// Asks the newest running copy in `folder` to close and clears away the sockets of dead copies;
// nullopt when no copy listens.
std::optional<AskedCopy> askNewestCopyToClose(const QString& folder);

// What the asked copy is writing to the controller, when its answer on `fd` says it writes and
// stays; nothing for any other answer, none within `ms`, or a connection closed without one.
std::optional<QString> writingAnswer(int fd, int ms);

// A listening socket at `path` that only this user may reach; -1 (with a warning) when it cannot
// be made.
int listenForCloseRequests(const QString& path);

// The bytes received on a connection hold the close request.
bool holdsCloseRequest(const QByteArray& received);

// The answer to a close request: "closing", or what this copy is writing (`writing` not empty).
QByteArray closeAnswer(QString writing);

} // namespace zuvo
