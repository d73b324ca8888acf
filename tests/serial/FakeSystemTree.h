#pragma once
// A fake system tree (dev/, sys/, proc/, etc/) in a temporary folder, for the port doctor and
// the port listing: device nodes are plain files that the doctor's file status gives device
// numbers (only root may make real ones), udev's by-id names relative links, the kernel's tty
// drivers a /proc file, and a process a folder with its command name and links for its open
// files that reach the tree's files, as the links in /proc reach the open files.

#include "serial/PortDoctor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zuvo::test {

class FakeSystemTree {
public:
    FakeSystemTree() {
        EXPECT_TRUE(dir_.isValid());
        write("/proc/tty/drivers",
              "/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
              "/dev/console         /dev/console    5       1 system:console\n"
              "/dev/ptmx            /dev/ptmx       5       2 system\n"
              "acm                  /dev/ttyACM   166 0-255 serial\n"
              "usbserial            /dev/ttyUSB   188 0-511 serial\n"
              "serial               /dev/ttyS       4 64-111 serial\n"
              "pty_slave            /dev/pts      136 0-1048575 pty:slave\n");
    }

    QString root() const { return dir_.path(); }
    QString path(const QString& systemPath) const { return root() + systemPath; }

    void write(const QString& systemPath, const QByteArray& text = {}) const {
        QDir().mkpath(QFileInfo(path(systemPath)).path());
        QFile f(path(systemPath));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << systemPath.toStdString();
        f.write(text);
    }

    // A device node with this mode, owned by whoever runs the test. Its number follows its name
    // (ttyUSBn is 188:n, ttyACMn 166:n, ttySn 4:64+n); any other name is a USB serial one too
    // unless a number is given.
    void device(const QString& systemPath, mode_t mode = 0660, dev_t number = 0) const {
        write(systemPath);
        ASSERT_EQ(::chmod(QFile::encodeName(path(systemPath)).constData(), mode), 0);
        (*numbers_)[QFileInfo(path(systemPath)).canonicalFilePath()] =
            number != 0 ? number : numberFor(QFileInfo(systemPath).fileName());
    }

    // A link at `systemPath` whose text is `target`, as it is, relative or not.
    void link(const QString& target, const QString& systemPath) const {
        QDir().mkpath(QFileInfo(path(systemPath)).path());
        std::error_code error;
        std::filesystem::create_symlink(target.toStdString(), path(systemPath).toStdString(),
                                        error);
        ASSERT_FALSE(error) << systemPath.toStdString();
    }

    // udev's link for a USB adapter, and the sysfs folders that name it.
    void usbAdapter(const QString& tty, const QString& byIdName, const QByteArray& manufacturer,
                    const QByteArray& product) const {
        device(QStringLiteral("/dev/") + tty);
        if (!byIdName.isEmpty()) {
            link(QStringLiteral("../../") + tty, QStringLiteral("/dev/serial/by-id/") + byIdName);
        }
        const QString usb = QStringLiteral("/sys/devices/pci0000:00/usb1/1-") + tty;
        const QString port = usb + QStringLiteral("/1-2:1.0/") + tty;
        QDir().mkpath(path(port));
        write(usb + QStringLiteral("/idVendor"), "0403\n");
        write(usb + QStringLiteral("/manufacturer"), manufacturer + '\n');
        write(usb + QStringLiteral("/product"), product + '\n');
        QDir().mkpath(path(QStringLiteral("/sys/class/tty/") + tty));
        link(path(port), QStringLiteral("/sys/class/tty/") + tty + QStringLiteral("/device"));
    }

    // A process with its command name and the devices it has open.
    void process(qint64 pid, const QByteArray& name, std::initializer_list<QString> open) const {
        write(QStringLiteral("/proc/%1/comm").arg(pid), name + '\n');
        QDir().mkpath(path(QStringLiteral("/proc/%1/fd").arg(pid)));
        int fd = 3;
        for (const QString& device : open) {
            link(path(device), QStringLiteral("/proc/%1/fd/%2").arg(pid).arg(fd++));
        }
    }

    // A user who is not the owner of the test's files and in none of their groups.
    DoctorSystem user(const QString& name = QStringLiteral("anna")) const {
        DoctorSystem system;
        system.root = root();
        system.uid = kUserId;
        system.groups = {kUserGroup};
        system.userName = name;
        system.ownPid = kOwnPid;
        system.fileStatus = [numbers = numbers_](const QString& path, struct stat& st) {
            if (!DoctorSystem::statFile(path, st)) {
                return false;
            }
            const auto node = numbers->find(QFileInfo(path).canonicalFilePath());
            if (node != numbers->end()) {
                st.st_mode = (st.st_mode & ~S_IFMT) | S_IFCHR;
                st.st_rdev = node->second;
            }
            return true;
        };
        return system;
    }

    // The same user as a member of the group of the test's files, so that it may open them.
    DoctorSystem member() const {
        DoctorSystem system = user();
        system.groups.push_back(fileGroup());
        return system;
    }

    // The group and owner of the files this test makes, for etc/group and etc/passwd.
    static uint fileGroup() { return ::getegid(); }
    static uint fileOwner() { return ::geteuid(); }

    static constexpr uint kUserId = 4242;
    static constexpr uint kUserGroup = 4243;
    static constexpr qint64 kOwnPid = 999;

private:
    dev_t numberFor(const QString& name) const {
        const auto numbered = [&](const char* prefix, unsigned major, unsigned first) -> dev_t {
            bool ok = false;
            const unsigned n =
                name.startsWith(QLatin1String(prefix))
                    ? name.mid(static_cast<qsizetype>(std::strlen(prefix))).toUInt(&ok)
                    : 0;
            return ok ? makedev(major, first + n) : 0;
        };
        for (const dev_t number :
             {numbered("ttyUSB", 188, 0), numbered("ttyACM", 166, 0), numbered("ttyS", 4, 64)}) {
            if (number != 0) {
                return number;
            }
        }
        return makedev(188, 300 + static_cast<unsigned>(numbers_->size()));
    }

    QTemporaryDir dir_;
    // The device number of each device node, by its path.
    std::shared_ptr<std::map<QString, dev_t>> numbers_ =
        std::make_shared<std::map<QString, dev_t>>();
};

} // namespace zuvo::test
