// zuvoctl: the controller from the command line, for scripts and production lines. It uses the
// same link, decoding and settings as the window and links no widgets.
//
//   zuvoctl ports                   the port numbers with device paths and adapter names
//   zuvoctl status [--json] [--port N]
//                                   one status reply, decoded as the window shows it
//
// Exit status: 0 done, 1 bad command line, 2 the port cannot be used, 3 the controller did not
// answer.

#include "ctl/StatusReport.h"
#include "params/ParameterBlock.h"
#include "params/UnitConversions.h"
#include "params/WordFields.h"
#include "serial/PortListing.h"
#include "serial/PortMap.h"
#include "session/Link.h"
#include "session/Settings.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QLocale>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <optional>

namespace {

using namespace zuvo;

constexpr int kExitUsage = 1;
constexpr int kExitPort = 2;
constexpr int kExitNoAnswer = 3;
constexpr int kWorkingBaud = 9600;
constexpr int kReplyWaitMs = 2000;

const char* const Usage = "usage: zuvoctl ports\n"
                          "       zuvoctl status [--json] [--port N]\n";

void print(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
}

int fail(int code, const QString& text) {
    print(stderr, QStringLiteral("zuvoctl: ") + text + QLatin1Char('\n'));
    return code;
}

int runPorts() {
    print(stdout, formatPortListing(listPorts(PortMap::global())));
    return 0;
}

// The port the window would use: the stored one, else COM1.
int storedPort() {
    return portNumberOfDigit(readComDigit()).value_or(1);
}

// Opens COMn at the working speed; the message says why not.
std::optional<QString> openPort(TSerialComPort& port, int number) {
    port.setPromptForPort(false);
    port.setComNumber(static_cast<quint16>(number));
    port.setBaud(kWorkingBaud);
    const QString where =
        QStringLiteral("COM%1 (%2)").arg(number).arg(PortMap::global().devicePath(number));
    try {
        port.setOpen(true);
        return std::nullopt;
    } catch (const ESerialError& error) {
        if (QString::fromLatin1(error.what()) == QLatin1String(serial_text::InUse)) {
            return where + QStringLiteral(" is in use by another program (is ZuvoTool running?)");
        }
        if (QString::fromLatin1(error.what()) == QLatin1String(serial_text::BadId)) {
            return where + QStringLiteral(" does not exist");
        }
        return where + QStringLiteral(": ") + QString::fromLocal8Bit(error.what());
    }
}

int runStatus(const QStringList& options) {
    bool json = false;
    int number = storedPort();
    for (int i = 0; i < options.size(); ++i) {
        if (options[i] == QLatin1String("--json")) {
            json = true;
        } else if (options[i] == QLatin1String("--port") && i + 1 < options.size()) {
            bool ok = false;
            number = options[++i].toInt(&ok);
            if (!ok || number < 1) {
                return fail(kExitUsage, QStringLiteral("bad port number: ") + options[i]);
            }
        } else {
            return fail(kExitUsage, QStringLiteral("unknown option: ") + options[i]);
        }
    }

    Link link;
    if (const auto problem = openPort(link.port(), number)) {
        return fail(kExitPort, *problem);
    }
    std::optional<Exchange> exchange = link.begin(QStringLiteral("zuvoctl status"));
    // The window shows the position with the stroke and turns of the controller's block, and
    // the speed for the sensor position the block names: read it first.
    const LinkAnswer<ParameterBlockReply> block = exchange->readBlock(kReplyWaitMs);
    if (!block.value) {
        return fail(block.result == LinkResult::PortLost ? kExitPort : kExitNoAnswer,
                    QStringLiteral("no parameter block from the controller on COM%1").arg(number));
    }
    const std::vector<std::uint16_t>& words = block.value->words;
    const ReceivedGeometry geometry = receivedGeometry(words[Word::Stroke], words[Word::GearTurns]);
    ReceiveContext context;
    context.turns = static_cast<int>(geometry.turns);
    context.strokeMm = geometry.strokeMm;
    context.sensorOnMotorAxis =
        !FunctionFlags::fromWord(words[Word::FunctionFlags]).sensorOnGearUnit;
    link.setContextSource([context] { return context; });

    const LinkAnswer<StatusReceived> status = exchange->requestStatus(kReplyWaitMs);
    if (!status.value) {
        return fail(status.result == LinkResult::PortLost ? kExitPort : kExitNoAnswer,
                    QStringLiteral("no status reply from the controller on COM%1").arg(number));
    }
    if (json) {
        QJsonObject out = statusJson(*status.value);
        out.insert("port", number);
        out.insert("device", PortMap::global().devicePath(number));
        print(stdout, QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented)));
    } else {
        const QString point = QLocale().decimalPoint();
        print(stdout, statusText(*status.value, point.isEmpty() ? QLatin1Char('.') : point[0]));
    }
    return 0;
}

int run(const QStringList& arguments) {
    applyPortSettings(PortMap::global(), qEnvironmentVariable("ZUVO_PORTS"));
    const QString command = arguments.value(1);
    if (command == QLatin1String("ports") && arguments.size() == 2) {
        return runPorts();
    }
    if (command == QLatin1String("status")) {
        return runStatus(arguments.mid(2));
    }
    if (command == QLatin1String("-h") || command == QLatin1String("--help")) {
        std::fputs(Usage, stdout);
        return 0;
    }
    std::fputs(Usage, stderr);
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        return run(QCoreApplication::arguments());
    } catch (const std::exception& error) {
        return fail(kExitPort, QString::fromLocal8Bit(error.what()));
    }
}
