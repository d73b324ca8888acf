#pragma once
// A grid button showing one of the on/off pictures. Its value is a small integer: 0 shows
// "OFF", 1 shows "ON", 2 and 3 show no picture (the value's bit 1 marks a segment that is not
// set). A click only reports; whoever handles it decides the new value, and every new value is
// reported.

#include <QAbstractButton>

namespace zuvo {

class PictureToggleButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)

public:
    explicit PictureToggleButton(QWidget* parent = nullptr);

    int value() const { return value_; }
    void setValue(int value);
    // The picture index shown for the current value, or -1 for none.
    int pictureIndex() const;

    QSize sizeHint() const override { return {50, 22}; }

signals:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
};

} // namespace zuvo
