#include "app/pages/DigitalOutputPage.h"

#include "app/TForm1.h"
#include "app/pages/EditorMapping.h"
#include "params/EditorText.h"
#include "params/SwitchGrid.h"
#include "params/SwitchRuler.h"
#include "service/MillimetreText.h"
#include "widgets/PictureBox.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

#include <QDropEvent>
#include <QPainter>

namespace zuvo {

namespace {

// Ticks run from the top of the ruler down to this row.
constexpr int kTickBottom = 17;

} // namespace

DigitalOutputPage::DigitalOutputPage(TForm1& form) : form_(form) {
    const EditorControls& controls = form_.editorMapping().controls();
    for (int r = 1; r <= GridOutputs; ++r) {
        for (int c = 1; c <= GridSegments; ++c) {
            PictureToggleButton* button = controls.gridButton(r, c);
            if (r == 1 && c == 1) {
                // D11 goes through the window's action, which toggles it like any other.
                connect(button, &QAbstractButton::clicked, form_.ui->Action1, &QAction::trigger);
                connect(form_.ui->Action1, &QAction::triggered, this,
                        [this, button] { Action1Execute(button); });
            } else {
                connect(button, &QAbstractButton::clicked, this,
                        [this, button] { Action1Execute(button); });
            }
        }
    }
    for (int k = 1; k <= 8; ++k) {
        QLineEdit* edit = controls.switchPosition(k);
        connect(edit, &QLineEdit::textChanged, this, [this, k] { DOPosChange(k); });
        edit->setAcceptDrops(true);
        edit->installEventFilter(this);
    }
}

void DigitalOutputPage::Action1Execute(PictureToggleButton* sender) {
    sender->setValue(toggledGridButton(sender->value()));
}

void DigitalOutputPage::DOPosChange(int k) {
    const EditorMapping& mapping = form_.editorMapping();
    const EditorControls& controls = mapping.controls();
    QLineEdit* edit = controls.switchPosition(k);
    const std::optional<double> mm = editorDecimal(edit->text());

    // The pages convert with the last usable stroke while the stroke edit holds none. A text that
    // is no number yet ("-" while typing -1) counts as not set until it is one; a send refuses it.
    form_.Params.SwitchPositionCounts[switchPositionEntry(k)] =
        mm ? EditorCounts(*mm, mapping.workingGeometry()).value_or(*mm < 0 ? -1 : 0)
           : std::int64_t{-1};

    std::uint32_t color = tc::White;
    const std::optional<double> previous =
        k >= 2 ? editorDecimal(controls.switchPosition(k - 1)->text()) : std::nullopt;
    const SwitchPositionCheck check = checkSwitchPosition(edit->text(), mapping.workingGeometry());
    if (!switchPositionUsable(check)) {
        color = tc::Red; // no number, negative but not -1, or beyond the stroke
    } else if (check == SwitchPositionCheck::NotSet) {
        color = tc::Silver;
    } else if (previous && *mm < *previous) {
        color = tc::Red;
    }
    setEditColor(edit, color);

    form_.editorMapping().GetVars();
    PaintL();
}

void DigitalOutputPage::DOPosDragDrop(int k) {
    form_.editorMapping().controls().switchPosition(k)->setText(
        millimetreText(form_.link().snapshot().state.PositionMm, systemDecimalSeparator()));
}

void DigitalOutputPage::PaintL() {
    PictureBox* ruler = form_.ui->Image2;
    QImage& canvas = ruler->canvas();
    canvas.fill(tcolor(tc::Silver));
    QPainter painter(&canvas);
    painter.setPen(QPen(Qt::black, 1));
    const EditorControls& controls = form_.editorMapping().controls();
    const std::int64_t stroke = form_.editorMapping().workingGeometry().strokeMm;
    for (int k = 1; k <= 8; ++k) {
        const std::optional<double> mm = editorDecimal(controls.switchPosition(k)->text());
        const std::optional<int> x = mm ? rulerTickX(*mm, canvas.width(), stroke) : std::nullopt;
        if (x) {
            painter.drawLine(*x, 0, *x, kTickBottom);
        }
    }
    painter.end();
    ruler->update();
}

bool DigitalOutputPage::eventFilter(QObject* watched, QEvent* event) {
    const EditorControls& controls = form_.editorMapping().controls();
    for (int k = 1; k <= 8; ++k) {
        if (watched != controls.switchPosition(k)) {
            continue;
        }
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            // Anything dragged may be dropped; the drop always takes the current position.
            static_cast<QDropEvent*>(event)->acceptProposedAction();
            return true;
        case QEvent::Drop:
            static_cast<QDropEvent*>(event)->acceptProposedAction();
            DOPosDragDrop(k);
            return true;
        default:
            return false;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zuvo
