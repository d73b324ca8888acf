#include "widgets/ClickLabel.h"

#include "widgets/AssignIfChanged.h"

#include <QMouseEvent>
#include <QPainter>

namespace zuvo {

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {}

void ClickLabel::setRaisedText(bool raised) {
    if (assignIfChanged(raisedText_, raised)) {
        update();
    }
}

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->button(), event->position().toPoint());
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release of the left button over the label.
    if (pressed_ && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
    QLabel::mouseDoubleClickEvent(event);
}

void ClickLabel::paintEvent(QPaintEvent* event) {
    if (!raisedText_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect box = contentsRect();
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(box.translated(-1, -1), int(alignment()), text());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(box, int(alignment()), text());
}

} // namespace zuvo
