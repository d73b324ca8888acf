#pragma once
// Maps the parameter block to the editor pages and back; stroke and turns.

namespace zuvo {

class TForm1;

class EditorMapping {
public:
    explicit EditorMapping(TForm1& form);

    // Editor pages to parameter words; false (and nothing changed) while the stroke or the
    // turns are not valid, so that nothing unusable is sent or saved.
    bool SetVars();
    // Switch positions and segment masks to the switch grid.
    void GetVars();
    // A block read from the controller to the editor pages.
    void ShowReceivedBlock();

private:
    TForm1& form_;
};

} // namespace zuvo
