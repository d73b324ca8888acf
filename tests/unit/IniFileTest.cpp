#include "params/IniFile.h"
#include "common/ScratchFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using zuvo::IniFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString file(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QString put(const QByteArray& content, const char* name = "test.ini") const {
        return zuvo::test::writeScratchFile(file(name), content);
    }

    static QByteArray contents(const QString& path) {
        return zuvo::test::scratchFileContents(path);
    }

    QTemporaryDir dir_;
};

const QByteArray kSample = "; saved by hand\r\n"
                           "[ZYLINDER]\r\n"
                           "LENGTH=500\r\n"
                           "Gear = 60 \r\n"
                           "\r\n"
                           "[Output]\r\n"
                           "HYSTERESIS=\"0,25\"\r\n"
                           "length=1\r\n"
                           "LENGTH=2\r\n"
                           "no equals sign here\r\n"
                           "\r\n"
                           "[zylinder]\r\n"
                           "LENGTH=999\r\n";

TEST_F(IniFileTest, ReadsValuesByNameWithoutCaseAndFallsBackToDefaults) {
    IniFile ini(put(kSample));
    ASSERT_EQ(ini.loadState(), IniFile::LoadState::Loaded);

    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"ZYLINDER", "LENGTH", "500"},    // first section of a name counts
        {"zylinder", "length", "500"},    // names match without case
        {"ZYLINDER", "GEAR", "60"},       // blanks around key and value removed
        {"OUTPUT", "HYSTERESIS", "0,25"}, // enclosing quotes removed
        {"OUTPUT", "LENGTH", "1"},        // first key of a name counts
        {"OUTPUT", "no equals sign here", "<default>"},
        {"ZYLINDER", "DIRECTION", "<default>"},
        {"ANLAUF", "Funktion1", "<default>"},
        {"; saved by hand", "x", "<default>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.readString(c.section, c.key, "<default>"), QString::fromLatin1(c.expected))
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(ini.keys("output"), (QStringList{"HYSTERESIS", "length"}));
    EXPECT_TRUE(ini.keys("missing").isEmpty());
}

// A reader can tell what only the first of several would give: sections and keys that stand
// more than once.
TEST_F(IniFileTest, TellsRepeatedSectionsAndKeys) {
    IniFile ini(put(kSample + "[OUTPUT]\r\nHYSTERESIS=1\r\n"));
    EXPECT_EQ(ini.sectionCount("zylinder"), 2);
    EXPECT_EQ(ini.sectionCount("output"), 2);
    EXPECT_EQ(ini.sectionCount("missing"), 0);
    // In the first [Output]: length and LENGTH are one name (twice), HYSTERESIS once there.
    EXPECT_EQ(ini.repeatedKeys("OUTPUT"), QStringList{"LENGTH"});
    EXPECT_TRUE(ini.repeatedKeys("ZYLINDER").isEmpty());
    IniFile thrice(put("[S]\nA=1\nB=1\nA=2\na=3\nB=2\n"));
    EXPECT_EQ(thrice.repeatedKeys("S"), (QStringList{"A", "B"}));
}

// A NUL inside a value stays part of it, so that the value's reader sees it and refuses it.
TEST_F(IniFileTest, KeepsANulInsideAValue) {
    for (const QByteArray& encoding : {QByteArray("10"), QByteArray("10\xE4")}) {
        IniFile ini(put("[ZYLINDER]\r\nLENGTH=" + encoding + '\0' + "00\r\n"));
        const auto value = ini.value("ZYLINDER", "LENGTH");
        ASSERT_TRUE(value);
        EXPECT_EQ(value->size(), encoding.size() + 3) << encoding.toStdString();
        EXPECT_TRUE(value->contains(QChar(0)));
        EXPECT_EQ(ini.readInteger("ZYLINDER", "LENGTH", -5), -5);
        EXPECT_EQ(ini.readFloat("ZYLINDER", "LENGTH", -5), -5);
    }
}

TEST_F(IniFileTest, IntegersAreDecimalWithOptionalSignElseDefault) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"517", 517},
        {"-1", -1},
        {"+7", 7},
        {" 12 ", 12},
        {"", -5},
        {"x", -5},
        {"1.5", -5},
        {"12abc", -5},
        {"0x10", -5},
        {"99999999999", -5},
        {"-2147483648", INT32_MIN},
    };
    for (const Case& c : cases) {
        IniFile ini(put(QByteArray("[S]\nK=") + c.text + "\n"));
        EXPECT_EQ(ini.readInteger("S", "K", -5), c.expected) << c.text;
    }
}

