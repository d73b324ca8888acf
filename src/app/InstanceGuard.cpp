#include "app/InstanceGuard.h"

#include "app/GuardSocket.h"
#include "app/OtherProcess.h"
#include "session/EventWait.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <optional>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zuvo {

namespace {

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
        if (takeMarkerIfFree(markerFd_)) {
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
        if (takeMarkerIfFree(markerFd_)) {
            becomeHolder(true);
            return Result::Run;
        }
    }
    refuse(AlreadyRunningText);
    return Result::Exit;
}

void InstanceGuard::becomeHolder(bool writePid) {
    // A "/r" copy beside a holder that keeps the marker exclusively runs without a share.
    holding_ = shareMarker(markerFd_);
    if (writePid && !writePidInto(markerFd_)) {
        qWarning("Cannot write the pid into %s", qUtf8Printable(markerPath()));
    }
    listen();
}

void InstanceGuard::listen() {
    listenFd_ = listenForCloseRequests(socketPath());
    if (listenFd_ < 0) {
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
                if (!holdsCloseRequest(*received) && received->size() < kMaxCloseRequestBytes) {
                    return;
                }
            }
            notifier->setEnabled(false);
            notifier->deleteLater();
            if (holdsCloseRequest(*received)) {
                answerCloseRequest(client);
            }
            close(client);
        });
    }
}

// A copy that is writing to the controller stays and says so; any other goes.
void InstanceGuard::answerCloseRequest(int client) {
    const QString writing = writingQuery_ ? writingQuery_() : QString();
    const QByteArray answer = closeAnswer(writing);
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
