#include "device/SectorAnalysis.h"

#include "app/TForm1.h"

namespace zuvo {

SectorAnalysis::SectorAnalysis(TForm1& form) : form_(form) {}

} // namespace zuvo
