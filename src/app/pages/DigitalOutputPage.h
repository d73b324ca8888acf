#pragma once
// The switch positions, the output switch grid and the ruler of the Digital Output page.

#include <QObject>

class QDropEvent;

namespace zuvo {

class PictureToggleButton;
class TForm1;

class DigitalOutputPage : public QObject {
    Q_OBJECT

public:
    explicit DigitalOutputPage(TForm1& form);

    // A click on any of the 54 grid buttons: it flips the output's state in its segment.
    void Action1Execute(PictureToggleButton* sender);
    // DOPos1Change..DOPos8Change: switch position k (1..8) was edited.
    void DOPosChange(int k);
    // DOPos1DragDrop..DOPos8DragDrop: the current position dropped onto switch position k.
    void DOPosDragDrop(int k);
    // Redraws the ruler: one tick per switch position.
    void PaintL();

protected:
    // Drag-over and drop on the switch-position edits.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TForm1& form_;
};

} // namespace zuvo
