// The main window as a user meets it: where its controls are, its views, its file commands and
// its own gestures.

#include "app/TForm1.h"
#include "app/pages/ParameterFiles.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <optional>

using namespace zuvo;
using namespace std::chrono_literals;

namespace {

class WindowTest : public ::testing::Test {
protected:
    template <typename T = QWidget> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    TForm1 form;
};

// Every control with a place in the window's design, where that design puts it: x, y relative
// to its parent, and its size where the design gives one (0 x 0: none given). Labels keep
// their corner and take the size of their text.
struct Place {
    const char* name;
    int x;
    int y;
    int width = 0;
    int height = 0;
};

const Place kPlaces[] = {
    // Header strip, regions and right column.
    {"AbLED1", 5, 3, 124, 20},
    {"Label15", 118, 7},
    {"VersionA", 186, 7},
    {"LMDLabel1", 575, 6},
    {"Label5", 663, 29},
    {"PageControl1", 16, 29, 625, 380},
    {"AbPanel1", 650, 48, 104, 38},
    {"APos", 7, 7, 90, 24},
    {"AbBevel1", 687, 92, 27, 262},
    {"ABSPos", 692, 97, 16, 252},
    {"Label27", 656, 360},
    {"Panel1", 17, 409, 624, 39},
    // Bottom panel.
    {"Image3", 3, 3, 152, 35},
    {"ReadParam", 216, 6, 177, 27},
    {"SaveParam", 416, 6, 177, 27},
    // Page 0, "Cylinder Settings".
    {"Laenge", 15, 16, 41, 21},
    {"UpDown2", 56, 16, 16, 21},
    {"Label2", 76, 20},
    {"Turns", 15, 48, 41, 21},
    {"UpDown1", 56, 48, 15, 21},
    {"Label3", 75, 52},
    {"TB", 17, 83, 171, 17},
    {"BT", 17, 100, 171, 17},
    {"ExtRef", 18, 123, 177, 17},
    {"Winkel", 229, 8, 137, 129},
    {"LMDButton1", 230, 146, 137, 41},
    {"Bevel1", 225, 200, 138, 65},
    {"ADJ", 229, 202, 135, 59},
    {"Label17", 261, 274},
    {"Label18", 297, 274},
    {"AbLED2", 16, 203, 129, 17},
    {"AbLED3", 16, 219, 129, 17},
    {"Button2", 152, 201, 65, 17},
    {"Button3", 152, 218, 65, 17},
    {"AbLED4", 16, 240, 185, 17},
    {"AbLED7", 16, 256, 185, 17},
    {"AbLED5", 16, 272, 185, 17},
    {"AbLED6", 16, 288, 185, 17},
    {"Label7", 431, 6},
    {"Label11", 548, 7},
    {"Reed1", 431, 23, 139, 50},
    {"Reed2", 431, 66, 139, 51},
    {"AbCompass1", 448, 125, 113, 113},
    {"AbValueInd1", 464, 248, 86, 34},
    {"AbValueInd2", 470, 288, 76, 34},
    {"Image4", 581, 32, 12, 256},
    {"Image6", 593, 32, 4, 256},
    {"Image5", 603, 32, 12, 256},
    // Page 1, "Digital Output Configuration" (the switch grid is checked by its rule below).
    {"Label4", 88, 11},
    {"LMDSimpleLabel9", 40, 40},
    {"LMDSimpleLabel8", 40, 72},
    {"LMDSimpleLabel7", 40, 104},
    {"LMDSimpleLabel6", 40, 136},
    {"LMDSimpleLabel5", 40, 168},
    {"LMDSimpleLabel4", 40, 200},
    {"Image1", 88, 56, 450, 170},
    {"DOPos1", 111, 226, 50, 21},
    {"DOPos2", 161, 226, 50, 21},
    {"DOPos3", 211, 226, 50, 21},
    {"DOPos4", 261, 226, 50, 21},
    {"DOPos5", 311, 226, 50, 21},
    {"DOPos6", 361, 226, 50, 21},
    {"DOPos7", 411, 226, 50, 21},
    {"DOPos8", 461, 226, 50, 21},
    {"P_EXT", 113, 227, 47, 19},
    {"Label1", 251, 250},
    {"Label8", 22, 235},
    {"AbGradient1", -8, 249, 97, 47},
    {"Bevel10", 89, 264, 451, 18},
    {"AbGradient2", 90, 264, 450, 18},
    {"Image2", 89, 264, 450, 25},
    {"Label9", 92, 282},
    {"LabelLaength", 496, 284},
    {"Label12", 557, 213},
    {"Hysterese", 558, 228, 35, 21},
    {"Label13", 596, 231},
    {"LMDSimpleLabel11", 193, 326},
    {"DIG4", 298, 323, 90, 21},
    {"LMDSimpleLabel10", 398, 316},
    {"ISpur", 570, 322, 45, 21},
    // Page 2, "Analog Output Configuration".
    {"Label6", 208, 16},
    {"LMDSimpleLabel3", 32, 30},
    {"AnalogComboBox1", 32, 49, 73, 21},
    {"AnalogPos1", 236, 49, 14, 211},
    {"AbBevel2", 251, 49, 38, 211},
    {"AnalogV", 256, 55, 27, 200},
    {"AnalogPos2", 292, 49, 14, 211},
    {"LMDSimpleLabel1", 312, 48},
    {"L_UP", 316, 64},
    {"LMDSimpleLabel2", 152, 244},
    {"L_LP", 156, 257},
    {"GroupBox1", 400, 24, 161, 265},
    {"Label10", 17, 23},
    {"Label16", 48, 24},
    {"Kali_4mA", 22, 38, 14, 211},
    {"Kali_10V", 61, 37, 14, 211},
    {"K1", 13, 249},
    {"K2", 58, 249},
    {"Kalibrierung", 96, 224, 43, 25},
    // Page 3, "Thrust Overload".
    {"AnlaufE", 40, 40, 185, 61},
    {"AnlaufS", 240, 40, 177, 61},
    {"Label14", 423, 47},
    {"Label24", 41, 152},
    {"Anlauf1", 212, 150, 41, 21},
    {"UpDown3", 253, 150, 16, 21},
    {"Label21", 273, 153},
    {"Label23", 41, 224},
    {"AnlaufZ2", 207, 220, 201, 27},
    {"Label20", 410, 225},
    {"Label22", 41, 256},
    {"AnlaufZ1", 207, 252, 201, 27},
    {"Label19", 410, 257},
    // Page 4, "Test-Values".
    {"Memo4", 11, 8, 190, 337},
    {"Button10", 224, 12, 153, 25},
    // Service-mode text boxes beyond the client width.
    {"Memo1", 769, 8, 167, 113},
    {"Memo2", 769, 126, 167, 113},
    {"Memo3", 770, 247, 167, 194},
    // Update view.
    {"GroupBox2", 240, 160, 257, 73},
    {"Label25", 12, 19},
    {"Label26", 4, 35},
    {"Button5", 168, 16, 75, 25},
    // Recording view's button strip.
    {"Button6", 20, 5, 75, 25},
    {"Button8", 96, 5, 75, 25},
    {"Button7", 174, 5, 75, 25},
    {"Label28", 307, 10},
    {"LMDSpinEdit1", 359, 6, 73, 21},
    {"Button9", 683, 5, 75, 25},
};

TEST_F(WindowTest, ControlsSitWhereTheLayoutPutsThem) {
    for (const Place& place : kPlaces) {
        const QWidget* widget = control(place.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->pos(), QPoint(place.x, place.y)) << place.name;
        if (place.width > 0) {
            EXPECT_EQ(widget->size(), QSize(place.width, place.height)) << place.name;
        }
    }
    // Vertical separators between the segments of the switch grid.
    for (int i = 0; i < 8; ++i) {
        const QByteArray name = QStringLiteral("Bevel%1").arg(i + 2).toLatin1();
        const QWidget* bevel = control(name.constData());
        ASSERT_NE(bevel, nullptr);
        EXPECT_EQ(bevel->pos(), QPoint(136 + 50 * i, 34)) << name.constData();
        EXPECT_EQ(bevel->height(), 200) << name.constData();
    }
    // Switch grid: output r in row 196 - 32(r-1), segment c in column 87 + 50(c-1).
    for (int r = 1; r <= 6; ++r) {
        for (int c = 1; c <= 9; ++c) {
            const QByteArray name = QStringLiteral("D%1%2").arg(r).arg(c).toLatin1();
            const QWidget* button = control(name.constData());
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->geometry(), QRect(87 + 50 * (c - 1), 196 - 32 * (r - 1), 50, 22))
                << name.constData();
        }
    }
    // The update view's progress bar lies along its group box's bottom edge.
    const QWidget* progress = control("ProgressBar1");
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->size(), QSize(253, 17));
    EXPECT_LE(progress->parentWidget()->height() - progress->geometry().bottom(), 3);
}

