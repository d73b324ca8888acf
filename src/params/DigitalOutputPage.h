#pragma once
// The switch positions, the output switch grid and the ruler of the Digital Output page.

namespace zuvo {

class TForm1;

class DigitalOutputPage {
public:
    explicit DigitalOutputPage(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
