#include "ctl/CtlRecording.h"

#include "ctl/CtlOutput.h"
#include "session/EventWait.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <chrono>

namespace zuvo {

CtlRecording recordPositions(CtlSession& session, int seconds) {
    CtlRecording out;
    Link& link = session.link();
    // The recording view asks for a status reply on every tick, at the window's poll pace.
    link.setShownParts({.recordingView = true});
    QElapsedTimer clock;
    QDeadlineTimer silence(kCtlSilenceMs);
    PositionRecord& record = out.record;
    const QMetaObject::Connection onStatus =
        QObject::connect(&link, &Link::statusReceived, &link, [&](const LiveStatus& status) {
            if (!status.position) {
                return;
            }
            silence.setRemainingTime(kCtlSilenceMs);
            if (record.count() == 0) {
                clock.start();
            }
            record.take(status.position->counts, status.position->strokeFraction, ChartScale{},
                        clock.elapsed());
        });
    const QMetaObject::Connection onConnection =
        QObject::connect(&link, &Link::connectionChanged, &link, [&](Connection connection) {
            if (connection == Connection::Unplugged || connection == Connection::Lost) {
                out.failure =
                    session.noAnswer(LinkResult::PortLost, QStringLiteral("status replies"));
            }
        });
    InterruptWatch interrupt;
    const QDeadlineTimer end{std::chrono::seconds(seconds)};
    session.endExchange();
    link.startPolling();
    link.tick();
    waitUntil(
        [&] {
            return interrupt.interrupted() || out.failure || silence.hasExpired() ||
                   record.count() + 1 >= PositionRecord::kCapacity;
        },
        end);
    link.shutDown(Link::kSettleMs);
    QObject::disconnect(onStatus);
    QObject::disconnect(onConnection);
    if (!out.failure && (silence.hasExpired() || record.count() == 0)) {
        out.failure = session.noAnswer(LinkResult::NoReply, QStringLiteral("status reply"));
    }
    out.interrupted = interrupt.interrupted();
    return out;
}

} // namespace zuvo
