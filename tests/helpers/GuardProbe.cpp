// Runs the single-instance guard the way the program does, for the guard's process tests.
// Usage: zuvo_guard_probe [first argument] [--ignore-close] [--fork-holder] [--start-up-ms=N]
//                         [--writing-ms=N]
// Prints "RUNNING <pid>" once it runs, "MESSAGE <title>|<text>" when the guard refuses,
// "CLOSING" or "IGNORED" on a close request. With --fork-holder a child process shares the
// marker and outlives this one ("HOLDER <pid>"). With --start-up-ms the close handler is set
// only after N ms of handling events, as the window's start-up does ("STARTING" before). With
// --writing-ms it writes to a controller ("Probe Write") for N ms from "RUNNING" on.
// Everything ends on its own within a minute.
#include "app/InstanceGuard.h"
#include "session/EventWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

#include <unistd.h>

namespace {

void say(const QString& line) {
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool ignoreClose = arguments.contains(QStringLiteral("--ignore-close"));

    zuvo::InstanceGuard::Options options;
    options.showMessage = [](const QString& title, const QString& text) {
        say(QStringLiteral("MESSAGE %1|%2").arg(title, text));
    };
    zuvo::InstanceGuard guard(options);
    if (guard.start(arguments) == zuvo::InstanceGuard::Result::Exit) {
        return 0;
    }
    for (const QString& argument : arguments) {
        if (argument.startsWith(QStringLiteral("--start-up-ms="))) {
            say(QStringLiteral("STARTING"));
            zuvo::pauseFor(argument.section(QLatin1Char('='), 1).toInt());
        }
    }
    guard.setCloseRequestHandler([ignoreClose, &app] {
        if (ignoreClose) {
            say(QStringLiteral("IGNORED"));
            return;
        }
        say(QStringLiteral("CLOSING"));
        // Like the window's own shut-down, which takes a moment.
        QTimer::singleShot(300, &app, &QCoreApplication::quit);
    });
    QElapsedTimer running;
    running.start();
    int writingMs = 0;
    for (const QString& argument : arguments) {
        if (argument.startsWith(QStringLiteral("--writing-ms="))) {
            writingMs = argument.section(QLatin1Char('='), 1).toInt();
        }
    }
    guard.setWritingQuery([&running, writingMs] {
        return running.elapsed() < writingMs ? QStringLiteral("Probe Write") : QString();
    });
    if (arguments.contains(QStringLiteral("--fork-holder"))) {
        const pid_t child = fork();
        if (child == 0) {
            close(STDOUT_FILENO);
            close(STDERR_FILENO);
            alarm(60);
            pause();
            _exit(0);
        }
        say(QStringLiteral("HOLDER %1").arg(child));
    }
    running.restart();
    say(QStringLiteral("RUNNING %1").arg(getpid()));
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    app.exec();
    return 0;
}
