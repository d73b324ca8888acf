#pragma once
// A pair of arrow buttons that step a position within a range. Before every step it reports the
// proposed new position and the direction through `changing`; a handler that clears *allow
// refuses the step. The proposal is position ± increment before clamping, so that a step
// against a limit still tells which arrow was pressed.
//
// Bound to an edit, the spinner takes the edit's number as its position before each step and
// writes the new position back into the edit.

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QTimer;

namespace zuvo {

enum class UpDownDirection { None, Up, Down };

class UpDownSpinner : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int increment READ increment WRITE setIncrement)
    Q_PROPERTY(int position READ position WRITE setPosition)
    Q_PROPERTY(bool thousands READ thousands WRITE setThousands)

public:
    explicit UpDownSpinner(QWidget* parent = nullptr);

    int minimum() const { return minimum_; }
    void setMinimum(int minimum);
    int maximum() const { return maximum_; }
    void setMaximum(int maximum);
    int increment() const { return increment_; }
    void setIncrement(int increment);
    int position() const { return position_; }
    // Clamped to the range; reports nothing (only steps ask first).
    void setPosition(int position);
    // Whether the number written into the bound edit carries thousands separators.
    bool thousands() const { return thousands_; }
    void setThousands(bool thousands);

    QLineEdit* associate() const { return associate_; }
    // The edit's current text is left as it is until the first step.
    void setAssociate(QLineEdit* edit);

    // One step as the arrow buttons make it; returns whether it was taken.
    bool step(UpDownDirection direction);

signals:
    void changing(bool* allow, int newValue, zuvo::UpDownDirection direction);
    // After a step has been taken.
    void positionStepped(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect arrowRect(UpDownDirection direction) const;
    int positionFromAssociate() const;
    void writeAssociate();

    int minimum_ = 0;
    int maximum_ = 100;
    int increment_ = 1;
    int position_ = 0;
    bool thousands_ = true;
    QPointer<QLineEdit> associate_;
    UpDownDirection pressed_ = UpDownDirection::None;
    QTimer* repeat_;
};

} // namespace zuvo

Q_DECLARE_METATYPE(zuvo::UpDownDirection)
