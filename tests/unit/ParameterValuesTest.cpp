// The parameter set in the user's units: from a received block, from a parameter file, to the
// words a send makes and to the keys a save writes.

#include "params/ParameterValues.h"
#include "common/ScratchFile.h"
#include "params/SpeedWord.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zuvo;

namespace {

// The example set of the parameter-file page: stroke 500, 60 turns, hysteresis 0.25 mm, masks 1
// and 2, flags 0x0205, delays 1.0 s and 1.2 s, 1400 RPM on the motor axis, switch positions 100
// and 200 mm, analog range 0..500 mm.
ParameterValues exampleValues() {
    ParameterValues v;
    v.strokeMm = 500;
    v.turns = 60;
    v.hysteresisMm = QStringLiteral("0.25");
    v.segmentOutputs = {1, 2, 0, 0, 0, 0, 0, 0, 0};
    v.analogFunction = 5;
    v.thrustOverload = true;
    v.rushInRetractTenths = 10;
    v.rushInExtendTenths = 12;
    v.thrustLimitRpm = 1400;
    v.switchPositionsMm = {"100", "200", "-1", "-1", "-1", "-1", "-1", "-1"};
    v.analogMinMm = 0;
    v.analogMaxMm = 500;
    return v;
}

ParameterBlock stored(const ParameterValues& values) {
    ParameterBlock block;
    EXPECT_TRUE(storeValues(values, block));
    return block;
}

TEST(ParameterValues, TheExampleSetMakesItsWordsAndKeys) {
    const ParameterBlock block = stored(exampleValues());
    const auto& w = block.Slots;
    EXPECT_EQ(w[1], 500);
    EXPECT_EQ(w[2], 600);
    EXPECT_EQ(w[3], 0x0205);
    EXPECT_EQ(w[4], 31); // trunc(0.25 * 60 * 1024 / 500 + 0.5)
    EXPECT_EQ(w[5], 1);
    EXPECT_EQ(w[6], 2);
    EXPECT_EQ(w[14], 3082);
    EXPECT_EQ(w[15], 9557);
    EXPECT_EQ(block.SwitchPositionCounts[2], 12288); // 100 * 60 * 1024 / 500
    EXPECT_LT(block.SwitchPositionCounts[4], 0);     // -1 mm: not set
    EXPECT_EQ(w[36], 0);

    const std::optional<ZdfContent> file = fileContent(exampleValues(), QLatin1Char(','));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->hysteresis, "0,25");
    EXPECT_EQ(file->switchPositions[0], "100");
    EXPECT_EQ(file->switchPositions[2], "-1");
    EXPECT_EQ(file->functionFlags, 517);
    EXPECT_EQ(file->rushInDelays, 3082);
    EXPECT_EQ(file->thrustLimitSpeed, 9557);
    EXPECT_EQ(file->gear, 60);
}

TEST(ParameterValues, AReceivedBlockAsThePagesShowIt) {
    ParameterBlock block;
    auto& w = block.Slots;
    w[0] = 0x8000; // counter-clockwise
    w[1] = 1000;
    w[2] = 1000;
    w[3] = 0x07C5; // 20..4mA, output 4 digital, 256 impulses, ext. ref., overload, gear unit
    w[4] = 10;
    w[5] = 0xFFC1;  // only the six outputs count
    w[14] = 0x7F02; // beyond the track bars: 30 and 3
    w[15] = 2731;
    w[18] = 0x9000; // analog maximum 102400 counts = 1000 mm
    w[19] = 0x0001;
    w[20] = 30720;  // switch position 1 = 300 mm
    w[22] = 0xFFFF; // switch position 2 not set
    w[23] = 0xFFFF;
    const ParameterValues v = receivedValues(block);
    EXPECT_FALSE(v.clockwise);
    EXPECT_EQ(v.strokeMm, 1000);
    EXPECT_EQ(v.turns, 100);
    EXPECT_EQ(v.analogFunction, 5);
    EXPECT_EQ(v.digitalOutput4, 0);
    EXPECT_EQ(v.impulses, 3);
    EXPECT_TRUE(v.externalReference);
    EXPECT_TRUE(v.thrustOverload);
    EXPECT_TRUE(v.sensorOnGearUnit);
    EXPECT_EQ(v.rushInRetractTenths, 3);
    EXPECT_EQ(v.rushInExtendTenths, 30);
    EXPECT_EQ(v.thrustLimitRpm, 100);
    EXPECT_EQ(v.hysteresisMm, "0.1");
    EXPECT_EQ(v.segmentOutputs[0], 1);
    EXPECT_EQ(v.analogMaxMm, 1000);
    EXPECT_EQ(v.analogMinMm, 0);
    EXPECT_EQ(v.switchPositionsMm[0], "300.0");
    EXPECT_EQ(v.switchPositionsMm[1], "-1");
    EXPECT_EQ(block.SwitchPositionState[4], PositionNotSet); // follows the one not set

    // A block without stroke or gear: 1 mm and 10 for the words, turns 1.
    ParameterBlock empty;
    const ParameterValues zero = receivedValues(empty);
    EXPECT_EQ(empty.Slots[1], 1);
    EXPECT_EQ(empty.Slots[2], 10);
    EXPECT_EQ(zero.strokeMm, 1);
    EXPECT_EQ(zero.turns, 1);
}

