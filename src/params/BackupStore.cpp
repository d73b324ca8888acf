#include "params/BackupStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace zuvo {

namespace {

// More backups of one port within one second than this cannot be told apart by a person anyway.
constexpr int MaxSequence = 999;

bool writable(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

QString quotedPath(const QString& path) {
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

// Why the folder could not be created, from the nearest part of its path that exists.
QString creationProblem(const QString& folder, const std::error_code& error) {
    const QString prefix = QStringLiteral("The backup folder ") + quotedPath(folder) +
                           QStringLiteral(" cannot be created: ");
    QString part = QDir::cleanPath(folder);
    for (;;) {
        const QString parent = QFileInfo(part).path();
        if (parent == part) {
            break;
        }
        part = parent;
        const QFileInfo info(part);
        if (info.exists()) {
            if (!info.isDir()) {
                return prefix + quotedPath(part) + QStringLiteral(" is a file.");
            }
            if (!writable(part)) {
                return prefix + quotedPath(part) + QStringLiteral(" is read-only.");
            }
            break;
        }
    }
    return prefix + QString::fromLocal8Bit(error.message().c_str()) + QLatin1Char('.');
}

std::optional<qint64> freeBytes(const QString& folder) {
    const QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady()) {
        return std::nullopt;
    }
    return storage.bytesAvailable();
}

struct NamedBackup {
    QString path;
    BackupName name;
};

// Newest first: the time in the name, then the sequence; the port only keeps the order fixed.
bool newer(const NamedBackup& a, const NamedBackup& b) {
    if (a.name.stamp != b.name.stamp) {
        return a.name.stamp > b.name.stamp;
    }
    if (a.name.sequence != b.name.sequence) {
        return a.name.sequence > b.name.sequence;
    }
    return a.name.port > b.name.port;
}

// Regular files named like a backup (no folders, no links), newest first.
std::vector<NamedBackup> namedBackups(const QString& folder) {
    std::vector<NamedBackup> found;
    const QFileInfoList files =
        QDir(folder).entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::NoSort);
    for (const QFileInfo& file : files) {
        if (auto name = parseBackupFileName(file.fileName())) {
            found.push_back({file.filePath(), std::move(*name)});
        }
    }
    std::sort(found.begin(), found.end(), newer);
    return found;
}

} // namespace

QString backupFolder(const QString& xdgDataHome, const QString& home) {
    // A relative XDG_DATA_HOME is invalid and ignored.
    QString data = xdgDataHome;
    if (data.isEmpty() || QDir::isRelativePath(data)) {
        data = home + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(data + QStringLiteral("/ZUVO/backups"));
}

QString defaultBackupFolder() {
    return backupFolder(qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
}

QString backupFileName(const QDateTime& time, int port, int sequence) {
    const QDate d = time.date();
    const QTime t = time.time();
    QString name = QString::asprintf("%04d%02d%02d-%02d%02d%02d-", d.year(), d.month(), d.day(),
                                     t.hour(), t.minute(), t.second()) +
                   portName(port);
    if (sequence > 1) {
        name += QLatin1Char('-') + QString::number(sequence);
    }
    return name + QStringLiteral(".ZDF");
}

std::optional<BackupName> parseBackupFileName(const QString& fileName) {
    static const QRegularExpression form(
        QStringLiteral("^(([0-9]{4})([0-9]{2})([0-9]{2})-([0-9]{2})([0-9]{2})([0-9]{2}))"
                       "-COM([1-9][0-9]{0,2})(?:-([2-9]|[1-9][0-9]{1,2}))?\\.ZDF$"));
    const QRegularExpressionMatch m = form.match(fileName);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const auto part = [&](int n) { return m.captured(n).toInt(); };
    const QDate date(part(2), part(3), part(4));
    const QTime time(part(5), part(6), part(7));
    const int port = part(8);
    if (!date.isValid() || !time.isValid() || port > MaxPortNumber) {
        return std::nullopt;
    }
    BackupName name;
    name.stamp = m.captured(1);
    name.time = QDateTime(date, time);
    name.port = port;
    name.sequence = m.captured(9).isEmpty() ? 1 : part(9);
    return name;
}

QString prepareBackupFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.exists() || info.isSymLink()) {
        if (!info.isDir()) {
            return QStringLiteral("The backup folder ") + quotedPath(folder) +
                   (info.isFile() ? QStringLiteral(" is a file, not a folder.")
                                  : QStringLiteral(" is not a folder."));
        }
    } else {
        std::error_code error;
        std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
        if (error) {
            return creationProblem(folder, error);
        }
    }
    if (!writable(folder)) {
        return QStringLiteral("The backup folder ") + quotedPath(folder) +
               QStringLiteral(" is read-only.");
    }
    return {};
}

QString saveFailureText(const QString& filePath, std::optional<qint64> free) {
    if (free && *free < FullDiskBytes) {
        return QStringLiteral("The backup ") + quotedPath(filePath) +
               QStringLiteral(" could not be written: the disk is full.");
    }
    return QStringLiteral("The backup ") + quotedPath(filePath) +
           QStringLiteral(" could not be written.");
}

PruneResult pruneBackups(const QString& folder, int keep) {
    PruneResult result;
    const std::vector<NamedBackup> backups = namedBackups(folder);
    for (std::size_t i = static_cast<std::size_t>(std::max(keep, 0)); i < backups.size(); ++i) {
        if (QFile::remove(backups[i].path)) {
            ++result.removed;
        } else {
            result.failed << backups[i].path;
        }
    }
    return result;
}

BackupWriteResult writeBackup(const QString& folder, const BlockBackup& backup,
                              const SectionWriter& editorSections) {
    BackupWriteResult result;
    result.problem = prepareBackupFolder(folder);
    if (!result.problem.isEmpty()) {
        return result;
    }
    const QDir dir(folder);
    QString path;
    for (int sequence = 1; sequence <= MaxSequence && path.isEmpty(); ++sequence) {
        const QString candidate = dir.filePath(backupFileName(backup.time, backup.port, sequence));
        const QFileInfo info(candidate);
        if (!info.exists() && !info.isSymLink()) {
            path = candidate;
        }
    }
    if (path.isEmpty()) {
        result.problem = QStringLiteral("The backup folder ") + quotedPath(folder) +
                         QStringLiteral(" already holds ") + QString::number(MaxSequence) +
                         QStringLiteral(" backups of this second.");
        return result;
    }
    IniFile ini(path);
    if ((editorSections && !editorSections(ini)) || !writeBlockSection(ini, backup)) {
        result.problem = QStringLiteral("The block cannot be stored in a backup file.");
        return result;
    }
    if (!ini.save()) {
        result.problem = saveFailureText(path, freeBytes(folder));
        return result;
    }
    result.path = path;
    result.pruned = pruneBackups(folder, MaxBackups);
    return result;
}

std::vector<BackupEntry> listBackups(const QString& folder) {
    std::vector<BackupEntry> entries;
    for (NamedBackup& named : namedBackups(folder)) {
        BackupEntry entry{std::move(named.path), std::move(named.name), std::nullopt, {}};
        const IniFile ini(entry.path);
        if (ini.loadState() != IniFile::LoadState::Loaded) {
            entry.problem = QStringLiteral("the file cannot be read");
        } else if (const BlockSectionRead read = readBlockSection(ini)) {
            entry.summary = summarizeBackup(*read.backup);
        } else {
            entry.problem = read.problem;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace zuvo
