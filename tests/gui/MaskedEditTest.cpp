// The masked number edits of the editor pages, typed into and pasted into as a user does.

#include "gui/EditorPagesTestFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <QToolTip>

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

// How a row puts its input into the edit.
enum class Entry {
    Type,    // key by key at the end of the text
    Commit,  // one input-method commit at the end of the text, as a compose or IME does
    Paste,   // Ctrl+V over the whole text
    Insert,  // Ctrl+V at the end of the text
    Replace, // typed over the whole text
    Erase,   // Backspace at the end of the text
    Set,     // the program sets it, as a file or a block does
};

// Typed characters outside ASCII arrive as key events that carry their text.
void typeText(QLineEdit* edit, const QString& keys) {
    for (const QChar c : keys) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

void enter(QLineEdit* edit, Entry entry, const QString& input) {
    edit->setFocus();
    edit->end(false);
    switch (entry) {
    case Entry::Type:
        typeText(edit, input);
        break;
    case Entry::Commit: {
        QInputMethodEvent event;
        event.setCommitString(input);
        QApplication::sendEvent(edit, &event);
        break;
    }
    case Entry::Paste:
        edit->selectAll();
        [[fallthrough]];
    case Entry::Insert:
        QApplication::clipboard()->setText(input);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        break;
    case Entry::Replace:
        edit->selectAll();
        typeText(edit, input);
        break;
    case Entry::Erase:
        QTest::keyClick(edit, Qt::Key_Backspace);
        break;
    case Entry::Set:
        edit->setText(input);
        break;
    }
}

// Every refused entry leaves the text as it was and says why at the edit; an accepted one takes
// the text whole. '#' in a row stands for the desktop's decimal separator, '~' for the other mark.
TEST(MaskedEdit, RefusedEntriesSayWhyAndLeaveTheTextAsItWas) {
    enum Field { Position, Hysteresis, Stroke, Turns };
    struct Row {
        Field field;
        const char* start;
        Entry entry;
        const char* input;
        const char* text;   // afterwards
        const char* reason; // a part of the shown reason; none when accepted
    };
    using enum Entry;
    const std::vector<Row> everywhere = {
        {Position, "", Type, "250#75", "250#75", nullptr},
        {Position, "250", Type, "~", "250", "Use '#' as the decimal separator"},
        // Key by key, the other mark is refused where it is typed and the tip stays up.
        {Position, "", Type, "250~75", "25075", "Use '#' as the decimal separator"},
        {Position, "300", Paste, "250~75", "300", "Use '#' as the decimal separator"},
        {Position, "", Commit, "250~75", "", "Use '#' as the decimal separator"},
        {Position, "300", Paste, "1e3", "300", "No exponents"},
        {Position, "1", Type, "e", "1", "No exponents"},
        {Position, "1", Commit, "e3", "1", "No exponents"},
        {Position, "12#34", Type, "5", "12#34", "2 decimals at most"},
        {Position, "12#", Type, "#", "12#", "One decimal separator only"},
        {Position, "-1", Type, "-", "-1", "One '-' at most"},
        {Position, "", Type, "-1", "-1", nullptr},
        {Position, "300", Paste, "12#75", "12#75", nullptr},
        {Position, "300", Paste, "-1", "-1", nullptr},
        {Position, "12", Insert, "#5", "12#5", nullptr},
        {Position, "12#34", Erase, "", "12#3", nullptr},
        {Position, "12#34", Replace, "-1", "-1", nullptr},
        {Position, "12#34", Replace, "e", "12#34", "is not part of a number"},
        {Position, "12", Insert, "#5~", "12", "Use '#' as the decimal separator"},
        {Position, "300", Set, "250~75", "250~75", nullptr},
        {Position, "300", Set, "1e3", "1e3", nullptr},
        // Text the program set that the mask cannot hold stays editable, so nothing is refused.
        {Position, "abc", Type, "1", "abc1", nullptr},
        {Hysteresis, "", Type, "-", "", "No sign"},
        {Hysteresis, "0#1", Paste, "-0#5", "0#1", "No sign"},
        {Hysteresis, "0#1", Paste, "0#25", "0#25", nullptr},
        {Stroke, "5", Type, "#", "5", "Whole numbers only"},
        {Stroke, "5", Type, "~", "5", "Whole numbers only"},
        {Stroke, "500", Paste, "1 000", "500", "No blanks or digit grouping"},
        {Stroke, "12345", Type, "6", "12345", "5 digits at most"},
        {Stroke, "500", Paste, "750", "750", nullptr},
        {Turns, "60", Type, "x", "60", "'x' is not part of a number"},
        {Turns, "60", Type, "-", "60", "No sign"},
    };
    const std::vector<Row> groupsWithBlanks = {
        {Position, "", Type, "\u2212", "", "Type the minus as '-'"},
        {Position, "500", Paste, "1\u00A0000", "500", "No blanks or digit grouping"},
        {Stroke, "500", Paste, "1\u00A0000", "500", "No blanks or digit grouping"},
    };
    const std::vector<Row> arabicDigits = {
        {Position, "12", Type, ",", "12", "Use '#' as the decimal separator"},
        {Position, "", Type, "\u0661", "", "Use the digits 0-9"},
        {Position, "300", Paste, "\u0662\u0665\u0660\u066B\u0667\u0665", "300",
         "Use the digits 0-9"},
        {Stroke, "500", Paste, "1\u066C000", "500", "No blanks or digit grouping"},
    };
    const std::vector<Row> pointGroups = {
        {Stroke, "500", Paste, "1.000", "500", "Whole numbers only"},
        {Position, "500", Paste, "1.000", "500", "Use ',' as the decimal separator"},
    };
    const std::vector<Row> none;
    const struct {
        const char* locale;
        QChar other;
        const std::vector<Row>& rows;
    } locales[] = {
        {"en_US", ',', none},
        {"C", ',', none},
        {"de_DE", '.', pointGroups},
        {"sv_SE", '.', groupsWithBlanks},
        {"fi_FI", '.', groupsWithBlanks},
        {"ar_EG", '.', arabicDigits},
    };
    for (const auto& l : locales) {
        EditorPages pages{QLocale(QString::fromLatin1(l.locale))};
        const QString separator = QLocale().decimalPoint();
        const auto placed = [&](const char* text) {
            QString placedText = QString::fromUtf8(text);
            placedText.replace(QLatin1Char('#'), separator);
            placedText.replace(QLatin1Char('~'), l.other);
            return placedText;
        };
        const auto editOf = [&](Field field) -> QLineEdit* {
            switch (field) {
            case Position:
                return pages.switchPosition(3);
            case Hysteresis:
                return pages.ui.Hysterese;
            case Stroke:
                return pages.ui.Laenge;
            case Turns:
                return pages.ui.Turns;
            }
            return nullptr;
        };
        std::vector<Row> rows = everywhere;
        rows.insert(rows.end(), l.rows.begin(), l.rows.end());
        for (const Row& row : rows) {
            const QString input = placed(row.input);
            SCOPED_TRACE(std::string(l.locale) + " " + std::to_string(int(row.entry)) + " '" +
                         placed(row.start).toStdString() + "' + '" + input.toStdString() + "'");
            QLineEdit* edit = editOf(row.field);
            edit->setText(placed(row.start));
            // A tip that an accepted entry leaves alone and a refused one replaces.
            const QString untouched = QStringLiteral("untouched");
            QToolTip::showText(edit->mapToGlobal(QPoint()), untouched, edit);
            enter(edit, row.entry, input);
            EXPECT_EQ(edit->text(), placed(row.text));
            if (row.reason == nullptr) {
                EXPECT_EQ(QToolTip::text(), untouched);
            } else {
                EXPECT_TRUE(QToolTip::isVisible());
                EXPECT_TRUE(QToolTip::text().contains(placed(row.reason)))
                    << QToolTip::text().toStdString();
            }
        }
    }
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
