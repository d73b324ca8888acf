#pragma once
// The window's one busy state. While the link runs an exchange, every action that could write
// to the port or change the editor is refused at the user's input: a click, a key or a shortcut
// on it is swallowed and the status bar says what the controller is busy with. The handlers
// behind these actions then never run nested inside the exchange's waits. The list of locked
// actions is in BusyLock.cpp, for the main window and the COM-port dialog alike.

#include <QObject>
#include <QSet>

#include <functional>

class QAbstractButton;
class QAction;
class QEvent;

namespace zuvo {

class Link;
class TForm1;
class TForm2;

class BusyLock : public QObject {
public:
    // `refuse` says that an action was refused (the status bar's busy text).
    BusyLock(const Link& link, std::function<void()> refuse, QObject* parent = nullptr);

    // The main window's actions.
    void lockActionsOf(TForm1& form);
    // The COM-port dialog's OK and Tie.
    void lockActionsOf(TForm2& dialog);

    void lock(QAbstractButton* button);
    // Menu items and shortcuts of `action`.
    void lock(QAction* action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether `event` on `watched` would set off a locked action.
    bool setsOffLockedAction(QObject* watched, QEvent* event) const;

    const Link& link_;
    std::function<void()> refuse_;
    QSet<QObject*> buttons_;
    QSet<QAction*> actions_;
};

} // namespace zuvo
