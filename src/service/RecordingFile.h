#pragma once
// The recording file: one line per sample, position and change in turns, named after the time of
// saving.

#include "service/PositionRecord.h"

#include <QByteArray>
#include <QString>
#include <QTime>

namespace zuvo {

// "WEG" + hhmmss (24-hour clock) + ".txt".
QString recordingFileName(const QTime& time);

// Hundredths of a turn as turns with two decimals and `decimalSeparator`, a minus sign when
// negative; plain ASCII in every locale (FileNumber.h).
QString turnsText(std::int64_t hundredths, QChar decimalSeparator);

// The samples since the last clear or wrap, oldest first: position, two blanks, change from the
// previous sample (0 for the first), CR LF.
QByteArray recordingText(const PositionRecord& record, QChar decimalSeparator);

struct RecordingSave {
    bool ok = false;
    QString path;  // the file written, or the one that could not be
    QString error; // why it could not, for the user
};

// Writes the recording into `folder` under the name for `time`, replacing a file of that name.
// The file appears complete or not at all; a failure leaves an older file of that name intact.
RecordingSave saveRecording(const QString& folder, const QTime& time, const PositionRecord& record,
                            QChar decimalSeparator);

} // namespace zuvo
