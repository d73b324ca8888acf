// The thinning of a long recording before it is drawn: fewer points, the same picture.

#include "report/ReportPlot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace zuvo {
namespace {

TEST(ReportPlot, ThinningKeepsEveryColumnsExtremesInOrder) {
    std::vector<QPointF> points;
    for (int i = 0; i < 20000; ++i) {
        // A slow wave with a fast ripple and one spike that must survive.
        const double y = 100 * std::sin(i / 900.0) + (i % 13) * 0.7 + (i == 12345 ? 500 : 0);
        points.emplace_back(i * 0.05, y);
    }
    const double bin = 2.0; // 40 points to a column
    const QPolygonF thin = thinnedTrace(points, bin);
    EXPECT_LE(thin.size(), 4 * 500 + 4);
    EXPECT_EQ(thin.front(), points.front());
    EXPECT_EQ(thin.back(), points.back());

    // Every kept point is an input point, and they come in the input's order.
    auto from = points.begin();
    for (const QPointF& p : thin) {
        from = std::find(from, points.end(), p);
        ASSERT_NE(from, points.end()) << p.x() << "," << p.y();
        ++from;
    }
    // Each column's lowest and highest value are still there.
    std::map<int, std::pair<double, double>> wanted, kept;
    const auto note = [&](std::map<int, std::pair<double, double>>& m, const QPointF& p) {
        const int column = static_cast<int>(std::floor(p.x() / bin));
        auto [it, fresh] = m.try_emplace(column, p.y(), p.y());
        it->second = {std::min(it->second.first, p.y()), std::max(it->second.second, p.y())};
    };
    for (const QPointF& p : points) {
        note(wanted, p);
    }
    for (const QPointF& p : thin) {
        note(kept, p);
    }
    EXPECT_EQ(kept, wanted);
}

TEST(ReportPlot, ThinningLeavesAShortOrBackwardsTraceAlone) {
    const std::vector<QPointF> shortTrace = {{0, 1}, {5, 2}, {10, 0}};
    EXPECT_EQ(thinnedTrace(shortTrace, 1),
              QPolygonF(QList<QPointF>(shortTrace.begin(), shortTrace.end())));
    // Time running backwards (a clock set back) makes runs of one point, not a wrong order.
    const std::vector<QPointF> backwards = {{10, 1}, {0, 2}, {10, 3}, {0, 4}};
    EXPECT_EQ(thinnedTrace(backwards, 1).size(), 4);
    EXPECT_TRUE(thinnedTrace({}, 1).isEmpty());
}

} // namespace
} // namespace zuvo
