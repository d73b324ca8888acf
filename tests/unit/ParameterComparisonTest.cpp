// The comparison of two parameter sets: one row per parameter in the user's units, exactly the
// rows whose values differ marked, the same rows as text and as JSON, and the file side taken
// from a backup's raw words or from a parameter file's keys.

#include "params/ParameterComparison.h"

#include "common/ScratchFile.h"
#include "params/BackupFile.h"
#include "params/FileNumber.h"
#include "params/ParameterBlock.h"
#include "params/ZdfContent.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using namespace zuvo;

namespace {

QStringList differingLabels(const std::vector<ComparisonRow>& rows) {
    QStringList labels;
    for (const ComparisonRow& row : rows) {
        if (row.differs) {
            labels << row.label;
        }
    }
    return labels;
}

// A block as a controller reports it: 36 words.
std::vector<std::uint16_t> controllerWords() {
    std::vector<std::uint16_t> words(36, 0);
    words[Word::Stroke] = 1500;
    words[Word::GearTurns] = 1200;
    words[Word::Hysteresis] = 40;
    words[Word::segmentMask(2)] = 0x05;
    words[Word::ThrustLimitSpeed] = 20480;
    words[Word::RushInDelays] = 0x0A0F;
    for (int k = 1; k <= 8; ++k) {
        const PositionWords p = splitPosition(k <= 3 ? 1000 * k : -1);
        words[Word::positionLow(switchPositionEntry(k))] = p.low;
        words[Word::positionLow(switchPositionEntry(k)) + 1] = p.high;
    }
    words[Word::positionLow(AnalogMaxEntry)] = 50000;
    return words;
}

TEST(ParameterComparison, MarksExactlyTheRowsThatDiffer) {
    const ParameterValues base = blockValues(controllerWords());
    const struct {
        const char* name;
        std::function<void(ParameterValues&)> change;
        QStringList differing;
    } cases[] = {
        {"nothing", [](ParameterValues&) {}, {}},
        {"stroke", [](ParameterValues& v) { v.strokeMm = 1400; }, {"Cylinder max Stroke"}},
        {"direction", [](ParameterValues& v) { v.clockwise = !v.clockwise; }, {"Direction"}},
        {"one switch position and the grid",
         [](ParameterValues& v) {
             v.switchPositionsMm[2] = "12.30";
             v.segmentOutputs[8] = 0x21;
         },
         {"Switch Position 3", "Segment 9: outputs on"}},
        {"analog and thrust",
         [](ParameterValues& v) {
             v.analogFunction = 4;
             v.thrustOverload = !v.thrustOverload;
             v.rushInExtendTenths = 25;
         },
         {"Analog Function", "Thrust Overload Function", "Motor Rush In Time Delay Extend"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParameterValues file = base;
        c.change(file);
        EXPECT_EQ(differingLabels(compareParameters(base, file, QLatin1Char('.'))), c.differing);
    }
}

// The controller reports a written value in its own steps: a file counts as equal when either
// its own text or the text it is written as matches, and its column shows both where they differ.
TEST(ParameterComparison, AValueEqualsWhatTheControllerReportsOfItOnceWritten) {
    const ParameterValues controller = blockValues(controllerWords()); // hysteresis word 40
    const struct {
        const char* hysteresis;
        const char* fileText;
        bool differs;
    } cases[] = {
        {"0.50", "0.50 mm", false},
        {"0.49", "0.49 mm (written: 0.50 mm)", false}, // 41 counts
        {"0.40", "0.40 mm", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hysteresis);
        ParameterValues file = controller;
        file.hysteresisMm = QString::fromLatin1(c.hysteresis);
        for (const ComparisonRow& row : compareParameters(controller, file, '.')) {
            if (row.label == "Hysteresis") {
                EXPECT_EQ(row.controller, "0.50 mm");
                EXPECT_EQ(row.file, c.fileText);
                EXPECT_EQ(row.differs, c.differs);
            }
        }
    }
}

TEST(ParameterComparison, RowsShowTheUsersUnits) {
    const std::vector<ParameterRow> rows = parameterRows(blockValues(controllerWords()), ',');
    const auto value = [&rows](const QString& label) {
        for (const ParameterRow& row : rows) {
            if (row.label == label) {
                return row.value;
            }
        }
        return QStringLiteral("(no row)");
    };
    EXPECT_EQ(value("Cylinder max Stroke"), "1500 mm");
    EXPECT_EQ(value("Number of Turns for max Stroke"), "120");
    EXPECT_EQ(value("Switch Position 4"), "not set");
    EXPECT_EQ(value("Segment 2: outputs on"), "1, 3");
    EXPECT_EQ(value("Segment 1: outputs on"), "none");
    EXPECT_EQ(value("Function of Output 4"), "Digital Output");
    EXPECT_EQ(value("Analog Function"), "0..10V");
    EXPECT_EQ(value("Motor Rush In Time Delay Retract"), "1,5 s");
    EXPECT_TRUE(value("Switch Position 1").endsWith(" mm"));
    EXPECT_TRUE(value("Switch Position 1").contains(',')) << "the desktop's decimal separator";
    EXPECT_EQ(rows.front().group, "Cylinder Settings");
    EXPECT_EQ(rows.back().group, "Thrust Overload");
}

TEST(ParameterComparison, TextAndJsonCarryTheSameRows) {
    ParameterValues file = blockValues(controllerWords());
    const ParameterValues controller = file;
    file.strokeMm = 1400;
    const std::vector<ComparisonRow> rows = compareParameters(controller, file, '.');

    const QString text = comparisonText(rows, "Controller", "File A.ZDF");
    const QStringList lines = text.split('\n');
    EXPECT_TRUE(lines.front().contains("Controller")) << text.toStdString();
    EXPECT_TRUE(lines.front().contains("File A.ZDF"));
    QStringList marked = lines.filter(QRegularExpression("^\\* "));
    ASSERT_EQ(marked.size(), 1) << text.toStdString();
    EXPECT_TRUE(marked[0].contains("Cylinder max Stroke"));
    EXPECT_TRUE(marked[0].contains("1500 mm"));
    EXPECT_TRUE(marked[0].endsWith("1400 mm"));
    EXPECT_TRUE(text.contains(QString("1 of %1 parameters differ").arg(rows.size())));
    EXPECT_TRUE(comparisonText(compareParameters(controller, controller, '.'), "C", "F")
                    .contains("No parameter differs."));

    const QJsonArray json = comparisonJson(rows);
    ASSERT_EQ(json.size(), static_cast<qsizetype>(rows.size()));
    int differing = 0;
    for (const QJsonValue& v : json) {
        const QJsonObject o = v.toObject();
        EXPECT_EQ(o.keys(), (QStringList{"controller", "differs", "file", "group", "label"}));
        differing += o["differs"].toBool() ? 1 : 0;
    }
    EXPECT_EQ(differing, 1);
    EXPECT_EQ(json[0].toObject()["file"].toString(), "1400 mm");
}

TEST(ParameterComparison, AFileGivesItsValuesFromBlockWordsOrItsKeys) {
    QTemporaryDir dir;
    const std::vector<std::uint16_t> words = controllerWords();
    const ParameterValues controller = blockValues(words);

    // A backup: its raw words count, not its editor sections (here left out on purpose).
    {
        IniFile ini(dir.filePath("backup.ZDF"));
        BlockBackup backup;
        backup.words = words;
        backup.words[Word::segmentMask(2)] = 0x06;
        backup.port = 3;
        backup.time = QDateTime::currentDateTime();
        ASSERT_TRUE(writeBlockSection(ini, backup));
        ASSERT_TRUE(ini.save());
        const FileValues file = parameterFileValues(IniFile(ini.path()));
        ASSERT_TRUE(file.values) << file.problem.toStdString();
        EXPECT_TRUE(file.fromBlockSection);
        EXPECT_EQ(differingLabels(compareParameters(controller, *file.values, '.')),
                  QStringList{"Segment 2: outputs on"});
    }
    // A parameter file saved from the same block compares equal.
    {
        IniFile ini(dir.filePath("saved.ZDF"));
        ASSERT_TRUE(writeZdf(ini, *fileContent(controller, '.')));
        ASSERT_TRUE(ini.save());
        const FileValues file = parameterFileValues(IniFile(ini.path()));
        ASSERT_TRUE(file.values) << file.problem.toStdString();
        EXPECT_FALSE(file.fromBlockSection);
        EXPECT_EQ(differingLabels(compareParameters(controller, *file.values, '.')), QStringList{});
    }
    // A damaged [BLOCK], or no parameters at all, is refused with the reason.
    const struct {
        const char* content;
        const char* problem;
    } refused[] = {
        {"[BLOCK]\nWords=36\n", "the backup's block is damaged"},
        {"just text\n", "the file holds no parameters"},
    };
    for (const auto& r : refused) {
        const QString path = test::writeScratchFile(dir.filePath("bad.ZDF"), r.content);
        const FileValues file = parameterFileValues(IniFile(path));
        EXPECT_FALSE(file.values);
        EXPECT_TRUE(file.problem.startsWith(r.problem)) << file.problem.toStdString();
    }
}

} // namespace
