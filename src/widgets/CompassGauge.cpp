#include "widgets/CompassGauge.h"

#include "widgets/AssignIfChanged.h"
#include "widgets/FormatFloat.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace zuvo {

namespace {

// A point at `radius` from `centre` in the direction of `degrees`, clockwise from the top.
QPointF polar(const QPointF& centre, double radius, double degrees) {
    const double rad = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(radius * std::sin(rad), -radius * std::cos(rad));
}

} // namespace

CompassGauge::CompassGauge(QWidget* parent) : QWidget(parent) {}

void CompassGauge::setValue(double value) {
    if (assignIfChanged(value_, value)) {
        update();
    }
}

void CompassGauge::setSetPoint(double value) {
    if (assignIfChanged(setPoint_, value)) {
        update();
    }
}

void CompassGauge::setFullScale(double fullScale) {
    // A zero scale would divide by zero when mapping to degrees.
    if (fullScale > 0 && assignIfChanged(fullScale_, fullScale)) {
        update();
    }
}

void CompassGauge::setScaleTexts(const QString& texts) {
    if (assignIfChanged(scaleTexts_, texts)) {
        update();
    }
}

void CompassGauge::setValueFormat(const QString& format) {
    if (assignIfChanged(valueFormat_, format)) {
        update();
    }
}

void CompassGauge::setUnit(const QString& unit) {
    if (assignIfChanged(unit_, unit)) {
        update();
    }
}

void CompassGauge::setShowSetPoint(bool show) {
    if (assignIfChanged(showSetPoint_, show)) {
        update();
    }
}

void CompassGauge::setNeedleColor(const QColor& color) {
    if (assignIfChanged(needleColor_, color)) {
        update();
    }
}

void CompassGauge::setSetPointColor(const QColor& color) {
    if (assignIfChanged(setPointColor_, color)) {
        update();
    }
}

void CompassGauge::setScaleColor(const QColor& color) {
    if (assignIfChanged(scaleColor_, color)) {
        update();
    }
}

void CompassGauge::setBevelColor(const QColor& color) {
    if (assignIfChanged(bevelColor_, color)) {
        update();
    }
}

void CompassGauge::setBevelOuterColor(const QColor& color) {
    if (assignIfChanged(bevelOuterColor_, color)) {
        update();
    }
}

double CompassGauge::degrees() const {
    return value_ * 360.0 / fullScale_;
}

QString CompassGauge::valueText() const {
    QString text = formatFloat(valueFormat_, degrees(), QLocale().decimalPoint().at(0));
    // A format that already carries the unit does not get it twice.
    if (!unit_.isEmpty() && !text.endsWith(unit_)) {
        text += unit_;
    }
    return text;
}

void CompassGauge::drawNeedle(QPainter& painter, double degrees, double length, double width,
                              const QColor& color) const {
    const QPointF centre = QRectF(rect()).center();
    QPainterPath needle;
    needle.moveTo(polar(centre, length, degrees));
    needle.lineTo(polar(centre, width, degrees + 90));
    needle.lineTo(polar(centre, length * 0.2, degrees + 180));
    needle.lineTo(polar(centre, width, degrees - 90));
    needle.closeSubpath();
    painter.setPen(QPen(color.darker(160), 1));
    painter.setBrush(color);
    painter.drawPath(needle);
}

void CompassGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const double radius = std::min(width(), height()) / 2.0 - 1;

    // Outer ring with its bevel, then an inner navy bevel round the dial face.
    const double ring = std::max(3.0, radius * 0.08);
    painter.setPen(Qt::NoPen);
    painter.setBrush(bevelOuterColor_);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(bevelOuterColor_.lighter(150));
    painter.drawEllipse(centre, radius - ring / 2, radius - ring / 2);
    painter.setBrush(bevelColor_);
    painter.drawEllipse(centre, radius - ring, radius - ring);
    const double face = radius - ring - 2;
    painter.setBrush(QColor(16, 16, 48));
    painter.drawEllipse(centre, face, face);

    // Scale: ticks every 15 degrees, longer where a text sits.
    const QStringList texts = scaleTexts_.split(';', Qt::SkipEmptyParts);
    painter.setPen(QPen(scaleColor_, 1));
    for (int deg = 0; deg < 360; deg += 15) {
        const double inner = deg % 45 == 0 ? face - 6 : face - 3;
        painter.drawLine(polar(centre, face - 1, deg), polar(centre, inner, deg));
    }
    QFont scaleFont = font();
    scaleFont.setPixelSize(std::max(7, int(face / 5.5)));
    painter.setFont(scaleFont);
    const QFontMetricsF fm(scaleFont);
    for (int i = 0; i < texts.size(); ++i) {
        const double deg = 360.0 * i / texts.size();
        const QPointF at = polar(centre, face - 6 - fm.height() * 0.75, deg);
        const double w = fm.horizontalAdvance(texts[i]);
        painter.drawText(QRectF(at.x() - w / 2, at.y() - fm.height() / 2, w, fm.height()),
                         Qt::AlignCenter, texts[i]);
    }

    // Value text in the lower half, needles on top.
    QFont valueFont = font();
    valueFont.setPixelSize(std::max(7, int(face / 5)));
    valueFont.setBold(true);
    painter.setFont(valueFont);
    painter.setPen(scaleColor_);
    const QRectF valueBox(centre.x() - face * 0.6, centre.y() + face * 0.28, face * 1.2,
                          face * 0.3);
    painter.drawText(valueBox, Qt::AlignCenter, valueText());

    if (showSetPoint_) {
        drawNeedle(painter, setPoint_ * 360.0 / fullScale_, face - 8, face * 0.06, setPointColor_);
    }
    drawNeedle(painter, degrees(), face - 6, face * 0.08, needleColor_);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(192, 192, 192));
    painter.drawEllipse(centre, face * 0.07, face * 0.07);
}

void CompassGauge::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace zuvo
