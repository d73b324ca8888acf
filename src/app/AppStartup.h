#pragma once
// Start-up and shut-down of the main window: port choice, start values, the last grace period.

namespace zuvo {

class TForm1;

class AppStartup {
public:
    explicit AppStartup(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
