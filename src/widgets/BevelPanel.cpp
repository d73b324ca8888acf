#include "widgets/BevelPanel.h"

#include "widgets/AssignIfChanged.h"
#include "widgets/BevelPainter.h"
#include "widgets/TColor.h"

#include <QPainter>

namespace zuvo {

BevelPanel::BevelPanel(QWidget* parent)
    : QWidget(parent), innerBevelColor_(tcolor(tc::ButtonFace)) {}

void BevelPanel::setInnerBevelColor(const QColor& color) {
    if (assignIfChanged(innerBevelColor_, color)) {
        update();
    }
}

void BevelPanel::setBandWidth(int width) {
    if (assignIfChanged(bandWidth_, width)) {
        update();
    }
}

void BevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QRect inner = drawBevel(painter, rect(), BevelStyle::Raised, 2);
    painter.fillRect(inner, innerBevelColor_);
    inner.adjust(bandWidth_, bandWidth_, -bandWidth_, -bandWidth_);
    drawBevel(painter, inner, BevelStyle::Lowered, 2);
}

} // namespace zuvo
