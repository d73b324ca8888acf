#pragma once
// The backup folder: where backups go, how they are named, writing one safely, listing them
// newest first and keeping the newest 200.
//
// A backup is named YYYYMMDD-HHMMSS-COMn.ZDF after the local time and the port. A second backup
// of the same port within the same second gets "-2" before the extension, a third "-3", and so
// on: no backup ever replaces another. Only files named this way are listed and pruned; anything
// else in the folder is never touched.

#include "params/BackupFile.h"
#include "params/IniFile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace zuvo {

inline constexpr int MaxBackups = 200;
// Less room than this on the folder's file system counts as a full disk.
inline constexpr qint64 FullDiskBytes = 64 * 1024;

// `xdgDataHome`/ZUVO/backups, or `home`/.local/share/ZUVO/backups when it is empty or relative.
QString backupFolder(const QString& xdgDataHome, const QString& home);
// The same from $XDG_DATA_HOME and the user's home.
QString defaultBackupFolder();

// The name of the `sequence`-th backup of `port` within the second of `time` (its own wall clock).
QString backupFileName(const QDateTime& time, int port, int sequence = 1);

struct BackupName {
    QString stamp; // "YYYYMMDD-HHMMSS"
    QDateTime time;
    int port = 0;
    int sequence = 1;
    bool operator==(const BackupName&) const = default;
};

// The parts of a backup file name; nullopt for any other name (a date that does not exist, a
// lower-case extension, "-1", a leading zero).
std::optional<BackupName> parseBackupFileName(const QString& fileName);

// Creates the folder when it is missing. An empty text when the folder can take a backup, else
// why not: it cannot be created, is a file, or is read-only.
QString prepareBackupFolder(const QString& folder);

// Why a save into `folder` failed: a full disk when less than FullDiskBytes are free there
// (nullopt: unknown), else that the file could not be written.
QString saveFailureText(const QString& filePath, std::optional<qint64> freeBytes);

struct PruneResult {
    int removed = 0;
    QStringList failed; // backups that should have gone but could not be removed
};

// Removes all but the newest `keep` backups of the folder.
PruneResult pruneBackups(const QString& folder, int keep = MaxBackups);

// Writes the editor's sections into a new backup file.
using SectionWriter = std::function<bool(IniFile&)>;

struct BackupWriteResult {
    QString path;    // the backup written
    QString problem; // empty when it was written
    PruneResult pruned;
    bool ok() const { return problem.isEmpty(); }
};

// Prepares the folder, picks a free name from the backup's time and port, writes the editor's
// sections (when given) and [BLOCK], saves through a temporary file renamed into place, then
// prunes the folder to the newest MaxBackups. On failure nothing is left behind.
BackupWriteResult writeBackup(const QString& folder, const BlockBackup& backup,
                              const SectionWriter& editorSections = {});

struct BackupEntry {
    QString path;
    BackupName name;
    std::optional<BackupSummary> summary; // from [BLOCK]
    QString problem;                      // why there is no summary
};

// The backups of the folder, newest first (by the time in their names, then the sequence).
std::vector<BackupEntry> listBackups(const QString& folder);

} // namespace zuvo
