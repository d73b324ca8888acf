// The [BLOCK] section of backup files: written beside the editor's sections, read back strictly.
#include "params/BackupFile.h"
#include "common/ScratchFile.h"
#include "params/ZdfContent.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace zuvo;

namespace {

// A 36-word block (E = 20) with values that show their place: word i = 1000 + i, the top word
// 65535, word 0 with the counter-clockwise bit.
BlockBackup exampleBackup() {
    BlockBackup b;
    for (int i = 0; i < 36; ++i) {
        b.words.push_back(static_cast<std::uint16_t>(1000 + i));
    }
    b.words[0] = 0x8000 | (512 << 5);
    b.words[1] = 500; // stroke
    b.words[2] = 605; // 60.5 turns
    b.words[35] = 0xFFFF;
    b.calibration10V = 1023;
    b.calibration4mA = 0;
    b.firmwareVersion = 0x90; // shown as V-112
    b.port = 3;
    b.devicePath = QStringLiteral("/dev/ttyUSB2");
    b.time = QDateTime(QDate(2024, 3, 31), QTime(1, 59, 58), QTimeZone(3600));
    return b;
}

QByteArray exampleSection() {
    QByteArray s = "[BLOCK]\r\nTime=2024-03-31T01:59:58+01:00\r\nPort=COM3\r\n"
                   "Device=/dev/ttyUSB2\r\nFirmwareVersion=144\r\nWords=36\r\n";
    const BlockBackup b = exampleBackup();
    for (int i = 0; i < 36; ++i) {
        s += "Word" + QByteArray::number(i) + "=" + QByteArray::number(b.words[i]) + "\r\n";
    }
    return s + "Calibration10V=1023\r\nCalibration4mA=0\r\n";
}

// The editor's sections as the program saves them.
const QByteArray kEditorSections = "[ZYLINDER]\r\nLENGTH=500\r\nGEAR=60,5\r\nDIRECTION=0\r\n"
                                   "[OUTPUT]\r\nHYSTERESIS=0,25\r\nFunktion1=1\r\n"
                                   "[ANALOG]\r\nFunktion=517\r\n"
                                   "[ANLAUF]\r\nFunktion1=3082\r\nFunktion2=9557\r\n"
                                   "[POSITION]\r\nPos1=100,5\r\nPos2=-1\r\nAnalog1=0\r\n"
                                   "Analog2=500\r\n";

class BackupFileTest : public ::testing::Test {
protected:
    QString put(const QByteArray& content) const {
        return test::writeScratchFile(dir.filePath(QStringLiteral("b.ZDF")), content);
    }
    QTemporaryDir dir;
};

class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) : previous_(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~DefaultLocale() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

} // namespace

TEST_F(BackupFileTest, WritesTheSectionInAsciiInEveryLocaleAndReadsItBack) {
    for (const QLocale& locale : {QLocale(QLocale::German, QLocale::Germany),
                                  QLocale(QLocale::Arabic, QLocale::Egypt), QLocale::c()}) {
        const DefaultLocale scope(locale);
        const QString path = dir.filePath(locale.name() + QStringLiteral(".ZDF"));
        IniFile out(path);
        ASSERT_TRUE(writeBlockSection(out, exampleBackup()));
        ASSERT_TRUE(out.save());
        EXPECT_EQ(test::scratchFileContents(path), exampleSection()) << locale.name().toStdString();

        const BlockSectionRead read = readBlockSection(IniFile(path), 36);
        ASSERT_TRUE(read) << read.problem.toStdString();
        EXPECT_EQ(*read.backup, exampleBackup());
        EXPECT_EQ(read.backup->time.offsetFromUtc(), 3600);
    }
}

TEST_F(BackupFileTest, TheSectionGoesBesideTheOtherSectionsAndLeavesThemAlone) {
    const QByteArray before = "; spare cylinder\r\n" + kEditorSections;
    IniFile ini(put(before));
    ASSERT_TRUE(writeBlockSection(ini, exampleBackup()));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(test::scratchFileContents(ini.path()), before + exampleSection());

    // A backup is written once: a second section would mix two blocks.
    EXPECT_FALSE(writeBlockSection(ini, exampleBackup()));
}

