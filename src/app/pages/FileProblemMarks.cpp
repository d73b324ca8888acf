#include "app/pages/FileProblemMarks.h"

#include "app/TForm1.h"
#include "app/pages/EditorControls.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

#include <algorithm>

namespace zuvo {

FileProblemMarks::FileProblemMarks(TForm1& form, const EditorControls& controls)
    : form_(form), controls_(controls) {}

std::vector<QWidget*> FileProblemMarks::widgetsOf(PageControl control) const {
    Ui::TForm1& ui = *form_.ui;
    if (const int c = segmentOf(control)) {
        std::vector<QWidget*> column;
        for (int r = 1; r <= GridOutputs; ++r) {
            column.push_back(controls_.gridButton(r, c));
        }
        return column;
    }
    if (const int k = switchPositionOf(control)) {
        return {controls_.switchPosition(k)};
    }
    switch (control) {
    case PageControl::Stroke:
        return {ui.Laenge};
    case PageControl::Turns:
        return {ui.Turns};
    case PageControl::Direction:
        return {ui.TB, ui.BT};
    case PageControl::Hysteresis:
        return {ui.Hysterese};
    case PageControl::AnalogFunction:
        return {ui.AnalogComboBox1};
    case PageControl::DigitalOutput4:
        return {ui.DIG4};
    case PageControl::Impulses:
        return {ui.ISpur};
    case PageControl::ExternalReference:
        return {ui.ExtRef};
    case PageControl::ThrustOverload:
        return {ui.AnlaufE};
    case PageControl::SensorPosition:
        return {ui.AnlaufS};
    case PageControl::RushInRetract:
        return {ui.AnlaufZ1};
    case PageControl::RushInExtend:
        return {ui.AnlaufZ2};
    case PageControl::ThrustLimit:
        return {ui.Anlauf1};
    case PageControl::AnalogMin:
        return {ui.AnalogPos1};
    case PageControl::AnalogMax:
        return {ui.AnalogPos2};
    default:
        return {};
    }
}

void FileProblemMarks::show(const std::vector<NotedFileProblem>& problems) {
    if (problems == shown_) {
        return;
    }
    std::vector<QWidget*> touched;
    for (const auto& [widget, before] : before_) {
        touched.push_back(widget);
    }
    shown_ = problems;
    for (const NotedFileProblem& noted : shown_) {
        for (const PageControl control : noted.problem.controls) {
            const std::vector<QWidget*> widgets = widgetsOf(control);
            touched.insert(touched.end(), widgets.begin(), widgets.end());
        }
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    for (QWidget* widget : touched) {
        paint(widget);
    }
}

// A marked control gets a red background and the reasons of every mark on it as its tooltip; an
// unmarked one what it had before.
void FileProblemMarks::paint(QWidget* widget) {
    QStringList reasons;
    bool replaced = false;
    for (const NotedFileProblem& noted : shown_) {
        for (const PageControl control : noted.problem.controls) {
            const std::vector<QWidget*> widgets = widgetsOf(control);
            if (std::find(widgets.begin(), widgets.end(), widget) != widgets.end()) {
                reasons << fileProblemText(noted.problem, noted.fileName);
                replaced = replaced || !noted.problem.held;
                break;
            }
        }
    }
    if (replaced) {
        reasons << QStringLiteral("The page does not show the file's value: set it to send or "
                                  "save the set.");
    }
    const auto found = before_.find(widget);
    if (reasons.isEmpty()) {
        if (found != before_.end()) {
            widget->setPalette(found->second.palette);
            widget->setAutoFillBackground(found->second.autoFill);
            widget->setToolTip(found->second.toolTip);
            before_.erase(found);
        }
        return;
    }
    if (found == before_.end()) {
        before_[widget] = {widget->palette(), widget->autoFillBackground(), widget->toolTip()};
    }
    QPalette palette = widget->palette();
    const QColor red = tcolor(tc::Red);
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window}) {
        palette.setColor(role, red);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    widget->setToolTip(reasons.join(QLatin1Char('\n')));
}

} // namespace zuvo
