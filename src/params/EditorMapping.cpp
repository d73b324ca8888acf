#include "params/EditorMapping.h"

#include "app/TForm1.h"

namespace zuvo {

EditorMapping::EditorMapping(TForm1& form) : form_(form) {}

} // namespace zuvo
