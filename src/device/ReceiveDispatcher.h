#pragma once
// Takes the serial port's receive notifications and applies what they bring to the window.

namespace zuvo {

class TForm1;

class ReceiveDispatcher {
public:
    explicit ReceiveDispatcher(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
