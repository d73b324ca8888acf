// The editor model: where its values come from, which values keep a set from being sent and when
// that ends, the rules that follow a typed value, and a stroke typed one key at a time.

#include "params/EditorModel.h"
#include "common/ExampleParameterFile.h"
#include "common/ScratchFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace zuvo;

namespace {

// The example file (stroke 500, 60 turns, analog range 0..500, switch positions 100 and 200)
// with `from` replaced by `to`, as readZdf reads it.
ZdfContent exampleFile(const QByteArray& from = {}, const QByteArray& to = {}) {
    QByteArray text = test::kExampleParameterFile;
    if (!from.isEmpty()) {
        EXPECT_TRUE(text.contains(from)) << from.toStdString();
        text.replace(from, to);
    }
    QTemporaryDir folder;
    return readZdf(IniFile(test::writeScratchFile(folder.filePath("set.ZDF"), text)));
}

ParameterBlock receivedBlock(std::uint16_t stroke, std::uint16_t gearWord) {
    ParameterBlock block;
    block.Slots[Word::Stroke] = stroke;
    block.Slots[Word::GearTurns] = gearWord;
    block.Slots[Word::RushInDelays] = 0x0A0A;
    block.Slots[Word::ThrustLimitSpeed] = 9557;
    block.joinPositions();
    return block;
}

TEST(EditorModel, AFilesProblemsEndWithTheUsersChangeOfTheirValue) {
    EditorModel model;
    ParameterBlock block;
    // The stroke edit holds the file's 0; the analog function 7 names no item, so the page
    // shows another one.
    model.showFile(exampleFile("LENGTH=500", "LENGTH=0"), "set.ZDF", block);
    ParameterBlock other;
    EditorModel flags;
    flags.showFile(exampleFile("Funktion=517", "Funktion=519"), "flags.ZDF", other);

    QStringList refused = model.refusals();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0].endsWith(" ([ZYLINDER] LENGTH=\"0\" in set.ZDF)"))
        << refused[0].toStdString();
    EXPECT_TRUE(model.marked(PageControl::Stroke));
    // Another value typed leaves the stroke's problem; the stroke typed over ends it.
    model.setTurns(61);
    EXPECT_TRUE(model.marked(PageControl::Stroke));
    model.setStroke(7);
    EXPECT_FALSE(model.marked(PageControl::Stroke));
    model.setStroke(0);
    refused = model.refusals();
    ASSERT_EQ(refused.size(), 1) << "the stroke is still unusable, but no longer the file's";
    EXPECT_FALSE(refused[0].contains("LENGTH")) << refused[0].toStdString();

    // A value the page could not take keeps the set refused by its mark alone, until the user
    // changes it; setting the value the page shows already is no change.
    ASSERT_TRUE(flags.marked(PageControl::AnalogFunction));
    ASSERT_EQ(flags.refusals().size(), 1);
    EXPECT_TRUE(flags.refusals()[0].contains("[ANALOG] Funktion=\"519\" in flags.ZDF"));
    flags.setAnalogFunction(flags.values().analogFunction);
    EXPECT_EQ(flags.refusals().size(), 1);
    flags.setAnalogFunction(2);
    EXPECT_TRUE(flags.refusals().isEmpty());
    EXPECT_TRUE(flags.fileProblems().empty());
}

TEST(EditorModel, AReceivedBlockEndsTheFilesProblems) {
    EditorModel model;
    ParameterBlock block;
    model.showFile(exampleFile("Funktion1=1\r\n", "Funktion1=64\r\n"), "set.ZDF", block);
    ASSERT_FALSE(model.fileProblems().empty());
    ParameterBlock received = receivedBlock(800, 400);
    model.showReceived(received);
    EXPECT_TRUE(model.fileProblems().empty());
    EXPECT_TRUE(model.refusals().isEmpty());
    EXPECT_FALSE(model.marked(segmentControl(1)));
    EXPECT_EQ(model.values().strokeMm, 800);
    EXPECT_EQ(model.values().turns, 40);
}

TEST(EditorModel, EachValueSaysWhereItCameFrom) {
    EditorModel model;
    EXPECT_EQ(model.origin(PageControl::Stroke).source, ValueSource::Start);
    ParameterBlock block;
    model.showFile(exampleFile(), "set.ZDF", block);
    const ValueOrigin file{ValueSource::File, "set.ZDF"};
    EXPECT_EQ(model.origin(PageControl::ThrustLimit), file);

    // Typed below 150 RPM, the speed selects the gear unit's sensor: both are typed now.
    model.setThrustLimitRpm(120);
    // The minimum pushed above the maximum drags it along.
    model.setAnalogMin(600);
    const struct {
        PageControl control;
        ValueSource source;
    } cases[] = {
        {PageControl::ThrustLimit, ValueSource::Typing},
        {PageControl::SensorPosition, ValueSource::Typing},
        {PageControl::AnalogMin, ValueSource::Typing},
        {PageControl::AnalogMax, ValueSource::Typing},
        {PageControl::Stroke, ValueSource::File},
        {switchPositionControl(1), ValueSource::File},
        {segmentControl(9), ValueSource::File},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(model.origin(c.control).source, c.source) << static_cast<int>(c.control);
    }
    EXPECT_TRUE(model.values().sensorOnGearUnit);
    EXPECT_EQ(model.values().analogMaxMm, 500) << "the stroke of 500 mm cuts the range";

    ParameterBlock received = receivedBlock(1000, 1000);
    model.showReceived(received);
    EXPECT_EQ(model.origin(PageControl::ThrustLimit).source, ValueSource::Controller);
    EXPECT_EQ(model.origin(switchPositionControl(8)).source, ValueSource::Controller);
}

