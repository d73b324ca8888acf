#include "serial/PortPermission.h"

#include "serial/PortAdvice.h"
#include "serial/SerialAdapters.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <vector>

namespace zuvo {

namespace {

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

QString userForCommands(const DoctorSystem& system) {
    return system.userName.isEmpty() ? QStringLiteral("$USER") : system.userName;
}

} // namespace

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

void notePermissions(PortDiagnosis& d, const struct stat& st, const DoctorSystem& system) {
    d.mode = modeText(st.st_mode);
    const auto owner = userAccount(system.root, st.st_uid);
    d.owner = owner ? owner->name : QString::number(st.st_uid);
    const auto group = groupAccount(system.root, st.st_gid);
    d.group = group ? group->name : QString::number(st.st_gid);
    d.groupGrantsAccess = st.st_uid != system.uid && readsAndWrites(st.st_mode, S_IRGRP, S_IWGRP) &&
                          !inGroups(system, st.st_gid);
    const auto user = userAccount(system.root, system.uid);
    d.loginPending = d.groupGrantsAccess && ((group && group->members.contains(system.userName)) ||
                                             (user && user->primaryGroup == st.st_gid));
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
                        .arg(d.reached, d.owner, d.group, d.mode, user, kAdviceIndent);
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
                .arg(d.reached, d.owner, d.group, d.mode, kAdviceIndent);
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

} // namespace zuvo
