#include "serial/PortDoctor.h"

#include "serial/PortMap.h"
#include "serial/SerialTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zuvo {

namespace {

// How many adapters the status line names before it stops.
constexpr std::size_t kAdaptersInSummary = 2;

const QString Indent = QStringLiteral("    ");

// One line of /etc/passwd or /etc/group: its name, its id, the primary group (passwd) and the
// members (group).
struct Account {
    QString name;
    uint primaryGroup = 0;
    QStringList members;
};

std::optional<Account> accountInFile(const QString& root, const char* file, uint id) {
    QFile f(underRoot(root, QString::fromLatin1(file)));
    if (!f.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const bool passwd = std::strcmp(file, "/etc/passwd") == 0;
    while (!f.atEnd()) {
        const QStringList fields =
            QString::fromUtf8(f.readLine()).trimmed().split(QLatin1Char(':'));
        bool ok = false;
        if (fields.size() < 4 || fields.at(2).toUInt(&ok) != id || !ok) {
            continue;
        }
        Account account{fields.at(0), 0, {}};
        if (passwd) {
            account.primaryGroup = fields.at(3).toUInt();
        } else {
            account.members = fields.at(3).split(QLatin1Char(','), Qt::SkipEmptyParts);
        }
        return account;
    }
    return std::nullopt;
}

bool isRealRoot(const QString& root) {
    return QDir::cleanPath(root) == QLatin1String("/");
}

// One entry of the name service by id: getgrgid_r or getpwuid_r with a buffer of its own.
template <typename Entry, typename Lookup>
std::optional<Account> fromNameService(uint id, Lookup lookup,
                                       Account (*convert)(const Entry& entry)) {
    Entry entry{};
    Entry* found = nullptr;
    std::vector<char> buffer(16384);
    if (lookup(id, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    return convert(*found);
}

Account groupOf(const struct group& entry) {
    Account account{QString::fromLocal8Bit(entry.gr_name), 0, {}};
    for (char** member = entry.gr_mem; member != nullptr && *member != nullptr; ++member) {
        account.members << QString::fromLocal8Bit(*member);
    }
    return account;
}

Account userOf(const struct passwd& entry) {
    return Account{QString::fromLocal8Bit(entry.pw_name), entry.pw_gid, {}};
}

// The group `gid` and the user `uid`: from the tree's /etc files, on a running system also from
// the name service (a directory server may know accounts that the files do not).
std::optional<Account> groupAccount(const QString& root, uint gid) {
    if (auto account = accountInFile(root, "/etc/group", gid)) {
        return account;
    }
    return isRealRoot(root) ? fromNameService<struct group>(gid, getgrgid_r, groupOf)
                            : std::nullopt;
}

std::optional<Account> userAccount(const QString& root, uint uid) {
    if (auto account = accountInFile(root, "/etc/passwd", uid)) {
        return account;
    }
    return isRealRoot(root) ? fromNameService<struct passwd>(uid, getpwuid_r, userOf)
                            : std::nullopt;
}

QString modeText(mode_t mode) {
    QString text(10, QLatin1Char('-'));
    text[0] = S_ISCHR(mode)   ? QLatin1Char('c')
              : S_ISDIR(mode) ? QLatin1Char('d')
                              : QLatin1Char('-');
    const char letters[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i) {
        if ((mode & (0400u >> i)) != 0) {
            text[i + 1] = QLatin1Char(letters[i]);
        }
    }
    return text;
}

bool readsAndWrites(mode_t mode, mode_t read, mode_t write) {
    return (mode & read) != 0 && (mode & write) != 0;
}

bool inGroups(const DoctorSystem& system, uint gid) {
    return std::find(system.groups.begin(), system.groups.end(), gid) != system.groups.end();
}

// The rule of the file permissions: the owner's bits for the owner, the group's for a member,
// the others' for everybody else; root may always.
bool mayOpen(const struct stat& st, const DoctorSystem& system) {
    if (system.uid == 0) {
        return true;
    }
    if (st.st_uid == system.uid) {
        return readsAndWrites(st.st_mode, S_IRUSR, S_IWUSR);
    }
    if (inGroups(system, st.st_gid)) {
        return readsAndWrites(st.st_mode, S_IRGRP, S_IWGRP);
    }
    return readsAndWrites(st.st_mode, S_IROTH, S_IWOTH);
}

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

QString userForCommands(const DoctorSystem& system) {
    return system.userName.isEmpty() ? QStringLiteral("$USER") : system.userName;
}

QString portName(const PortDiagnosis& d) {
    return d.number > 0 ? QStringLiteral("COM%1").arg(d.number) : d.devicePath;
}

QString byIdName(const QString& path) {
    return QFileInfo(path).fileName();
}

QString adapterLines(const std::vector<SerialAdapter>& adapters) {
    QString text;
    for (const SerialAdapter& a : adapters) {
        text += Indent + a.devicePath;
        if (!a.name.isEmpty()) {
            text += QStringLiteral("  ") + a.name;
        }
        text += QLatin1Char('\n');
        if (!a.byIdPath.isEmpty()) {
            text += Indent + Indent + a.byIdPath + QLatin1Char('\n');
        }
    }
    return text;
}

QString modemManagerText(const PortDiagnosis& d) {
    return QStringLiteral(
               "ModemManager runs on this computer. For up to half a minute after a %1 device "
               "is plugged in it probes it for a mobile modem and holds it meanwhile. Wait a "
               "moment, or, if this computer uses no mobile modem, stop it:\n%2sudo systemctl "
               "stop ModemManager\n(sudo systemctl disable ModemManager keeps it off after a "
               "restart.)\n")
        .arg(QFileInfo(d.reached).fileName(), Indent);
}

void explainNoDevice(PortDiagnosis& d) {
    const bool tied = isByIdPath(d.devicePath);
    if (tied) {
        d.summary = QStringLiteral("%1 is tied to an adapter that is not plugged in: %2.")
                        .arg(portName(d), byIdName(d.devicePath));
        d.details = QStringLiteral("%1 is tied to the adapter %2, and it is not plugged in.\n\n")
                        .arg(portName(d), d.devicePath);
    } else {
        d.summary = QStringLiteral("%1 is %2, which is not there: ").arg(portName(d), d.devicePath);
        d.details = QStringLiteral("%1 is %2, and that device is not there.\n\n")
                        .arg(portName(d), d.devicePath);
    }
    if (d.present.empty()) {
        if (!tied) {
            d.summary += QStringLiteral("plug in the USB-to-serial adapter.");
        }
        d.details += QStringLiteral(
            "No USB-to-serial adapter is plugged in. Plug it in. If it still does not show up, "
            "try another cable or USB socket; \"sudo dmesg --follow\" shows whether the "
            "computer sees it when it is plugged in.\n");
        return;
    }
    if (!tied) {
        QStringList names;
        for (std::size_t i = 0; i < d.present.size() && i < kAdaptersInSummary; ++i) {
            names << d.present[i].devicePath;
        }
        if (d.present.size() > kAdaptersInSummary) {
            names << QStringLiteral("...");
        }
        d.summary += QStringLiteral("adapters present: %1.").arg(names.join(QStringLiteral(", ")));
    }
    d.details += QStringLiteral("Serial adapters present now:\n") + adapterLines(d.present) +
                 QStringLiteral("\nChoose the COM number that reaches the adapter, or tie %1 to "
                                "it, in Setup > COM-Port.\n")
                     .arg(portName(d));
}

void explainNoPermission(PortDiagnosis& d, const DoctorSystem& system) {
    const QString user = userForCommands(system);
    if (d.loginPending) {
        d.summary = QStringLiteral("No permission for %1 yet: log out and in again (you were "
                                   "added to the group %2 after this login).")
                        .arg(d.reached, d.group);
        d.details =
            QStringLiteral("%1 belongs to the group %2 (%3). The user %4 is a member of it, but "
                           "was added after this login began, and a running login keeps the "
                           "groups it started with.\n\nLog out and log in again (or restart the "
                           "computer).\n")
                .arg(d.reached, d.group, d.mode, user);
    } else if (d.groupGrantsAccess) {
        d.summary =
            QStringLiteral("No permission for %1: add the user %2 to the group %3, then log in "
                           "again.")
                .arg(d.reached, user, d.group);
        d.details = QStringLiteral("%1 belongs to the user %2 and the group %3 (%4). The user %5 "
                                   "is not a member of that group, so it may not open the "
                                   "port.\n\nAdd the user to the group:\n%6sudo usermod -aG %3 "
                                   "%5\nThen log out and log in again (or restart the computer): "
                                   "a new group takes effect with a new login.\n")
                        .arg(d.reached, d.owner, d.group, d.mode, user, Indent);
    } else if (!d.mode.isEmpty() && !d.owner.isEmpty()) {
        d.summary = QStringLiteral("No permission for %1: only %2 may open it (%3).")
                        .arg(d.reached, d.owner, d.mode);
        d.details =
            QStringLiteral("%1 belongs to the user %2 and the group %3 (%4): its group may not "
                           "use it, so joining a group does not help.\n\nSerial adapters are "
                           "normally given to the group dialout. Ask the administrator for a "
                           "udev rule that does so, for example in "
                           "/etc/udev/rules.d/50-serial.rules:\n%5KERNEL==\"tty[UA][SC][BM]*\", "
                           "GROUP=\"dialout\", MODE=\"0660\"\nthen unplug the adapter and plug "
                           "it in again.\n")
                .arg(d.reached, d.owner, d.group, d.mode, Indent);
    } else {
        d.summary = QStringLiteral("Opening %1 was refused, although its permissions allow it.")
                        .arg(d.reached);
        d.details =
            QStringLiteral("The file permissions of %1 let this user open it, but the system "
                           "refused (%2). A security policy (AppArmor, SELinux) or a sandbox "
                           "(Flatpak, Snap) may be in the way: run the tool outside it, or give it "
                           "access to serial devices.\n")
                .arg(d.reached, d.systemText);
    }
}

void explainInUse(PortDiagnosis& d) {
    if (d.holders.empty()) {
        d.summary =
            QStringLiteral("%1 is in use by another program (of another user).").arg(d.reached);
        d.details = QStringLiteral("Another program holds %1, but it runs as another user, so "
                                   "its name cannot be read here. This names it:\n%2sudo fuser "
                                   "-v %1\nClose that program; the tool takes the port at its "
                                   "next attempt.\n")
                        .arg(d.reached, Indent);
        return;
    }
    QString lines;
    QStringList pids;
    for (const PortHolder& h : d.holders) {
        lines += Indent + holderNames({h}) + QLatin1Char('\n');
        pids << QString::number(h.pid);
    }
    const bool onlyModemManager =
        d.holders.size() == 1 && d.holders.front().name == QLatin1String("ModemManager");
    d.summary = QStringLiteral("%1 is in use by %2: %3.")
                    .arg(d.reached, holderNames(d.holders),
                         onlyModemManager ? QStringLiteral("wait a moment, or stop ModemManager")
                                          : QStringLiteral("close that program"));
    d.details = QStringLiteral("Another program holds %1:\n%2Close it, or end it with\n%3kill "
                               "%4\nand the tool takes the port at its next attempt.\n")
                    .arg(d.reached, lines, Indent, pids.join(QLatin1Char(' ')));
}

QString kindOf(const struct stat& st) {
    if (S_ISCHR(st.st_mode)) {
        return QStringLiteral("a device of another kind");
    }
    if (S_ISDIR(st.st_mode)) {
        return QStringLiteral("a folder");
    }
    if (S_ISREG(st.st_mode)) {
        return QStringLiteral("a plain file");
    }
    return QStringLiteral("no device");
}

void explainNotSerial(PortDiagnosis& d, const struct stat& st) {
    d.summary =
        QStringLiteral("%1 is no serial port: choose the port of the USB-to-serial adapter.")
            .arg(d.reached);
    d.details = QStringLiteral("%1 is %2, not a serial port, so no controller can answer on it.\n")
                    .arg(d.reached, kindOf(st));
    if (!d.present.empty()) {
        d.details += QStringLiteral("\nSerial adapters present now:\n") + adapterLines(d.present);
    }
    d.details +=
        QStringLiteral("\nChoose the COM number that reaches the adapter, or tie %1 to it, "
                       "in Setup > COM-Port.\n")
            .arg(portName(d));
}

void explainRefused(PortDiagnosis& d) {
    d.summary = QStringLiteral("%1 is there but did not open: %2.").arg(d.reached, d.systemText);
    d.details = QStringLiteral("%1 is there, this user may open it and no other program holds "
                               "it, but opening it failed: %2.\n\nUnplug the adapter and plug "
                               "it in again.\n")
                    .arg(d.reached, d.systemText);
}

void explainFree(PortDiagnosis& d) {
    d.summary = QStringLiteral("%1 is there and free now; the tool keeps trying.").arg(d.reached);
    d.details = QStringLiteral("%1 is there, this user may open it and no other program holds "
                               "it. It was busy or not ready a moment ago; the tool keeps "
                               "trying to open it.\n")
                    .arg(d.reached);
}

bool isMissingError(int error) {
    return error == ENOENT || error == ENODEV || error == ENXIO;
}

bool isPermissionError(int error) {
    return error == EACCES || error == EPERM;
}

bool isBusyError(int error) {
    return error == EBUSY || error == EWOULDBLOCK || error == EAGAIN;
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

bool DoctorSystem::statFile(const QString& path, struct stat& st) {
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
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

DoctorSystem DoctorSystem::current() {
    DoctorSystem system;
    system.uid = ::getuid();
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (count > 0 && ::getgroups(count, groups.data()) == count) {
        system.groups.assign(groups.begin(), groups.end());
    }
    system.groups.push_back(::getegid());
    if (const auto account = userAccount(system.root, system.uid)) {
        system.userName = account->name;
    } else {
        system.userName = qEnvironmentVariable("USER");
    }
    system.ownPid = ::getpid();
    return system;
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

PortDiagnosis diagnosePort(int number, const QString& devicePath, int openError,
                           const DoctorSystem& system) {
    PortDiagnosis d;
    d.number = number;
    d.devicePath = devicePath;
    d.reached = reachedDevice(devicePath, system.root);
    if (openError != 0) {
        d.systemText = QString::fromLocal8Bit(std::strerror(openError));
    }
    if (d.reached.isEmpty() || isMissingError(openError)) {
        d.problem = PortProblem::NoDevice;
        d.present = presentAdapters(system.root);
        explainNoDevice(d);
        return d;
    }

    struct stat st {};
    const bool known = system.fileStatus(underRoot(system.root, d.reached), st);
    // Whatever holds /dev/null or a file is no reason for a port that is none.
    if (known && !isSerialDevice(st, system.root)) {
        d.problem = PortProblem::NotSerial;
        d.present = presentAdapters(system.root);
        explainNotSerial(d, st);
        return d;
    }
    const bool allowed = !known || mayOpen(st, system);
    if (isPermissionError(openError) || (openError == 0 && !allowed)) {
        d.problem = PortProblem::NoPermission;
        if (known && !allowed) {
            d.mode = modeText(st.st_mode);
            const auto owner = userAccount(system.root, st.st_uid);
            d.owner = owner ? owner->name : QString::number(st.st_uid);
            const auto group = groupAccount(system.root, st.st_gid);
            d.group = group ? group->name : QString::number(st.st_gid);
            d.groupGrantsAccess = st.st_uid != system.uid &&
                                  readsAndWrites(st.st_mode, S_IRGRP, S_IWGRP) &&
                                  !inGroups(system, st.st_gid);
            const auto user = userAccount(system.root, system.uid);
            d.loginPending =
                d.groupGrantsAccess && ((group && group->members.contains(system.userName)) ||
                                        (user && user->primaryGroup == st.st_gid));
        }
        explainNoPermission(d, system);
        return d;
    }

    d.modemManager = QFileInfo(d.reached).fileName().startsWith(QLatin1String("ttyACM")) &&
                     processRuns(QStringLiteral("ModemManager"), system.root);
    d.holders = portHolders(d.reached, system);
    // A program that holds the device is the likeliest cause, whatever the opening reported.
    if (isBusyError(openError) || !d.holders.empty()) {
        d.problem = PortProblem::InUse;
        explainInUse(d);
    } else if (openError != 0) {
        d.problem = PortProblem::Refused;
        explainRefused(d);
    } else {
        d.problem = PortProblem::Free;
        explainFree(d);
    }
    if (d.modemManager) {
        d.details += QLatin1Char('\n') + modemManagerText(d);
    }
    return d;
}

PortDiagnosis diagnosePortFailure(int number, const std::exception& error, const QString& root) {
    const auto* serial = dynamic_cast<const ESerialError*>(&error);
    DoctorSystem system = DoctorSystem::current();
    system.root = root;
    return diagnosePort(number, PortMap::global().devicePath(number),
                        serial != nullptr ? serial->systemError() : 0, system);
}

} // namespace zuvo
