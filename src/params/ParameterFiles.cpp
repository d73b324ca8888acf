#include "params/ParameterFiles.h"

#include "app/TForm1.h"

namespace zuvo {

ParameterFiles::ParameterFiles(TForm1& form) : form_(form) {}

} // namespace zuvo
