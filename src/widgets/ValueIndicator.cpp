#include "widgets/ValueIndicator.h"

#include "widgets/AssignIfChanged.h"
#include "widgets/BevelPainter.h"
#include "widgets/FormatFloat.h"

#include <QLocale>
#include <QPainter>

namespace zuvo {

namespace {
constexpr double kMinNamePoints = 6.0;
}

ValueIndicator::ValueIndicator(QWidget* parent) : QWidget(parent) {}

void ValueIndicator::setName(const QString& name) {
    if (assignIfChanged(name_, name)) {
        update();
    }
}

void ValueIndicator::setValue(double value) {
    if (assignIfChanged(value_, value)) {
        update();
    }
}

void ValueIndicator::setValueFormat(const QString& format) {
    if (assignIfChanged(valueFormat_, format)) {
        update();
    }
}

QString ValueIndicator::valueText() const {
    return formatFloat(valueFormat_, value_, QLocale().decimalPoint().at(0));
}

void ValueIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The name shrinks (down to a legible minimum) rather than lose its ends.
    QFont nameFont = font();
    while (QFontMetrics(nameFont).horizontalAdvance(name_) > width() &&
           nameFont.pointSizeF() > kMinNamePoints) {
        nameFont.setPointSizeF(nameFont.pointSizeF() - 0.5);
    }
    painter.setFont(nameFont);
    const int nameHeight = QFontMetrics(nameFont).height();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(0, 0, width(), nameHeight), Qt::AlignCenter, name_);
    const QRect box(0, nameHeight + 1, width(), height() - nameHeight - 1);
    const QRect inner = drawBevel(painter, box, BevelStyle::Lowered, 1);
    painter.fillRect(inner, QColor(0, 0, 0));
    QFont digits = font();
    digits.setBold(true);
    painter.setFont(digits);
    painter.setPen(QColor(0, 255, 0));
    painter.drawText(inner.adjusted(2, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, valueText());
}

} // namespace zuvo
