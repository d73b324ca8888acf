#pragma once
// Binds the Cylinder Settings page (stroke, turns, direction) and the switch grid to the editor
// model, marks the values of a file that cannot be used as written, and says why the pages
// cannot be sent or saved.

#include "app/pages/EditorControls.h"
#include "app/pages/FileProblemMarks.h"
#include "params/EditorModel.h"
#include "params/UnitConversions.h"
#include "widgets/UpDownSpinner.h"

#include <optional>

class QLineEdit;

namespace zuvo {

class TForm1;

class EditorMapping {
public:
    EditorMapping(TForm1& form, EditorModel& model);

    // Whether the model can be sent or saved as it stands. False while a field holds a value that
    // cannot be used, or a control still shows a file's value that could not be taken as
    // written: the refused switch positions turn red and refusalText() says why.
    bool checkPages();
    // checkPages, then the model's words 1..36 and positions into the program's block, as
    // "Save to File" and the calibration keep it; false and the block unchanged while refused.
    // A send takes its words from the model itself.
    bool SetVars();
    // Why the last check refused the pages: each unusable field, with the parameter file's key
    // while the value is still the file's, and each file value the pages could not take.
    QString refusalText() const;

    // The edit that holds a field.
    QLineEdit* editOf(ValueField field) const;
    // The switch grid and the analog function box as the model holds them.
    void GetVars();
    // The block read from the controller, stored in the program's block, to the model (and so
    // to the pages).
    void ShowReceivedBlock();

    // The edits' and spinners' changes, into the model.
    void LaengeChange();
    void TurnsChange();
    // The stroke spinner only tells the direction; the turns spinner is bound to its edit.
    void UpDown2ChangingEx(bool* allowChange, int newValue, UpDownDirection direction);
    void UpDown1ChangingEx(bool* allowChange, int newValue, UpDownDirection direction);

    // Stroke and turns as the pages hold them, when they are usable.
    std::optional<Geometry> editedGeometry() const;
    // What the pages convert with: the edits' geometry, or the last usable one while an edit
    // holds a stroke or turns that are not (the stroke label shows that one too).
    Geometry workingGeometry() const { return model_.workingGeometry(); }

    const EditorControls& controls() const { return controls_; }

private:
    // The page's controls follow the model; a control whose value the model holds already is
    // left alone, so the one being typed into keeps its text and cursor.
    void showModel();
    // Red when the field cannot be used or a file's mark is on it.
    void colourEdit(QLineEdit* edit, bool usable, PageControl control);

    TForm1& form_;
    EditorModel& model_;
    EditorControls controls_;
    // Made before the pages follow the model, so that a mark is off before a page colours its
    // control by its own rule.
    FileProblemMarks fileMarks_;
    QStringList refusals_;
};

} // namespace zuvo
