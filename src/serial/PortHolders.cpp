#include "serial/PortHolders.h"

#include "serial/SerialAdapters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <sys/sysmacros.h>

namespace zuvo {

namespace {

QString readLineOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(f.readLine(256)).trimmed();
}

// The numbered folders of the tree's /proc.
std::vector<qint64> processIds(const QString& root) {
    std::vector<qint64> pids;
    const QDir proc(underRoot(root, QStringLiteral("/proc")));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok && pid > 0) {
            pids.push_back(pid);
        }
    }
    return pids;
}

QString processFolder(const QString& root, qint64 pid) {
    return underRoot(root, QStringLiteral("/proc/%1").arg(pid));
}

// Whether the kernel's list of tty drivers (/proc/tty/drivers: name, node, major, minor or
// minor range, type) has one for this device number; nothing when the list cannot be read.
std::optional<bool> ttyDriverServes(unsigned majorNumber, unsigned minorNumber,
                                    const QString& root) {
    QFile f(underRoot(root, QStringLiteral("/proc/tty/drivers")));
    if (!f.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // A /proc file has no size; readAll reads it anyway.
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 5) {
            continue;
        }
        bool ok = false;
        const unsigned driverMajor = fields.at(fields.size() - 3).toUInt(&ok);
        const QList<QByteArray> minors = fields.at(fields.size() - 2).split('-');
        bool firstOk = false;
        bool lastOk = false;
        const unsigned first = minors.front().toUInt(&firstOk);
        const unsigned last = minors.back().toUInt(&lastOk);
        if (ok && firstOk && lastOk && driverMajor == majorNumber && minorNumber >= first &&
            minorNumber <= last) {
            return true;
        }
    }
    return false;
}

// The same from sysfs: the class of /sys/dev/char/<major>:<minor>. Pseudo-terminals have none.
std::optional<bool> sysfsClassIsTty(unsigned majorNumber, unsigned minorNumber,
                                    const QString& root) {
    const QString subsystem =
        QFileInfo(
            underRoot(
                root,
                QStringLiteral("/sys/dev/char/%1:%2/subsystem").arg(majorNumber).arg(minorNumber)))
            .canonicalFilePath();
    if (subsystem.isEmpty()) {
        return std::nullopt;
    }
    return QFileInfo(subsystem).fileName() == QLatin1String("tty");
}

// N for the pseudo-terminal /dev/pts/N.
std::optional<int> ptyIndex(const QString& device) {
    const QString prefix = QStringLiteral("/dev/pts/");
    bool ok = false;
    const int index = device.startsWith(prefix) ? device.mid(prefix.size()).toInt(&ok) : -1;
    return ok && index >= 0 ? std::optional(index) : std::nullopt;
}

// The open file `fd` of the process in `folder` is the master of pseudo-terminal `index`: its
// link names ptmx and its fdinfo says which terminal it drives.
bool isPtyMaster(const QString& folder, const std::filesystem::path& fd, const std::string& target,
                 int index) {
    if (!target.ends_with("ptmx")) {
        return false;
    }
    QFile info(folder + QStringLiteral("/fdinfo/") + QString::fromStdString(fd.filename()));
    if (!info.open(QIODevice::ReadOnly)) {
        return false;
    }
    for (const QByteArray& line : info.readAll().split('\n')) {
        if (line.startsWith("tty-index:")) {
            bool ok = false;
            const int driven = line.mid(10).trimmed().toInt(&ok);
            return ok && driven == index;
        }
    }
    return false;
}

} // namespace

QString holderNames(const std::vector<PortHolder>& holders) {
    QStringList names;
    for (const PortHolder& h : holders) {
        names << QStringLiteral("%1 (process %2)").arg(h.name).arg(h.pid);
    }
    return names.join(QStringLiteral(", "));
}

bool isSerialDevice(const struct stat& st, const QString& root) {
    if (!S_ISCHR(st.st_mode)) {
        return false;
    }
    const unsigned majorNumber = major(st.st_rdev);
    const unsigned minorNumber = minor(st.st_rdev);
    if (const auto served = ttyDriverServes(majorNumber, minorNumber, root)) {
        return *served;
    }
    return sysfsClassIsTty(majorNumber, minorNumber, root).value_or(true);
}

std::vector<PortHolder> portHolders(const QString& device, const DoctorSystem& system,
                                    bool* complete) {
    namespace fs = std::filesystem;
    std::vector<PortHolder> holders;
    bool all = true;
    struct stat wanted {};
    if (!system.fileStatus(underRoot(system.root, device), wanted) ||
        !isSerialDevice(wanted, system.root)) {
        if (complete != nullptr) {
            *complete = true;
        }
        return holders;
    }
    const std::optional<int> pty = ptyIndex(device);
    // Only open files below /dev can be the device; others (sockets, files on a network that
    // may hang) are not looked at.
    const std::string devices =
        (underRoot(system.root, QStringLiteral("/dev")) + QLatin1Char('/')).toStdString();
    for (const qint64 pid : processIds(system.root)) {
        if (pid == system.ownPid) {
            continue;
        }
        const QString folder = processFolder(system.root, pid);
        std::error_code error;
        fs::directory_iterator fds(fs::path((folder + QStringLiteral("/fd")).toStdString()), error);
        if (error) {
            // A process that ended meanwhile is no loss; one of another user is.
            all = all && error != std::errc::permission_denied;
            continue;
        }
        bool holds = false;
        bool otherEnd = false;
        for (const fs::directory_entry& fd : fds) {
            std::error_code linkError;
            const std::string target = fs::read_symlink(fd.path(), linkError).string();
            if (linkError || !target.starts_with(devices)) {
                continue;
            }
            struct stat st {};
            if (system.fileStatus(QString::fromStdString(fd.path().string()), st) &&
                S_ISCHR(st.st_mode) && st.st_rdev == wanted.st_rdev) {
                holds = true;
            } else if (pty && isPtyMaster(folder, fd.path(), target, *pty)) {
                otherEnd = true;
            }
        }
        if (holds && !otherEnd) {
            QString name = readLineOf(folder + QStringLiteral("/comm"));
            if (name.isEmpty()) {
                name = QStringLiteral("a program");
            }
            holders.push_back({pid, name});
        }
    }
    if (complete != nullptr) {
        *complete = all;
    }
    return holders;
}

bool processRuns(const QString& name, const QString& root) {
    for (const qint64 pid : processIds(root)) {
        if (readLineOf(processFolder(root, pid) + QStringLiteral("/comm")) == name) {
            return true;
        }
    }
    return false;
}

} // namespace zuvo
