#pragma once
// What the port doctor looks at: the system tree, the user and groups of this login and this
// program's own process.

#include <QString>

#include <functional>
#include <sys/stat.h>
#include <vector>

namespace zuvo {

// `current()` is the running system and login; tests make their own with a fake tree and a user
// of their choice.
struct DoctorSystem {
    QString root = QStringLiteral("/"); // where dev/, proc/, sys/ and etc/ are
    uint uid = 0;
    std::vector<uint> groups; // the groups of this login, the primary one included
    QString userName;
    qint64 ownPid = 0; // this program; never named as the one that holds a port
    // stat(2) of a path, links followed (an open file's link in /proc reaches the file itself).
    // Tests give the plain files of a fake tree their device numbers here.
    std::function<bool(const QString& path, struct stat& st)> fileStatus = statFile;

    static DoctorSystem current();
    static bool statFile(const QString& path, struct stat& st);
};

} // namespace zuvo
