#pragma once
// A round dial with a needle and a set-point needle. The value is given in raw units; a full
// turn of the dial is `fullScale` raw units (1024 sensor counts or 360 degrees), and the value
// text shows the angle in degrees.

#include <QColor>
#include <QStringList>
#include <QWidget>

namespace zuvo {

class CompassGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(double setPoint READ setPoint WRITE setSetPoint)
    Q_PROPERTY(double fullScale READ fullScale WRITE setFullScale)
    Q_PROPERTY(QString scaleTexts READ scaleTexts WRITE setScaleTexts)
    Q_PROPERTY(QString valueFormat READ valueFormat WRITE setValueFormat)
    Q_PROPERTY(QString unit READ unit WRITE setUnit)
    Q_PROPERTY(bool showSetPoint READ showSetPoint WRITE setShowSetPoint)
    Q_PROPERTY(QColor needleColor READ needleColor WRITE setNeedleColor)
    Q_PROPERTY(QColor setPointColor READ setPointColor WRITE setSetPointColor)
    Q_PROPERTY(QColor scaleColor READ scaleColor WRITE setScaleColor)
    Q_PROPERTY(QColor bevelColor READ bevelColor WRITE setBevelColor)
    Q_PROPERTY(QColor bevelOuterColor READ bevelOuterColor WRITE setBevelOuterColor)

public:
    explicit CompassGauge(QWidget* parent = nullptr);

    double value() const { return value_; }
    void setValue(double value);
    double setPoint() const { return setPoint_; }
    void setSetPoint(double value);
    double fullScale() const { return fullScale_; }
    void setFullScale(double fullScale);
    // Texts spread evenly round the dial, clockwise from the top, separated by ';'.
    QString scaleTexts() const { return scaleTexts_; }
    void setScaleTexts(const QString& texts);
    QString valueFormat() const { return valueFormat_; }
    void setValueFormat(const QString& format);
    QString unit() const { return unit_; }
    void setUnit(const QString& unit);
    bool showSetPoint() const { return showSetPoint_; }
    void setShowSetPoint(bool show);
    QColor needleColor() const { return needleColor_; }
    void setNeedleColor(const QColor& color);
    QColor setPointColor() const { return setPointColor_; }
    void setSetPointColor(const QColor& color);
    QColor scaleColor() const { return scaleColor_; }
    void setScaleColor(const QColor& color);
    QColor bevelColor() const { return bevelColor_; }
    void setBevelColor(const QColor& color);
    // The colour of the outer ring's bevel; the live display switches it to mark where the
    // angle comes from.
    QColor bevelOuterColor() const { return bevelOuterColor_; }
    void setBevelOuterColor(const QColor& color);

    // The value as an angle in degrees (0..360 for raw 0..fullScale).
    double degrees() const;
    // The text shown in the middle of the dial.
    QString valueText() const;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void drawNeedle(class QPainter& painter, double degrees, double length, double width,
                    const QColor& color) const;

    double value_ = 0;
    double setPoint_ = 0;
    double fullScale_ = 360;
    QString scaleTexts_ = "N;E;S;W";
    QString valueFormat_ = "0";
    QString unit_;
    bool showSetPoint_ = false;
    QColor needleColor_{255, 0, 0};
    QColor setPointColor_{255, 255, 0};
    QColor scaleColor_{0, 255, 255};
    QColor bevelColor_{0, 0, 128};
    QColor bevelOuterColor_{0, 0, 128};
};

} // namespace zuvo