TEST_F(BackupFileTest, RefusesToWriteWhatCouldNotBeReadBack) {
    const struct {
        const char* name;
        void (*change)(BlockBackup&);
    } cases[] = {
        {"15 words", [](BlockBackup& b) { b.words.resize(15); }},
        {"100 words", [](BlockBackup& b) { b.words.resize(100); }},
        {"port 0", [](BlockBackup& b) { b.port = 0; }},
        {"port 256", [](BlockBackup& b) { b.port = 256; }},
        {"no time", [](BlockBackup& b) { b.time = QDateTime(); }},
        {"line break in the device", [](BlockBackup& b) { b.devicePath += "\nWord0=1"; }},
    };
    for (const auto& c : cases) {
        BlockBackup b = exampleBackup();
        c.change(b);
        IniFile ini(dir.filePath(QStringLiteral("refused.ZDF")));
        EXPECT_FALSE(writeBlockSection(ini, b)) << c.name;
        EXPECT_TRUE(ini.keys(QStringLiteral("BLOCK")).isEmpty()) << c.name;
    }
    // The sizes at both ends are fine.
    for (int count : {16, 99}) {
        BlockBackup b = exampleBackup();
        b.words.resize(static_cast<std::size_t>(count));
        IniFile ini(dir.filePath(QStringLiteral("size.ZDF")));
        ASSERT_TRUE(writeBlockSection(ini, b)) << count;
        EXPECT_EQ(readBlockSection(ini).backup, b);
    }
}

TEST_F(BackupFileTest, HandEditedSectionsAreRefusedWithTheirReason) {
    const QByteArray good = exampleSection();
    const struct {
        const char* name;
        QByteArray from, to; // replaced in the good section
        std::optional<int> expected;
        const char* problem;
    } cases[] = {
        {"no section", "[BLOCK]", "[BLOCKS]", {}, "the file has no [BLOCK] section"},
        {"missing word", "Word7=1007\r\n", "", {}, "the word numbers have a gap: Word7 is missing"},
        {"truncated",
         "Word35=65535\r\nCalibration10V=1023\r\nCalibration4mA=0\r\n",
         "",
         {},
         "the words end before Word35 although Words is 36"},
        {"cut after the words", "Calibration4mA=0\r\n", "", {}, "Calibration4mA is missing"},
        {"word too large", "Word9=1009", "Word9=65536", {}, "Word9 = 65536 is outside 0..65535"},
        {"negative word", "Word9=1009", "Word9=-1", {}, "Word9 = -1 is outside 0..65535"},
        {"word with decimals",
         "Word9=1009",
         "Word9=1009,0",
         {},
         "Word9 is not a decimal number: \"1009,0\""},
        {"NUL in a word",
         "Word9=1009",
         QByteArray("Word9=10") + '\0' + "09",
         {},
         "Word9 is not a decimal number: \"10\\x0009\""},
        {"control characters",
         "Word9=1009",
         "Word9=1\x1b[2J\"\\",
         {},
         "Word9 is not a decimal number: \"1\\x1B[2J\\\"\\\\\""},
        {"a word twice",
         "Word7=1007\r\n",
         "Word7=1007\r\nWord7=7\r\n",
         {},
         "Word7 stands more than once"},
        {"a word twice, another case",
         "Word7=1007\r\n",
         "word7=7\r\nWord7=1007\r\n",
         {},
         "Word7 stands more than once"},
        {"the count twice",
         "Words=36\r\n",
         "Words=36\r\nWords=35\r\n",
         {},
         "Words stands more than once"},
        {"two sections",
         "Calibration4mA=0\r\n",
         "Calibration4mA=0\r\n[block]\r\nWord7=7\r\n",
         {},
         "the file has 2 [BLOCK] sections"},
        {"hex word", "Word9=1009", "Word9=0x3F1", {}, "Word9 is not a decimal number: \"0x3F1\""},
        {"empty word", "Word9=1009", "Word9=", {}, "Word9 is not a decimal number: \"\""},
        {"arabic digits",
         "Word9=1009",
         "Word9=\xd9\xa1\xd9\xa0",
         {},
         "Word9 is not a decimal number: \"\u0661\u0660\""},
        {"word beyond the count",
         "Calibration10V",
         "Word36=0\r\nCalibration10V",
         {},
         "Word36 lies beyond the 36 words that Words declares"},
        {"malformed word key",
         "Word7=",
         "Word07=",
         {},
         "Word07 is not a word key (Word0, Word1, ...)"},
        {"count too small", "Words=36", "Words=15", {}, "Words = 15 is outside 16..99"},
        {"count missing", "Words=36\r\n", "", {}, "Words is missing"},
        {"other block length", "", "", 37,
         "the backup holds 36 words, the controller's block has 37"},
        {"firmware too large",
         "FirmwareVersion=144",
         "FirmwareVersion=256",
         {},
         "FirmwareVersion = 256 is outside 0..255"},
        {"calibration",
         "Calibration10V=1023",
         "Calibration10V=1,5",
         {},
         "Calibration10V is not a decimal number: \"1,5\""},
        {"port", "Port=COM3", "Port=COM0", {}, "Port is not COM1..COM255: \"COM0\""},
        {"port name",
         "Port=COM3",
         "Port=/dev/ttyUSB2",
         {},
         "Port is not COM1..COM255: \"/dev/ttyUSB2\""},
        {"device missing", "Device=/dev/ttyUSB2\r\n", "", {}, "Device is missing"},
        {"time without offset",
         "01:59:58+01:00",
         "01:59:58",
         {},
         "Time is not a date and time with its UTC offset: \"2024-03-31T01:59:58\""},
        {"no such day",
         "2024-03-31",
         "2024-02-30",
         {},
         "Time is not a date and time with its UTC offset: \"2024-02-30T01:59:58+01:00\""},
    };
    for (const auto& c : cases) {
        QByteArray content = kEditorSections + good;
        if (!c.from.isEmpty()) {
            ASSERT_TRUE(content.contains(c.from)) << c.name;
            content.replace(c.from, c.to);
        }
        const BlockSectionRead read = readBlockSection(IniFile(put(content)), c.expected);
        EXPECT_FALSE(read) << c.name;
        EXPECT_EQ(read.problem, QString::fromUtf8(c.problem)) << c.name;
    }
}