TEST_F(WindowTest, LabelsGrowWithTheirLiveText) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    struct Change {
        const char* name;
        const char* text;
    };
    for (const Change& c : {Change{"Label18", "3600 RPM "}, Change{"L_UP", "10000 mm"},
                            Change{"Label11", "7"}, Change{"VersionA", "V12.345"}}) {
        auto* label = control<QLabel>(c.name);
        ASSERT_NE(label, nullptr);
        const QPoint corner = label->pos();
        label->show();
        label->setText(c.text);
        const int needed = label->fontMetrics().horizontalAdvance(c.text);
        QTRY_VERIFY2(label->width() >= needed, c.name);
        EXPECT_EQ(label->pos(), corner) << c.name;
    }
}

TEST_F(WindowTest, StatusTextSurvivesMenuHover) {
    auto* status = control<QStatusBar>("StatusBar1");
    status->showMessage("ComPort not available");
    QStatusTipEvent tip{QString()}; // what a hovered menu item sends
    QApplication::sendEvent(&form, &tip);
    EXPECT_EQ(status->currentMessage(), "ComPort not available");
}

// Each file command opens a dialog for its own kind of file, in the folder the program runs in.
TEST_F(WindowTest, EachFileCommandOffersItsOwnKindOfFile) {
    struct Offered {
        QFileDialog::AcceptMode mode;
        QStringList filters;
        QString suffix;
        QString folder;
    };
    std::optional<Offered> offered;
    const auto note = [&offered](const QFileDialog& dialog) {
        offered = Offered{dialog.acceptMode(), dialog.nameFilters(), dialog.defaultSuffix(),
                          dialog.directory().absolutePath()};
    };
    // The editor's commands ask through their prompts; the update runs its dialog itself.
    form.parameterFiles().prompts.chooseFile = [&note](QFileDialog& dialog) {
        note(dialog);
        return QString(); // cancelled
    };
    // The update lets pending events run before its dialog opens: watch until it is there.
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&note, &watch] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            watch.stop();
            note(*dialog);
            dialog->reject();
        }
    });
    const struct {
        const char* action;
        QFileDialog::AcceptMode mode;
        const char* filter;
        const char* suffix;
        bool modal;
    } commands[] = {
        {"ReadfromINIFile1", QFileDialog::AcceptOpen, "Zuvo data file (*.ZDF)", "ZDF", false},
        {"Save1", QFileDialog::AcceptSave, "Zuvo data file (*.ZDF)", "ZDF", false},
        {"FlashUpdate1", QFileDialog::AcceptOpen, "BIN-Dateien (*.BIN)", "BIN", true},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.action);
        offered.reset();
        if (c.modal) {
            watch.start();
        }
        control<QAction>(c.action)->trigger();
        ASSERT_TRUE(offered);
        EXPECT_EQ(offered->mode, c.mode);
        EXPECT_EQ(offered->filters, QStringList{c.filter});
        EXPECT_EQ(offered->suffix, c.suffix);
        EXPECT_EQ(offered->folder, QDir::current().absolutePath());
    }
    // Cancelled: the window is back in its normal view.
    EXPECT_EQ(form.views().current(), View::Normal);
}

