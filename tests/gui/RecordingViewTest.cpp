// The position recording view: entry from the position readout, the traces on the picture, the
// buttons, and the recording file in the working folder.

#include "app/TForm1.h"
#include "app/service/PositionRecording.h"
#include "widgets/ClickLabel.h"
#include "widgets/PictureBox.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zuvo;

namespace {

class RecordingViewTest : public ::testing::Test {
protected:
    RecordingViewTest() : previousFolder(QDir::currentPath()) {
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        QDir::setCurrent(folder.path());
        recording().setMessageFn([this](const QString& text) { messages << text; });
    }
    ~RecordingViewTest() override {
        QDir::setCurrent(previousFolder);
        QLocale::setDefault(QLocale::c());
    }

    template <typename T = QWidget> T* child(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    PositionRecording& recording() { return form.positionRecording(); }

    void enterView() {
        form.serviceMode().setOn(true);
        QTest::mouseDClick(child<ClickLabel>("APos"), Qt::LeftButton);
        ASSERT_EQ(form.views().current(), View::Recording);
    }

    void click(const char* button) { child<QPushButton>(button)->click(); }

    const QImage& picture() { return child<PictureBox>("Image7")->picture(); }

    // Columns of the picture that hold anything but white.
    std::vector<int> drawnColumns() {
        const QImage& image = picture();
        std::vector<int> columns;
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                if (image.pixelColor(x, y) != Qt::white) {
                    columns.push_back(x);
                    break;
                }
            }
        }
        return columns;
    }

    // The one recording file in the working folder.
    QByteArray savedFile() {
        const QStringList files = QDir(folder.path()).entryList({"WEG*.txt"}, QDir::Files);
        EXPECT_EQ(files.size(), 1) << files.join(' ').toStdString();
        if (files.size() != 1) {
            return {};
        }
        EXPECT_TRUE(QRegularExpression("^WEG\\d{6}\\.txt$").match(files[0]).hasMatch());
        QFile file(folder.filePath(files[0]));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    const QString previousFolder;
    QTemporaryDir folder;
    TForm1 form;
    QStringList messages;
};

TEST_F(RecordingViewTest, DoubleClickOnThePositionOpensTheViewOnlyInServiceMode) {
    QTest::mouseDClick(child<ClickLabel>("APos"), Qt::LeftButton);
    EXPECT_EQ(form.views().current(), View::Normal);

    form.serviceMode().setOn(true);
    child("AbValueInd1")->show();
    QTest::mouseDClick(child<ClickLabel>("APos"), Qt::LeftButton);
    EXPECT_EQ(form.views().current(), View::Recording);
    EXPECT_FALSE(form.serviceMode().isOn());
    EXPECT_TRUE(child("AbValueInd1")->isHidden());
    EXPECT_TRUE(child("AbValueInd2")->isHidden());
    EXPECT_TRUE(child("PageControl1")->isHidden());
    EXPECT_TRUE(child("Panel1")->isHidden());
    EXPECT_FALSE(child("Panel3")->isHidden());
    EXPECT_TRUE(recording().isRecording());
}

TEST_F(RecordingViewTest, TheViewStartsAsAWhiteEmptyPictureOfThePanelsSize) {
    enterView(); // no "Clear" yet
    const QImage& image = picture();
    ASSERT_EQ(image.size(), child("Panel2")->size());
    EXPECT_TRUE(drawnColumns().empty());
    // What the window shows there is that picture, not the form behind it.
    const QImage shown = child("Panel2")->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, 5), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(5, shown.height() - 5), QColor(Qt::white));
}

