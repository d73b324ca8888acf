#pragma once
// A bevelled frame or a single separator line drawn with the 3-D edge colours.

#include <QWidget>

namespace zuvo {

class BevelFrame : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Shape shape READ shape WRITE setShape)
    Q_PROPERTY(bool raised READ isRaised WRITE setRaised)

public:
    enum class Shape { Box, Frame, VerticalLine, HorizontalLine };
    Q_ENUM(Shape)

    explicit BevelFrame(QWidget* parent = nullptr);

    Shape shape() const { return shape_; }
    void setShape(Shape shape);
    bool isRaised() const { return raised_; }
    void setRaised(bool raised);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape shape_ = Shape::Box;
    bool raised_ = false;
};

} // namespace zuvo