TEST(ParameterValues, ALoadedFileKeepsItsSensorPosition) {
    for (const bool gearUnit : {false, true}) {
        SCOPED_TRACE(gearUnit ? "gear unit" : "motor axis");
        ZdfContent file;
        file.functionFlags = gearUnit ? 1024 : 0; // no [ANLAUF]: the default speed word
        ParameterBlock block;
        const ParameterValues v = loadedValues(file, block);
        EXPECT_EQ(v.sensorOnGearUnit, gearUnit);
        EXPECT_EQ(v.thrustLimitRpm, gearUnit ? 750 : 3000);
        EXPECT_EQ(block.Slots[15], 20480);
        EXPECT_EQ(block.Slots[3], file.functionFlags);
        // What a send makes of it keeps the sensor position, and a speed word that shows the
        // same RPM with it.
        const ParameterBlock sent = stored(v);
        EXPECT_EQ(sent.Slots[3], file.functionFlags);
        const SpeedSensor sensor = gearUnit ? SpeedSensor::GearUnit : SpeedSensor::MotorAxis;
        EXPECT_EQ(SpeedWordToRpm(sent.Slots[15], sensor), v.thrustLimitRpm);
    }
}

// Every speed the pages can show from a word converts back to a word that shows the same speed,
// so a loaded set saved and loaded again sends the same word.
TEST(ParameterValues, EveryShownSpeedSurvivesARound) {
    for (const SpeedSensor sensor : {SpeedSensor::MotorAxis, SpeedSensor::GearUnit}) {
        for (int word = 0; word <= 0xFFFF; ++word) {
            const std::int32_t rpm = SpeedWordToRpm(static_cast<std::uint16_t>(word), sensor);
            ASSERT_EQ(SpeedWordToRpm(RpmToSpeedWord(rpm, sensor), sensor), rpm)
                << word << (sensor == SpeedSensor::GearUnit ? " gear unit" : " motor axis");
        }
    }
}

