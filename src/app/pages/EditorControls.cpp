#include "app/pages/EditorControls.h"

#include "app/TForm1.h"
#include "params/ComboIndex.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/TColor.h"

#include <QComboBox>
#include <QLineEdit>
#include <stdexcept>

namespace zuvo {

namespace {

template <typename T> T* named(TForm1& form, const QString& name) {
    T* found = form.findChild<T*>(name);
    if (found == nullptr) {
        throw std::logic_error("the form lacks " + name.toStdString());
    }
    return found;
}

} // namespace

EditorControls::EditorControls(TForm1& form) {
    for (int k = 1; k <= 8; ++k) {
        switchPositions_[k - 1] = named<QLineEdit>(form, QStringLiteral("DOPos%1").arg(k));
    }
    for (int r = 1; r <= GridOutputs; ++r) {
        for (int c = 1; c <= GridSegments; ++c) {
            grid_[r - 1][c - 1] =
                named<PictureToggleButton>(form, QStringLiteral("D%1%2").arg(r).arg(c));
        }
    }
}

void setEditColor(QLineEdit* edit, std::uint32_t color) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, tcolor(color));
    edit->setPalette(palette);
}

void showComboItem(QComboBox* box, int index) {
    box->setCurrentIndex(index < box->count() ? index : 0);
}

int comboIndex(const QComboBox* box, int limit) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return comboItemIndex(items, box->currentText(), limit);
}

} // namespace zuvo
