#include "widgets/PictureBox.h"

#include "widgets/AssignIfChanged.h"

#include <QMouseEvent>
#include <QPainter>

namespace zuvo {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::setPicture(const QImage& picture) {
    // QImage compares by content, so an unchanged picture costs no repaint.
    if (assignIfChanged(picture_, picture)) {
        update();
    }
}

QImage& PictureBox::canvas() {
    if (picture_.isNull()) {
        picture_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        picture_.fill(Qt::white);
    }
    return picture_;
}

void PictureBox::setTransparent(bool transparent) {
    if (assignIfChanged(transparent_, transparent)) {
        update();
    }
}

void PictureBox::setTransparentColor(const QColor& key) {
    if (assignIfChanged(transparentColor_, key)) {
        update();
    }
}

void PictureBox::setStretch(bool stretch) {
    if (assignIfChanged(stretch_, stretch)) {
        update();
    }
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRect target = stretch_ ? rect() : QRect(QPoint(0, 0), picture_.size());
    if (!transparent_) {
        painter.drawImage(target, picture_);
        return;
    }
    QImage shown = picture_.convertToFormat(QImage::Format_ARGB32);
    const QRgb key =
        transparentColor_.isValid() ? transparentColor_.rgba() : shown.pixel(0, shown.height() - 1);
    for (int y = 0; y < shown.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            if (line[x] == key) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    painter.drawImage(target, shown);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
    }
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace zuvo