TEST(ParameterValues, UnusableValuesAreKeptAndRefused) {
    struct Case {
        const char* what;
        void (*change)(ZdfContent&);
        std::vector<ValueField> unusable;
    };
    const Case cases[] = {
        {"LENGTH=0", [](ZdfContent& f) { f.strokeMm = 0; }, {ValueField::Stroke}},
        {"LENGTH=70000", [](ZdfContent& f) { f.strokeMm = 70000; }, {ValueField::Stroke}},
        {"GEAR=0", [](ZdfContent& f) { f.turns = 0; }, {ValueField::Turns}},
        {"GEAR=-5", [](ZdfContent& f) { f.turns = -5; }, {ValueField::Turns}},
        {"GEAR=7000", [](ZdfContent& f) { f.gear = f.turns = 7000; }, {ValueField::Turns}},
        {"Pos3=12a", [](ZdfContent& f) { f.switchPositions[2] = "12a"; }, {switchPositionField(3)}},
        {"HYSTERESIS=-1", [](ZdfContent& f) { f.hysteresis = "-1"; }, {ValueField::Hysteresis}},
        {"Pos1=99999", // beyond the stroke, although its counts would fit 32 bits
         [](ZdfContent& f) { f.switchPositions[0] = "99999"; },
         {switchPositionField(1)}},
        {"Pos1=1000", [](ZdfContent& f) { f.switchPositions[0] = "1000"; }, {}},
        {"Pos1=-2", [](ZdfContent& f) { f.switchPositions[0] = "-2"; }, {switchPositionField(1)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZdfContent file;
        file.strokeMm = 1000;
        c.change(file);
        ParameterBlock block;
        const ParameterValues v = loadedValues(file, block);
        EXPECT_EQ(unusableFields(v), c.unusable);
        ParameterBlock before;
        before.Slots[1] = 4711;
        ParameterBlock after = before;
        EXPECT_EQ(storeValues(v, after), c.unusable.empty());
        EXPECT_EQ(fileContent(v, '.').has_value(), c.unusable.empty());
        if (!c.unusable.empty()) {
            EXPECT_EQ(after.Slots, before.Slots);
        }
    }
    // Shown as written: the stroke and the turns as the file says, not cut to what fits.
    ZdfContent file;
    file.strokeMm = 0;
    file.gear = file.turns = 7000;
    ParameterBlock block;
    const ParameterValues v = loadedValues(file, block);
    EXPECT_EQ(v.strokeMm, 0);
    EXPECT_EQ(v.turns, 7000);

    // A switch position beyond the stroke (and beyond 32 bits of counts).
    ParameterValues far = exampleValues();
    far.strokeMm = 1;
    far.turns = 6000;
    far.hysteresisMm = "0";
    far.switchPositionsMm = {"1000", "-1", "-1", "-1", "-1", "-1", "-1", "-1"};
    EXPECT_EQ(unusableFields(far), std::vector<ValueField>{switchPositionField(1)});
    EXPECT_EQ(fileKeyOf(switchPositionField(1)), "Pos1");
    EXPECT_EQ(fileKeyOf(ValueField::Stroke), "LENGTH");
}

// Every key of a file is used as written or named (section, key, the value as written), and a
// missing key takes its default without a word. `held`: the edit shows the value as written and
// refuses it itself; otherwise the pages show the default, or what they could make of the value.
TEST(ParameterValues, AFileValueIsUsedAsWrittenOrNamed) {
    using Shown = bool (*)(const ParameterValues&);
    const struct {
        const char* file;
        const char* named; // "[SECTION] KEY=value as written", or nullptr
        bool held;
        Shown shown; // what the pages show
    } cases[] = {
        {"[ZYLINDER]\nLENGTH=500\n", nullptr, false,
         [](const ParameterValues& v) { return v.strokeMm == 500 && v.turns == 100; }},
        {"[ZYLINDER]\nLENGTH=NaN\n", "[ZYLINDER] LENGTH=NaN", false,
         [](const ParameterValues& v) { return v.strokeMm == 1000; }},
        {"[ZYLINDER]\nLENGTH=inf\n", "[ZYLINDER] LENGTH=inf", false,
         [](const ParameterValues& v) { return v.strokeMm == 1000; }},
        {"[ZYLINDER]\nLENGTH=abc\n", "[ZYLINDER] LENGTH=abc", false,
         [](const ParameterValues& v) { return v.strokeMm == 1000; }},
        {"[ZYLINDER]\nLENGTH=1e3\n", "[ZYLINDER] LENGTH=1e3", false,
         [](const ParameterValues& v) { return v.strokeMm == 1000; }},
        {"[ZYLINDER]\nLENGTH=99999999999\n", "[ZYLINDER] LENGTH=99999999999", true,
         [](const ParameterValues& v) { return v.strokeMm == 99999999999; }},
        {"[ZYLINDER]\nLENGTH=65535\n", nullptr, false,
         [](const ParameterValues& v) { return v.strokeMm == 65535; }},
        {"[ZYLINDER]\nLENGTH=65536\n", "[ZYLINDER] LENGTH=65536", true, nullptr},
        {"[ZYLINDER]\nGEAR=100000\n", "[ZYLINDER] GEAR=100000", true,
         [](const ParameterValues& v) { return v.turns == 100000; }},
        {"[ZYLINDER]\nGEAR=6000\n", nullptr, false, nullptr},
        {"[ZYLINDER]\nGEAR=6001\n", "[ZYLINDER] GEAR=6001", true, nullptr},
        {"[ZYLINDER]\nGEAR=0\n", "[ZYLINDER] GEAR=0", true, nullptr},
        {"[ZYLINDER]\nGEAR=-5\n", "[ZYLINDER] GEAR=-5", true, nullptr},
        {"[ZYLINDER]\nGEAR=60,5\n", "[ZYLINDER] GEAR=60,5", false,
         [](const ParameterValues& v) { return v.turns == 100; }},
        {"[ZYLINDER]\nGEAR=60,0\n", nullptr, false,
         [](const ParameterValues& v) { return v.turns == 60; }},
        {"[ZYLINDER]\nDIRECTION=0\n", nullptr, false,
         [](const ParameterValues& v) { return !v.clockwise; }},
        {"[ZYLINDER]\nDIRECTION=7\n", "[ZYLINDER] DIRECTION=7", false, nullptr},
        {"[ZYLINDER]\nDIRECTION=-1\n", "[ZYLINDER] DIRECTION=-1", false, nullptr},
        {"[ZYLINDER]\nZERO=abc\n", nullptr, false, nullptr},
        {"[OUTPUT]\nHYSTERESIS=639,99\n", nullptr, false, nullptr},
        {"[OUTPUT]\nHYSTERESIS=640\n", "[OUTPUT] HYSTERESIS=640", true, nullptr},
        {"[OUTPUT]\nHYSTERESIS=100000\n", "[OUTPUT] HYSTERESIS=100000", true,
         [](const ParameterValues& v) { return v.hysteresisMm == "100000"; }},
        {"[OUTPUT]\nHYSTERESIS=-1\n", "[OUTPUT] HYSTERESIS=-1", true, nullptr},
        {"[OUTPUT]\nFunktion9=63\n", nullptr, false,
         [](const ParameterValues& v) { return v.segmentOutputs[8] == 63; }},
        {"[OUTPUT]\nFunktion1=64\n", "[OUTPUT] Funktion1=64", false, nullptr},
        {"[OUTPUT]\nFunktion1=99999\n", "[OUTPUT] Funktion1=99999", false,
         [](const ParameterValues& v) { return v.segmentOutputs[0] == 0; }},
        {"[OUTPUT]\nFunktion1=-3\n", "[OUTPUT] Funktion1=-3", false, nullptr},
        {"[ANALOG]\nFunktion=1989\n", nullptr, false,
         [](const ParameterValues& v) { return v.analogFunction == 5 && v.impulses == 3; }},
        {"[ANALOG]\nFunktion=77\n", "[ANALOG] Funktion=77", false,
         [](const ParameterValues& v) { return v.analogFunction == 5 && v.impulses == 1; }},
        {"[ANALOG]\nFunktion=6\n", "[ANALOG] Funktion=6", false, nullptr},
        {"[ANALOG]\nFunktion=48\n", "[ANALOG] Funktion=48", false, nullptr},
        {"[ANALOG]\nFunktion=2048\n", "[ANALOG] Funktion=2048", false, nullptr},
        {"[ANALOG]\nFunktion=-1\n", "[ANALOG] Funktion=-1", false, nullptr},
        {"[ANLAUF]\nFunktion1=7683\n", nullptr, false, // 0x1E03: 30 and 3
         [](const ParameterValues& v) {
             return v.rushInRetractTenths == 3 && v.rushInExtendTenths == 30;
         }},
        {"[ANLAUF]\nFunktion1=3082,9\n", nullptr, false, // truncated, as always
         [](const ParameterValues& v) { return v.rushInExtendTenths == 12; }},
        {"[ANLAUF]\nFunktion1=70000\n", "[ANLAUF] Funktion1=70000", false,
         [](const ParameterValues& v) { return v.rushInRetractTenths == 10; }},
        {"[ANLAUF]\nFunktion1=2562\n", "[ANLAUF] Funktion1=2562", false, nullptr}, // retract 2
        {"[ANLAUF]\nFunktion1=2698\n", "[ANLAUF] Funktion1=2698", false, nullptr}, // bit 7
        {"[ANLAUF]\nFunktion1=7711\n", "[ANLAUF] Funktion1=7711", false, nullptr}, // 31
        {"[ANLAUF]\nFunktion2=9557,7\n", nullptr, false,
         [](const ParameterValues& v) { return v.thrustLimitRpm == 1400; }},
        {"[ANLAUF]\nFunktion2=abc\n", "[ANLAUF] Funktion2=abc", false,
         [](const ParameterValues& v) { return v.thrustLimitRpm == 3000; }},
        {"[ANLAUF]\nFunktion2=65536\n", "[ANLAUF] Funktion2=65536", false, nullptr},
        {"[POSITION]\nAnalog2=1000\n", nullptr, false,
         [](const ParameterValues& v) { return v.analogMaxMm == 1000; }},
        {"[POSITION]\nAnalog2=nan\n", "[POSITION] Analog2=nan", false,
         [](const ParameterValues& v) { return v.analogMaxMm == 0; }},
        {"[POSITION]\nAnalog2=500,5\n", "[POSITION] Analog2=500,5", false, nullptr},
        {"[POSITION]\nAnalog2=1001\n", "[POSITION] Analog2=1001", false,
         [](const ParameterValues& v) { return v.analogMaxMm == 1000; }},
        {"[POSITION]\nAnalog1=-1\n", "[POSITION] Analog1=-1", false, nullptr},
        {"[POSITION]\nAnalog1=800\nAnalog2=200\n", "[POSITION] Analog2=200", false, nullptr},
        {"[POSITION]\nPos3=-1\n", nullptr, false, nullptr},
        {"[POSITION]\nPos3=1000\n", nullptr, false, nullptr},
        {"[POSITION]\nPos3=-2\n", "[POSITION] Pos3=-2", true,
         [](const ParameterValues& v) { return v.switchPositionsMm[2] == "-2"; }},
        {"[POSITION]\nPos3=-0,5\n", "[POSITION] Pos3=-0,5", true, nullptr},
        {"[POSITION]\nPos3=1200\n", "[POSITION] Pos3=1200", true, nullptr},
        {"[POSITION]\nPos3=1000,5\n", "[POSITION] Pos3=1000,5", true, nullptr},
        {"[POSITION]\nPos3=abc\n", "[POSITION] Pos3=abc", true, nullptr},
        {"[POSITION]\nPos3=1e3\n", "[POSITION] Pos3=1e3", true, nullptr},
        {"[ZYLINDER]\nLENGTH=500\n[POSITION]\nPos3=600\n", "[POSITION] Pos3=600", true, nullptr},
    };
    QTemporaryDir folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const IniFile ini(test::writeScratchFile(folder.filePath("set.ZDF"), c.file));
        const ZdfContent file = readZdf(ini);
        ParameterBlock block;
        const ParameterValues values = loadedValues(file, block);
        const std::vector<FileProblem> problems = loadProblems(file, values);
        QStringList named;
        for (const FileProblem& p : problems) {
            named << "[" + p.section + "] " + p.key + "=" + p.written;
        }
        EXPECT_EQ(named, c.named ? QStringList{c.named} : QStringList{});
        if (c.named && !problems.empty()) {
            EXPECT_EQ(problems[0].held, c.held);
            EXPECT_FALSE(problems[0].reason.isEmpty());
        }
        if (c.shown) {
            EXPECT_TRUE(c.shown(values));
        }
        // What a command line sends from the file: nothing while a key is named.
        EXPECT_EQ(usableFileValues(ini).values.has_value(), c.named == nullptr);
    }
}

// The reason names what the value must be, with its range; a missing key whose default this
// cylinder cannot use names no key of the file but still keeps the set from the controller.
TEST(ParameterValues, ARefusalSaysWhatTheValueMustBe) {
    const QLocale previous;
    QLocale::setDefault(QLocale::c());
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"[ZYLINDER]\nLENGTH=abc\n", "the stroke must be a whole number of 1..65535 mm"},
        {"[ZYLINDER]\nGEAR=60.5\n", "the turns must be a whole number of 1..6000"},
        {"[POSITION]\nPos3=1200\n",
         "switch position 3 (1200.00 mm) lies beyond the stroke of 1000 mm"},
        {"[POSITION]\nPos3=-2\n",
         "switch position 3 (-2.00 mm) must not be negative: -1 means not set"},
        {"[POSITION]\nPos3=abc\n",
         "switch position 3 must be a number of mm within the stroke (at most two decimals; -1 "
         "means not set)"},
        {"[OUTPUT]\nHYSTERESIS=100000\n",
         "the hysteresis of 100000.00 mm is more counts than its word holds (at most 639.99 mm "
         "with this stroke and turns)"},
        {"[POSITION]\nAnalog2=1001\n",
         "the analog maximum must be a whole number of 0..1000 mm (the stroke)"},
        {"[ANALOG]\nFunktion=77\n",
         "the function flags must be a word the pages can show: the unused bits 0x0008 are set; "
         "they would send 69"},
        {"[OUTPUT]\nFunktion1=64\n",
         "the outputs of segment 1 must be a whole number of 0..63 (one bit for each of the "
         "outputs 1..6)"},
    };
    QTemporaryDir folder;
    for (const auto& c : cases) {
        const IniFile ini(test::writeScratchFile(folder.filePath("set.ZDF"), c.file));
        const ZdfContent file = readZdf(ini);
        ParameterBlock block;
        const std::vector<FileProblem> problems = loadProblems(file, loadedValues(file, block));
        ASSERT_EQ(problems.size(), 1U) << c.file;
        EXPECT_EQ(problems[0].reason, QString::fromLatin1(c.reason));
    }
    // LENGTH=10 and 1000 turns cannot hold the default hysteresis of 1 mm: 102400 counts.
    const IniFile ini(
        test::writeScratchFile(folder.filePath("set.ZDF"), "[ZYLINDER]\nLENGTH=10\nGEAR=1000\n"));
    const ZdfContent file = readZdf(ini);
    ParameterBlock block;
    const ParameterValues values = loadedValues(file, block);
    EXPECT_TRUE(loadProblems(file, values).empty());
    EXPECT_EQ(unusableFields(values), std::vector<ValueField>{ValueField::Hysteresis});
    const UsableFileValues usable = usableFileValues(ini);
    EXPECT_FALSE(usable.values);
    ASSERT_EQ(usable.problems.size(), 1);
    EXPECT_TRUE(usable.problems[0].startsWith("the hysteresis of 1.00 mm"))
        << usable.problems[0].toStdString();
    QLocale::setDefault(previous);
}

