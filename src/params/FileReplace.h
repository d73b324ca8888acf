#pragma once
// Replacing a file's contents so that a failed write never leaves a cut or empty file behind.

#include <QByteArray>
#include <QString>

namespace zuvo {

struct FileReplace {
    enum class Outcome {
        Replaced,
        NotCreated, // the temporary file could not be created (folder missing or read-only)
        NotWritten, // writing or renaming failed (a full disk); the old file is as it was
    };
    Outcome outcome = Outcome::NotCreated;
    QString error; // the system's reason when not replaced

    bool ok() const { return outcome == Outcome::Replaced; }
};

// Writes `data` to a temporary file beside `path` and renames it into place.
FileReplace replaceFile(const QString& path, const QByteArray& data);

} // namespace zuvo
