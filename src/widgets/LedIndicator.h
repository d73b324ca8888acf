#pragma once
// A lamp with a caption: lit in its on-colour while checked, else in its off-colour.

#include <QColor>
#include <QWidget>

namespace zuvo {

class LedIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(bool checked READ isChecked WRITE setChecked)
    Q_PROPERTY(QColor colorOn READ colorOn WRITE setColorOn)
    Q_PROPERTY(QColor colorOff READ colorOff WRITE setColorOff)
    Q_PROPERTY(Shape shape READ shape WRITE setShape)
    Q_PROPERTY(QSize ledSize READ ledSize WRITE setLedSize)
    Q_PROPERTY(Placement placement READ placement WRITE setPlacement)
    Q_PROPERTY(int spacing READ spacing WRITE setSpacing)

public:
    enum class Shape { Round, Square, Rectangle };
    Q_ENUM(Shape)
    // Where the lamp sits relative to the caption.
    enum class Placement { Left, Above, Below };
    Q_ENUM(Placement)

    explicit LedIndicator(QWidget* parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool isChecked() const { return checked_; }
    void setChecked(bool checked);
    QColor colorOn() const { return colorOn_; }
    void setColorOn(const QColor& color);
    QColor colorOff() const { return colorOff_; }
    void setColorOff(const QColor& color);
    Shape shape() const { return shape_; }
    void setShape(Shape shape);
    QSize ledSize() const { return ledSize_; }
    void setLedSize(const QSize& size);
    Placement placement() const { return placement_; }
    void setPlacement(Placement placement);
    int spacing() const { return spacing_; }
    void setSpacing(int spacing);

    // The colour the lamp shows now.
    QColor currentColor() const { return checked_ ? colorOn_ : colorOff_; }
    // Where the lamp is drawn inside the widget.
    QRect ledRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    bool checked_ = false;
    QColor colorOn_{0, 255, 0};
    QColor colorOff_{0, 128, 0};
    Shape shape_ = Shape::Round;
    QSize ledSize_{13, 13};
    Placement placement_ = Placement::Left;
    int spacing_ = 5;
};

} // namespace zuvo
