#include "session/Settings.h"
#include "common/ScratchFile.h"
#include "serial/PortMap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using zuvo::SettingsPaths;

namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<QByteArray>& value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) {
            old_ = qgetenv(name);
        }
        set(value);
    }
    ~ScopedEnv() { set(old_); }

private:
    void set(const std::optional<QByteArray>& value) {
        if (value) {
            qputenv(name_, *value);
        } else {
            qunsetenv(name_);
        }
    }
    const char* name_;
    std::optional<QByteArray> old_;
};

class SettingsTest : public ::testing::Test {
protected:
    QString put(const QString& name, const QByteArray& content) const {
        return zuvo::test::writeScratchFile(dir_.filePath(name), content);
    }
    SettingsPaths only(const QString& path) const { return {path, {path}}; }

    QTemporaryDir dir_;
};

TEST_F(SettingsTest, ComDigitIsTheFirstStoredCharacterOrOne) {
    QByteArray garbage;
    for (int i = 0; i < 3000; ++i) {
        garbage.append(static_cast<char>((i * 131 + 7) % 256));
    }
    struct Case {
        const char* name;
        std::optional<QByteArray> content; // nullopt: no file
        QChar expected;
    } cases[] = {
        {"missing", std::nullopt, u'1'},
        {"empty file", QByteArray(), u'1'},
        {"empty value", "[Software\\ZUVO]\nComPort=\n", u'1'},
        {"three", "[Software\\ZUVO]\nComPort=3\n", u'3'},
        {"leading zero", "[Software\\ZUVO]\nComPort=05\n", u'0'},
        {"two digits", "[Software\\ZUVO]\r\nComPort=12\r\n", u'1'},
        {"not a digit", "[Software\\ZUVO]\nComPort=x\n", u'x'},
        {"very long", "[Software\\ZUVO]\nComPort=7" + QByteArray(100000, '9') + "\n", u'7'},
        {"any case", "[software\\zuvo]\nCOMPORT=4\n", u'4'},
        {"other section", "[Software]\nComPort=5\n", u'1'},
        {"garbage", garbage, u'1'},
        {"garbage around it", garbage + "\n[Software\\ZUVO]\nComPort=6\n" + garbage, u'6'},
    };
    for (const Case& c : cases) {
        const QString path = dir_.filePath(QString::fromLatin1(c.name));
        if (c.content) {
            put(QString::fromLatin1(c.name), *c.content);
        }
        EXPECT_EQ(zuvo::readComDigit(only(path)), c.expected) << c.name;
    }
    EXPECT_EQ(zuvo::readComDigit(only(dir_.path())), QChar(u'1')) << "a directory";
}

TEST_F(SettingsTest, DigitsNamePortsAndNothingElseDoes) {
    EXPECT_EQ(zuvo::portNumberOfDigit(u'0'), 0);
    EXPECT_EQ(zuvo::portNumberOfDigit(u'1'), 1);
    EXPECT_EQ(zuvo::portNumberOfDigit(u'9'), 9);
    for (QChar c : {QChar(u'x'), QChar(u' '), QChar(u'/'), QChar(u':'),
                    QChar(0x0663) /* Arabic-Indic three */}) {
        EXPECT_EQ(zuvo::portNumberOfDigit(c), std::nullopt) << int(c.unicode());
    }
}

TEST_F(SettingsTest, PathsFollowTheEnvironment) {
    {
        ScopedEnv own("ZUVO_SETTINGS", QByteArray("/x/own.conf"));
        ScopedEnv xdg("XDG_CONFIG_HOME", QByteArray("/x/config"));
        const SettingsPaths p = zuvo::settingsPaths();
        EXPECT_EQ(p.write, "/x/own.conf");
        EXPECT_EQ(p.read, QStringList{"/x/own.conf"});
    }
    {
        ScopedEnv own("ZUVO_SETTINGS", std::nullopt);
        ScopedEnv xdg("XDG_CONFIG_HOME", QByteArray("/x/config"));
        const SettingsPaths p = zuvo::settingsPaths();
        EXPECT_EQ(p.write, "/x/config/ZUVO/ZUVO.conf");
        EXPECT_EQ(p.read, (QStringList{"/x/config/ZUVO/ZUVO.conf", "/etc/xdg/ZUVO/ZUVO.conf"}));
    }
    for (const char* unusable : {"", "relative/config"}) {
        ScopedEnv own("ZUVO_SETTINGS", QByteArray(""));
        ScopedEnv xdg("XDG_CONFIG_HOME", QByteArray(unusable));
        EXPECT_EQ(zuvo::settingsPaths().write, QDir::homePath() + "/.config/ZUVO/ZUVO.conf")
            << unusable;
    }
}

