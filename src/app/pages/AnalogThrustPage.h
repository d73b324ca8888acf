#pragma once
// Analog output scaling and the thrust-overload settings, and the external reference switch.

namespace zuvo {

class TForm1;

class AnalogThrustPage {
public:
    explicit AnalogThrustPage(TForm1& form);

    // The analog range bars: each drags the other along so the minimum never stays above the
    // maximum. They react only from the window's first showing on.
    void AnalogPos1Change();
    void AnalogPos2Change();
    // The RPM selects the speed sensor's position: below 150 RPM the end of the gear unit.
    void Anlauf1Change();
    // The RPM spinner steps by 50 on the motor axis, by 1 at the end of the gear unit.
    void AnlaufSClick();
    // The rush-in delay labels.
    void AnlaufZ1Change();
    void AnlaufZ2Change();
    // The external reference panel over switch position 1.
    void ExtRefClick();

private:
    TForm1& form_;
};

} // namespace zuvo
