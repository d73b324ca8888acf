// zuvotool with a user who clicks "Send Parameter-Block" as soon as the controller answers: the
// program's own run (guard, windows, event loop), for the process tests of a start of another
// copy during a send. Arguments as zuvotool's. Prints "SENDING" when it clicks, "SENT <status
// text>" when the send has returned, "MESSAGE <text>" for a message the send would show in a
// box, and "EXIT" when the program ends.
#include "app/TForm1.h"
#include "app/WindowProgram.h"
#include "app/pages/ParameterTransfer.h"
#include "widgets/LedIndicator.h"

#include <QApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <cstdio>

namespace {

void say(QString line) {
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

void sendOnceAnswering(zuvo::TForm1& form) {
    form.parameterTransfer().prompts.message = [](const QString& text) {
        say(QStringLiteral("MESSAGE ") + text);
    };
    auto* const lamp = form.findChild<zuvo::LedIndicator*>(QStringLiteral("AbLED1"));
    auto* const send = form.findChild<QPushButton*>(QStringLiteral("SaveParam"));
    auto* const watch = new QTimer(&form);
    QObject::connect(watch, &QTimer::timeout, &form, [&form, lamp, send, watch] {
        if (!lamp->isChecked() || form.link().exchangeRunning()) {
            return;
        }
        watch->stop();
        say(QStringLiteral("SENDING"));
        send->click();
        say(QStringLiteral("SENT ") +
            form.findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->currentMessage());
    });
    watch->start(50);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int status = zuvo::runWindowProgram(app, sendOnceAnswering);
    say(QStringLiteral("EXIT"));
    return status;
}
