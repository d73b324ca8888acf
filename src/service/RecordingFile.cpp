#include "service/RecordingFile.h"

#include "params/FileNumber.h"
#include "params/FileReplace.h"

#include <QDir>

namespace zuvo {

QString recordingFileName(const QTime& time) {
    return QStringLiteral("WEG") + time.toString(QStringLiteral("hhmmss")) + QStringLiteral(".txt");
}

QString turnsText(std::int64_t hundredths, QChar decimalSeparator) {
    return fileNumber(static_cast<double>(hundredths) / 100.0, decimalSeparator, 2);
}

QByteArray recordingText(const PositionRecord& record, QChar decimalSeparator) {
    QString text;
    std::int64_t previous = 0;
    for (int i = 0; i < record.count(); ++i) {
        const std::int64_t current = record.hundredths(i);
        const std::int64_t change = i == 0 ? 0 : current - previous;
        text += turnsText(current, decimalSeparator) + QStringLiteral("  ") +
                turnsText(change, decimalSeparator) + QStringLiteral("\r\n");
        previous = current;
    }
    return text.toLatin1();
}

RecordingSave saveRecording(const QString& folder, const QTime& time, const PositionRecord& record,
                            QChar decimalSeparator) {
    RecordingSave result;
    result.path = QDir(folder).filePath(recordingFileName(time));
    const FileReplace written = replaceFile(result.path, recordingText(record, decimalSeparator));
    if (!written.ok()) {
        result.error = written.error;
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace zuvo
