#include "widgets/LabelAutoSize.h"

#include <QEvent>
#include <QLabel>
#include <QSet>

namespace zuvo {

namespace {

bool isAutoSized(const QObject* object) {
    const auto* label = qobject_cast<const QLabel*>(object);
    return label && label->property("autoSize").toBool();
}

void fit(QLabel* label) {
    const QSize wanted = label->sizeHint();
    if (label->size() != wanted) {
        label->resize(wanted);
    }
}

} // namespace

void LabelAutoSize::apply(QWidget* root) {
    auto* follower = new LabelAutoSize(root);
    QSet<QWidget*> parents;
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (!isAutoSized(label)) {
            continue;
        }
        fit(label);
        // A visible label's new text reaches its parent as a layout request; a hidden one is
        // fitted when it is shown.
        label->installEventFilter(follower);
        if (QWidget* parent = label->parentWidget(); parent && !parents.contains(parent)) {
            parents.insert(parent);
            parent->installEventFilter(follower);
        }
    }
}

bool LabelAutoSize::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && isAutoSized(watched)) {
        fit(static_cast<QLabel*>(watched));
    } else if (event->type() == QEvent::LayoutRequest) {
        for (QObject* child : watched->children()) {
            if (isAutoSized(child)) {
                fit(static_cast<QLabel*>(child));
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zuvo
