// zuvoctl zero, test-data, sector-check and record: the service functions of the window.

#include "ctl/CtlCommands.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlRecording.h"
#include "ctl/CtlSession.h"
#include "device/RequestFrames.h"
#include "device/SectorStrip.h"
#include "params/FileNumber.h"
#include "params/FileReplace.h"
#include "params/OutputFileCheck.h"
#include "params/ParameterBlock.h"
#include "params/ParameterValues.h"
#include "service/PositionRecord.h"
#include "service/RecordingFile.h"
#include "service/TestData.h"
#include "session/EventWait.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>

#include <algorithm>

namespace zuvo {

namespace {

void printJson(const QJsonObject& object) {
    print(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
}

} // namespace

int runZero(const CtlArguments& arguments) {
    // The window takes the direction from its page; here it is named, or the block's stays.
    const QString direction = arguments.value(QStringLiteral("--direction")).toLower();
    if (!direction.isEmpty() && direction != QLatin1String("cw") &&
        direction != QLatin1String("ccw")) {
        return fail(ExitUsage, QStringLiteral("bad direction: %1 (give cw or ccw)")
                                   .arg(arguments.value(QStringLiteral("--direction"))));
    }
    CtlSession session;
    if (const auto failure = session.openAndReadBlock(arguments)) {
        return fail(*failure);
    }
    Exchange& exchange = session.exchange();
    // The angle the compass shows now, as the window takes it.
    const LinkAnswer<LiveStatus> status =
        session.ask([](Exchange& e) { return e.requestStatus(kCtlReplyWaitMs); });
    if (!status.value || !status.value->winkelDigit) {
        const CtlFailure none = session.noAnswer(status.result, QStringLiteral("sensor angle"));
        return fail(none);
    }
    ParameterBlock block;
    block.storeReceivedWords(session.block().words);
    const bool counterClockwise =
        direction.isEmpty() ? !receivedValues(block).clockwise : direction == QLatin1String("ccw");
    const std::uint32_t angle = std::min<std::uint32_t>(*status.value->winkelDigit, 1023);
    const std::uint16_t word = zeroPositionWord(angle, counterClockwise);
    const LinkResult sent = exchange.sendAndWaitForAck(writeWordFrame(kZeroWordIndex, word));
    if (sent != LinkResult::Acknowledged) {
        return fail(ExitNoAnswer,
                    sent == LinkResult::PortLost
                        ? QStringLiteral("the port %1 went away: the zero position may not be set; "
                                         "check the adapter and run zero again")
                              .arg(session.portName())
                        : QStringLiteral("the controller did not acknowledge the zero position: "
                                         "check it with status and run zero again"));
    }
    print(stdout, QStringLiteral("zero position set at angle %1 (%2)\n")
                      .arg(angle)
                      .arg(counterClockwise ? QStringLiteral("counter-clockwise")
                                            : QStringLiteral("clockwise")));
    return ExitDone;
}

int runTestData(const CtlArguments& arguments) {
    CtlSession session;
    if (const auto failure = session.open(arguments)) {
        return fail(*failure);
    }
    const LinkAnswer<std::vector<std::uint8_t>> text =
        session.exchange().collectUntilSilent(testDataFrame(), kTestDataSilenceMs);
    const std::optional<QStringList> lines = text.value ? testDataLines(*text.value) : std::nullopt;
    if (!lines) {
        const CtlFailure none = session.noAnswer(text.result, QStringLiteral("test data"));
        return fail(none);
    }
    if (arguments.has(QStringLiteral("--json"))) {
        printJson(QJsonObject{{"port", session.portName()},
                              {"lines", QJsonArray::fromStringList(*lines)}});
    } else {
        print(stdout, lines->join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
    return ExitDone;
}

int runSectorCheck(const CtlArguments& arguments) {
    CtlSession session;
    if (const auto failure = session.open(arguments)) {
        return fail(*failure);
    }
    const LinkAnswer<SensorWordsReceived> sensor =
        session.ask([](Exchange& e) { return e.requestSensorWords(kCtlReplyWaitMs); });
    if (!sensor.value) {
        const CtlFailure none = session.noAnswer(sensor.result, QStringLiteral("sensor words"));
        return fail(none);
    }
    EdgeTable reed1{};
    EdgeTable reed2{};
    edgesFromSensorWords(sensor.value->words, reed1, reed2);
    const SectorCheck check = checkSectors(reed1, reed2);
    if (!check.complete) {
        return fail(ExitNoAnswer, QStringLiteral("the controller has not measured every reed edge "
                                                 "yet: let the cylinder turn a full revolution "
                                                 "and run sector-check again"));
    }
    if (arguments.has(QStringLiteral("--json"))) {
        QJsonArray edges1;
        QJsonArray edges2;
        for (std::size_t i = 0; i < reed1.size(); ++i) {
            edges1.append(reed1[i]);
            edges2.append(reed2[i]);
        }
        printJson(QJsonObject{{"port", session.portName()},
                              {"passed", check.passed},
                              {"reed1_edges", edges1},
                              {"reed2_edges", edges2},
                              {"table", QJsonArray::fromStringList(check.table)}});
    } else {
        QStringList lines = check.table;
        for (QString& line : lines) {
            line.replace(QLatin1Char('\t'), QLatin1Char(' '));
        }
        print(stdout, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        print(stdout, check.passed ? QStringLiteral("Verdict: passed\n")
                                   : QStringLiteral("Verdict: failed\n"));
    }
    return check.passed ? ExitDone : ExitCheckFailed;
}

int runRecord(const CtlArguments& arguments) {
    const std::optional<int> seconds = parseSeconds(arguments.value(QStringLiteral("--seconds")));
    if (!seconds) {
        return fail(ExitUsage, QStringLiteral("record needs --seconds N (1 to 86400)"));
    }
    // The default name carries the time of saving; its folder is known now.
    const QString given = arguments.value(QStringLiteral("-o"));
    const auto outputPath = [&given] {
        return given.isEmpty() ? QDir::current().filePath(recordingFileName(QTime::currentTime()))
                               : given;
    };
    // Before the port and the recording: minutes of travel are not recorded for nothing.
    const QString planned = outputPath();
    if (const OutputFileCheck output = checkOutputFile(planned); !output.ok()) {
        return fail(ExitUsage, unwritableFileText(QStringLiteral("recording"), planned, output));
    }
    CtlSession session;
    if (const auto opened = session.openAndReadBlock(arguments)) {
        return fail(*opened);
    }
    const CtlRecording recording = recordPositions(session, *seconds);
    const PositionRecord& record = recording.record;
    const std::optional<CtlFailure>& failure = recording.failure;
    if (record.count() == 0) {
        return fail(*failure);
    }

    // What was recorded is kept, also when the controller fell silent or the port went away.
    const QString path = outputPath();
    const FileReplace written = replaceFile(path, recordingText(record, fileDecimalSeparator()));
    if (!written.ok()) {
        return fail(ExitUsage, QStringLiteral("cannot write the recording %1: %2")
                                   .arg(QDir::toNativeSeparators(path), written.error));
    }
    const double durationS = static_cast<double>(record.timeMs(record.count() - 1)) / 1000.0;
    print(stdout, QStringLiteral("%1 samples over %2 s written to %3%4\n")
                      .arg(record.count())
                      .arg(QString::number(durationS, 'f', 1))
                      .arg(QDir::toNativeSeparators(path))
                      .arg(recording.interrupted || failure ? QStringLiteral(" (stopped early)")
                                                            : QString()));
    return failure ? fail(*failure) : ExitDone;
}

} // namespace zuvo
