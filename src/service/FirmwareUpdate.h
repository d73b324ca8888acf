#pragma once
// Writes a firmware image to the controller's bootloader.

namespace zuvo {

class TForm1;

class FirmwareUpdate {
public:
    explicit FirmwareUpdate(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
