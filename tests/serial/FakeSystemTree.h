#pragma once
// A fake system tree (dev/, sys/, proc/, etc/) in a temporary folder, for the port doctor and
// the port listing: device nodes are plain files, udev's by-id names relative links, and a
// process is a folder with its command name and links for its open files.

#include "serial/PortDoctor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

namespace zuvo::test {

class FakeSystemTree {
public:
    FakeSystemTree() { EXPECT_TRUE(dir_.isValid()); }

    QString root() const { return dir_.path(); }
    QString path(const QString& systemPath) const { return root() + systemPath; }

    void write(const QString& systemPath, const QByteArray& text = {}) const {
        QDir().mkpath(QFileInfo(path(systemPath)).path());
        QFile f(path(systemPath));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << systemPath.toStdString();
        f.write(text);
    }

    // A device node with this mode, owned by whoever runs the test.
    void device(const QString& systemPath, mode_t mode = 0660) const {
        write(systemPath);
        ASSERT_EQ(::chmod(QFile::encodeName(path(systemPath)).constData(), mode), 0);
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
            link(device, QStringLiteral("/proc/%1/fd/%2").arg(pid).arg(fd++));
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
    QTemporaryDir dir_;
};

} // namespace zuvo::test
