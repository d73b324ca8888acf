#include "app/BusyLock.h"

#include "app/TForm1.h"
#include "app/TForm2.h"
#include "session/Link.h"
#include "ui_TForm1.h"
#include "ui_TForm2.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>

namespace zuvo {

namespace {

bool isActivationKey(int key) {
    return key == Qt::Key_Space || key == Qt::Key_Select || key == Qt::Key_Return ||
           key == Qt::Key_Enter;
}

// The key that picks `action` in an open menu: its underlined letter.
bool isMnemonicOf(const QAction* action, int key) {
    const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
    return !mnemonic.isEmpty() && mnemonic[0].key() == Qt::Key(key);
}

} // namespace

BusyLock::BusyLock(const Link& link, std::function<void()> refuse, QObject* parent)
    : QObject(parent), link_(link), refuse_(std::move(refuse)) {}

void BusyLock::lockActionsOf(TForm1& form) {
    Ui::TForm1& ui = *form.ui;
    // The block buttons, the commissioning and relay buttons, the update's start.
    const std::initializer_list<QAbstractButton*> buttons = {
        ui.ReadParam, ui.SaveParam, ui.LMDButton1, ui.Kalibrierung,
        ui.Button10,  ui.Button2,   ui.Button3,    ui.Button5};
    for (QAbstractButton* button : buttons) {
        lock(button);
    }
    // Loading values, restoring and comparing a backup, setting a module's position, the update.
    for (QAction* action : {ui.ReadfromINIFile1, ui.RestoreBackup1, ui.CompareWithFile1,
                            ui.SetPosiotn1, ui.FlashUpdate1}) {
        lock(action);
    }
}

void BusyLock::lockActionsOf(TForm2& dialog) {
    lock(dialog.ui->Button1);
    lock(dialog.ui->TieButton);
}

void BusyLock::lock(QAbstractButton* button) {
    buttons_.insert(button);
    button->installEventFilter(this);
}

void BusyLock::lock(QAction* action) {
    actions_.insert(action);
    action->installEventFilter(this);
    for (QObject* shownIn : action->associatedObjects()) {
        if (qobject_cast<QMenu*>(shownIn) != nullptr) {
            shownIn->installEventFilter(this);
        }
    }
}

bool BusyLock::eventFilter(QObject* watched, QEvent* event) {
    if (!link_.exchangeRunning() || !setsOffLockedAction(watched, event)) {
        return false;
    }
    refuse_();
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
        menu->close();
    }
    return true;
}

bool BusyLock::setsOffLockedAction(QObject* watched, QEvent* event) const {
    const QEvent::Type type = event->type();
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
        if (type == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            return actions_.contains(menu->actionAt(mouse->position().toPoint()));
        }
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (isActivationKey(key)) {
                return actions_.contains(menu->activeAction());
            }
            for (QAction* action : menu->actions()) {
                if (actions_.contains(action) && isMnemonicOf(action, key)) {
                    return true;
                }
            }
        }
        return false;
    }
    if (auto* action = qobject_cast<QAction*>(watched)) {
        return actions_.contains(action) && type == QEvent::Shortcut;
    }
    if (!buttons_.contains(watched)) {
        return false;
    }
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Shortcut:
        return true;
    case QEvent::KeyPress:
        return isActivationKey(static_cast<QKeyEvent*>(event)->key());
    default:
        return false;
    }
}

} // namespace zuvo
