#include "widgets/LedIndicator.h"

#include "widgets/AssignIfChanged.h"
#include "widgets/BevelPainter.h"

#include <QPainter>

namespace zuvo {

LedIndicator::LedIndicator(QWidget* parent) : QWidget(parent) {}

void LedIndicator::setCaption(const QString& caption) {
    if (assignIfChanged(caption_, caption)) {
        update();
    }
}

void LedIndicator::setChecked(bool checked) {
    if (assignIfChanged(checked_, checked)) {
        update();
    }
}

void LedIndicator::setColorOn(const QColor& color) {
    if (assignIfChanged(colorOn_, color)) {
        update();
    }
}

void LedIndicator::setColorOff(const QColor& color) {
    if (assignIfChanged(colorOff_, color)) {
        update();
    }
}

void LedIndicator::setShape(Shape shape) {
    if (assignIfChanged(shape_, shape)) {
        update();
    }
}

void LedIndicator::setLedSize(const QSize& size) {
    if (assignIfChanged(ledSize_, size)) {
        update();
    }
}

void LedIndicator::setPlacement(Placement placement) {
    if (assignIfChanged(placement_, placement)) {
        update();
    }
}

void LedIndicator::setSpacing(int spacing) {
    if (assignIfChanged(spacing_, spacing)) {
        update();
    }
}

QRect LedIndicator::ledRect() const {
    const QSize s = ledSize_.boundedTo(size());
    switch (placement_) {
    case Placement::Left:
        return QRect(QPoint(0, (height() - s.height()) / 2), s);
    case Placement::Above:
        return QRect(QPoint((width() - s.width()) / 2, 0), s);
    case Placement::Below:
        break;
    }
    return QRect(QPoint((width() - s.width()) / 2, height() - s.height()), s);
}

void LedIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, shape_ == Shape::Round);
    const QRect led = ledRect();
    const QColor fill = currentColor();
    if (shape_ == Shape::Round) {
        QRadialGradient shine(led.center() - QPoint(led.width() / 5, led.height() / 5),
                              led.width() / 1.4);
        shine.setColorAt(0, fill.lighter(checked_ ? 170 : 130));
        shine.setColorAt(1, fill);
        painter.setPen(QPen(QColor(64, 64, 64), 1));
        painter.setBrush(shine);
        painter.drawEllipse(QRectF(led).adjusted(0.5, 0.5, -0.5, -0.5));
    } else {
        const QRect inner = drawBevel(painter, led, BevelStyle::Lowered, 1);
        painter.fillRect(inner, fill);
        if (checked_) {
            // A small highlight so that a lit lamp reads as lit also in grey-scale prints.
            painter.fillRect(inner.adjusted(1, 1, -inner.width() / 2, -inner.height() / 2),
                             fill.lighter(130));
        }
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    QRect text = rect();
    int flags = Qt::AlignVCenter | Qt::AlignLeft;
    switch (placement_) {
    case Placement::Left:
        text.setLeft(led.right() + 1 + spacing_);
        break;
    case Placement::Above:
        text.setTop(led.bottom() + 1 + spacing_);
        flags = Qt::AlignTop | Qt::AlignHCenter;
        break;
    case Placement::Below:
        text.setBottom(led.top() - 1 - spacing_);
        flags = Qt::AlignBottom | Qt::AlignHCenter;
        break;
    }
    painter.drawText(text, flags, caption_);
}

} // namespace zuvo
