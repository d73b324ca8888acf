#pragma once
// Carries the absolute position from an old control module to a new one.

namespace zuvo {

class TForm1;

class ModuleReplacement {
public:
    explicit ModuleReplacement(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
