#pragma once
// Maps the parameter block to the editor pages and back; stroke and turns.

namespace zuvo {

class TForm1;

class EditorMapping {
public:
    explicit EditorMapping(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