// A position or hysteresis of zero reads as the desktop writes numbers, not as the form's "0,00".
TEST(WindowLocaleTest, ZeroEditsShowTheDesktopsDecimalSeparator) {
    const QLocale saved;
    for (const QLocale& locale : {QLocale(QLocale::German, QLocale::Germany),
                                  QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(locale);
        TForm1 form;
        const QString zero = QStringLiteral("0") + locale.decimalPoint() + QStringLiteral("00");
        for (const char* name : {"DOPos1", "DOPos4", "DOPos8", "Hysterese"}) {
            EXPECT_EQ(form.findChild<QLineEdit*>(name)->text(), zero)
                << name << " " << locale.name().toStdString();
        }
    }
    QLocale::setDefault(saved);
}

TEST_F(WindowTest, CentredOnFirstShow) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QPoint centre = form.screen()->availableGeometry().center();
    const QPoint offset = form.frameGeometry().center() - centre;
    EXPECT_LE(offset.manhattanLength(), 2);
}

TEST_F(WindowTest, ViewsShowTheirPanelsAndHideTheRest) {
    struct Expect {
        View view;
        bool pages, bottom, update, recording;
    };
    for (const Expect& e : {Expect{View::Update, false, true, true, false},
                            Expect{View::Recording, false, false, false, true},
                            Expect{View::Normal, true, true, false, false}}) {
        form.views().show(e.view);
        EXPECT_EQ(form.views().current(), e.view);
        EXPECT_EQ(!control("PageControl1")->isHidden(), e.pages);
        EXPECT_EQ(!control("Panel1")->isHidden(), e.bottom);
        EXPECT_EQ(!control("GroupBox2")->isHidden(), e.update);
        EXPECT_EQ(!control("Panel2")->isHidden(), e.recording);
        EXPECT_EQ(!control("Panel3")->isHidden(), e.recording);
    }
}

