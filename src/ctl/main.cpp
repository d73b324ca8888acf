// zuvoctl: the controller from the command line, for scripts and production lines. It uses the
// same link, decoding, parameter, update and report code as the window and links no widgets.
// The subcommands, options and exit statuses are described in zuvoctl(1).

#include "ctl/CtlArguments.h"
#include "ctl/CtlCommands.h"
#include "ctl/CtlOutput.h"
#include "serial/PortMap.h"
#include "session/Settings.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <exception>
#include <memory>

namespace zuvo {

namespace {

// Qt's own notes (a missing runtime folder, font hints) are no result of a command; only its
// critical messages are worth a line.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        print(stderr, QStringLiteral("zuvoctl: ") + oneLine(text) + QLatin1Char('\n'));
    }
}

// Parsing has refused any name the table does not hold.
int run(const CtlArguments& arguments) {
    for (const CtlCommand& command : ctlCommands()) {
        if (command.syntax.name == arguments.command) {
            return command.run(arguments);
        }
    }
    return fail(ExitUsage, QStringLiteral("unknown command: ") + arguments.command);
}

} // namespace

} // namespace zuvo

int main(int argc, char** argv) {
    using namespace zuvo;
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    qInstallMessageHandler(qtMessage);
    const QString first = arguments.value(0);
    if (first == QLatin1String("-h") || first == QLatin1String("--help") ||
        first == QLatin1String("help")) {
        print(stdout, usageText(ctlCommandSyntax()));
        return ExitDone;
    }
    const CtlArguments parsed = parseCtlArguments(arguments, ctlCommandSyntax());
    if (!parsed.error.isEmpty()) {
        return fail(ExitUsage,
                    parsed.error + QStringLiteral(" (zuvoctl --help lists the commands)"));
    }
    // The PDF writer needs fonts, so the report runs in a Gui application; no display is needed.
    std::unique_ptr<QCoreApplication> app;
    if (parsed.command == QLatin1String("report")) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    try {
        applyPortSettings(PortMap::global(), qEnvironmentVariable("ZUVO_PORTS"));
        return run(parsed);
    } catch (const std::exception& error) {
        return fail(ExitNoAnswer, QString::fromLocal8Bit(error.what()));
    }
}
