#pragma once
// Maps the parameter block to the editor pages and back; stroke and turns.

#include "app/pages/EditorControls.h"
#include "app/pages/FileProblemMarks.h"
#include "params/ParameterValues.h"
#include "params/UnitConversions.h"
#include "widgets/UpDownSpinner.h"

#include <optional>
#include <vector>

class QLineEdit;

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

    // Editor pages to parameter words; false (and nothing changed) while an edit holds a value
    // that cannot be used, or a control still shows a file's value that could not be taken as
    // written: the edit turns red and refusalText() says why, so that nothing unusable is sent
    // or saved.
    bool SetVars();
    // Why the last SetVars refused the pages: each unusable field, with the parameter file's key
    // when the value came from a file and is still shown as loaded, and each file value the
    // pages could not take.
    QString refusalText() const;

    // The pages' values as the controls hold them.
    ParameterValues pageValues() const;
    // Puts values on the pages in one fixed order; every control set runs its own change
    // reaction. The sensor position shown is the values' one, whatever the RPM's reaction
    // chose. The caller holds a ShowingValues and puts the block's positions back afterwards.
    void showValues(const ParameterValues& values);
    // A value just shown from a parameter file that cannot be used: while its edit still shows
    // it, refusals name it as `origin` (e.g. [ZYLINDER] LENGTH="0" in set.ZDF).
    void noteFileOrigin(ValueField field, const QString& origin);
    // Every key of a file just shown that cannot be used as written (loadProblems): its controls
    // turn red with the reason as their tooltip; an edit that holds the value names the key in
    // refusals while it shows it, any other control keeps the set from being sent or saved
    // until the user changes it.
    void noteFileProblems(const std::vector<FileProblem>& problems, const QString& fileName);
    // Forgets the marks and origins of the last file: another file or a block is shown.
    void clearFileProblems();
    // The edit that holds a field.
    QLineEdit* editOf(ValueField field) const;
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
    void markHysteresis();
    // Red when the field's own rule or a mark of a file says so.
    void colourEdit(QLineEdit* edit, bool usable, PageControl control);

    struct FileOrigin {
        ValueField field;
        QString shownText; // the edit's text when the file was shown
        QString origin;
    };

    TForm1& form_;
    EditorControls controls_;
    int showingDepth_ = 0;
    // Made before the pages' own reactions are connected, so that a change first drops a mark
    // and the reaction then colours the control by its own rule.
    FileProblemMarks fileMarks_;
    Geometry working_;
    QStringList refusals_;
    std::vector<FileOrigin> fileOrigins_;
};

} // namespace zuvo
