// Port numbers to device paths, and adapter names from sysfs.
#include "serial/AdapterName.h"
#include "serial/PortMap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuvo;

TEST(SerialPortMap, DefaultsAndOverrides) {
    PortMap map;
    EXPECT_EQ(map.devicePath(1), "/dev/ttyUSB0");
    EXPECT_EQ(map.devicePath(50), "/dev/ttyUSB49");
    EXPECT_EQ(map.devicePath(0), "");
    EXPECT_EQ(map.devicePath(-3), "");
    map.setOverride(2, "/dev/pts/7");
    EXPECT_EQ(map.devicePath(2), "/dev/pts/7");
    map.clearOverrides();
    EXPECT_EQ(map.devicePath(2), "/dev/ttyUSB1");
}

TEST(SerialPortMap, OverrideListsSkipBadEntries) {
    const struct {
        const char* list;
        QMap<int, QString> expected;
    } cases[] = {
        {"1=/dev/pts/7,2=/dev/ttyACM0", {{1, "/dev/pts/7"}, {2, "/dev/ttyACM0"}}},
        {" 3 = /dev/ttyS0 ,", {{3, "/dev/ttyS0"}}},
        {"", {}},
        {",,,", {}},
        {"x=/dev/a,0=/dev/b,-1=/dev/c,70000=/dev/d,4=,=/dev/e,5", {}},
        {"1=/dev/a,1=/dev/b", {{1, "/dev/b"}}},
        {"6=/dev/with=equals", {{6, "/dev/with=equals"}}},
    };
    for (const auto& c : cases) {
        PortMap map;
        map.loadOverrides(QString::fromLatin1(c.list));
        EXPECT_EQ(map.overrides(), c.expected) << c.list;
    }
}

class SerialAdapterName : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + "/sys";
        const QString usbDevice = root + "/devices/pci0000:00/usb1/1-2";
        const QString port = usbDevice + "/1-2:1.0/ttyUSB7";
        ASSERT_TRUE(QDir().mkpath(port));
        write(usbDevice + "/idVendor", "0403\n");
        write(usbDevice + "/idProduct", "6001\n");
        write(usbDevice + "/manufacturer", "FTDI\n");
        write(usbDevice + "/product", "FT232R USB UART\n");
        ASSERT_TRUE(QDir().mkpath(root + "/class/tty/ttyUSB7"));
        ASSERT_TRUE(QFile::link(port, root + "/class/tty/ttyUSB7/device"));
        // A tty whose device has no USB parent (a built-in UART).
        ASSERT_TRUE(QDir().mkpath(root + "/devices/platform/serial8250/tty/ttyS0"));
        ASSERT_TRUE(QDir().mkpath(root + "/class/tty/ttyS0"));
        ASSERT_TRUE(
            QFile::link(root + "/devices/platform/serial8250", root + "/class/tty/ttyS0/device"));
    }
    static void write(const QString& path, const char* text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QTemporaryDir dir;
    QString root;
};

TEST_F(SerialAdapterName, ReadsTheUsbDeviceBehindTheTty) {
    EXPECT_EQ(adapterName("/dev/ttyUSB7", root), "FTDI FT232R USB UART");
    // A link such as /dev/serial/by-id/... names the same tty.
    QFile(dir.path() + "/ttyUSB7").open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(dir.path() + "/ttyUSB7", dir.path() + "/usb-FTDI-if00"));
    EXPECT_EQ(adapterName(dir.path() + "/usb-FTDI-if00", root), "FTDI FT232R USB UART");

    QFile::remove(root + "/devices/pci0000:00/usb1/1-2/manufacturer");
    QFile::remove(root + "/devices/pci0000:00/usb1/1-2/product");
    EXPECT_EQ(adapterName("/dev/ttyUSB7", root), "0403:6001");
}

TEST_F(SerialAdapterName, EmptyWithoutAUsbDevice) {
    EXPECT_EQ(adapterName("/dev/ttyS0", root), "");
    EXPECT_EQ(adapterName("/dev/ttyUSB3", root), "");
    EXPECT_EQ(adapterName("", root), "");
    EXPECT_EQ(adapterName("/dev/ttyUSB7", dir.path() + "/missing"), "");
}