TEST_F(IniFileTest, FloatsUseTheLocaleSeparatorWithoutGroupsAndShortestForm) {
    const QLocale comma(QLocale::German, QLocale::Germany);
    const QLocale point = QLocale::c();

    // Either separator reads, whatever the desktop's is; groups and non-numbers do not.
    struct ReadCase {
        const char* text;
        double expected;
    } reads[] = {
        {"0,25", 0.25},
        {"-1", -1.0},
        {"100", 100.0},
        {"0.25", 0.25},
        {"1.000", 1.0},
        {"inf", 7.0},
        {"nan", 7.0},
        {"", 7.0},
        {"abc", 7.0},
        {"1,000.5", 7.0},
        {"1 000", 7.0},
        {"\xE2\x88\x92"
         "1",
         -1.0},
    };
    for (const ReadCase& c : reads) {
        IniFile ini(put(QByteArray("[S]\nK=") + c.text + "\n"));
        EXPECT_EQ(ini.readFloat("S", "K", 7.0), c.expected) << c.text;
    }

    struct WriteCase {
        double value;
        const char* withComma;
        const char* withPoint;
    } writes[] = {
        {100.0, "100", "100"},
        {0.1, "0,1", "0.1"},
        {-1.0, "-1", "-1"},
        {0.25, "0,25", "0.25"},
        {1234.5, "1234,5", "1234.5"},
        {60.0, "60", "60"},
        {1.0 / 3.0, "0,333333333333333", "0.333333333333333"},
    };
    for (const WriteCase& c : writes) {
        EXPECT_EQ(IniFile::formatFloat(c.value, comma), QString::fromLatin1(c.withComma));
        EXPECT_EQ(IniFile::formatFloat(c.value, point), QString::fromLatin1(c.withPoint));
        EXPECT_EQ(IniFile::parseFloat(IniFile::formatFloat(c.value, comma)),
                  IniFile::parseFloat(IniFile::formatFloat(c.value, point)));
    }
}

TEST_F(IniFileTest, WritingReplacesOwnLineAndKeepsEverythingElse) {
    const QString path = put(kSample);
    IniFile ini(path);
    ASSERT_TRUE(ini.writeString("zylinder", "gear", "61"));    // replaced in place
    ASSERT_TRUE(ini.writeInteger("ZYLINDER", "DIRECTION", 1)); // end of its section
    ASSERT_TRUE(ini.writeString("OUTPUT", "Funktion1", "3"));  // before the blank line
    ASSERT_TRUE(ini.writeFloat("POSITION", "Pos1", 100.0));    // new section at the end
    ASSERT_TRUE(ini.writeString("POSITION", "Pos2", "-1"));
    ASSERT_TRUE(ini.save());

    EXPECT_EQ(contents(path), QByteArray("; saved by hand\r\n"
                                         "[ZYLINDER]\r\n"
                                         "LENGTH=500\r\n"
                                         "gear=61\r\n"
                                         "DIRECTION=1\r\n"
                                         "\r\n"
                                         "[Output]\r\n"
                                         "HYSTERESIS=\"0,25\"\r\n"
                                         "length=1\r\n"
                                         "LENGTH=2\r\n"
                                         "no equals sign here\r\n"
                                         "Funktion1=3\r\n"
                                         "\r\n"
                                         "[zylinder]\r\n"
                                         "LENGTH=999\r\n"
                                         "[POSITION]\r\n"
                                         "Pos1=100\r\n"
                                         "Pos2=-1\r\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"test.ini"});

    IniFile again(path);
    EXPECT_EQ(again.readString("Zylinder", "GEAR", ""), "61");
    EXPECT_EQ(again.readInteger("POSITION", "Pos2", 0), -1);
}

TEST_F(IniFileTest, WritesIntoFilesWithLfOrWithoutFinalLineEnd) {
    struct Case {
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"[A]\nx=1", "[A]\nx=1\ny=2\n"},
        {"[A]\nx=1\n", "[A]\nx=1\ny=2\n"},
        {"[B]\nz=0", "[B]\nz=0\n[A]\ny=2\n"},
        {"", "[A]\r\ny=2\r\n"},
        {"[A]", "[A]\r\ny=2\r\n"}, // no line end to follow: the default
    };
    for (const Case& c : cases) {
        const QString path = put(c.before);
        IniFile ini(path);
        ASSERT_TRUE(ini.writeString("A", "y", "2"));
        ASSERT_TRUE(ini.save());
        EXPECT_EQ(contents(path), c.after) << c.before.constData();
    }
}

TEST_F(IniFileTest, NewFileGetsSectionsInWrittenOrderAndNothingWithoutWrites) {
    const QString path = file("new.ZDF");
    {
        IniFile untouched(path);
        EXPECT_EQ(untouched.loadState(), IniFile::LoadState::Missing);
        EXPECT_TRUE(untouched.save());
        EXPECT_FALSE(QFile::exists(path));
    }
    IniFile ini(path);
    ini.writeInteger("ZYLINDER", "LENGTH", 500);
    ini.writeInteger("OUTPUT", "Funktion1", 1);
    ini.writeInteger("ZYLINDER", "GEAR", 60);
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(contents(path), QByteArray("[ZYLINDER]\r\nLENGTH=500\r\nGEAR=60\r\n"
                                         "[OUTPUT]\r\nFunktion1=1\r\n"));

    const QString lf = file("lf.conf");
    IniFile settings(lf);
    settings.setNewLineEnding("\n");
    settings.writeString("Software\\ZUVO", "ComPort", "3");
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(contents(lf), QByteArray("[Software\\ZUVO]\nComPort=3\n"));
}

TEST_F(IniFileTest, RefusesTextThatCannotBeOneLine) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"", "K", "v"},       {"  ", "K", "v"}, {"S", "", "v"},     {"S", " ", "v"},
        {"S\n[X]", "K", "v"}, {"S]", "K", "v"}, {"S", "K\nX", "v"}, {"S", "a=b", "v"},
        {"S", "[X]", "v"},    {"S", ";K", "v"}, {"S", "#K", "v"},   {"S", "K", "1\n[Evil]\nx=1"},
        {"S", "K", "1\rx"},
    };
    const QString path = put("[S]\nK=old\n");
    IniFile ini(path);
    for (const Case& c : cases) {
        EXPECT_FALSE(ini.writeString(c.section, c.key, c.value))
            << c.section << "/" << c.key << "/" << c.value;
    }
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(contents(path), QByteArray("[S]\nK=old\n"));
}