TEST_F(WindowTest, RecordingViewFollowsTheWindowSize) {
    form.views().show(View::Recording);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.resize(form.width() + 100, form.height() + 50);
    QTRY_COMPARE(control("ClientArea")->width(), 862);
    const QWidget* client = control("ClientArea");
    const QWidget* strip = control("Panel3");
    EXPECT_EQ(control("Panel2")->geometry(),
              QRect(0, 0, client->width(), client->height() - Views::kStripHeight));
    EXPECT_EQ(strip->geometry(), QRect(0, client->height() - Views::kStripHeight, client->width(),
                                       Views::kStripHeight));
    EXPECT_EQ(strip->width() - control("Button9")->geometry().left(), 762 - 683);
    QTRY_COMPARE(control("Image7")->size(), control("Panel2")->size());
}

TEST_F(WindowTest, DoubleClickOnEitherStripCopiesTheLiveStrip) {
    auto* live = control<PictureBox>("Image4");
    auto* marker = control<PictureBox>("Image6");
    auto* copy = control<PictureBox>("Image5");
    live->canvas().fill(QColor(0, 0, 255));
    QPainter(&live->canvas()).fillRect(0, 100, 12, 20, QColor(255, 0, 0));
    marker->canvas().fill(QColor(0, 255, 0));

    QTest::mouseDClick(marker, Qt::LeftButton);
    EXPECT_EQ(copy->picture(), live->picture());
    EXPECT_NE(copy->picture(), marker->picture());

    // The copy stays as it was until the next snapshot.
    live->canvas().fill(QColor(255, 255, 0));
    EXPECT_EQ(copy->picture().pixelColor(0, 110), QColor(255, 0, 0));
    QTest::mouseDClick(live, Qt::LeftButton);
    EXPECT_EQ(copy->picture().pixelColor(0, 110), QColor(255, 255, 0));
}

TEST_F(WindowTest, WebLabelOpensTheMakersAddress) {
    QList<QUrl> opened;
    form.webLink().setOpener([&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    auto* label = control<QLabel>("LMDLabel1");
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(label, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), WebLink::address());
    EXPECT_EQ(label->text(), WebLink::address().host());
}

} // namespace
