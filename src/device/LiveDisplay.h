#pragma once
// Shows the controller's live state and handles the gestures on those displays.

namespace zuvo {

class TForm1;

class LiveDisplay {
public:
    explicit LiveDisplay(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