TEST_F(RecordingViewTest, OneColumnPerSampleAndSweepsDrawOverTheOldPicture) {
    enterView();
    click("Button6");
    const int width = child("Panel2")->width();
    const int height = child("Panel2")->height();
    recording().takeSample(0, 0.0);
    EXPECT_TRUE(drawnColumns().empty()) << "the first sample after Clear draws nothing";
    recording().takeSample(512, 0.5);
    EXPECT_EQ(drawnColumns(), (std::vector<int>{1, 2}));
    // Red from the bottom edge up to half the height, blue above the middle (the count grew).
    EXPECT_EQ(picture().pixelColor(2, height - height / 2), QColor(Qt::red));
    EXPECT_EQ(picture().pixelColor(2, height / 2 - 3), QColor(Qt::blue));

    for (int n = 3; n < width; ++n) {
        recording().takeSample(512, 0.5);
    }
    const auto fullSweep = drawnColumns();
    recording().takeSample(0, 0.0); // sample W: x = 0, nothing drawn, a new sweep
    EXPECT_EQ(drawnColumns(), fullSweep);
    recording().takeSample(1024, 1.0);
    EXPECT_EQ(picture().pixelColor(1, 0), QColor(Qt::red)) << "the full stroke at the top";
    EXPECT_EQ(picture().pixelColor(width - 1, height - height / 2), QColor(Qt::red))
        << "the old sweep stays";
}

TEST_F(RecordingViewTest, SavedTurnsUseTheSystemsDecimalSeparator) {
    struct Case {
        QLocale locale;
        const char* text;
    };
    const Case cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates),
         "1.00  0.00\r\n1.50  0.50\r\n1.00  -0.50\r\n"},
        {QLocale(QLocale::German, QLocale::Germany), "1,00  0,00\r\n1,50  0,50\r\n1,00  -0,50\r\n"},
    };
    enterView();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        click("Button6");
        for (const std::int32_t counts : {1024, 1536, 1024}) {
            recording().takeSample(counts, 0.0); // no turns known: the file still has them
        }
        click("Button7");
        EXPECT_EQ(savedFile(), QByteArray(c.text));
        EXPECT_TRUE(messages.isEmpty());
        for (const QString& name : QDir(folder.path()).entryList({"WEG*.txt"})) {
            QFile::remove(folder.filePath(name));
        }
    }
}

TEST_F(RecordingViewTest, AfterTheWrapOnlyNewSamplesAreSaved) {
    enterView();
    for (int n = 0; n < 20000 + 3; ++n) {
        recording().takeSample(n % 2 == 0 ? 0 : 1024, 0.0);
    }
    click("Button7");
    EXPECT_EQ(savedFile(), QByteArray("0.00  0.00\r\n1.00  1.00\r\n0.00  -1.00\r\n"));
}

TEST_F(RecordingViewTest, StopStartsAndStopsTheSamples) {
    enterView();
    click("Button8");
    EXPECT_EQ(child<QPushButton>("Button8")->text(), "START");
    EXPECT_FALSE(recording().isRecording());
    click("Button8");
    EXPECT_EQ(child<QPushButton>("Button8")->text(), "STOP");
    EXPECT_TRUE(recording().isRecording());
}

TEST_F(RecordingViewTest, FailedSaveTellsTheUserAndKeepsTheSamples) {
    enterView();
    click("Button6");
    recording().takeSample(2048, 0.0);
    {
        QTemporaryDir gone;
        QDir::setCurrent(gone.path());
    } // the working folder no longer exists
    click("Button7");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("WEG"));

    QDir::setCurrent(folder.path());
    click("Button7");
    EXPECT_EQ(savedFile(), QByteArray("2.00  0.00\r\n"));
}

TEST_F(RecordingViewTest, ExitClearsAndReturnsToTheNormalView) {
    enterView();
    recording().takeSample(0, 0.0);
    recording().takeSample(1024, 0.5);
    ASSERT_FALSE(drawnColumns().empty());
    click("Button9");
    EXPECT_EQ(form.views().current(), View::Normal);
    EXPECT_FALSE(form.serviceMode().isOn());
    EXPECT_FALSE(recording().isRecording());
    EXPECT_TRUE(drawnColumns().empty());
    EXPECT_EQ(recording().record().count(), 0);
}

} // namespace
