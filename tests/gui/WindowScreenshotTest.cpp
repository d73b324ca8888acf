// Pictures of the window for people to look at (written beside the test executable, not kept in
// the repository), and the checks that catch what a picture would show as clipped.

#include "app/TForm1.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace zuvo;

namespace {

// Controls that are placed partly outside their parent on purpose: the service-mode text
// boxes lie beyond the client width, and the drawn cylinder body starts left of its page.
bool outsideOnPurpose(const QWidget* widget) {
    static const QStringList names{"Memo1", "Memo2", "Memo3", "AbGradient1"};
    return names.contains(widget->objectName());
}

class WindowScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        pages = form.findChild<QTabWidget*>("PageControl1");
        ASSERT_NE(pages, nullptr);
        // Everything that can be shown at once, so that the pictures show every control.
        form.serviceMode().setOn(true);
        pages->setTabVisible(4, true);
        for (const char* name : {"AbValueInd1", "AbValueInd2", "VersionA", "Label27"}) {
            form.findChild<QWidget*>(name)->show();
        }
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // Every named control of the current page and the window frame.
    QList<QWidget*> namedControls() const {
        QList<QWidget*> found;
        for (QWidget* widget : form.findChildren<QWidget*>()) {
            if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_") &&
                widget->isVisible()) {
                found << widget;
            }
        }
        return found;
    }

    TForm1 form;
    QTabWidget* pages = nullptr;
};

TEST_F(WindowScreenshotTest, EveryPageIsWrittenAsAPicture) {
    const QDir out(QCoreApplication::applicationDirPath());
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        const QImage shot = form.grab().toImage();
        ASSERT_EQ(shot.size(), form.size());
        // Something was drawn: a blank picture would be a single colour.
        const QColor corner = shot.pixelColor(0, 0);
        bool varied = false;
        for (int y = 0; y < shot.height() && !varied; y += 7) {
            for (int x = 0; x < shot.width() && !varied; x += 7) {
                varied = shot.pixelColor(x, y) != corner;
            }
        }
        EXPECT_TRUE(varied) << page;
        const QString file = out.filePath(QStringLiteral("window-page%1.png").arg(page));
        EXPECT_TRUE(shot.save(file)) << file.toStdString();
    }
}

TEST_F(WindowScreenshotTest, NoControlIsCutByItsParent) {
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        for (const QWidget* widget : namedControls()) {
            const QWidget* parent = widget->parentWidget();
            if (!parent || widget->isWindow() || outsideOnPurpose(widget) ||
                parent->objectName() == "qt_tabwidget_stackedwidget") {
                continue;
            }
            EXPECT_TRUE(parent->rect().contains(widget->geometry()))
                << widget->objectName().toStdString() << " in "
                << parent->objectName().toStdString();
        }
    }
}

TEST_F(WindowScreenshotTest, CaptionsFitTheirControls) {
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        for (QWidget* widget : namedControls()) {
            const QFontMetrics metrics(widget->font());
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                const QRect box = label->contentsRect();
                const int wrap = label->wordWrap() ? Qt::TextWordWrap : 0;
                const QRect needed = metrics.boundingRect(
                    QRect(0, 0, wrap ? box.width() : 10000, 10000), wrap, label->text());
                EXPECT_GE(box.width(), needed.width()) << label->objectName().toStdString();
                EXPECT_GE(box.height(), needed.height() - 1) << label->objectName().toStdString();
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                if (button->text().isEmpty()) {
                    continue;
                }
                // Check boxes and radio buttons need room for their indicator too.
                const int needed = metrics.horizontalAdvance(button->text()) +
                                   (qobject_cast<QPushButton*>(button) ? 4 : 20);
                EXPECT_GE(button->width(), needed) << button->objectName().toStdString();
            } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
                // Every item fits the text field beside the drop-down arrow. (The style's
                // size hint asks for spare room besides; the window's design gives the combo
                // boxes their own sizes.)
                QStyleOptionComboBox option;
                option.initFrom(combo);
                option.editable = combo->isEditable();
                const QRect field = combo->style()->subControlRect(
                    QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
                for (int i = 0; i < combo->count(); ++i) {
                    EXPECT_GE(field.width(), metrics.horizontalAdvance(combo->itemText(i)))
                        << combo->objectName().toStdString() << " "
                        << combo->itemText(i).toStdString();
                }
            }
        }
    }
}

} // namespace
