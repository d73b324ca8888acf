#pragma once
// A picture that the program draws on. A transparent picture lets what lies under it show
// through wherever it has its key colour: a fixed colour when one is set, else the colour of its
// bottom-left pixel.

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace zuvo {

class PictureBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QPixmap pixmap READ pixmap WRITE setPixmap)
    Q_PROPERTY(bool transparent READ isTransparent WRITE setTransparent)
    Q_PROPERTY(bool stretch READ isStretch WRITE setStretch)

public:
    explicit PictureBox(QWidget* parent = nullptr);

    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);
    QPixmap pixmap() const { return QPixmap::fromImage(picture_); }
    void setPixmap(const QPixmap& pixmap) { setPicture(pixmap.toImage()); }

    // The picture to draw on, created white at the widget's size when there is none yet. Call
    // update() after drawing.
    QImage& canvas();

    bool isTransparent() const { return transparent_; }
    void setTransparent(bool transparent);
    // A fixed key colour, for pictures whose drawing may reach the bottom-left pixel.
    void setTransparentColor(const QColor& key);
    // Stretch: the picture is scaled to the widget; otherwise drawn at its own size, top-left.
    bool isStretch() const { return stretch_; }
    void setStretch(bool stretch);

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    bool transparent_ = false;
    QColor transparentColor_; // invalid: the bottom-left pixel decides
    bool stretch_ = false;
};

} // namespace zuvo
