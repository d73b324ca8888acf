#include "widgets/ProgressFill.h"

#include "widgets/AssignIfChanged.h"
#include "widgets/BevelPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace zuvo {

namespace {
constexpr int kBevel = 1;
}

ProgressFill::ProgressFill(QWidget* parent) : QWidget(parent) {}

void ProgressFill::setPercent(int percent) {
    if (assignIfChanged(percent_, std::clamp(percent, 0, 100))) {
        update();
    }
}

void ProgressFill::setColorStart(const QColor& color) {
    if (assignIfChanged(colorStart_, color)) {
        update();
    }
}

void ProgressFill::setColorEnd(const QColor& color) {
    if (assignIfChanged(colorEnd_, color)) {
        update();
    }
}

QRect ProgressFill::fillRect() const {
    const QRect inner = rect().adjusted(kBevel, kBevel, -kBevel, -kBevel);
    const int filled = inner.height() * percent_ / 100;
    return QRect(inner.left(), inner.bottom() + 1 - filled, inner.width(), filled);
}

void ProgressFill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect inner = drawBevel(painter, rect(), BevelStyle::Lowered, kBevel);
    painter.fillRect(inner, palette().color(QPalette::Window));
    // The gradient spans the whole bar so that a colour always stands for the same height.
    QLinearGradient gradient(QPointF(0, inner.bottom()), QPointF(0, inner.top()));
    gradient.setColorAt(0, colorStart_);
    gradient.setColorAt(1, colorEnd_);
    painter.fillRect(fillRect(), gradient);
}

} // namespace zuvo
