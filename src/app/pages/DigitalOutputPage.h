#pragma once
// The switch positions, the hysteresis, the output switch grid, the functions of outputs 4..6 and
// the ruler of the Digital Output page, bound to the editor model.

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class QDropEvent;

namespace zuvo {

class EditorModel;
class PictureToggleButton;
class TForm1;

class DigitalOutputPage : public QObject {
    Q_OBJECT

public:
    DigitalOutputPage(TForm1& form, EditorModel& model);

    // A click on any of the 54 grid buttons: it flips the output's state in its segment.
    void Action1Execute(PictureToggleButton* sender);
    // DOPos1Change..DOPos8Change: switch position k (1..8) was edited. Its colour is decided
    // here, when its own text changes: grey when not set, red when it cannot be used or lies
    // before switch position k - 1.
    void DOPosChange(int k);
    // DOPos1DragDrop..DOPos8DragDrop: the current position dropped onto switch position k.
    void DOPosDragDrop(int k);
    // Redraws the ruler: one tick per switch position, on the scale of the working stroke.
    void PaintL();

protected:
    // Drag-over and drop on the switch-position edits.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The page's controls follow the model; a control whose value the model holds already is
    // left alone.
    void showModel();

    TForm1& form_;
    EditorModel& model_;
    // What the ruler was last drawn from; no stroke before the first drawing.
    std::array<QString, 8> rulerPositions_;
    std::optional<std::int64_t> rulerStroke_;
};

} // namespace zuvo
