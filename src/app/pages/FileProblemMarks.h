#pragma once
// Marks on the editor pages for the values of a parameter file that cannot be used as written:
// the controls that show such a value turn red, with the reason and the file's key as their
// tooltip, until the user changes one of them, or another file or a received block is shown.

#include "params/FileProblem.h"

#include <QPalette>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

class QWidget;

namespace zuvo {

class TForm1;
struct EditorControls;

class FileProblemMarks {
public:
    // `showing` tells when the program is putting values on the pages: changes then are not
    // the user's.
    FileProblemMarks(TForm1& form, const EditorControls& controls, std::function<bool()> showing);

    void note(const FileProblem& problem, const QString& fileName);
    // Forgets every mark (another file or a block is shown); the controls get back what they
    // had before they were marked.
    void clear();

    // The values the pages could not take as written (not the edits that hold theirs): why each
    // keeps the set from being sent or saved, naming the file's key.
    QStringList refusals() const;
    // Whether a control is marked.
    bool marks(PageControl control) const;

private:
    struct Noted {
        FileProblem problem;
        QString text;
    };
    struct Before {
        QPalette palette;
        bool autoFill = false;
        QString toolTip;
    };

    std::vector<QWidget*> widgetsOf(PageControl control) const;
    void watch(PageControl control);
    void userChanged(PageControl control);
    void paint(QWidget* widget);

    TForm1& form_;
    const EditorControls& controls_;
    std::function<bool()> showing_;
    std::vector<Noted> noted_;
    std::map<QWidget*, Before> before_; // the marked widgets
};

} // namespace zuvo
