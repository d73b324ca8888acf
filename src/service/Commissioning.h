#pragma once
// Zero position, analog output calibration, relay tests and test data.

namespace zuvo {

class TForm1;

class Commissioning {
public:
    explicit Commissioning(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