TEST_F(IniFileTest, KeepsEightBitTextAndReadsUtf8) {
    const QString path = put("[S]\nlatin=\xB5m\nutf=/dev/\xC3\xA4\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("S", "latin", ""), QString::fromUtf8("\xC2\xB5m"));
    EXPECT_EQ(ini.readString("S", "utf", ""), QString::fromUtf8("/dev/\xC3\xA4"));
    ASSERT_TRUE(ini.writeString("S", "new", QString::fromUtf8("\xC2\xB5")));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(contents(path), QByteArray("[S]\nlatin=\xB5m\nutf=/dev/\xC3\xA4\nnew=\xB5\n"));
}

TEST_F(IniFileTest, GarbageReadsAsDefaultsAndSurvivesAWrite) {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.append(static_cast<char>((i * 7919 + 13) % 256));
    }
    garbage.append("\0[\0=\n[unclosed\n=value\n]\n", 25);
    const QString path = put(garbage);
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Software\\ZUVO", "ComPort", "d"), "d");
    EXPECT_EQ(ini.readInteger("unclosed", "", 4), 4);
    ASSERT_TRUE(ini.writeString("S", "K", "v"));
    ASSERT_TRUE(ini.save());
    const QByteArray after = contents(path);
    EXPECT_TRUE(after.startsWith(garbage));
    EXPECT_EQ(IniFile(path).readString("S", "K", ""), "v");
}

TEST_F(IniFileTest, UnusableFilesReadAsDefaultsAndAreNeverOverwritten) {
    const QString folder = file("folder");
    ASSERT_TRUE(QDir().mkdir(folder));

    const QString huge = file("huge.ini");
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(IniFile::MaxFileSize + 1));
    }

    const QString fifo = file("fifo");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);

    for (const QString& path : {folder, huge, fifo}) {
        IniFile ini(path);
        EXPECT_EQ(ini.loadState(), IniFile::LoadState::Unusable) << path.toStdString();
        EXPECT_EQ(ini.readString("S", "K", "d"), "d");
        ASSERT_TRUE(ini.writeString("S", "K", "v"));
        EXPECT_FALSE(ini.save()) << path.toStdString();
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QFileInfo(huge).size(), IniFile::MaxFileSize + 1);
}

TEST_F(IniFileTest, UnreadableFileReadsAsDefaults) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    const QString path = put("[S]\nK=v\n");
    ASSERT_EQ(chmod(path.toLocal8Bit().constData(), 0), 0);
    IniFile ini(path);
    EXPECT_EQ(ini.loadState(), IniFile::LoadState::Unusable);
    EXPECT_EQ(ini.readString("S", "K", "d"), "d");
}

TEST_F(IniFileTest, SaveIntoMissingFolderFailsAndLeavesNothing) {
    IniFile ini(file("no/such/folder/x.ini"));
    ASSERT_TRUE(ini.writeString("S", "K", "v"));
    EXPECT_FALSE(ini.save());
    EXPECT_FALSE(QFileInfo::exists(file("no")));
}

} // namespace
