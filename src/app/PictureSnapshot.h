#pragma once
// Keeps a copy of the live reed strip beside it, so that two sweeps can be compared.

namespace Ui {
class TForm1;
}

namespace zuvo {

class PictureSnapshot {
public:
    explicit PictureSnapshot(Ui::TForm1& ui);

    // Double-click on Image4 or on the narrow strip Image6 next to it: Image4's picture goes to
    // Image5 (never Image6's own).
    void Image4DblClick();

private:
    Ui::TForm1& ui_;
};

} // namespace zuvo
