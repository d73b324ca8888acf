#pragma once
// A panel with a raised outer and a lowered inner bevel; the band between them takes the inner
// bevel colour, which the live display uses as a highlight.

#include <QColor>
#include <QWidget>

namespace zuvo {

class BevelPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor innerBevelColor READ innerBevelColor WRITE setInnerBevelColor)
    Q_PROPERTY(int bandWidth READ bandWidth WRITE setBandWidth)

public:
    explicit BevelPanel(QWidget* parent = nullptr);

    QColor innerBevelColor() const { return innerBevelColor_; }
    void setInnerBevelColor(const QColor& color);
    int bandWidth() const { return bandWidth_; }
    void setBandWidth(int width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor innerBevelColor_;
    int bandWidth_ = 3;
};

} // namespace zuvo
