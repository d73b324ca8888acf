#include "app/pages/DigitalOutputPage.h"

#include "app/TForm1.h"
#include "app/pages/EditorMapping.h"
#include "params/ComboIndex.h"
#include "params/EditorModel.h"
#include "params/EditorText.h"
#include "params/SwitchGrid.h"
#include "params/SwitchRuler.h"
#include "service/MillimetreText.h"
#include "widgets/PictureBox.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

#include <QComboBox>
#include <QDropEvent>
#include <QPainter>

namespace zuvo {

namespace {

// Ticks run from the top of the ruler down to this row.
constexpr int kTickBottom = 17;

} // namespace

DigitalOutputPage::DigitalOutputPage(TForm1& form, EditorModel& model)
    : form_(form), model_(model) {
    Ui::TForm1& ui = *form_.ui;
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
    connect(ui.Hysterese, &QLineEdit::textChanged, this, [this] {
        model_.setHysteresis(
            neutralDecimalText(form_.ui->Hysterese->text(), systemDecimalSeparator()));
    });
    connect(ui.DIG4, &QComboBox::currentIndexChanged, this, [this] {
        model_.setDigitalOutput4(comboIndex(form_.ui->DIG4, DigitalOutput4SearchLimit));
    });
    connect(ui.ISpur, &QComboBox::currentIndexChanged, this,
            [this] { model_.setImpulses(comboIndex(form_.ui->ISpur, ImpulseSearchLimit)); });
    // Choosing the item a box shows already ends a file's mark on it too.
    connect(ui.DIG4, &QComboBox::activated, this,
            [this] { model_.touched(PageControl::DigitalOutput4); });
    connect(ui.ISpur, &QComboBox::activated, this,
            [this] { model_.touched(PageControl::Impulses); });
    // The ruler stays as the form has it until the model first changes.
    connect(&model_, &EditorModel::changed, this, [this] { showModel(); });
}

void DigitalOutputPage::showModel() {
    Ui::TForm1& ui = *form_.ui;
    const ParameterValues& values = model_.values();
    const QChar separator = systemDecimalSeparator();
    const EditorControls& controls = form_.editorMapping().controls();
    // In order: each position's colour compares it with the one before as it is shown.
    for (int k = 1; k <= SwitchPositions; ++k) {
        QLineEdit* edit = controls.switchPosition(k);
        const QString& mm = values.switchPositionsMm[static_cast<std::size_t>(k - 1)];
        if (neutralDecimalText(edit->text(), separator) != mm) {
            edit->setText(shownDecimalText(mm, separator));
        }
    }
    if (neutralDecimalText(ui.Hysterese->text(), separator) != values.hysteresisMm) {
        ui.Hysterese->setText(shownDecimalText(values.hysteresisMm, separator));
    }
    const bool hysteresisUsable =
        zuvo::hysteresisUsable(values.hysteresisMm, model_.workingGeometry());
    setEditColor(ui.Hysterese,
                 hysteresisUsable && !model_.marked(PageControl::Hysteresis) ? tc::White : tc::Red);
    if (comboIndex(ui.DIG4, DigitalOutput4SearchLimit) != values.digitalOutput4) {
        showComboItem(ui.DIG4, values.digitalOutput4);
    }
    if (comboIndex(ui.ISpur, ImpulseSearchLimit) != values.impulses) {
        showComboItem(ui.ISpur, values.impulses);
    }
    if (!rulerStroke_ || values.switchPositionsMm != rulerPositions_ ||
        model_.workingGeometry().strokeMm != *rulerStroke_) {
        PaintL();
    }
}

void DigitalOutputPage::Action1Execute(PictureToggleButton* sender) {
    sender->setValue(toggledGridButton(sender->value()));
}

void DigitalOutputPage::DOPosChange(int k) {
    const EditorControls& controls = form_.editorMapping().controls();
    QLineEdit* edit = controls.switchPosition(k);
    // The model first: a file's mark on the edit comes off before the edit is coloured.
    model_.setSwitchPosition(k, neutralDecimalText(edit->text(), systemDecimalSeparator()));

    const std::optional<double> mm = editorDecimal(edit->text());
    std::uint32_t color = tc::White;
    const std::optional<double> previous =
        k >= 2 ? editorDecimal(controls.switchPosition(k - 1)->text()) : std::nullopt;
    const SwitchPositionCheck check = checkSwitchPosition(edit->text(), model_.workingGeometry());
    if (!switchPositionUsable(check)) {
        color = tc::Red; // no number, negative but not -1, or beyond the stroke
    } else if (check == SwitchPositionCheck::NotSet) {
        color = tc::Silver;
    } else if (previous && *mm < *previous) {
        color = tc::Red;
    }
    setEditColor(edit, color);
}

void DigitalOutputPage::DOPosDragDrop(int k) {
    form_.editorMapping().controls().switchPosition(k)->setText(
        millimetreText(form_.State.PositionMm, systemDecimalSeparator()));
}

void DigitalOutputPage::PaintL() {
    PictureBox* ruler = form_.ui->Image2;
    QImage& canvas = ruler->canvas();
    canvas.fill(tcolor(tc::Silver));
    QPainter painter(&canvas);
    painter.setPen(QPen(Qt::black, 1));
    const ParameterValues& values = model_.values();
    const std::int64_t stroke = model_.workingGeometry().strokeMm;
    rulerPositions_ = values.switchPositionsMm;
    rulerStroke_ = stroke;
    for (int k = 1; k <= SwitchPositions; ++k) {
        const std::optional<double> mm =
            editorDecimal(values.switchPositionsMm[static_cast<std::size_t>(k - 1)]);
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
