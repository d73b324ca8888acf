#include "serial/DoctorSystem.h"

#include "serial/PortPermission.h"

#include <QFile>

#include <unistd.h>

namespace zuvo {

bool DoctorSystem::statFile(const QString& path, struct stat& st) {
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
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

} // namespace zuvo
