#pragma once
// A label that reports mouse presses, clicks and double-clicks, and can draw its text
// raised (a light copy one pixel up and left behind it).

#include <QLabel>

namespace zuvo {

class ClickLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool raisedText READ raisedText WRITE setRaisedText)

public:
    explicit ClickLabel(QWidget* parent = nullptr);

    bool raisedText() const { return raisedText_; }
    void setRaisedText(bool raised);

signals:
    void clicked();
    void doubleClicked();
    // Every button press, before a click is known (a drag starts from here).
    void pressed(Qt::MouseButton button, const QPoint& position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool raisedText_ = false;
    bool pressed_ = false;
};

} // namespace zuvo
