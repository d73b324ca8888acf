#pragma once
// Maps the parameter block to the editor pages and back; stroke and turns.

#include "params/EditorControls.h"
#include "params/UnitConversions.h"
#include "widgets/UpDownSpinner.h"

#include <optional>

namespace zuvo {

class TForm1;

class EditorMapping {
public:
    explicit EditorMapping(TForm1& form);

    // While one lives, values are being put on the pages (a received block, a parameter file):
    // the stroke edit's change reaction then leaves the words as they are instead of
    // recomputing them from pages that are only half filled. Nests.
    class ShowingValues {
    public:
        explicit ShowingValues(EditorMapping& mapping);
        ~ShowingValues();
        ShowingValues(const ShowingValues&) = delete;
        ShowingValues& operator=(const ShowingValues&) = delete;

    private:
        EditorMapping& mapping_;
    };
    bool showingValues() const { return showingDepth_ > 0; }

    // Editor pages to parameter words; false (and nothing changed) while the stroke or the
    // turns are not valid, so that nothing unusable is sent or saved.
    bool SetVars();
    // Switch positions and segment masks to the switch grid.
    void GetVars();
    // A block read from the controller to the editor pages.
    void ShowReceivedBlock();

    void LaengeChange();
    void TurnsChange();
    // The stroke spinner only tells the direction; the turns spinner is bound to its edit.
    void UpDown2ChangingEx(bool* allowChange, int newValue, UpDownDirection direction);
    void UpDown1ChangingEx(bool* allowChange, int newValue, UpDownDirection direction);

    // Stroke and turns as the edits hold them, when they are usable.
    std::optional<Geometry> editedGeometry() const;
    // What the pages convert with: the edits' geometry, or the last usable one while an edit
    // holds a stroke or turns that are not (the stroke label shows that one too).
    Geometry workingGeometry() const { return working_; }

    const EditorControls& controls() const { return controls_; }

private:
    void markGeometryEdits();

    TForm1& form_;
    EditorControls controls_;
    Geometry working_;
    int showingDepth_ = 0;
};

} // namespace zuvo
