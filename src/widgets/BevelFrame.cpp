#include "widgets/BevelFrame.h"

#include "widgets/AssignIfChanged.h"
#include "widgets/BevelPainter.h"

#include <QPainter>

namespace zuvo {

BevelFrame::BevelFrame(QWidget* parent) : QWidget(parent) {
    // A frame only draws its edge; whatever lies under it stays visible.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BevelFrame::setShape(Shape shape) {
    if (assignIfChanged(shape_, shape)) {
        update();
    }
}

void BevelFrame::setRaised(bool raised) {
    if (assignIfChanged(raised_, raised)) {
        update();
    }
}

void BevelFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor light(255, 255, 255);
    const QColor dark(128, 128, 128);
    const QColor& first = raised_ ? light : dark;
    const QColor& second = raised_ ? dark : light;
    switch (shape_) {
    case Shape::Box:
        drawBevel(painter, rect(), raised_ ? BevelStyle::Raised : BevelStyle::Lowered, 1);
        break;
    case Shape::Frame: {
        // An etched frame: one lowered and one raised edge, one pixel apart.
        drawBevel(painter, rect(), raised_ ? BevelStyle::Raised : BevelStyle::Lowered, 1);
        drawBevel(painter, rect().adjusted(1, 1, -1, -1),
                  raised_ ? BevelStyle::Lowered : BevelStyle::Raised, 1);
        break;
    }
    case Shape::VerticalLine:
        painter.setPen(first);
        painter.drawLine(0, 0, 0, height() - 1);
        painter.setPen(second);
        painter.drawLine(1, 0, 1, height() - 1);
        break;
    case Shape::HorizontalLine:
        painter.setPen(first);
        painter.drawLine(0, 0, width() - 1, 0);
        painter.setPen(second);
        painter.drawLine(0, 1, width() - 1, 1);
        break;
    }
}

} // namespace zuvo
