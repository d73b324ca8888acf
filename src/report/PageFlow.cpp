#include "report/PageFlow.h"

#include "report/ReportStyle.h"

#include <QFontMetricsF>
#include <QTextOption>

#include <utility>

namespace zuvo {

namespace {

constexpr double kSideMarginMm = 18;
constexpr double kTopMarginMm = 16;
constexpr double kBottomMarginMm = 22; // room for the footer below the body
constexpr double kFooterFromBottomMm = 12;

QTextOption wrapping(Qt::Alignment alignment) {
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Reports read left to right whatever the locale's direction.
    option.setTextDirection(Qt::LeftToRight);
    return option;
}

} // namespace

PageFlow::PageFlow(QPdfWriter& writer, QPainter& painter, QString footerText, int totalPages)
    : writer_(writer), painter_(painter), footerText_(std::move(footerText)),
      totalPages_(totalPages), dotsPerMm_(writer.resolution() / 25.4) {
    left_ = mm(kSideMarginMm);
    width_ = writer.width() - 2 * left_;
    top_ = mm(kTopMarginMm);
    bottom_ = writer.height() - mm(kBottomMarginMm);
    y_ = top_;
    painter_.setLayoutDirection(Qt::LeftToRight);
}

bool PageFlow::ensure(double height) {
    if (height <= remaining() || atPageTop()) {
        return false;
    }
    newPage();
    return true;
}

void PageFlow::newPage() {
    drawFooter();
    writer_.newPage();
    ++page_;
    y_ = top_;
}

void PageFlow::finish() {
    drawFooter();
}

QFont PageFlow::font(double points, bool bold, bool mono) {
    QFont f(mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
    f.setStyleHint(mono ? QFont::Monospace : QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    // No ligatures: "fi" stays two letters that a search or a copy out of the PDF finds.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

double PageFlow::textHeight(const QString& text, const QFont& font, double width) {
    painter_.setFont(font);
    const QString measured = text.isEmpty() ? QStringLiteral(" ") : text;
    return painter_.boundingRect(QRectF(0, 0, width, 1e9), measured, wrapping(Qt::AlignLeft))
        .height();
}

void PageFlow::drawText(const QRectF& box, const QString& text, const QFont& font,
                        Qt::Alignment alignment, const QColor& colour) {
    painter_.setFont(font);
    painter_.setPen(colour);
    painter_.drawText(box, text, wrapping(alignment));
}

void PageFlow::drawFooter() {
    const QFont small = font(7.5);
    const double y = writer_.height() - mm(kFooterFromBottomMm);
    painter_.setPen(QPen(QColor(report_style::kRule), mm(0.2)));
    painter_.drawLine(QPointF(left_, y), QPointF(left_ + width_, y));
    const QString number = totalPages_ > 0
                               ? QStringLiteral("Page %1 of %2").arg(page_).arg(totalPages_)
                               : QStringLiteral("Page %1").arg(page_);
    const QRectF line(left_, y + mm(1.5), width_, mm(5));
    const QColor grey(report_style::kNoteText);
    const QString footer =
        QFontMetricsF(small, &writer_).elidedText(footerText_, Qt::ElideRight, width_ - mm(30));
    drawText(line, footer, small, Qt::AlignLeft | Qt::AlignTop, grey);
    drawText(line, number, small, Qt::AlignRight | Qt::AlignTop, grey);
}

} // namespace zuvo