TEST_F(SettingsTest, UserFileWinsAndThePresetFillsIn) {
    const QString preset = put("preset.conf", "[Software\\ZUVO]\nComPort=4\n[Ports]\n1=/dev/a\n"
                                              "2=/dev/b\n");
    const QString user = dir_.filePath("user.conf");
    const SettingsPaths paths{user, {user, preset}};
    EXPECT_EQ(zuvo::readComDigit(paths), QChar(u'4'));

    put("user.conf", "[Ports]\n2=/dev/user\n");
    EXPECT_EQ(zuvo::readComDigit(paths), QChar(u'4'));
    EXPECT_EQ(zuvo::readPortSettings(paths), (QMap<int, QString>{{1, "/dev/a"}, {2, "/dev/user"}}));

    put("user.conf", "[Software\\ZUVO]\nComPort=\n");
    EXPECT_EQ(zuvo::readComDigit(paths), QChar(u'1'))
        << "an empty stored value is the user's choice";
}

TEST_F(SettingsTest, StoringCreatesFoldersAndKeepsTheRestOfTheFile) {
    const QString path = dir_.filePath("deep/er/ZUVO.conf");
    ASSERT_TRUE(zuvo::storeComPort("05", only(path)));
    EXPECT_EQ(zuvo::readComDigit(only(path)), QChar(u'0'));

    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("; my adapter\n[Ports]\n3=/dev/ttyACM0\n");
    }
    ASSERT_TRUE(zuvo::storeComPort("12", only(path)));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[Software\\ZUVO]\nComPort=12\n; my adapter\n[Ports]\n"
                                      "3=/dev/ttyACM0\n"));
}

TEST_F(SettingsTest, StoringReportsFailure) {
    const QString file = put("plain", "x");
    const QString folder = dir_.filePath("folder");
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& path : {folder, file + "/below/ZUVO.conf", QString()}) {
        EXPECT_FALSE(zuvo::storeComPort("3", only(path))) << path.toStdString();
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(SettingsTest, PortEntriesGoToThePortMapAndTheEnvironmentWins) {
    const QString path = put("ports.conf", "[Ports]\n1=/dev/pts/7\n2=/dev/ttyACM0\nx=/dev/bad\n"
                                           "0=/dev/zero\n-3=/dev/neg\n4=\n 5 = /dev/ttyUSB9 \n");
    EXPECT_EQ(zuvo::readPortSettings(only(path)),
              (QMap<int, QString>{{1, "/dev/pts/7"}, {2, "/dev/ttyACM0"}, {5, "/dev/ttyUSB9"}}));

    zuvo::PortMap map;
    zuvo::applyPortSettings(map, "2=/dev/pts/9", only(path));
    EXPECT_EQ(map.devicePath(1), "/dev/pts/7");
    EXPECT_EQ(map.devicePath(2), "/dev/pts/9");
    EXPECT_EQ(map.devicePath(3), "/dev/ttyUSB2");
    EXPECT_EQ(map.devicePath(5), "/dev/ttyUSB9");
}

TEST_F(SettingsTest, PortEntriesThatAreNoPathsAreReportedAndLeftInTheFile) {
    const QByteArray text = "[Ports]\n1=COM3\n2=/dev/ttyACM0\nthree=/dev/ttyUSB2\n4=ttyUSB0\n";
    const QString path = put("ports.conf", text);
    EXPECT_EQ(zuvo::readPortSettings(only(path)), (QMap<int, QString>{{2, "/dev/ttyACM0"}}));
    EXPECT_EQ(zuvo::portSettingsProblems(only(path)),
              (QStringList{path + ": [Ports] 1=COM3 is not a device path; it is ignored.",
                           path + ": [Ports] three=/dev/ttyUSB2 is not a port number; it is "
                                  "ignored.",
                           path + ": [Ports] 4=ttyUSB0 is not a device path; it is ignored."}));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), text); // reading never rewrites it
}

TEST_F(SettingsTest, TyingAPortWritesItsEntryAndAnEmptyOneUntiesIt) {
    const QString preset = put("preset.conf", "[Ports]\n1=/dev/ttyS0\n");
    const QString user = put("user.conf", "; mine\n[Software\\ZUVO]\nComPort=3\n");
    const SettingsPaths paths{user, {user, preset}};
    const QString byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    ASSERT_TRUE(zuvo::storePortDevice(3, byId, paths));
    EXPECT_EQ(zuvo::readPortSettings(paths), (QMap<int, QString>{{1, "/dev/ttyS0"}, {3, byId}}));
    // Back to the default, also over the preset's entry.
    ASSERT_TRUE(zuvo::storePortDevice(3, QString(), paths));
    ASSERT_TRUE(zuvo::storePortDevice(1, QString(), paths));
    EXPECT_TRUE(zuvo::readPortSettings(paths).isEmpty());
    QFile f(user);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("; mine\n[Software\\ZUVO]\nComPort=3\n[Ports]\n3=\n1=\n"));
    EXPECT_EQ(zuvo::readComDigit(paths), QChar(u'3'));

    EXPECT_FALSE(zuvo::storePortDevice(0, byId, paths));
    EXPECT_FALSE(zuvo::storePortDevice(2, byId, only(put("plain", "x") + "/below/ZUVO.conf")));
}

} // namespace
