#pragma once
// The pages of a report as they fill up: a cursor moving down the body of an A4 page, page breaks
// when a block does not fit, and a footer with the page number on every page. Lengths are in the
// paint device's units; mm() converts.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

namespace zuvo {

class PageFlow {
public:
    // `totalPages` is printed as "Page n of total"; 0 prints "Page n" (a first pass that counts).
    PageFlow(QPdfWriter& writer, QPainter& painter, QString footerText, int totalPages);

    QPainter& painter() { return painter_; }
    double mm(double millimetres) const { return millimetres * dotsPerMm_; }

    double left() const { return left_; }
    double width() const { return width_; }
    double y() const { return y_; }
    double remaining() const { return bottom_ - y_; }
    bool atPageTop() const { return y_ <= top_; }

    void advance(double height) { y_ += height; }
    // Breaks the page unless `height` fits below the cursor. On an empty page nothing breaks, so
    // a block taller than a page is drawn cut off instead of pushing pages forever. True when it
    // broke.
    bool ensure(double height);
    void newPage();
    // Draws the last page's footer; call once at the end.
    void finish();
    int pageCount() const { return page_; }

    // Fonts of the report: sans serif, or monospaced for columns of figures.
    static QFont font(double points, bool bold = false, bool mono = false);
    // Height of `text` in `font` wrapped to `width` (at word boundaries, inside a word if need be).
    double textHeight(const QString& text, const QFont& font, double width);
    void drawText(const QRectF& box, const QString& text, const QFont& font,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop,
                  const QColor& colour = Qt::black);

private:
    void drawFooter();

    QPdfWriter& writer_;
    QPainter& painter_;
    QString footerText_;
    int totalPages_;
    double dotsPerMm_;
    double left_ = 0;
    double width_ = 0;
    double top_ = 0;
    double bottom_ = 0;
    double y_ = 0;
    int page_ = 1;
};

} // namespace zuvo
