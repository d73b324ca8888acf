#pragma once
// Marks on the editor pages for the values of a parameter file that cannot be used as written:
// the controls that show such a value turn red, with the reason and the file's key as their
// tooltip, for as long as the editor model keeps the problem (until the user changes one of the
// values, or another file or a received block is shown).

#include "params/EditorModel.h"

#include <QPalette>
#include <QString>

#include <map>
#include <vector>

class QWidget;

namespace zuvo {

class TForm1;
struct EditorControls;

class FileProblemMarks {
public:
    FileProblemMarks(TForm1& form, const EditorControls& controls);

    // Marks the controls of `problems` and gives every control no longer marked back what it had
    // before it was marked.
    void show(const std::vector<NotedFileProblem>& problems);

private:
    struct Before {
        QPalette palette;
        bool autoFill = false;
        QString toolTip;
    };

    std::vector<QWidget*> widgetsOf(PageControl control) const;
    void paint(QWidget* widget);

    TForm1& form_;
    const EditorControls& controls_;
    std::vector<NotedFileProblem> shown_;
    std::map<QWidget*, Before> before_; // the marked widgets
};

} // namespace zuvo
