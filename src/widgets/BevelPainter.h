#pragma once
// The 3-D edge shared by every bevelled display widget.

#include <QColor>
#include <QRect>

class QPainter;

namespace zuvo {

enum class BevelStyle { Raised, Lowered };

// Draws a bevel of `width` pixels just inside `rect`: light top-left and dark bottom-right when
// raised, the other way round when lowered. Returns the rectangle left inside the bevel.
QRect drawBevel(QPainter& painter, const QRect& rect, BevelStyle style, int width,
                const QColor& light = QColor(255, 255, 255),
                const QColor& dark = QColor(128, 128, 128));

} // namespace zuvo
