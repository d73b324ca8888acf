#include "app/CommandLine.h"

#include "serial/PortListing.h"
#include "serial/PortMap.h"
#include "session/Settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

namespace zuvo {

namespace {

struct Options {
    Options() : help(parser.addHelpOption()), version(parser.addVersionOption()) {
        // "-platform" is Qt's option, not "-p -l -a ..." (with an h in "-stylesheet").
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(
            QStringLiteral("ZUVO Setup Tool: setup and commissioning of the ZUVO electric linear "
                           "actuator over a USB-to-serial adapter."));
        parser.addOption(listPorts);
        parser.addPositionalArgument(
            QStringLiteral("/r | file"),
            QStringLiteral("As the first argument, /r starts this copy although another copy "
                           "runs, and leaves that copy running; a parameter file (*.ZDF) is "
                           "loaded at start, in place of the controller's parameter block."),
            QStringLiteral("[/r | file]"));
    }

    bool asksForSomething() const {
        return parser.isSet(help) || parser.isSet(version) || parser.isSet(listPorts) ||
               parser.isSet(QStringLiteral("help-all"));
    }

    QCommandLineParser parser;
    const QCommandLineOption help;
    const QCommandLineOption version;
    QCommandLineOption listPorts{
        QStringLiteral("list-ports"),
        QStringLiteral("Print which device and adapter every COM number reaches now, and exit.")};
};

void print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void setApplicationIdentity() {
    QCoreApplication::setApplicationName(QStringLiteral("zuvotool"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZUVO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(ZUVO_APP_ID));
}

bool isCommandLineRequest(const QStringList& arguments) {
    Options options;
    // Unknown options are no concern here: the window ignores them as it always did.
    options.parser.parse(arguments);
    return options.asksForSomething();
}

bool isCommandLineRequest(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return isCommandLineRequest(arguments);
}

int runCommandLine(const QStringList& arguments) {
    Options options;
    if (!options.parser.parse(arguments)) {
        print(stderr, QStringLiteral("%1: %2\nTry '%1 --help'.\n")
                          .arg(QCoreApplication::applicationName(), options.parser.errorText()));
        return 1;
    }
    if (options.parser.isSet(options.help) || options.parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, options.parser.helpText());
        return 0;
    }
    if (options.parser.isSet(options.version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion()));
        return 0;
    }
    // --list-ports: the map as the window would use it, the settings file under the environment.
    applyPortSettings(PortMap::global(), qEnvironmentVariable("ZUVO_PORTS"));
    for (const QString& problem : portSettingsProblems()) {
        print(stderr, problem + QLatin1Char('\n'));
    }
    print(stdout, formatPortListing(listPorts(PortMap::global())));
    return 0;
}

} // namespace zuvo
