// zuvotool: the single-instance guard, then the two windows, then the event loop. The exit
// status is 0 in every case.
#include "app/CommandLine.h"
#include "app/InstanceGuard.h"
#include "app/WindowProgram.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

int main(int argc, char** argv) {
    zuvo::setApplicationIdentity();
    // --help, --version, --list-ports: printed without a window system, the guard never runs.
    if (zuvo::isCommandLineRequest(argc, argv)) {
        QCoreApplication app(argc, argv);
        return zuvo::runCommandLine(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    try {
        return zuvo::runWindowProgram(app);
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr,
                              zuvo::applicationTitle(QCoreApplication::applicationFilePath()),
                              QString::fromLocal8Bit(error.what()));
    } catch (...) {
        QMessageBox::critical(nullptr,
                              zuvo::applicationTitle(QCoreApplication::applicationFilePath()),
                              QStringLiteral("Unexpected error"));
    }
    return 0;
}
