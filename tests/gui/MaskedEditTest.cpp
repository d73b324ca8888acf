// The masked number edits of the editor pages, typed into and pasted into as a user does.

#include "gui/EditorPagesTestFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

using namespace zuvo;
using zuvo::test::EditorPages;

namespace {

// Clears the edit and types `keys` into it, key by key.
QString typed(QLineEdit* edit, const QString& keys) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, keys);
    return edit->text();
}

// Replaces the edit's text with the clipboard's, as Ctrl+V does.
QString pasted(QLineEdit* edit, const QString& clipboard) {
    QApplication::clipboard()->setText(clipboard);
    edit->setFocus();
    edit->selectAll();
    edit->paste();
    return edit->text();
}

TEST(MaskedEdit, TypingRefusesWhatIsNoNumberOfTheEdit) {
    for (const QLocale& locale : {zuvo::test::kDecimalComma, zuvo::test::kDecimalPoint}) {
        SCOPED_TRACE(locale.name().toStdString());
        EditorPages pages(locale);
        const QString sep = locale.decimalPoint();
        const QString other = sep == "," ? "." : ",";
        QLineEdit* position = pages.switchPosition(3);
        EXPECT_EQ(typed(position, "12a"), "12");
        EXPECT_EQ(typed(position, "-1"), "-1");
        EXPECT_EQ(typed(position, "12" + sep + "345"), "12" + sep + "34");
        EXPECT_EQ(typed(position, "12" + other + "5"), "125"); // the other mark is refused
        EXPECT_EQ(typed(position, "1-2"), "12");
        EXPECT_EQ(typed(pages.ui.Hysterese, "-0" + sep + "25"), "0" + sep + "25");
        EXPECT_EQ(typed(pages.ui.Laenge, "5x00"), "500");
        EXPECT_EQ(typed(pages.ui.Laenge, "5" + sep + "5"), "55");
        EXPECT_EQ(typed(pages.ui.Turns, "-60"), "60");
        EXPECT_EQ(typed(pages.ui.Turns, "7000"), "6000"); // above the bound: the bound
    }
}

TEST(MaskedEdit, PastedTextIsTakenWholeOrNotAtAll) {
    EditorPages pages(zuvo::test::kDecimalComma);
    QLineEdit* position = pages.switchPosition(3);
    position->setText("300");
    EXPECT_EQ(pasted(position, "12a"), "300");
    EXPECT_EQ(pasted(position, "1.5"), "300");
    EXPECT_EQ(pasted(position, "12,75"), "12,75");
    EXPECT_EQ(pasted(position, "-1"), "-1");
    pages.ui.Laenge->setText("500");
    EXPECT_EQ(pasted(pages.ui.Laenge, "1 000"), "500");
    EXPECT_EQ(pasted(pages.ui.Laenge, "750"), "750");
    pages.ui.Hysterese->setText("0,10");
    EXPECT_EQ(pasted(pages.ui.Hysterese, "-0,5"), "0,10");
}

TEST(MaskedEdit, FilesAndBlocksStillFillThem) {
    EditorPages pages(zuvo::test::kDecimalComma);
    pages.switchPosition(3)->setText("abc"); // as a parameter file may hold it
    EXPECT_EQ(pages.switchPosition(3)->text(), "abc");
    EXPECT_EQ(EditorPages::background(pages.switchPosition(3)), tcolor(tc::Red));
    // Typed over, it takes numbers again.
    EXPECT_EQ(typed(pages.switchPosition(3), "250"), "250");
    EXPECT_EQ(EditorPages::background(pages.switchPosition(3)), tcolor(tc::White));
}

} // namespace
