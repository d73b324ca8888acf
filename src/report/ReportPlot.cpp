#include "report/ReportPlot.h"

#include "report/ReportStyle.h"
#include "report/ReportText.h"

#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace zuvo {

namespace {

constexpr double kPlotHeightMm = 92; // the summary line takes the rest
constexpr double kLeftAxisMm = 20;   // tick labels and the rotated axis title
constexpr double kBottomAxisMm = 14; // tick labels and the axis title
constexpr double kBinMm = 0.25;      // a bin narrower than a printed line keeps every peak
constexpr double kLabelPoints = 8;

struct Range {
    double low = 0;
    double high = 0;
};

} // namespace

QPolygonF thinnedTrace(const std::vector<QPointF>& points, double binWidth) {
    QPolygonF out;
    std::size_t i = 0;
    while (i < points.size()) {
        const double bin = std::floor(points[i].x() / binWidth);
        std::size_t end = i + 1;
        std::size_t low = i;
        std::size_t high = i;
        while (end < points.size() && std::floor(points[end].x() / binWidth) == bin) {
            low = points[end].y() < points[low].y() ? end : low;
            high = points[end].y() > points[high].y() ? end : high;
            ++end;
        }
        std::vector<std::size_t> keep = {i, low, high, end - 1};
        std::sort(keep.begin(), keep.end());
        keep.erase(std::unique(keep.begin(), keep.end()), keep.end());
        for (std::size_t k : keep) {
            out.append(points[k]);
        }
        i = end;
    }
    return out;
}

void drawRecordingPlot(PageFlow& flow, const std::vector<ReportSample>& samples) {
    std::vector<QPointF> data; // seconds, millimetres
    data.reserve(samples.size());
    for (const ReportSample& s : samples) {
        if (std::isfinite(s.timeMs) && std::isfinite(s.positionMm)) {
            data.emplace_back(s.timeMs / 1000.0, s.positionMm);
        }
    }
    const QFont label = PageFlow::font(kLabelPoints);
    if (data.empty()) {
        const double h = flow.textHeight(QStringLiteral("X"), label, flow.width());
        flow.drawText(QRectF(flow.left(), flow.y(), flow.width(), h),
                      QStringLiteral("The recording holds no usable samples."), label);
        flow.advance(h);
        return;
    }
    const auto [minT, maxT] = std::minmax_element(
        data.begin(), data.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    const auto [minY, maxY] = std::minmax_element(
        data.begin(), data.end(), [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    const Range time{minT->x(), maxT->x()};
    const Range position{minY->y(), maxY->y()};
    const AxisTicks xTicks = axisTicks(time.low, time.high, 9);
    const AxisTicks yTicks = axisTicks(position.low, position.high, 7);
    const Range xAxis{xTicks.values.front(), xTicks.values.back()};
    const Range yAxis{yTicks.values.front(), yTicks.values.back()};

    flow.ensure(flow.mm(kRecordingPlotHeightMm));
    const QRectF area(flow.left() + flow.mm(kLeftAxisMm), flow.y() + flow.mm(2),
                      flow.width() - flow.mm(kLeftAxisMm + 3),
                      flow.mm(kPlotHeightMm - kBottomAxisMm - 2));
    const auto mapX = [&](double t) {
        return area.left() + (t - xAxis.low) / (xAxis.high - xAxis.low) * area.width();
    };
    const auto mapY = [&](double mm) {
        return area.bottom() - (mm - yAxis.low) / (yAxis.high - yAxis.low) * area.height();
    };

    QPainter& p = flow.painter();
    const QPen grid(QColor(report_style::kGrid), flow.mm(0.15));
    const double labelHeight = flow.textHeight(QStringLiteral("0"), label, flow.width());
    for (double t : xTicks.values) {
        const double x = mapX(t);
        p.setPen(grid);
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        flow.drawText(QRectF(x - flow.mm(12), area.bottom() + flow.mm(1), flow.mm(24), labelHeight),
                      fixedText(t, xTicks.decimals), label, Qt::AlignHCenter | Qt::AlignTop);
    }
    for (double v : yTicks.values) {
        const double y = mapY(v);
        p.setPen(grid);
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        flow.drawText(
            QRectF(flow.left(), y - labelHeight / 2, flow.mm(kLeftAxisMm - 1.5), labelHeight),
            fixedText(v, yTicks.decimals), label, Qt::AlignRight | Qt::AlignVCenter);
    }
    p.setPen(QPen(Qt::black, flow.mm(0.3)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);

    // Axis titles: time centred below, position turned up along the left edge.
    flow.drawText(QRectF(area.left(), area.bottom() + flow.mm(1.5) + labelHeight, area.width(),
                         labelHeight * 1.5),
                  QStringLiteral("Time [s]"), PageFlow::font(kLabelPoints, true),
                  Qt::AlignHCenter | Qt::AlignTop);
    p.save();
    p.translate(flow.left(), area.center().y());
    p.rotate(-90);
    flow.drawText(QRectF(-area.height() / 2, 0, area.height(), labelHeight * 1.5),
                  QStringLiteral("Position [mm]"), PageFlow::font(kLabelPoints, true),
                  Qt::AlignHCenter | Qt::AlignTop);
    p.restore();

    std::vector<QPointF> mapped;
    mapped.reserve(data.size());
    for (const QPointF& d : data) {
        mapped.emplace_back(mapX(d.x()), mapY(d.y()));
    }
    p.save();
    p.setClipRect(area);
    const QColor trace(report_style::kTrace);
    if (mapped.size() == 1) {
        p.setPen(Qt::NoPen);
        p.setBrush(trace);
        p.drawEllipse(mapped.front(), flow.mm(0.8), flow.mm(0.8));
    } else {
        QPen line(trace, flow.mm(0.35));
        line.setJoinStyle(Qt::RoundJoin);
        p.setPen(line);
        p.drawPolyline(thinnedTrace(mapped, flow.mm(kBinMm)));
    }
    p.restore();
    flow.advance(flow.mm(kPlotHeightMm));

    const QString summary =
        QStringLiteral("%1 samples from %2 s to %3 s; position from %4 mm to %5 mm.")
            .arg(data.size())
            .arg(fixedText(time.low, 3), fixedText(time.high, 3), fixedText(position.low, 2),
                 fixedText(position.high, 2));
    const double h = flow.textHeight(summary, label, flow.width());
    flow.drawText(QRectF(flow.left(), flow.y(), flow.width(), h), summary, label);
    flow.advance(h);
}

} // namespace zuvo
