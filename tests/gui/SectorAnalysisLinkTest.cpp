// The sector analysis end to end: the window polls the simulated controller, the user switches
// the analysis on with a double-click on the reed-state compass, and the sensor words and status
// replies of the simulator's reed switches fill the tables, the logs and the ring.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/TForm1.h"
#include "device/SectorCheck.h"
#include "widgets/CompassGauge.h"
#include "widgets/TColor.h"

#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace zuvo;
using zuvo::test::runUntil;

namespace {

struct Placement {
    const char* name;
    bool misaligned;
    std::uint32_t ring;
    EdgeTable reed2Edges;
    QString lead1;
};

class SectorAnalysisLinkTest : public ::testing::TestWithParam<Placement> {
protected:
    static sim::SimOptions standingStill(bool misaligned) {
        sim::SimOptions options;
        options.rpm = 0;
        options.misaligned = misaligned;
        return options;
    }

    QStringList lines(const char* memo) {
        return form.findChild<QPlainTextEdit*>(memo)->toPlainText().split('\n');
    }

    test::SimulatedLink link{standingStill(GetParam().misaligned)};
    TForm1 form;
};

TEST_P(SectorAnalysisLinkTest, SensorWordsAndReedEdgesFromTheController) {
    const Placement& p = GetParam();
    link.sim.setPosition(0); // angle zero, both switches off: the strip's moment
    form.appStartup().FormCreate({});
    ASSERT_TRUE(form.link().snapshot().portOpen);
    ASSERT_TRUE(runUntil([&] { return !form.link().snapshot().state.ParamReadPending; }, 5000));
    ASSERT_TRUE(form.link().snapshot().state.SensorCheckPhase);

    auto* compass = form.findChild<CompassGauge*>("AbCompass1");
    ASSERT_NE(compass, nullptr);
    QTest::mouseDClick(compass, Qt::LeftButton);
    ASSERT_TRUE(form.link().snapshot().state.SectorAnalysisOn);

    ASSERT_TRUE(runUntil([&] { return lines("Memo3").size() == 13; }, 5000))
        << "no sector table after the sensor words";
    EXPECT_EQ(form.displayState().Reed1Edges, (EdgeTable{22, 112, 202, 292}));
    EXPECT_EQ(form.displayState().Reed2Edges, p.reed2Edges);
    EXPECT_EQ(lines("Memo3")[2], p.lead1);
    EXPECT_EQ(compass->bevelOuterColor(), tcolor(p.ring));

    // Turned on to angle 100 (35 degrees), Reed1 switches on.
    link.sim.setPosition(100);
    ASSERT_TRUE(runUntil([&] { return lines("Memo1").contains("An  35"); }, 3000))
        << lines("Memo1").join('|').toStdString();
    form.appStartup().FormDestroy();
}

INSTANTIATE_TEST_SUITE_P(
    Placements, SectorAnalysisLinkTest,
    ::testing::Values(
        Placement{"aligned", false, 0x408040, {67, 157, 247, 337}, "Vorlauf1: \t\t45° "},
        Placement{"misaligned", true, 0x0000FF, {32, 122, 212, 302}, "Vorlauf1: \t\t10° !!!!!"}),
    [](const ::testing::TestParamInfo<Placement>& info) { return info.param.name; });

} // namespace
