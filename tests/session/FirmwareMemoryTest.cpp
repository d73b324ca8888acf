// The firmware version a port last announced, kept in the settings file under a key that names
// the adapter, not only the port number.
#include "serial/FakeSystemTree.h"
#include "session/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuvo;
using zuvo::test::FakeSystemTree;

namespace {

TEST(FirmwareMemory, TheKeyNamesTheAdapterTheNumberReachesNow) {
    FakeSystemTree tree;
    tree.usbAdapter("ttyUSB0", "usb-FTDI_FT232R_A-if00-port0", "FTDI", "FT232R USB UART");
    tree.usbAdapter("ttyUSB1", "usb-FTDI_FT232R_B-if00-port0", "FTDI", "FT232R USB UART");
    tree.usbAdapter("ttyACM2", "", "Arduino", "Uno");
    const auto key = [&](int number, const char* path) {
        return firmwareMemoryKey(number, path, tree.root());
    };
    const QString adapterA = "COM3 /dev/serial/by-id/usb-FTDI_FT232R_A-if00-port0";
    // The node and the adapter's stable name are one adapter.
    EXPECT_EQ(key(3, "/dev/ttyUSB0"), adapterA);
    EXPECT_EQ(key(3, "/dev/serial/by-id/usb-FTDI_FT232R_A-if00-port0"), adapterA);
    // Another adapter behind the same number, or the same adapter behind another number.
    EXPECT_EQ(key(3, "/dev/ttyUSB1"), "COM3 /dev/serial/by-id/usb-FTDI_FT232R_B-if00-port0");
    EXPECT_EQ(key(4, "/dev/ttyUSB0"), "COM4 /dev/serial/by-id/usb-FTDI_FT232R_A-if00-port0");
    // Without a stable name, the node; a device that is not there, as configured.
    EXPECT_EQ(key(3, "/dev/ttyACM2"), "COM3 /dev/ttyACM2");
    EXPECT_EQ(key(3, "/dev/ttyUSB7"), "COM3 /dev/ttyUSB7");
}

TEST(FirmwareMemory, IsStoredWithItsTimeAndReadBackOnlyWhenWhole) {
    QTemporaryDir folder;
    const QString file = folder.filePath("ZUVO/ZUVO.conf");
    const SettingsPaths paths{file, {file}};
    const QString key = "COM3 /dev/serial/by-id/usb-FTDI_FT232R_A-if00-port0";
    EXPECT_FALSE(readRememberedVersion(key, paths));

    const RememberedVersion announced{
        61, QDateTime::fromString("2025-01-31T10:15:00+01:00", Qt::ISODate)};
    ASSERT_TRUE(storeRememberedVersion(key, announced, paths));
    EXPECT_EQ(readRememberedVersion(key, paths), announced);
    EXPECT_FALSE(readRememberedVersion("COM3 /dev/ttyUSB1", paths));
    ASSERT_TRUE(storeRememberedVersion(key, {62, announced.announcedAt.addDays(1)}, paths));
    EXPECT_EQ(readRememberedVersion(key, paths)->version, 62);

    for (const char* stored :
         {"256 2025-01-31T10:15:00+01:00", "61", "-1 2025-01-31T10:15:00Z",
          "61 2025-01-31T10:15:00", "61 yesterday", "0x3C 2025-01-31T10:15:00Z",
          "61 2025-02-30T10:15:00Z", "61 2025-01-31T10:15:00Z extra"}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[FirmwareVersions]\n" + key.toUtf8() + "=" + stored + "\n");
        f.close();
        EXPECT_FALSE(readRememberedVersion(key, paths)) << stored;
    }
}

} // namespace
