#pragma once
// At most one copy per desktop user. The marker "ZUVO" is a lock file: every running copy holds
// a shared flock on it, so it "exists" while any copy runs and the kernel frees a crashed
// holder's share. A copy tests for it by trying the exclusive lock; the tests and takes are
// made under an exclusive flock on the folder, so two copies starting at once cannot both find
// it free. Every running copy listens on its own socket "ZUVO.<pid>.socket" beside it; a new
// copy that finds the marker held asks the newest of them to close, waits for its process,
// terminates it if need be, and goes on only when the marker has become free.
//
// On the socket the new copy writes "close\n" and reads one line back: "closing\n", or
// "writing <what>\n" from a copy that is writing to the controller and stays. A copy that says
// it writes is neither waited for nor terminated: the new copy says so and ends. Any other
// answer, none within a second, or a closed connection goes the way described above.

#include "app/GuardMarker.h"

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

// The message of a new copy that ends because the running one is writing to the controller;
// `what` names the running exchange (may be empty).
QString writingElsewhereText(const QString& what);

// The message shown when the guard cannot work at all (its folder is unusable); the program
// then runs without it.
QString instanceGuardOffText(const QString& why);

class InstanceGuard : public QObject {
    Q_OBJECT
public:
    static constexpr int CloseWaitMs = 5000;  // for the running copy to end after the request
    static constexpr int SettleRounds = 4;    // after a forced termination ...
    static constexpr int SettlePauseMs = 200; // ... rounds of handling events and pausing
    // How long the asked copy has to answer, within CloseWaitMs.
    static constexpr int AnswerWaitMs = 1000;

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

    // What this copy does when a newer copy asks it to close (close the main window). A
    // request that came before the handler (while the program was still starting) runs it as
    // soon as it is set. From the request on, every modal dialog is dismissed, so that neither
    // the start-up nor the closing waits for a user who has already started the new copy.
    void setCloseRequestHandler(std::function<void()> handler);
    // What this copy is writing to the controller now (a name), empty when nothing. While it
    // writes, a close request is answered with it and not honoured.
    void setWritingQuery(std::function<QString()> query);

    bool holdsMarker() const { return holding_; }
    QString markerPath() const;
    // This copy's socket.
    QString socketPath() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void becomeHolder(bool writePid);
    void listen();
    void acceptConnections();
    void closeRequested();
    void answerCloseRequest(int client);
    void runCloseHandler();
    void guardOff(const QString& why);
    void refuse(const QString& text);
    void showMessage(const QString& text);

    Options options_;
    int markerFd_ = -1;
    int folderFd_ = -1;
    bool holding_ = false;
    int listenFd_ = -1;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::function<void()> closeHandler_;
    std::function<QString()> writingQuery_;
    bool closeRequested_ = false;
};

} // namespace zuvo
