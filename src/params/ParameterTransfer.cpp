#include "params/ParameterTransfer.h"

#include "app/TForm1.h"

namespace zuvo {

ParameterTransfer::ParameterTransfer(TForm1& form) : form_(form) {}

} // namespace zuvo