TEST(EditorModel, TheRulesThatFollowATypedValue) {
    const struct {
        const char* name;
        std::function<void(EditorModel&)> edit;
        std::function<bool(const ParameterValues&)> holds;
    } cases[] = {
        {"an unset first position becomes 0 with the external reference",
         [](EditorModel& m) {
             m.setSwitchPosition(1, "-1");
             m.setExternalReference(true);
         },
         [](const ParameterValues& v) { return v.switchPositionsMm[0] == "0"; }},
        {"a set first position stays",
         [](EditorModel& m) {
             m.setSwitchPosition(1, "12.5");
             m.setExternalReference(true);
         },
         [](const ParameterValues& v) { return v.switchPositionsMm[0] == "12.5"; }},
        {"below 150 RPM the gear unit", [](EditorModel& m) { m.setThrustLimitRpm(149); },
         [](const ParameterValues& v) { return v.sensorOnGearUnit; }},
        {"150 RPM the motor axis",
         [](EditorModel& m) {
             m.setSensorOnGearUnit(true);
             m.setThrustLimitRpm(150);
         },
         [](const ParameterValues& v) { return !v.sensorOnGearUnit; }},
        {"the minimum drags the maximum",
         [](EditorModel& m) {
             m.setAnalogMax(800);
             m.setAnalogMin(900);
         },
         [](const ParameterValues& v) { return v.analogMinMm == 900 && v.analogMaxMm == 900; }},
        {"the maximum drags the minimum",
         [](EditorModel& m) {
             m.setAnalogMin(200);
             m.setAnalogMax(100);
         },
         [](const ParameterValues& v) { return v.analogMinMm == 100 && v.analogMaxMm == 100; }},
        {"typed turns above 6000 are 6000", [](EditorModel& m) { m.setTurns(7000); },
         [](const ParameterValues& v) { return v.turns == 6000; }},
    };
    for (const auto& c : cases) {
        EditorModel model;
        c.edit(model);
        EXPECT_TRUE(c.holds(model.values())) << c.name;
    }

    // The bound is told even when it leaves the turns as they were, so the edit takes it.
    EditorModel model;
    model.setTurns(6000);
    int changes = 0;
    QObject::connect(&model, &EditorModel::changed, [&changes] { ++changes; });
    model.setTurns(60000);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(model.values().turns, 6000);
}

TEST(EditorModel, AStrokeTypedKeyByKeyChangesNoOtherValue) {
    EditorModel model;
    model.setAnalogMax(800);
    model.setAnalogMin(200);
    model.setSwitchPosition(2, "300.5");
    model.setSwitchPosition(3, "-1");
    const auto counts = model.positionCounts();
    const ParameterValues before = model.values();

    // 1000 mm becomes 500 through 5 and 50: the range shows what each stroke holds of it.
    model.setStroke(0); // the edit emptied first
    const struct {
        std::int64_t stroke;
        int shownMin, shownMax;
    } steps[] = {{5, 5, 5},    {50, 50, 50},    {500, 200, 500}, {1, 1, 1},
                 {10, 10, 10}, {100, 100, 100}, {1000, 200, 800}};
    for (const auto& step : steps) {
        model.setStroke(step.stroke);
        EXPECT_EQ(model.values().analogMinMm, step.shownMin) << step.stroke;
        EXPECT_EQ(model.values().analogMaxMm, step.shownMax) << step.stroke;
        EXPECT_EQ(model.workingGeometry().strokeMm, step.stroke);
        EXPECT_EQ(model.values().switchPositionsMm, before.switchPositionsMm);
        EXPECT_EQ(model.positionCounts(), counts);
    }
    ParameterValues after = model.values();
    EXPECT_EQ(after, before);
}

TEST(EditorModel, TheGridGreysAfterAPositionNotSetUntilTheLaterOnesAreTyped) {
    EditorModel model;
    for (int k = 1; k <= 8; ++k) {
        model.setSwitchPosition(k, QString::number(100 * k));
    }
    model.setSegmentOutput(5, 2, true);
    model.setSwitchPosition(3, "-1");
    const auto greyed = [&model] {
        QString columns;
        for (int c = 1; c <= GridSegments; ++c) {
            columns += gridButtonGreyed(model.grid()[0][c - 1]) ? 'x' : '.';
        }
        return columns;
    };
    EXPECT_EQ(greyed(), "...xxxxxx");
    EXPECT_TRUE(gridButtonOn(model.grid()[1][4])) << "a greyed segment keeps its outputs";
    model.setSwitchPosition(3, "400");
    EXPECT_EQ(greyed(), "....xxxxx");
    model.setSwitchPosition(4, "450");
    EXPECT_EQ(greyed(), ".....xxxx");
}

TEST(EditorModel, TheDecodingGeometryIsToldWhenItChanges) {
    EditorModel model;
    std::vector<DecodingGeometry> told;
    QObject::connect(&model, &EditorModel::decodingGeometryChanged,
                     [&told](const DecodingGeometry& g) { told.push_back(g); });
    model.setHysteresis("0.5");
    model.setSwitchPosition(1, "10");
    EXPECT_TRUE(told.empty());
    model.setStroke(0); // an emptied stroke edit
    model.setTurns(7);
    model.setTurns(0); // no usable turns: positions are not converted
    model.setThrustLimitRpm(100);
    const std::vector<DecodingGeometry> expected = {
        {0.0, 100, true}, {0.0, 7, true}, {0.0, 0, true}, {0.0, 0, false}};
    EXPECT_EQ(told, expected);
    EXPECT_EQ(model.decodingGeometry(), expected.back());
}

} // namespace
