#include "app/InstanceGuard.h"

#include "session/EventWait.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

namespace zuvo {

namespace {

const QByteArray CloseRequest = "close\n";
const QByteArray ClosingAnswer = "closing\n";
const QByteArray WritingAnswer = "writing ";
// An answer is one short line; more is no answer of ours.
constexpr qsizetype MaxAnswerBytes = 1024;

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

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

// A close request on its way: the asked copy's pid (0 when unknown) and the connection its answer
// comes back on.
struct AskedCopy {
    pid_t pid = 0;
    int fd = -1;
};

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

// What the asked copy is writing to the controller, when its answer on `fd` says it writes and
// stays; nothing for any other answer, none within `ms`, or a connection closed without one.
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

// Asks the newest running copy to close and clears away the sockets of dead copies; nullopt when
// no copy listens.
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

// Holds an exclusive flock on the guard's folder while the marker is tested and taken.
class FolderGate {
public:
    explicit FolderGate(int fd) : fd_(fd) {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderGate() { flock(fd_, LOCK_UN); }
    FolderGate(const FolderGate&) = delete;
    FolderGate& operator=(const FolderGate&) = delete;

private:
    int fd_;
};

int flockRetrying(int fd, int operation) {
    int rc = 0;
    do {
        rc = flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

// A process that is not our child, watched through a pidfd so that waiting blocks in the event
// loop and the kill cannot hit a recycled pid.
class OtherProcess {
public:
    enum class Wait { Ended, StillRunning, CannotWait };

    explicit OtherProcess(pid_t pid) : pid_(pid) {
        if (pid_ > 0 && pid_ != getpid()) {
            pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
            gone_ = pidfd_ < 0 && errno == ESRCH;
        }
    }
    ~OtherProcess() {
        if (pidfd_ >= 0) {
            close(pidfd_);
        }
    }
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    Wait waitForEnd(int ms) {
        if (gone_) {
            return Wait::Ended;
        }
        if (pidfd_ < 0) {
            return Wait::CannotWait;
        }
        pollfd ready{pidfd_, POLLIN, 0};
        bool ended = poll(&ready, 1, 0) > 0;
        QSocketNotifier notifier(pidfd_, QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, [&ended, &notifier] {
            ended = true;
            notifier.setEnabled(false);
        });
        waitUntil([&ended] { return ended; }, QDeadlineTimer(ms, Qt::PreciseTimer));
        return ended ? Wait::Ended : Wait::StillRunning;
    }

    void kill() {
        if (pidfd_ >= 0) {
            syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0);
        }
    }

private:
    pid_t pid_;
    int pidfd_ = -1;
    bool gone_ = false;
};

void showMessageBox(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

} // namespace

bool skipsInstanceGuard(const QStringList& arguments) {
    return arguments.size() > 1 && arguments.at(1) == QLatin1String("/r");
}

QString applicationTitle(const QString& executablePath) {
    const QString base = QFileInfo(executablePath).fileName().section(QLatin1Char('.'), 0, 0);
    return base.left(1) + base.mid(1).toLower();
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

InstanceGuard::InstanceGuard(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

InstanceGuard::~InstanceGuard() {
    listenNotifier_.reset();
    if (listenFd_ >= 0) {
        close(listenFd_);
        unlink(QFile::encodeName(socketPath()).constData());
    }
    if (markerFd_ >= 0) {
        close(markerFd_);
    }
    if (folderFd_ >= 0) {
        close(folderFd_);
    }
}

QString InstanceGuard::markerPath() const {
    return options_.directory + QStringLiteral("/ZUVO");
}

QString InstanceGuard::socketPath() const {
    return options_.directory + QStringLiteral("/ZUVO.%1.socket").arg(getpid());
}

void InstanceGuard::setCloseRequestHandler(std::function<void()> handler) {
    closeHandler_ = std::move(handler);
    if (closeRequested_) {
        runCloseHandler();
    }
}

void InstanceGuard::setWritingQuery(std::function<QString()> query) {
    writingQuery_ = std::move(query);
}

void InstanceGuard::runCloseHandler() {
    QTimer::singleShot(0, this, [this] {
        if (closeHandler_) {
            closeHandler_();
        }
    });
}

InstanceGuard::Result InstanceGuard::start(const QStringList& arguments) {
    const bool slashR = skipsInstanceGuard(arguments);
    QString why;
    if (!preparePrivateDirectory(options_.directory, &why)) {
        guardOff(why);
        return Result::Run;
    }
    folderFd_ =
        open(QFile::encodeName(options_.directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0) {
        guardOff(options_.directory + QStringLiteral(": ") + errnoText());
        return Result::Run;
    }
    markerFd_ = open(QFile::encodeName(markerPath()).constData(),
                     O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (markerFd_ < 0) {
        guardOff(markerPath() + QStringLiteral(": ") + errnoText());
        return Result::Run;
    }

    std::optional<AskedCopy> running;
    {
        const FolderGate gate(folderFd_);
        if (takeMarkerIfFree()) {
            becomeHolder(true);
            return Result::Run;
        }
        // "/r" starts beside the running copy and keeps the marker alive as long as it runs.
        if (slashR) {
            becomeHolder(false);
            return Result::Run;
        }
        running = askNewestCopyToClose(options_.directory);
    }
    if (!running) {
        refuse(AlreadyRunningText);
        return Result::Exit;
    }
    OtherProcess other(running->pid);
    QElapsedTimer asked;
    asked.start();
    const std::optional<QString> writing =
        writingAnswer(running->fd, std::min(AnswerWaitMs, options_.closeWaitMs));
    close(running->fd);
    if (writing) {
        // Closing or killing it now would leave the controller half-written.
        refuse(writingElsewhereText(*writing));
        return Result::Exit;
    }
    const int waitLeft =
        static_cast<int>(std::max<qint64>(0, options_.closeWaitMs - asked.elapsed()));
    if (other.waitForEnd(waitLeft) == OtherProcess::Wait::StillRunning) {
        other.kill();
        for (int round = 0; round < SettleRounds; ++round) {
            handlePendingEvents();
            pauseFor(SettlePauseMs);
        }
    }
    {
        const FolderGate gate(folderFd_);
        if (takeMarkerIfFree()) {
            becomeHolder(true);
            return Result::Run;
        }
    }
    refuse(AlreadyRunningText);
    return Result::Exit;
}

// Free when nobody holds a share; then this copy keeps one. Called under the folder's gate, so
// the exclusive test and the share that replaces it cannot be split by another copy.
bool InstanceGuard::takeMarkerIfFree() {
    if (flockRetrying(markerFd_, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    return shareMarker();
}

bool InstanceGuard::shareMarker() {
    return flockRetrying(markerFd_, LOCK_SH | LOCK_NB) == 0;
}

void InstanceGuard::becomeHolder(bool writePid) {
    // A "/r" copy beside a holder that keeps the marker exclusively runs without a share.
    holding_ = shareMarker();
    if (writePid) {
        const QByteArray pid = QByteArray::number(getpid()) + '\n';
        if (ftruncate(markerFd_, 0) != 0 ||
            pwrite(markerFd_, pid.constData(), static_cast<std::size_t>(pid.size()), 0) !=
                pid.size()) {
            qWarning("Cannot write the pid into %s", qUtf8Printable(markerPath()));
        }
    }
    listen();
}

void InstanceGuard::listen() {
    sockaddr_un address{};
    const QByteArray path = QFile::encodeName(socketPath());
    if (!socketAddress(socketPath(), &address)) {
        qWarning("Socket path too long: %s", path.constData());
        return;
    }
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // A socket of this pid can only be left over from a dead copy that had it before.
    unlink(path.constData());
    if (listenFd_ < 0 ||
        bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        chmod(path.constData(), 0600) != 0 || ::listen(listenFd_, 4) != 0) {
        qWarning("Cannot listen on %s: %s", path.constData(), qUtf8Printable(errnoText()));
        if (listenFd_ >= 0) {
            close(listenFd_);
            listenFd_ = -1;
        }
        return;
    }
    listenNotifier_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
    connect(listenNotifier_.get(), &QSocketNotifier::activated, this,
            &InstanceGuard::acceptConnections);
}

void InstanceGuard::acceptConnections() {
    for (;;) {
        const int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            return;
        }
        // The request follows the connection at once; wait for it without blocking the loop.
        auto* notifier = new QSocketNotifier(client, QSocketNotifier::Read, this);
        auto received = std::make_shared<QByteArray>();
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier, client, received] {
            char buffer[64];
            const ssize_t n = read(client, buffer, sizeof(buffer));
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                return;
            }
            if (n > 0) {
                received->append(buffer, n);
                if (!received->contains(CloseRequest) && received->size() < 256) {
                    return;
                }
            }
            notifier->setEnabled(false);
            notifier->deleteLater();
            if (received->contains(CloseRequest)) {
                answerCloseRequest(client);
            }
            close(client);
        });
    }
}

// A copy that is writing to the controller stays and says so; any other goes.
void InstanceGuard::answerCloseRequest(int client) {
    QString writing = writingQuery_ ? writingQuery_() : QString();
    writing.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray answer =
        writing.isEmpty() ? ClosingAnswer : WritingAnswer + writing.toUtf8() + '\n';
    // One short line into an empty socket buffer; a peer that has gone needs no answer.
    if (send(client, answer.constData(), static_cast<std::size_t>(answer.size()), MSG_NOSIGNAL) <
        0) {
        qWarning("Cannot answer a close request: %s", qUtf8Printable(errnoText()));
    }
    if (writing.isEmpty()) {
        closeRequested();
    }
}

// A copy asked to close goes, even from the middle of its start-up or from a dialog: every
// modal dialog open now or shown from now on is dismissed, so the closing is not left waiting
// for a user who has already started the new copy.
void InstanceGuard::closeRequested() {
    if (!closeRequested_) {
        closeRequested_ = true;
        QCoreApplication::instance()->installEventFilter(this);
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            }
        }
    }
    // Still starting: the handler runs as soon as the window has been made and sets it.
    if (closeHandler_) {
        runCloseHandler();
    }
}

bool InstanceGuard::eventFilter(QObject* watched, QEvent* event) {
    if (closeRequested_ && event->type() == QEvent::Show) {
        if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isModal()) {
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

QString writingElsewhereText(const QString& what) {
    const QString named = what.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(what);
    return QStringLiteral("The running program is writing to the controller%1. It is not "
                          "closed, so that the controller is not left half-written. Start the "
                          "program again when it has finished.")
        .arg(named);
}

QString instanceGuardOffText(const QString& why) {
    return QStringLiteral("The check for another running copy cannot work:\n%1\n\nThis copy "
                          "runs without it; make sure no other copy uses the port.")
        .arg(why);
}

void InstanceGuard::guardOff(const QString& why) {
    showMessage(instanceGuardOffText(why));
}

void InstanceGuard::refuse(const QString& text) {
    close(markerFd_);
    markerFd_ = -1;
    showMessage(text);
}

void InstanceGuard::showMessage(const QString& text) {
    const QString title = options_.title.isEmpty()
                              ? applicationTitle(QCoreApplication::applicationFilePath())
                              : options_.title;
    if (options_.showMessage) {
        options_.showMessage(title, text);
    } else {
        showMessageBox(title, text);
    }
}

} // namespace zuvo
