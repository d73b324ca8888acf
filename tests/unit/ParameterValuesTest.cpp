// The parameter set in the user's units: from a received block, from a parameter file, to the
// words a send makes and to the keys a save writes.

#include "params/ParameterValues.h"
#include "params/SpeedWord.h"

#include <QLocale>

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
        {"GEAR=7000", [](ZdfContent& f) { f.gear = f.turns = 7000; }, {}},
        {"Pos3=12a", [](ZdfContent& f) { f.switchPositions[2] = "12a"; }, {switchPositionField(3)}},
        {"HYSTERESIS=-1", [](ZdfContent& f) { f.hysteresis = "-1"; }, {ValueField::Hysteresis}},
        {"Pos1=99999",
         [](ZdfContent& f) { f.switchPositions[0] = "99999"; },
         {switchPositionField(1)}}, // 99999 * 100 * 1024 / 1000 counts still fit...
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZdfContent file;
        file.strokeMm = 1000;
        c.change(file);
        ParameterBlock block;
        const ParameterValues v = loadedValues(file, block);
        if (std::string_view(c.what) == "Pos1=99999") {
            EXPECT_TRUE(unusableFields(v).empty()) << "10238976 counts fit 32 bits";
            continue;
        }
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
    // Shown as written: the stroke as the file says, turns above 6000 as 6000.
    ZdfContent file;
    file.strokeMm = 0;
    file.gear = file.turns = 7000;
    ParameterBlock block;
    const ParameterValues v = loadedValues(file, block);
    EXPECT_EQ(v.strokeMm, 0);
    EXPECT_EQ(v.turns, 6000);
    EXPECT_EQ(block.Slots[2], 60000);

    // A switch position beyond 32 bits of counts.
    ParameterValues far = exampleValues();
    far.strokeMm = 1;
    far.turns = 6000;
    far.switchPositionsMm[0] = "1000";
    EXPECT_EQ(unusableFields(far), std::vector<ValueField>{switchPositionField(1)});
    EXPECT_EQ(fileKeyOf(switchPositionField(1)), "Pos1");
    EXPECT_EQ(fileKeyOf(ValueField::Stroke), "LENGTH");
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
