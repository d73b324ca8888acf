#include "params/ZdfContent.h"
#include "common/ScratchFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zuvo;

namespace {

const QLocale kComma(QLocale::German, QLocale::Germany);

class ZdfContentTest : public ::testing::Test {
protected:
    QString put(const QByteArray& content) const {
        return test::writeScratchFile(dir_.filePath(QStringLiteral("set.ZDF")), content);
    }
    static QByteArray contents(const QString& path) { return test::scratchFileContents(path); }
    QTemporaryDir dir_;
};

ZdfContent exampleSet() {
    ZdfContent c;
    c.strokeMm = 500;
    c.gear = 60;
    c.clockwise = true;
    c.hysteresis = QStringLiteral("0,25");
    c.segmentMasks = {1, 2, 0, 0, 0, 0, 0, 0, 0};
    c.functionFlags = 0x0205;
    c.rushInDelays = 10 + (12 << 8);
    c.thrustLimitSpeed = 9557;
    c.switchPositions = ZdfContent::defaultPositions();
    c.switchPositions[0] = QStringLiteral("100");
    c.switchPositions[1] = QStringLiteral("200");
    c.analogMinMm = 0;
    c.analogMaxMm = 500;
    return c;
}

TEST(ZdfFileName, AppendsZdfUnlessTheNameHasAThreeLetterExtension) {
    const struct {
        const char* chosen;
        const char* used;
    } cases[] = {
        {"/home/t/set", "/home/t/set.ZDF"},
        {"/home/t/a.b", "/home/t/a.b.ZDF"},
        {"/home/t/set.abc", "/home/t/set.abc"},
        {"/home/t/set.ZDF", "/home/t/set.ZDF"},
        {"/home/t/set.zdf1", "/home/t/set.zdf1.ZDF"},
        {"x", "x.ZDF"},
        {".ab", ".ab.ZDF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withZdfExtension(QString::fromLatin1(c.chosen)), QString::fromLatin1(c.used))
            << c.chosen;
    }
}

TEST_F(ZdfContentTest, NewFileHoldsTheKeysInTheirOrderWithTheSystemSeparator) {
    const QString path = dir_.filePath(QStringLiteral("new.ZDF"));
    IniFile ini(path);
    ASSERT_TRUE(writeZdf(ini, exampleSet(), kComma));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(contents(path), QByteArray("[ZYLINDER]\r\nLENGTH=500\r\nGEAR=60\r\nDIRECTION=1\r\n"
                                         "[OUTPUT]\r\nHYSTERESIS=0,25\r\nFunktion1=1\r\n"
                                         "Funktion2=2\r\nFunktion3=0\r\nFunktion4=0\r\n"
                                         "Funktion5=0\r\nFunktion6=0\r\nFunktion7=0\r\n"
                                         "Funktion8=0\r\nFunktion9=0\r\n"
                                         "[ANALOG]\r\nFunktion=517\r\n"
                                         "[ANLAUF]\r\nFunktion1=3082\r\nFunktion2=9557\r\n"
                                         "[POSITION]\r\nPos1=100\r\nPos2=200\r\nPos3=-1\r\n"
                                         "Pos4=-1\r\nPos5=-1\r\nPos6=-1\r\nPos7=-1\r\n"
                                         "Pos8=-1\r\nAnalog1=0\r\nAnalog2=500\r\n"));
    // And it reads back as written.
    ZdfContent expected = exampleSet();
    expected.turns = 60;
    EXPECT_EQ(readZdf(IniFile(path)), expected);
}

TEST_F(ZdfContentTest, MissingKeysTakeTheirDefaults) {
    const QString path = put("[ZYLINDER]\r\nLENGTH=500\r\n");
    const ZdfContent c = readZdf(IniFile(path));
    EXPECT_TRUE(isParameterFile(IniFile(path)));
    EXPECT_EQ(c.strokeMm, 500);
    EXPECT_EQ(c.turns, 100);
    EXPECT_EQ(c.gear, 100);
    EXPECT_TRUE(c.clockwise);
    EXPECT_EQ(c.hysteresis, QStringLiteral("1"));
    EXPECT_EQ(c.rushInDelays, 2570);      // both delays 1.0 s
    EXPECT_EQ(c.thrustLimitSpeed, 20480); // 3000 RPM on the motor axis
    EXPECT_EQ(c.switchPositions, ZdfContent::defaultPositions());
    EXPECT_EQ(c.analogMinMm, -1);
    EXPECT_EQ(c.analogMaxMm, -1);
    EXPECT_EQ(c.zeroWord, 0);
}

// A present value that does not convert still loads as the key's default, but is named: the set
// is not sent until it is corrected. Word 0 is never sent and goes unnamed.
TEST_F(ZdfContentTest, ValuesThatDoNotConvertTakeTheirDefaultsAndAreNamed) {
    const struct {
        QByteArray line; // in its section
        const char* section;
        const char* key; // named; nullptr: none
    } cases[] = {
        {"LENGTH=1e308", "ZYLINDER", "LENGTH"},
        {"LENGTH=abc", "ZYLINDER", "LENGTH"},
        {QByteArray("LENGTH=10") + '\0' + "00", "ZYLINDER", "LENGTH"},
        {"GEAR=nan", "ZYLINDER", "GEAR"},
        {"GEAR=", "ZYLINDER", "GEAR"},
        {"ZERO=70000", "ZYLINDER", nullptr},
        {"ZERO=abc", "ZYLINDER", nullptr},
        {"Funktion1=-1", "OUTPUT", "Funktion1"},
        {"Funktion1=99999999999", "OUTPUT", "Funktion1"},
        {"Funktion=65536", "ANALOG", "Funktion"},
        {"Funktion1=1e308", "ANLAUF", "Funktion1"},
        {"Funktion2=-0,5e10", "ANLAUF", "Funktion2"},
        {"Analog1=1e308", "POSITION", "Analog1"},
        {"Analog1=nan", "POSITION", "Analog1"},
    };
    ZdfContent defaults;
    defaults.hysteresisInFile = false; // none of the files has the key
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const QString path = put(QByteArray("[") + c.section + "]\r\n" + c.line + "\r\n");
        ZdfContent read = readZdf(IniFile(path));
        const std::vector<FileProblem> problems = std::move(read.problems);
        read.problems.clear();
        EXPECT_EQ(read, defaults);
        if (c.key == nullptr) {
            EXPECT_TRUE(problems.empty());
            continue;
        }
        ASSERT_EQ(problems.size(), 1U);
        EXPECT_EQ(problems[0].section, QString::fromLatin1(c.section));
        EXPECT_EQ(problems[0].key, QString::fromLatin1(c.key));
        EXPECT_EQ(problems[0].written.toLatin1(), c.line.mid(c.line.indexOf('=') + 1));
        EXPECT_FALSE(problems[0].held) << "the pages show the default, not the value";
    }
}

// Whole numbers the pages cannot use are kept, so that the pages can show them and refuse them.
TEST_F(ZdfContentTest, UnusableStrokeAndGearAreKeptAsWritten) {
    const struct {
        const char* lines;
        std::int64_t stroke;
        double gear;
        std::int64_t turns;
    } cases[] = {
        {"LENGTH=0", 0, 100, 100},
        {"LENGTH=65536", 65536, 100, 100},
        {"LENGTH=-5", -5, 100, 100},
        {"GEAR=0", 1000, 0, 0},
        {"GEAR=-60", 1000, -60, -60},
        {"GEAR=7000", 1000, 7000, 7000},
        {"GEAR=60,0", 1000, 60, 60},
        {"LENGTH=99999999999", 99999999999, 100, 100},
        {"GEAR=100000", 1000, 100000, 100000},
    };
    for (const auto& c : cases) {
        const ZdfContent read =
            readZdf(IniFile(put(QByteArray("[ZYLINDER]\r\n") + c.lines + "\r\n")));
        EXPECT_EQ(read.strokeMm, c.stroke) << c.lines;
        EXPECT_EQ(read.gear, c.gear) << c.lines;
        EXPECT_EQ(read.turns, c.turns) << c.lines;
        EXPECT_TRUE(read.problems.empty()) << "the pages judge them: " << c.lines;
    }
}

TEST_F(ZdfContentTest, FirstOfDuplicatesCountsAndTextsKeepWhatIsNoNumber) {
    const QString path = put("; comment\n[position]\nPos1=12.5\nPos1=99\nPos2=abc\nPos3=7\rjunk\n"
                             "[Zylinder]\ngear=60,5\nDIRECTION=0\n[ZYLINDER]\nDIRECTION=1\n");
    const ZdfContent c = readZdf(IniFile(path));
    EXPECT_EQ(c.switchPositions[0], QStringLiteral("12.5"));
    EXPECT_EQ(c.switchPositions[1], QStringLiteral("abc"));
    EXPECT_EQ(c.switchPositions[2], QStringLiteral("7\rjunk")); // no number: the pages refuse it
    EXPECT_FALSE(c.clockwise);
    // A gear with decimals: the turns edit cannot show it, so it is named and not used.
    EXPECT_EQ(c.turns, 100);
    EXPECT_EQ(c.gear, 100);
    ASSERT_EQ(c.problems.size(), 1U);
    EXPECT_EQ(c.problems[0].key, "GEAR");
    EXPECT_EQ(c.problems[0].written, "60,5");
}

TEST_F(ZdfContentTest, FilesWithoutAnyOfTheSectionsAreNoParameterSets) {
    static constexpr char kBinary[] = "\x00\x01\xff\xfe[\x00]=\x02\r\n\x80\x81";
    const QByteArray binary(kBinary, sizeof kBinary - 1);
    for (const QByteArray& content : {QByteArray(), binary, QByteArray("[OTHER]\r\nLENGTH=500\r\n"),
                                      QByteArray("LENGTH=500\r\n"), QByteArray("[ZYLINDER]\r\n")}) {
        EXPECT_FALSE(isParameterFile(IniFile(put(content)))) << content.toHex().toStdString();
    }
}

} // namespace
