// zuvoctl ports, status and status --watch.

#include "ctl/CtlCommands.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlSession.h"
#include "ctl/StatusReport.h"
#include "serial/PortListing.h"
#include "serial/PortMap.h"
#include "session/EventWait.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QLocale>

namespace zuvo {

namespace {

QString statusOutput(const LiveStatus& status, const CtlSession& session, bool json,
                     QJsonDocument::JsonFormat format) {
    if (json) {
        QJsonObject out = statusJson(status);
        const std::optional<int> number = session.portNumber();
        out.insert("port", number ? QJsonValue(*number) : QJsonValue());
        out.insert("device", session.devicePath());
        insertFirmwareVersion(out, session.knownVersion());
        QString text = QString::fromUtf8(QJsonDocument(out).toJson(format));
        if (!text.endsWith(QLatin1Char('\n'))) {
            text += QLatin1Char('\n');
        }
        return text;
    }
    const QString point = QLocale().decimalPoint();
    QString text = statusText(status, point.isEmpty() ? QLatin1Char('.') : point[0]);
    return text + QStringLiteral("%1  %2\n")
                      .arg(QStringLiteral("Firmware version"), -18)
                      .arg(firmwareVersionText(session.knownVersion()));
}

// Status replies at the poll pace of the window until interrupted: the link polls on its own.
int watch(CtlSession& session, bool json) {
    Link& link = session.link();
    std::optional<CtlFailure> failure;
    bool first = true;
    QDeadlineTimer silence(kCtlSilenceMs);
    QObject::connect(&link, &Link::statusReceived, &link, [&](const LiveStatus& status) {
        silence.setRemainingTime(kCtlSilenceMs);
        // One JSON object per line (JSON Lines); text blocks apart by a blank line.
        print(stdout, (json || first ? QString() : QStringLiteral("\n")) +
                          statusOutput(status, session, json, QJsonDocument::Compact));
        first = false;
    });
    QObject::connect(&link, &Link::connectionChanged, &link, [&](Connection connection) {
        if (connection == Connection::Unplugged || connection == Connection::Lost) {
            failure = session.noAnswer(LinkResult::PortLost, QStringLiteral("status replies"));
        }
    });
    InterruptWatch interrupt;
    session.endExchange();
    link.startPolling();
    link.tick();
    waitUntil([&] { return interrupt.interrupted() || failure || silence.hasExpired(); },
              QDeadlineTimer(QDeadlineTimer::Forever));
    link.shutDown(Link::kSettleMs);
    if (failure) {
        return fail(*failure);
    }
    if (!interrupt.interrupted()) {
        const CtlFailure silent =
            session.noAnswer(LinkResult::NoReply, QStringLiteral("status reply"));
        return fail(silent);
    }
    return ExitDone;
}

} // namespace

int runPorts(const CtlArguments&) {
    print(stdout, formatPortListing(listPorts(PortMap::global())));
    return ExitDone;
}

int runStatus(const CtlArguments& arguments) {
    CtlSession session;
    if (const auto failure = session.openAndReadBlock(arguments)) {
        return fail(*failure);
    }
    const bool json = arguments.has(QStringLiteral("--json"));
    if (arguments.has(QStringLiteral("--watch"))) {
        return watch(session, json);
    }
    const LinkAnswer<LiveStatus> status =
        session.ask([](Exchange& e) { return e.requestStatus(kCtlReplyWaitMs); });
    if (!status.value) {
        const CtlFailure none = session.noAnswer(status.result, QStringLiteral("status reply"));
        return fail(none);
    }
    print(stdout, statusOutput(*status.value, session, json, QJsonDocument::Indented));
    return ExitDone;
}

} // namespace zuvo