TEST_F(BackupFileTest, ReadingToleratesWhatAPersonMayChangeHarmlessly) {
    QByteArray content = exampleSection();
    content.replace("[BLOCK]", "[block]");         // names match without regard to case
    content.replace("Word3=1003", "word3 = 1003"); // blanks around the value
    content.replace("Calibration4mA=0", "Calibration4mA=0\r\nNote=after repair"); // a new key
    content.replace("Time=2024-03-31T01:59:58+01:00", "Time=2024-03-31T00:59:58Z");
    const BlockSectionRead read = readBlockSection(IniFile(put(content)), 36);
    ASSERT_TRUE(read) << read.problem.toStdString();
    EXPECT_EQ(*read.backup, exampleBackup()); // the same moment
}

TEST_F(BackupFileTest, ParameterFileReadersIgnoreTheSection) {
    const IniFile plain(put(kEditorSections));
    const ZdfContent expected = readZdf(plain);
    // A [BLOCK] whose keys look like the editor's must not leak into them, before or after.
    const QByteArray lookalike = "[BLOCK]\r\nLENGTH=7\r\nFunktion1=99\r\nPos1=3\r\nZERO=5\r\n";
    for (const QByteArray& content :
         {kEditorSections + exampleSection(), exampleSection() + kEditorSections,
          lookalike + kEditorSections, kEditorSections + lookalike}) {
        const IniFile ini(put(content));
        EXPECT_TRUE(isParameterFile(ini));
        EXPECT_EQ(readZdf(ini), expected);
    }
    // A file of nothing but [BLOCK] is no parameter set.
    EXPECT_FALSE(isParameterFile(IniFile(put(exampleSection()))));
}

TEST(BackupSummary, StrokeAndTurnsAsTheEditorShowsThem) {
    const struct {
        std::uint16_t stroke, gear;
        std::uint16_t shownStroke;
        std::int64_t shownTurns;
    } cases[] = {
        {500, 605, 500, 60}, {0, 0, 1, 1}, {1000, 1000, 1000, 100}, {65535, 65535, 65535, 6000}};
    for (const auto& c : cases) {
        BlockBackup b = exampleBackup();
        b.words[1] = c.stroke;
        b.words[2] = c.gear;
        const BackupSummary s = summarizeBackup(b);
        EXPECT_EQ(s.strokeMm, c.shownStroke) << c.stroke;
        EXPECT_EQ(s.turns, c.shownTurns) << c.gear;
        EXPECT_EQ(s.port, 3);
        EXPECT_EQ(s.firmwareVersion, 0x90);
        EXPECT_EQ(s.wordCount, 36);
        EXPECT_EQ(s.time, b.time);
    }
}
