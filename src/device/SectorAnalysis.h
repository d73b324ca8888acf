#pragma once
// The reed-switch sector trace, edge logs and sector check on the Cylinder Settings page.

namespace zuvo {

class TForm1;

class SectorAnalysis {
public:
    explicit SectorAnalysis(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