TEST(ParameterValues, LoadSaveLoadGivesTheSameWordsInEveryLocale) {
    const QLocale previous;
    for (const QLocale& locale :
         {QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Swedish, QLocale::Sweden),
          QLocale(QLocale::Finnish, QLocale::Finland), QLocale(QLocale::Arabic, QLocale::Egypt),
          QLocale(QLocale::Persian, QLocale::Iran)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        const QChar separator = locale.decimalPoint() == "," ? QLatin1Char(',') : QLatin1Char('.');
        ZdfContent file = *fileContent(exampleValues(), separator);
        file.hysteresis = "0,125"; // more decimals than the edit keeps
        file.switchPositions[1] = "\u2212"
                                  "1"; // an older version's minus
        ParameterBlock first;
        const ParameterValues loaded = loadedValues(file, first);
        ASSERT_TRUE(unusableFields(loaded).empty());
        const std::optional<ZdfContent> saved = fileContent(loaded, separator);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->hysteresis, QStringLiteral("0") + separator + "12");
        EXPECT_EQ(saved->switchPositions[1], "-1");
        ParameterBlock second;
        const ParameterValues reloaded = loadedValues(*saved, second);
        EXPECT_EQ(stored(reloaded).Slots, stored(loaded).Slots);
        EXPECT_EQ(fileContent(reloaded, separator), saved);
    }
    QLocale::setDefault(previous);
}

TEST(ParameterValues, PageTextsWithTheDesktopsSeparator) {
    EXPECT_EQ(neutralDecimalText("12,5", ','), "12.5");
    EXPECT_EQ(neutralDecimalText("12a", ','), "12a");
    EXPECT_EQ(neutralDecimalText("", ','), "");
    EXPECT_EQ(shownDecimalText("12.5", ','), "12,5");
    EXPECT_EQ(shownDecimalText("-1", ','), "-1");
    EXPECT_EQ(shownDecimalText("1.2.3", ','), "1.2.3");
}

} // namespace
