#pragma once
// A vertical bar in a lowered bevel that fills from the bottom to its percentage, in a gradient
// from the start colour (bottom) to the end colour (top of the full bar).

#include <QColor>
#include <QWidget>

namespace zuvo {

class ProgressFill : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int percent READ percent WRITE setPercent)
    Q_PROPERTY(QColor colorStart READ colorStart WRITE setColorStart)
    Q_PROPERTY(QColor colorEnd READ colorEnd WRITE setColorEnd)

public:
    explicit ProgressFill(QWidget* parent = nullptr);

    int percent() const { return percent_; }
    // Clamped to 0..100.
    void setPercent(int percent);
    QColor colorStart() const { return colorStart_; }
    void setColorStart(const QColor& color);
    QColor colorEnd() const { return colorEnd_; }
    void setColorEnd(const QColor& color);

    // The filled part inside the bevel, in widget coordinates.
    QRect fillRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int percent_ = 0;
    QColor colorStart_{192, 192, 192};
    QColor colorEnd_{0, 0, 128};
};

} // namespace zuvo
