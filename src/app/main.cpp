// zuvotool: the single-instance guard, then the two windows, then the event loop. The exit
// status is 0 in every case.
#include "app/AppStartup.h"
#include "app/CommandLine.h"
#include "app/InstanceGuard.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "serial/PortMap.h"
#include "session/Settings.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace {

int run(QApplication& app) {
    const QStringList arguments = QCoreApplication::arguments();

    // The guard runs before any window exists. It needs the application object for its waits
    // (they keep handling events) and for its message box.
    zuvo::InstanceGuard guard(zuvo::InstanceGuard::Options{});
    if (guard.start(arguments) == zuvo::InstanceGuard::Result::Exit) {
        return 0;
    }

    zuvo::applyPortSettings(zuvo::PortMap::global(), qEnvironmentVariable("ZUVO_PORTS"));

    zuvo::TForm1 form1;
    zuvo::TForm2 form2(&form1);
    form1.appStartup().setForm2(&form2);
    form1.appStartup().FormCreate(arguments);

    // A newer copy asks this one to close: the same way out as the user closing the window.
    guard.setCloseRequestHandler([&form1] { form1.close(); });

    form1.show();
    app.exec();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    zuvo::setApplicationIdentity();
    // --help, --version, --list-ports: printed without a window system, the guard never runs.
    if (zuvo::isCommandLineRequest(argc, argv)) {
        QCoreApplication app(argc, argv);
        return zuvo::runCommandLine(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    try {
        return run(app);
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
