#pragma once
// Analog output scaling and the thrust-overload settings.

namespace zuvo {

class TForm1;

class AnalogThrustPage {
public:
    explicit AnalogThrustPage(TForm1& form);

    void AnalogPos1Change();
    void AnalogPos2Change();

private:
    TForm1& form_;
};

} // namespace zuvo
