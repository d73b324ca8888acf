// The gestures on the live displays: the sector-analysis switch on the reed compass, the angle
// source toggle, the Test-Values tab and dragging the position readout.

#include "ReceiveLink.h"
#include "app/ServiceMode.h"
#include "app/live/LiveDisplay.h"
#include "widgets/CompassGauge.h"
#include "widgets/TColor.h"

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>

using namespace zuvo;
using namespace zuvo::test;

namespace {

class LiveDisplayGestureTest : public ReceiveLinkTest {
protected:
    void SetUp() override {
        ReceiveLinkTest::SetUp();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    void doubleClick(const char* name) { QTest::mouseDClick(control(name), Qt::LeftButton); }
    bool testValuesTabShown() {
        auto* pages = control<QTabWidget>("PageControl1");
        return pages->isTabVisible(pages->indexOf(control("TabSheet4")));
    }
    void moveWithButton(QWidget* widget, QPoint to) {
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(widget->mapToGlobal(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
};

TEST_F(LiveDisplayGestureTest, ReedCompassSwitchesTheAnalysisOnlyDuringTheSensorCheck) {
    struct Case {
        bool phase;
        bool before;
        bool after;
    };
    // The link starts in the sensor check; the cases without it come last.
    for (const Case& c : {Case{true, false, true}, Case{true, true, false},
                          Case{false, false, false}, Case{false, true, false}}) {
        SCOPED_TRACE(testing::Message() << c.phase << c.before);
        if (!c.phase) {
            form.link().pollStatusOnly(); // the sensor check is over
        }
        ASSERT_EQ(seen().state.SensorCheckPhase, c.phase);
        form.link().setSectorAnalysisOn(c.before);
        doubleClick("AbCompass1");
        EXPECT_EQ(seen().state.SectorAnalysisOn, c.after);
    }
}

TEST_F(LiveDisplayGestureTest, AngleSourceToggleWorksInServiceModeOnly) {
    auto* winkel = control<CompassGauge>("Winkel");
    const QColor ring = winkel->bevelOuterColor();
    doubleClick("Winkel");
    EXPECT_FALSE(seen().state.WinkelFromPosition);
    EXPECT_EQ(winkel->bevelOuterColor(), ring);

    form.serviceMode().setOn(true);
    doubleClick("Winkel");
    EXPECT_TRUE(seen().state.WinkelFromPosition);
    EXPECT_EQ(winkel->bevelOuterColor(), tcolor(0x008080));
    ASSERT_TRUE(sendStatus(StatusFields().angle(0x0155).position(0x12345)));
    EXPECT_DOUBLE_EQ(winkel->value(), 0x345); // the position's low 10 bits

    doubleClick("Winkel");
    EXPECT_FALSE(seen().state.WinkelFromPosition);
    EXPECT_EQ(winkel->bevelOuterColor(), tcolor(0x800000));
    ASSERT_TRUE(sendStatus(StatusFields().angle(0x0155).position(0x12345)));
    EXPECT_DOUBLE_EQ(winkel->value(), 0x155);
}

TEST_F(LiveDisplayGestureTest, ReedStateLabelShowsTheTestValuesTabInServiceModeOnly) {
    form.serviceMode().setOn(true);
    doubleClick("Label11");
    EXPECT_TRUE(testValuesTabShown());
    doubleClick("Label11");
    EXPECT_FALSE(testValuesTabShown());

    doubleClick("Label11");
    form.serviceMode().setOn(false);
    doubleClick("Label11");
    EXPECT_TRUE(testValuesTabShown());
}

TEST_F(LiveDisplayGestureTest, PositionReadoutIsDraggedFromTheDigitalOutputPageAfterTenPixels) {
    QStringList dragged;
    form.liveDisplay().setDragExec([&dragged](QDrag& drag) { dragged << drag.mimeData()->text(); });
    auto* apos = control<QLabel>("APos");
    apos->setText("123.45mm");
    auto* pages = control<QTabWidget>("PageControl1");
    const QPoint start(5, 5);

    pages->setCurrentWidget(control("TabSheet2"));
    QTest::mousePress(apos, Qt::LeftButton, {}, start);
    moveWithButton(apos, start + QPoint(9, 0));
    EXPECT_TRUE(dragged.isEmpty());
    moveWithButton(apos, start + QPoint(6, 4));
    EXPECT_EQ(dragged, QStringList{"123.45mm"});
    QTest::mouseRelease(apos, Qt::LeftButton, {}, start);

    // Elsewhere the readout does not move.
    dragged.clear();
    pages->setCurrentWidget(control("TabSheet1"));
    QTest::mousePress(apos, Qt::LeftButton, {}, start);
    moveWithButton(apos, start + QPoint(30, 0));
    QTest::mouseRelease(apos, Qt::LeftButton, {}, start);
    EXPECT_TRUE(dragged.isEmpty());
}

} // namespace
