#include "report/RuledTable.h"

#include "report/ReportStyle.h"
#include "report/ReportText.h"

#include <QFontMetricsF>

#include <algorithm>
#include <utility>

namespace zuvo {

namespace {

using namespace report_style;

constexpr double kPadXMm = 1.6;
constexpr double kPadYMm = 1.1;

} // namespace

RuledTable::RuledTable(PageFlow& flow, std::vector<TableColumn> columns)
    : flow_(flow), columns_(std::move(columns)) {
    for (const TableColumn& c : columns_) {
        totalWeight_ += c.weight;
        hasHeader_ = hasHeader_ || !c.title.isEmpty();
    }
}

double RuledTable::columnX(std::size_t column) const {
    double weight = 0;
    for (std::size_t i = 0; i < column; ++i) {
        weight += columns_[i].weight;
    }
    return flow_.left() + flow_.width() * weight / totalWeight_;
}

double RuledTable::columnWidth(std::size_t column) const {
    return flow_.width() * columns_[column].weight / totalWeight_;
}

double RuledTable::cellsHeight(const QStringList& cells, bool bold, double minHeight) {
    double height = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const TableColumn& c = columns_[i];
        const QString text = i < static_cast<std::size_t>(cells.size())
                                 ? printableText(cells[static_cast<qsizetype>(i)])
                                 : QString();
        const QFont font = PageFlow::font(kBodyPoints, bold || c.shaded, c.mono);
        height =
            std::max(height, flow_.textHeight(text, font, columnWidth(i) - 2 * flow_.mm(kPadXMm)));
    }
    return std::max(height + 2 * flow_.mm(kPadYMm), minHeight);
}

void RuledTable::drawCells(const QStringList& cells, double height, bool header,
                           const QColor& colour) {
    QPainter& p = flow_.painter();
    const double pad = flow_.mm(kPadXMm);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const TableColumn& c = columns_[i];
        const QRectF cell(columnX(i), flow_.y(), columnWidth(i), height);
        if (header || c.shaded) {
            p.fillRect(cell, QColor(header ? kHeaderFill : kLabelFill));
        }
        p.setPen(QPen(QColor(kRule), flow_.mm(0.2)));
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell);
        const QString text = i < static_cast<std::size_t>(cells.size())
                                 ? printableText(cells[static_cast<qsizetype>(i)])
                                 : QString();
        flow_.drawText(cell.adjusted(pad, 0, -pad, 0), text,
                       PageFlow::font(kBodyPoints, header || c.shaded, c.mono && !header),
                       c.alignment | Qt::AlignVCenter, header || c.shaded ? Qt::black : colour);
    }
    flow_.advance(height);
}

QStringList RuledTable::titles() const {
    QStringList result;
    for (const TableColumn& c : columns_) {
        result.append(c.title);
    }
    return result;
}

double RuledTable::headerHeight() {
    return hasHeader_ ? cellsHeight(titles(), true, 0) : 0;
}

void RuledTable::drawHeader() {
    if (hasHeader_) {
        drawCells(titles(), headerHeight(), true, Qt::black);
    }
}

double RuledTable::groupHeight() {
    return flow_.textHeight(QStringLiteral("Xg"), PageFlow::font(kBodyPoints, true),
                            flow_.width()) +
           2 * flow_.mm(kPadYMm);
}

void RuledTable::drawGroup(const QString& title) {
    QPainter& p = flow_.painter();
    const double height = groupHeight();
    const QRectF band(flow_.left(), flow_.y(), flow_.width(), height);
    p.fillRect(band, QColor(kGroupFill));
    p.setPen(QPen(QColor(kRule), flow_.mm(0.2)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(band);
    const double pad = flow_.mm(kPadXMm);
    // Elided, not wrapped: the band has the height of one line.
    const QFont font = PageFlow::font(kBodyPoints, true);
    const QString text =
        QFontMetricsF(font, p.device())
            .elidedText(printableText(title), Qt::ElideRight, band.width() - 2 * pad);
    flow_.drawText(band.adjusted(pad, 0, -pad, 0), text, font, Qt::AlignLeft | Qt::AlignVCenter);
    flow_.advance(height);
}

void RuledTable::group(const QString& title) {
    pendingGroup_ = title;
}

void RuledTable::row(const QStringList& cells, double minHeight, const QColor& colour) {
    const double height = cellsHeight(cells, false, minHeight);
    const double group = pendingGroup_.isEmpty() ? 0 : groupHeight();
    bool broke = false;
    if (!started_) {
        flow_.ensure(headerHeight() + group + height);
    } else {
        broke = flow_.ensure(group + height);
    }
    if (!started_ || broke) {
        started_ = true;
        drawHeader();
        if (broke && pendingGroup_.isEmpty() && !currentGroup_.isEmpty()) {
            drawGroup(currentGroup_ + QStringLiteral(" (continued)"));
        }
    }
    if (!pendingGroup_.isEmpty()) {
        drawGroup(pendingGroup_);
        currentGroup_ = std::exchange(pendingGroup_, QString());
    }
    drawCells(cells, height, false, colour);
}

void RuledTable::gap(double height) {
    if (!flow_.atPageTop()) {
        flow_.advance(std::min(height, flow_.remaining()));
    }
}

} // namespace zuvo
