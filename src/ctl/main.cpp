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

const char* const Usage =
    "usage: zuvoctl ports\n"
    "       zuvoctl status [--watch] [--json] [PORT]\n"
    "       zuvoctl read -o FILE.ZDF [PORT]\n"
    "       zuvoctl write FILE.ZDF [--no-verify] [PORT]\n"
    "       zuvoctl restore BACKUP.ZDF [PORT]\n"
    "       zuvoctl diff FILE.ZDF [--json] [PORT]\n"
    "       zuvoctl zero [--direction cw|ccw] [PORT]\n"
    "       zuvoctl test-data [--json] [PORT]\n"
    "       zuvoctl sector-check [--json] [PORT]\n"
    "       zuvoctl record --seconds N [-o WEG.txt] [PORT]\n"
    "       zuvoctl flash IMAGE [--yes] [--no-backup] [PORT]\n"
    "       zuvoctl report -o FILE.pdf [--site TEXT] [--serial TEXT] [--technician TEXT]\n"
    "                      [--record-seconds N] [PORT]\n"
    "PORT is --port COMn (or n) or --device PATH; without it the stored port is used.\n"
    "Exit status: 0 done, 1 the controller did not answer or refused (or the port is in use),\n"
    "2 usage error, 3 verification or sector check failed.\n";

// Qt's own notes (a missing runtime folder, font hints) are no result of a command; only its
// critical messages are worth a line.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        print(stderr, QStringLiteral("zuvoctl: ") + oneLine(text) + QLatin1Char('\n'));
    }
}

} // namespace

QList<CommandSyntax> ctlCommands() {
    const QString json = QStringLiteral("--json");
    const QString output = QStringLiteral("-o");
    return {
        {QStringLiteral("ports"), {}, {}, 0},
        {QStringLiteral("status"), PortOptions, {json, QStringLiteral("--watch")}, 0},
        {QStringLiteral("read"), PortOptions + QStringList{output}, {}, 0},
        {QStringLiteral("write"), PortOptions, {QStringLiteral("--no-verify")}, 1},
        {QStringLiteral("restore"), PortOptions, {}, 1},
        {QStringLiteral("diff"), PortOptions, {json}, 1},
        {QStringLiteral("zero"), PortOptions + QStringList{QStringLiteral("--direction")}, {}, 0},
        {QStringLiteral("test-data"), PortOptions, {json}, 0},
        {QStringLiteral("sector-check"), PortOptions, {json}, 0},
        {QStringLiteral("record"),
         PortOptions + QStringList{QStringLiteral("--seconds"), output},
         {},
         0},
        {QStringLiteral("flash"),
         PortOptions,
         {QStringLiteral("--yes"), QStringLiteral("--no-backup")},
         1},
        {QStringLiteral("report"),
         PortOptions + QStringList{output, QStringLiteral("--site"), QStringLiteral("--serial"),
                                   QStringLiteral("--technician"),
                                   QStringLiteral("--record-seconds")},
         {},
         0},
    };
}

namespace {

int run(const CtlArguments& arguments) {
    using Runner = int (*)(const CtlArguments&);
    const std::pair<const char*, Runner> runners[] = {
        {"ports", runPorts},   {"status", runStatus},      {"read", runRead},
        {"write", runWrite},   {"restore", runRestore},    {"diff", runDiff},
        {"zero", runZero},     {"test-data", runTestData}, {"sector-check", runSectorCheck},
        {"record", runRecord}, {"flash", runFlash},        {"report", runReport},
    };
    for (const auto& [name, runner] : runners) {
        if (arguments.command == QLatin1String(name)) {
            return runner(arguments);
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
        print(stdout, QString::fromLatin1(Usage));
        return ExitDone;
    }
    const CtlArguments parsed = parseCtlArguments(arguments, ctlCommands());
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
