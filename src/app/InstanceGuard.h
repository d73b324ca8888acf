#pragma once
// At most one copy per desktop user. The marker "ZUVO" is a lock file held with flock, so the
// kernel frees it when its holder dies; the holder writes its pid into it and listens on the
// local socket "ZUVO.socket" beside it. A new copy that finds the marker held asks the running
// copy through that socket to close, waits for its process, terminates it if need be, and goes
// on only when the marker has become free.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace zuvo {

inline const QString AlreadyRunningText = QStringLiteral(
    "The programm ist already running! Have a look at the Task-Manager and change to the running "
    "program or terminate the other runnning program");

// True when the first argument after the program is exactly "/r": start even though another
// copy runs.
bool skipsInstanceGuard(const QStringList& arguments);

// The executable's file name up to its first dot, the first character as it is and the rest
// lower-cased ("ZuvoTool.exe" gives "Zuvotool"): the caption of the guard's message box.
QString applicationTitle(const QString& executablePath);

// `$ZUVO_RUNTIME_DIR`, else `$XDG_RUNTIME_DIR`, else /tmp/ZUVO-<uid>.
QString instanceDirectory();

// Creates `path` with mode 0700 when missing. Refuses (false, reason in `why`) anything but a
// real directory owned by this user; a group- or world-accessible one is made private.
bool preparePrivateDirectory(const QString& path, QString* why = nullptr);

class InstanceGuard : public QObject {
    Q_OBJECT
public:
    static constexpr int CloseWaitMs = 5000;  // for the running copy to end after the request
    static constexpr int SettleRounds = 4;    // after a forced termination ...
    static constexpr int SettlePauseMs = 200; // ... rounds of handling events and pausing

    using MessageFn = std::function<void(const QString& title, const QString& text)>;

    struct Options {
        QString directory = instanceDirectory();
        QString title;         // message box caption
        MessageFn showMessage; // empty: a modal message box with an OK button
        int closeWaitMs = CloseWaitMs;
    };

    enum class Result { Run, Exit };

    explicit InstanceGuard(Options options, QObject* parent = nullptr);
    ~InstanceGuard() override;

    // Runs the guard for this process's `arguments` (program first). Exit: the already-running
    // message has been shown and the program is to end with status 0. Needs a Qt application.
    Result start(const QStringList& arguments);

    // What this copy does when a newer copy asks it to close (close the main window).
    void setCloseRequestHandler(std::function<void()> handler);

    bool holdsMarker() const { return holding_; }
    QString markerPath() const;
    QString socketPath() const;

private:
    bool tryTakeMarker();
    void becomeHolder();
    void acceptConnections();
    void refuse();

    Options options_;
    int markerFd_ = -1;
    bool holding_ = false;
    int listenFd_ = -1;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::function<void()> closeHandler_;
};

} // namespace zuvo
