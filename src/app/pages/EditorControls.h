#pragma once
// The editor pages' repeated controls, found once by their component names: the switch-position
// edits DOPos1..DOPos8 and the switch-grid buttons Drc.

#include "params/SwitchGrid.h"

#include <array>
#include <cstdint>

class QComboBox;
class QLineEdit;

namespace zuvo {

class PictureToggleButton;
class TForm1;

struct EditorControls {
    explicit EditorControls(TForm1& form);

    // Switch position k = 1..8.
    QLineEdit* switchPosition(int k) const { return switchPositions_[k - 1]; }
    // The button of output r = 1..6 in segment c = 1..9.
    PictureToggleButton* gridButton(int r, int c) const { return grid_[r - 1][c - 1]; }

private:
    std::array<QLineEdit*, 8> switchPositions_{};
    std::array<std::array<PictureToggleButton*, GridSegments>, GridOutputs> grid_{};
};

// The background of an edit in a TColor.
void setEditColor(QLineEdit* edit, std::uint32_t color);

// Shows item `index` of a combo box; an index it has no item for shows item 0, which is also
// what reading the box back gives.
void showComboItem(QComboBox* box, int index);
// The item index of a combo box by its text, searching its own items up to `limit`.
int comboIndex(const QComboBox* box, int limit);

} // namespace zuvo
