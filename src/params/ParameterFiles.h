#pragma once
// Saves parameter sets to parameter files and loads them again; checks block files.

namespace zuvo {

class TForm1;

class ParameterFiles {
public:
    explicit ParameterFiles(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
