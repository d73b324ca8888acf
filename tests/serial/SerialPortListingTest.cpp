// Which device and adapter every COM number reaches now, on a fake system tree.
#include "FakeSystemTree.h"
#include "serial/PortListing.h"

#include <gtest/gtest.h>

using namespace zuvo;
using zuvo::test::FakeSystemTree;

namespace {

class SerialPortListing : public ::testing::Test {
protected:
    void SetUp() override {
        tree.usbAdapter("ttyUSB0", "usb-FTDI_FT232R_A50285BI-if00-port0", "FTDI", "FT232R");
        tree.usbAdapter("ttyUSB1", "usb-Prolific_PL2303-if00-port0", "Prolific", "PL2303");
        map.setOverride(3, "/dev/serial/by-id/usb-Prolific_PL2303-if00-port0");
        map.setOverride(4, "/dev/serial/by-id/usb-Gone_Adapter-if00");
        map.setOverride(12, "/dev/ttyUSB0");
    }

    FakeSystemTree tree;
    PortMap map;
};

TEST_F(SerialPortListing, EveryNumberWithItsDeviceAdapterAndStableName) {
    const std::vector<PortListEntry> entries = listPorts(map, 4, tree.root());
    struct Expected {
        int number;
        const char* device;
        const char* byId;
        const char* adapter;
        bool present;
        bool tied;
    };
    const Expected expected[] = {
        {1, "/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0", "FTDI FT232R",
         true, false},
        {2, "/dev/ttyUSB1", "/dev/serial/by-id/usb-Prolific_PL2303-if00-port0", "Prolific PL2303",
         true, false},
        {3, "/dev/ttyUSB1", "/dev/serial/by-id/usb-Prolific_PL2303-if00-port0", "Prolific PL2303",
         true, true},
        {4, "/dev/serial/by-id/usb-Gone_Adapter-if00", "/dev/serial/by-id/usb-Gone_Adapter-if00",
         "", false, true},
        // Beyond the highest number only because the map names it.
        {12, "/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0", "FTDI FT232R",
         true, false},
    };
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PortListEntry& e = entries[i];
        const Expected& x = expected[i];
        EXPECT_EQ(e.number, x.number);
        EXPECT_EQ(e.devicePath, x.device) << x.number;
        EXPECT_EQ(e.byIdPath, x.byId) << x.number;
        EXPECT_EQ(e.adapterName, x.adapter) << x.number;
        EXPECT_EQ(e.present, x.present) << x.number;
        EXPECT_EQ(isTied(e), x.tied) << x.number;
    }
    EXPECT_EQ(entries[2].configuredPath, "/dev/serial/by-id/usb-Prolific_PL2303-if00-port0");
}

TEST_F(SerialPortListing, FormatsAlignedColumns) {
    const QString byId = "/dev/serial/by-id/";
    EXPECT_EQ(formatPortListing(listPorts(map, 5, tree.root())).split('\n'),
              QStringList({
                  "COM1   /dev/ttyUSB0                             FTDI FT232R      " + byId +
                      "usb-FTDI_FT232R_A50285BI-if00-port0",
                  "COM2   /dev/ttyUSB1                             Prolific PL2303  " + byId +
                      "usb-Prolific_PL2303-if00-port0",
                  "COM3   /dev/ttyUSB1                             Prolific PL2303  " + byId +
                      "usb-Prolific_PL2303-if00-port0       (tied)",
                  "COM4   " + byId + "usb-Gone_Adapter-if00  not present      " + byId +
                      "usb-Gone_Adapter-if00                (tied)",
                  "COM5   /dev/ttyUSB4                             not present      -",
                  "COM12  /dev/ttyUSB0                             FTDI FT232R      " + byId +
                      "usb-FTDI_FT232R_A50285BI-if00-port0",
                  "",
              }));
    EXPECT_EQ(formatPortListing({}), "");
}

TEST(SerialPortListingDefaults, TheRealSystemIsListedFromCom1ToCom8) {
    PortMap map;
    const std::vector<PortListEntry> entries = listPorts(map);
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries.front().number, 1);
    EXPECT_EQ(entries.back().number, 8);
}

} // namespace
