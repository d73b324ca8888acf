#include "widgets/GradientBar.h"

#include "widgets/AssignIfChanged.h"

#include <QLinearGradient>
#include <QPainter>

namespace zuvo {

GradientBar::GradientBar(QWidget* parent) : QWidget(parent) {}

void GradientBar::setColorStart(const QColor& color) {
    if (assignIfChanged(colorStart_, color)) {
        update();
    }
}

void GradientBar::setColorEnd(const QColor& color) {
    if (assignIfChanged(colorEnd_, color)) {
        update();
    }
}

void GradientBar::setDirection(Qt::Orientation direction) {
    if (assignIfChanged(direction_, direction)) {
        update();
    }
}

void GradientBar::setMirrored(bool mirrored) {
    if (assignIfChanged(mirrored_, mirrored)) {
        update();
    }
}

void GradientBar::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0) {
        return;
    }
    QPainter painter(this);
    const QPointF end = direction_ == Qt::Vertical ? QPointF(0, height()) : QPointF(width(), 0);
    QLinearGradient gradient(QPointF(0, 0), end);
    gradient.setColorAt(0, colorStart_);
    if (mirrored_) {
        gradient.setColorAt(0.4, colorEnd_);
        gradient.setColorAt(1, colorStart_);
    } else {
        gradient.setColorAt(1, colorEnd_);
    }
    painter.fillRect(rect(), gradient);
}

} // namespace zuvo
