#pragma once
// Whether this login may open a device by its file permissions, whose it is, and what to do when
// it may not.

#include "serial/PortDoctor.h"

#include <QStringList>

#include <optional>
#include <sys/stat.h>

namespace zuvo {

// One line of /etc/passwd or /etc/group, or the name service's entry: its name, the primary group
// (passwd) and the members (group).
struct Account {
    QString name;
    uint primaryGroup = 0;
    QStringList members;
};

// The user `uid` and the group `gid`: from the tree's /etc files, on a running system also from
// the name service (a directory server may know accounts that the files do not).
std::optional<Account> userAccount(const QString& root, uint uid);
std::optional<Account> groupAccount(const QString& root, uint gid);

// The rule of the file permissions: the owner's bits for the owner, the group's for a member,
// the others' for everybody else; root may always.
bool mayOpen(const struct stat& st, const DoctorSystem& system);

// For a device `st` the user may not open: its mode, owner and group, whether joining the group
// would help and whether the user has joined it since this login began.
void notePermissions(PortDiagnosis& d, const struct stat& st, const DoctorSystem& system);

// The summary and details of a NoPermission diagnosis.
void explainNoPermission(PortDiagnosis& d, const DoctorSystem& system);

} // namespace zuvo
