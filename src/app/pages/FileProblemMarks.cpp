#include "app/pages/FileProblemMarks.h"

#include "app/TForm1.h"
#include "app/pages/EditorControls.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/RadioGroup.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include <algorithm>

namespace zuvo {

namespace {

bool concerns(const FileProblem& problem, PageControl control) {
    return std::find(problem.controls.begin(), problem.controls.end(), control) !=
           problem.controls.end();
}

constexpr PageControl kLastControl = PageControl::SwitchPosition8;

} // namespace

FileProblemMarks::FileProblemMarks(TForm1& form, const EditorControls& controls,
                                   std::function<bool()> showing)
    : form_(form), controls_(controls), showing_(std::move(showing)) {
    for (int c = 0; c <= static_cast<int>(kLastControl); ++c) {
        watch(static_cast<PageControl>(c));
    }
}

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

// What the user does to each kind of control. Other reactions set some of them too (the grid
// follows every switch position, the RPM picks the sensor position, one analog bar drags the
// other): only the user's own act counts, so user-only signals are watched where they exist.
void FileProblemMarks::watch(PageControl control) {
    const auto changed = [this, control] { userChanged(control); };
    for (QWidget* widget : widgetsOf(control)) {
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            // Typed or stepped by its spinner; the program's own texts come while it shows values.
            QObject::connect(edit, &QLineEdit::textChanged, &form_, [this, changed] {
                if (!showing_()) {
                    changed();
                }
            });
        } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
            QObject::connect(box, &QComboBox::activated, &form_, changed);
        } else if (auto* slider = qobject_cast<QSlider*>(widget)) {
            QObject::connect(slider, &QSlider::actionTriggered, &form_, changed);
        } else if (qobject_cast<RadioGroup*>(widget) != nullptr) {
            for (QAbstractButton* button : widget->findChildren<QAbstractButton*>()) {
                QObject::connect(button, &QAbstractButton::clicked, &form_, changed);
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QObject::connect(button, &QAbstractButton::clicked, &form_, changed);
        }
    }
}

void FileProblemMarks::note(const FileProblem& problem, const QString& fileName) {
    noted_.push_back({problem, fileProblemText(problem, fileName)});
    for (const PageControl control : problem.controls) {
        for (QWidget* widget : widgetsOf(control)) {
            paint(widget);
        }
    }
}

void FileProblemMarks::clear() {
    noted_.clear();
    for (const auto& [widget, before] : before_) {
        widget->setPalette(before.palette);
        widget->setAutoFillBackground(before.autoFill);
        widget->setToolTip(before.toolTip);
    }
    before_.clear();
}

// A marked control gets a red background and the reasons of every mark on it as its tooltip; an
// unmarked one what it had before.
void FileProblemMarks::paint(QWidget* widget) {
    QStringList reasons;
    bool replaced = false;
    for (const Noted& noted : noted_) {
        for (const PageControl control : noted.problem.controls) {
            const std::vector<QWidget*> widgets = widgetsOf(control);
            if (std::find(widgets.begin(), widgets.end(), widget) != widgets.end()) {
                reasons << noted.text;
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

void FileProblemMarks::userChanged(PageControl control) {
    std::vector<QWidget*> touched;
    const auto end = std::remove_if(noted_.begin(), noted_.end(), [&](const Noted& noted) {
        if (!concerns(noted.problem, control)) {
            return false;
        }
        for (const PageControl other : noted.problem.controls) {
            const std::vector<QWidget*> widgets = widgetsOf(other);
            touched.insert(touched.end(), widgets.begin(), widgets.end());
        }
        return true;
    });
    if (end == noted_.end()) {
        return;
    }
    noted_.erase(end, noted_.end());
    for (QWidget* widget : touched) {
        paint(widget);
    }
}

QStringList FileProblemMarks::refusals() const {
    QStringList texts;
    for (const Noted& noted : noted_) {
        if (!noted.problem.held) {
            texts << noted.text;
        }
    }
    return texts;
}

bool FileProblemMarks::marks(PageControl control) const {
    return std::any_of(noted_.begin(), noted_.end(),
                       [control](const Noted& noted) { return concerns(noted.problem, control); });
}

} // namespace zuvo
