#pragma once
// A strip filled with a colour gradient, used for the drawn cylinder body and rod.

#include <QColor>
#include <QWidget>

namespace zuvo {

class GradientBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor colorStart READ colorStart WRITE setColorStart)
    Q_PROPERTY(QColor colorEnd READ colorEnd WRITE setColorEnd)
    Q_PROPERTY(Qt::Orientation direction READ direction WRITE setDirection)
    Q_PROPERTY(bool mirrored READ isMirrored WRITE setMirrored)

public:
    explicit GradientBar(QWidget* parent = nullptr);

    QColor colorStart() const { return colorStart_; }
    void setColorStart(const QColor& color);
    QColor colorEnd() const { return colorEnd_; }
    void setColorEnd(const QColor& color);
    // Vertical: the colour changes from top to bottom; horizontal: from left to right.
    Qt::Orientation direction() const { return direction_; }
    void setDirection(Qt::Orientation direction);
    // Mirrored: start colour at both edges and end colour in the middle, which gives a round
    // body its shine.
    bool isMirrored() const { return mirrored_; }
    void setMirrored(bool mirrored);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colorStart_{128, 128, 128};
    QColor colorEnd_{255, 255, 255};
    Qt::Orientation direction_ = Qt::Vertical;
    bool mirrored_ = false;
};

} // namespace zuvo
