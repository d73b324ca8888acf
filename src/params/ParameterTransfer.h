#pragma once
// Reads the parameter block from the controller and sends it back word by word.

namespace zuvo {

class TForm1;

class ParameterTransfer {
public:
    explicit ParameterTransfer(TForm1& form);

    void SaveParamClick();
    void ReadParamClick();

private:
    TForm1& form_;
};

} // namespace zuvo
