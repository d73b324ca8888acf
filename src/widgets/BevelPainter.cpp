#include "widgets/BevelPainter.h"

#include <QPainter>

namespace zuvo {

QRect drawBevel(QPainter& painter, const QRect& rect, BevelStyle style, int width,
                const QColor& light, const QColor& dark) {
    const QColor& topLeft = style == BevelStyle::Raised ? light : dark;
    const QColor& bottomRight = style == BevelStyle::Raised ? dark : light;
    QRect r = rect;
    painter.save();
    for (int i = 0; i < width && r.width() > 1 && r.height() > 1; ++i) {
        painter.setPen(topLeft);
        painter.drawLine(r.left(), r.top(), r.right() - 1, r.top());
        painter.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
        painter.setPen(bottomRight);
        painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
        r.adjust(1, 1, -1, -1);
    }
    painter.restore();
    return r;
}

} // namespace zuvo
