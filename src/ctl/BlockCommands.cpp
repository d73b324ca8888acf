// zuvoctl read and report: the controller's block as a parameter file with its [BLOCK] section,
// and the commissioning report.

#include "ctl/CtlCommands.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlRecording.h"
#include "ctl/CtlSession.h"
#include "device/SectorStrip.h"
#include "device/Windows1252.h"
#include "params/BackupFile.h"
#include "params/BackupStore.h"
#include "params/EditorText.h"
#include "params/FileNumber.h"
#include "params/OutputFileCheck.h"
#include "params/ParameterComparison.h"
#include "params/ParameterValues.h"
#include "params/ZdfContent.h"
#include "report/ReportContent.h"
#include "report/ReportPdf.h"
#include "serial/AdapterName.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace zuvo {

int runRead(const CtlArguments& arguments) {
    const QString path = arguments.value(QStringLiteral("-o"));
    if (path.isEmpty()) {
        return fail(ExitUsage, QStringLiteral("read needs -o FILE.ZDF"));
    }
    if (const OutputFileCheck output = checkOutputFile(path); !output.ok()) {
        return fail(ExitUsage, unwritableFileText(QStringLiteral("parameter file"), path, output));
    }
    CtlSession session;
    if (const auto failure = session.openAndReadBlock(arguments)) {
        return fail(*failure);
    }
    const ParameterBlockReply& reply = session.block();
    // The file "Save to File" writes when the pages show this block. A block whose values the
    // pages cannot hold keeps only its [BLOCK] section, as a backup does: the words are what
    // matters, and zuvoctl restore sends them.
    const QLocale locale;
    const ParameterValues values = blockValues(reply.words);
    const std::optional<ZdfContent> content = fileContent(values, fileDecimalSeparator(locale));
    BlockBackup backup;
    backup.words = reply.words;
    backup.calibration10V = reply.kali10V;
    backup.calibration4mA = reply.kali4mA;
    backup.firmwareVersion = session.firmwareVersion().value_or(0);
    backup.port = session.linkNumber();
    backup.devicePath = session.devicePath();
    backup.time = QDateTime::currentDateTime();
    IniFile ini = IniFile::replacing(path);
    if ((content && !writeZdf(ini, *content, locale)) || !writeBlockSection(ini, backup) ||
        !ini.save()) {
        return fail(ExitUsage, QStringLiteral("cannot write %1: check the folder and its "
                                              "permissions")
                                   .arg(QDir::toNativeSeparators(path)));
    }
    if (!content) {
        QStringList unusable;
        for (const ValueField field : unusableFields(values)) {
            unusable << unusableFieldText(field, values);
        }
        print(stdout, QStringLiteral("%1 words read from %2 into %3, as a block section only: the "
                                     "editor cannot hold the block's values (%4)\n")
                          .arg(reply.words.size())
                          .arg(session.portName(), QDir::toNativeSeparators(path),
                               unusable.join(QStringLiteral("; "))));
        return ExitDone;
    }
    print(stdout, QStringLiteral("%1 words read from %2 into %3\n")
                      .arg(reply.words.size())
                      .arg(session.portName(), QDir::toNativeSeparators(path)));
    return ExitDone;
}

int runReport(const CtlArguments& arguments) {
    const QString path = arguments.value(QStringLiteral("-o"));
    if (path.isEmpty()) {
        return fail(ExitUsage, QStringLiteral("report needs -o FILE.pdf"));
    }
    const QString recordText = arguments.value(QStringLiteral("--record-seconds"));
    const std::optional<int> recordSeconds = parseSeconds(recordText);
    if (!recordText.isEmpty() && !recordSeconds) {
        return fail(ExitUsage,
                    QStringLiteral("bad --record-seconds: %1 (give 1 to 86400)").arg(recordText));
    }
    // Before the port and the recording: a report that cannot be written is known at once.
    if (const OutputFileCheck output = checkOutputFile(path); !output.ok()) {
        return fail(ExitUsage, unwritableFileText(QStringLiteral("report"), path, output));
    }
    CtlSession session;
    if (const auto failure = session.openAndReadBlock(arguments)) {
        return fail(*failure);
    }
    const ParameterBlockReply& reply = session.block();
    CommissioningReport report;
    report.createdAt = QDateTime::currentDateTime();
    report.portName = session.portName();
    report.devicePath = session.devicePath();
    report.adapterName = adapterName(session.devicePath());
    // The controller's own edge measurement: the check as the window runs it on the same words.
    const LinkAnswer<SensorWordsReceived> sensor =
        session.ask([](Exchange& e) { return e.requestSensorWords(kCtlReplyWaitMs); });
    if (sensor.value) {
        EdgeTable reed1{};
        EdgeTable reed2{};
        edgesFromSensorWords(sensor.value->words, reed1, reed2);
        SectorCheck check = checkSectors(reed1, reed2);
        if (check.complete) {
            report.sectorCheck = std::move(check);
        }
    }
    // A version remembered from an earlier run says so.
    const KnownVersion version = session.knownVersion();
    if (version.source == KnownVersion::Source::Announced) {
        report.firmwareVersion = QString::fromStdString(versionCaption(version.version));
    } else if (version.source == KnownVersion::Source::Remembered) {
        report.firmwareVersion = firmwareVersionText(version);
    }
    report.captionText = decodeWindows1252(session.caption());
    const ParameterValues values = blockValues(reply.words);
    report.parameters = reportParameterRows(values, systemDecimalSeparator());
    report.words = reportWords(reply.words);
    report.calibration = ReportCalibration{reply.kali4mA, reply.kali10V};
    report.lastBackupFile = newestBackupName(defaultBackupFolder());
    report.site = arguments.value(QStringLiteral("--site"));
    report.cylinderSerial = arguments.value(QStringLiteral("--serial"));
    report.technician = arguments.value(QStringLiteral("--technician"));
    session.endExchange();
    // The travel of this run as the report's plot; what was recorded before a fault is kept.
    std::optional<CtlFailure> recordingFailure;
    if (recordSeconds) {
        print(stdout, QStringLiteral("recording for %1 s\n").arg(*recordSeconds));
        CtlRecording recording = recordPositions(session, *recordSeconds);
        if (const std::optional<Geometry> geometry = valuesGeometry(values)) {
            report.recording = reportSamples(recording.record, *geometry);
        }
        recordingFailure = std::move(recording.failure);
    }

    const ReportWriteResult written = writeReportPdf(report, path);
    if (!written.ok) {
        return fail(ExitUsage, written.error);
    }
    print(stdout, QStringLiteral("commissioning report of %1 written to %2\n")
                      .arg(session.portName(), QDir::toNativeSeparators(path)));
    if (recordingFailure) {
        return fail(recordingFailure->code,
                    recordingFailure->text + QStringLiteral(" during the recording; the report "
                                                            "shows what was recorded before"));
    }
    return ExitDone;
}

} // namespace zuvo
