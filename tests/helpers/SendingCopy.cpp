// zuvotool with a user who clicks "Send Parameter-Block" as soon as the controller answers: the
// program's own run (guard, windows, event loop), for the process tests of a start of another
// copy during a send. Arguments as zuvotool's. Prints "SENDING" when it clicks, "SENT <status
// text>" when the send has returned, "MESSAGE <text>" for a message the send would show in a
// box, and "EXIT" when the program ends.
//
// With ZUVO_CLOSE_DURING set, the user instead starts the named exchange once the controller
// answers and closes the window while it runs, printing "CLOSING": "send" (the block is sent),
// "read" ("Read Parameter-Block"), "update" (the firmware update with the image named by
// ZUVO_IMAGE, closed while it waits for the bootloader).
#include "app/TForm1.h"
#include "app/Views.h"
#include "app/WindowProgram.h"
#include "app/pages/ParameterTransfer.h"
#include "app/service/FirmwareUpdate.h"
#include "widgets/LedIndicator.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <cstdio>

namespace {

// How long after its start the exchange is left to run before the window is closed.
constexpr int kCloseAfterMs = 400;

void say(QString line) {
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

// Runs `act` once, as soon as the controller answers and no exchange runs.
void onceAnswering(zuvo::TForm1& form, std::function<void()> act) {
    auto* const lamp = form.findChild<zuvo::LedIndicator*>(QStringLiteral("AbLED1"));
    auto* const watch = new QTimer(&form);
    QObject::connect(watch, &QTimer::timeout, &form, [&form, lamp, watch, act] {
        if (!lamp->isChecked() || form.link().exchangeRunning()) {
            return;
        }
        watch->stop();
        act();
    });
    watch->start(50);
}

void closeLater(zuvo::TForm1& form) {
    QTimer::singleShot(kCloseAfterMs, &form, [&form] {
        say(QStringLiteral("CLOSING"));
        form.close();
    });
}

void closeDuring(zuvo::TForm1& form, const QString& what) {
    form.parameterTransfer().prompts.message = [](const QString& text) {
        say(QStringLiteral("MESSAGE ") + text);
    };
    zuvo::FirmwareUpdate::Hooks hooks;
    hooks.confirm = [](const QString&) { return true; };
    hooks.chooseFile = [] { return qEnvironmentVariable("ZUVO_IMAGE"); };
    hooks.message = [](const QString& text) { say(QStringLiteral("MESSAGE ") + text); };
    form.firmwareUpdate().setHooks(hooks);
    onceAnswering(form, [&form, what] {
        if (what == QLatin1String("read")) {
            form.findChild<QPushButton*>(QStringLiteral("ReadParam"))->click();
            closeLater(form);
        } else if (what == QLatin1String("update")) {
            // The view changes once the bootloader is asked for; the wait for it follows.
            auto* const watch = new QTimer(&form);
            QObject::connect(watch, &QTimer::timeout, &form, [&form, watch] {
                if (form.views().current() == zuvo::View::Update) {
                    watch->stop();
                    closeLater(form);
                }
            });
            watch->start(5);
            form.findChild<QAction*>(QStringLiteral("FlashUpdate1"))->trigger();
        } else {
            QObject::connect(&form.link(), &zuvo::Link::exchangeStarted, &form,
                             [&form] { closeLater(form); });
            form.findChild<QPushButton*>(QStringLiteral("SaveParam"))->click();
        }
    });
}

void sendOnceAnswering(zuvo::TForm1& form) {
    const QString closing = qEnvironmentVariable("ZUVO_CLOSE_DURING");
    if (!closing.isEmpty()) {
        closeDuring(form, closing);
        return;
    }
    form.parameterTransfer().prompts.message = [](const QString& text) {
        say(QStringLiteral("MESSAGE ") + text);
    };
    auto* const send = form.findChild<QPushButton*>(QStringLiteral("SaveParam"));
    onceAnswering(form, [&form, send] {
        say(QStringLiteral("SENDING"));
        send->click();
        say(QStringLiteral("SENT ") +
            form.findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->currentMessage());
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int status = zuvo::runWindowProgram(app, sendOnceAnswering);
    say(QStringLiteral("EXIT"));
    return status;
}
