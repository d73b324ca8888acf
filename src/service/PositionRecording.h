#pragma once
// Records, draws and saves the position over time.

namespace zuvo {

class TForm1;

class PositionRecording {
public:
    explicit PositionRecording(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
