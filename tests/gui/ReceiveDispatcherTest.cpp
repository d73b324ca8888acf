// The receive notification end to end: bytes from the simulated controller on a pseudo-terminal
// into the window's buffer, recognised, decoded and shown.

#include "app/live/ReceiveDispatcher.h"
#include "ReceiveLink.h"
#include "app/live/LiveDisplay.h"
#include "device/RequestFrames.h"
#include "params/EditorModel.h"
#include "widgets/LedIndicator.h"
#include "widgets/RadioGroup.h"
#include "widgets/TColor.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

using namespace zuvo;
using namespace zuvo::test;

namespace {

class ReceiveDispatcherTest : public ReceiveLinkTest {};

std::vector<std::uint8_t> part(const std::vector<std::uint8_t>& bytes, std::size_t from,
                               std::size_t count) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

TEST_F(ReceiveDispatcherTest, StatusReplyInTwoPiecesIsDecodedOnceWhenComplete) {
    ASSERT_TRUE(seen().state.ReplyPending); // nothing has answered yet
    const auto reply = statusFrame(StatusFields().status(0x01).reedState(2).speed(700));
    ASSERT_EQ(reply.size(), 24u);

    ASSERT_TRUE(send(part(reply, 0, 10), [this] { return held() == 10; }));
    EXPECT_TRUE(seen().state.ReplyPending);
    EXPECT_EQ(control<LedIndicator>("AbLED1")->colorOff(),
              tcolor(0x0080FF)); // bytes, but no reply yet
    EXPECT_FALSE(control<LedIndicator>("AbLED1")->isChecked());
    EXPECT_NE(control<QLabel>("Label11")->text(), "2");

    ASSERT_TRUE(send(part(reply, 10, 14), [this] { return !seen().state.ReplyPending; }));
    EXPECT_EQ(held(), 0u);
    EXPECT_EQ(control<QLabel>("Label11")->text(), "2");
    EXPECT_TRUE(control<LedIndicator>("AbLED1")->isChecked());
    EXPECT_TRUE(polledAfterwards);
    EXPECT_EQ(pollIntervalAfterwards, Link::kStatusPollMs);
}

TEST_F(ReceiveDispatcherTest, GarbageInFrontOfAReply) {
    const auto reply = statusFrame(StatusFields().reedState(5));
    const std::vector<std::uint8_t> garbage30(30, 'Z');

    // 54 bytes are no known length: nothing is decoded, and the ETX at the end drops them all.
    ASSERT_TRUE(seen().state.ReplyPending); // nothing has answered yet
    ASSERT_TRUE(send(garbage30, [this] { return held() == 30; }));
    ASSERT_TRUE(send(part(reply, 0, 12), [this] { return held() == 42; }));
    ASSERT_TRUE(send(part(reply, 12, 12), [this] { return held() == 0; }));
    EXPECT_TRUE(seen().state.ReplyPending);
    EXPECT_NE(control<QLabel>("Label11")->text(), "5");

    // Beyond the longest reply the buffer is cut to the last STX, and the reply completes.
    const std::vector<std::uint8_t> garbage150(150, 'Z');
    ASSERT_TRUE(send(garbage150, [this] { return held() == 150; }));
    // Cut to the reply's own 10 bytes: its STX is in front.
    ASSERT_TRUE(send(part(reply, 0, 10), [this] { return held() == 10; }));
    ASSERT_TRUE(send(part(reply, 10, 14), [this] { return !seen().state.ReplyPending; }));
    EXPECT_EQ(control<QLabel>("Label11")->text(), "5");
    EXPECT_EQ(held(), 0u);
}

TEST_F(ReceiveDispatcherTest, LoneAcknowledgeSetsTheFlagAndEmptiesTheBuffer) {
    std::optional<Exchange> exchange = form.link().begin(QStringLiteral("test"));
    QTimer::singleShot(20, &form, [this] { link.sim.sendRaw({0x05}); });
    EXPECT_EQ(exchange->sendAndWaitForAck(writeWordFrame(1, 1)), LinkResult::Acknowledged);
    EXPECT_EQ(held(), 0u);
}

TEST_F(ReceiveDispatcherTest, MalformedFieldEndsTheDisplayButStillEndsTheSettleWait) {
    ASSERT_TRUE(sendStatus(StatusFields().reedState(1).speed(700)));
    const QString speedBefore = control<QLabel>("Label18")->text();

    auto reply = statusFrame(StatusFields().reedState(3).speed(500));
    reply[9] = 'G'; // the speed field
    ASSERT_TRUE(sendWhole(reply));
    EXPECT_EQ(control<QLabel>("Label11")->text(), "3"); // fields before it are shown
    EXPECT_EQ(control<QLabel>("Label18")->text(), speedBefore);
    EXPECT_EQ(pollIntervalAfterwards, kParkedPollMs); // the poll timer keeps its state

    // A command settling the link waits for the answer to the last poll; this one ends it.
    form.link().tick(); // a poll goes out to the silent controller
    ASSERT_TRUE(seen().state.ReplyPending);
    std::optional<Exchange> exchange = form.link().begin(QStringLiteral("test"));
    reply = statusFrame(StatusFields().reedState(4).speed(500));
    reply[9] = 'G';
    QTimer::singleShot(20, &form, [&] { link.sim.sendRaw(reply); });
    QElapsedTimer clock;
    clock.start();
    exchange->quiet();
    EXPECT_LT(clock.elapsed(), Link::kSettleMs - 50);
    EXPECT_EQ(control<QLabel>("Label11")->text(), "4");
}

TEST_F(ReceiveDispatcherTest, PositionTextFollowsTheLocalesSeparator) {
    const QLocale saved;
    control<QLineEdit>("Turns")->setText("100");
    control<QLineEdit>("Laenge")->setText("1000");
    struct Case {
        QLocale locale;
        const char* expected;
    };
    for (const Case& c : {Case{QLocale(QLocale::English, QLocale::UnitedStates), "-0.01mm"},
                          Case{QLocale(QLocale::German, QLocale::Germany), "-0,01mm"}}) {
        QLocale::setDefault(c.locale);
        control<QLabel>("APos")->setText("");
        ASSERT_TRUE(sendStatus(StatusFields().position(0xFFFFFFFF)));
        EXPECT_EQ(control<QLabel>("APos")->text(), c.expected);
        EXPECT_EQ(seen().state.LastPositionCounts, -1);
        EXPECT_DOUBLE_EQ(seen().state.PositionMm, 1000.0 * -1.0 / 102400.0);
    }
    QLocale::setDefault(saved);
}

// Decoding takes its geometry from the editor model: a stroke and turns that reach the model
// from a shown block, a file or typing reach the link, whatever the edits' texts say.
TEST_F(ReceiveDispatcherTest, PositionsAreDecodedWithTheEditorModelsGeometry) {
    EditorModel& model = form.editorModel();
    for (const auto& [stroke, turns] : {std::pair{1000, 100}, std::pair{250, 50}}) {
        model.setStroke(stroke);
        model.setTurns(turns);
        ASSERT_TRUE(sendStatus(StatusFields().position(0x5000)));
        EXPECT_DOUBLE_EQ(seen().state.PositionMm, stroke * 0x5000 / (turns * 1024.0)) << stroke;
    }
}

TEST_F(ReceiveDispatcherTest, SpeedByFirmwareVersionAndSensorPlace) {
    struct Case {
        std::uint16_t speed;
        std::uint8_t versionBefore;
        int anlaufS;
        const char* shown;
        std::uint8_t versionAfter;
    };
    const Case cases[] = {
        {700, 0, 0, "410 RPM ", 60}, {700, 0, 1, "410 RPM ", 60}, {500, 0, 0, "4880 RPM ", 0},
        {500, 0, 1, "4882 RPM ", 0}, {6, 60, 1, "0 RPM ", 60},    {6, 60, 0, "0 RPM ", 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "S=" << c.speed << " item " << c.anlaufS);
        form.link().assumeFirmwareVersion(c.versionBefore);
        control<RadioGroup>("AnlaufS")->setItemIndex(c.anlaufS);
        control<QLabel>("Label18")->setText("");
        ASSERT_TRUE(sendStatus(StatusFields().speed(c.speed)));
        EXPECT_EQ(control<QLabel>("Label18")->text(), c.shown);
        EXPECT_EQ(seen().state.FirmwareVersion, c.versionAfter);
    }
}

std::vector<std::uint8_t> blockFrame(int wordCount, std::uint16_t firstWord) {
    std::string body;
    for (int i = 0; i < wordCount; ++i) {
        // Word 36 carries the direction; 0x8000 is a value the editor pages keep.
        body += hexField(i == 36 ? 0x8000u : static_cast<std::uint32_t>(firstWord + i), 4);
    }
    body += hexField(700, 4) + hexField(300, 4); // 10 V and 4 mA points
    return framed(body);
}

TEST_F(ReceiveDispatcherTest, ParameterBlockLengthsAndAnExtraWordCountThatNeverShrinks) {
    control<QSlider>("Kali_10V")->setRange(0, 1023);
    control<QSlider>("Kali_4mA")->setRange(0, 1023);
    const auto block154 = blockFrame(36, 0x100);
    const auto block158 = blockFrame(37, 0x200);
    ASSERT_EQ(block154.size(), 154u);
    ASSERT_EQ(block158.size(), 158u);

    ASSERT_TRUE(sendWhole(block154));
    EXPECT_FALSE(seen().state.ParamReadPending);
    EXPECT_TRUE(control<LedIndicator>("AbLED1")->isChecked());
    EXPECT_EQ(form.Params.Slots[0], 0x100);
    EXPECT_EQ(form.Params.Slots[36], 0);
    EXPECT_EQ(control<QSlider>("Kali_10V")->value(), 700);
    EXPECT_EQ(control<QSlider>("Kali_4mA")->value(), 300);

    ASSERT_TRUE(sendWhole(block158));
    EXPECT_EQ(seen().state.ExtraWordCount, 21);
    EXPECT_EQ(form.Params.Slots[0], 0x200);
    EXPECT_EQ(form.Params.Slots[36], 0x8000);

    // E stays 21: the shorter block is no longer a reply and goes with its ETX.
    ASSERT_TRUE(form.link().askForBlock());
    const std::size_t expected = taken + block154.size();
    ASSERT_TRUE(send(block154, [&] { return taken >= expected && held() == 0; }));
    EXPECT_TRUE(seen().state.ParamReadPending);
    EXPECT_EQ(seen().state.ExtraWordCount, 21);
    EXPECT_EQ(form.Params.Slots[0], 0x200);
}

TEST_F(ReceiveDispatcherTest, VersionFrameShowsTheSignedVersion) {
    EXPECT_TRUE(control<QLabel>("VersionA")->isHidden());
    for (const auto& [raw, shown] : {std::pair<std::uint8_t, const char*>{0x3C, "V60"},
                                     std::pair<std::uint8_t, const char*>{0x90, "V-112"}}) {
        ASSERT_TRUE(send({kStx, 'V', raw, kEtx}, [this, raw = raw] {
            return seen().state.FirmwareVersion == raw && held() == 0;
        }));
        EXPECT_EQ(control<QLabel>("VersionA")->text(), shown);
        EXPECT_FALSE(control<QLabel>("VersionA")->isHidden());
    }
}

TEST_F(ReceiveDispatcherTest, TextLineBecomesTheCaptionUnlessTheTestValuesTabIsShown) {
    const std::string line = "#ZUVO 3000\r";
    const std::vector<std::uint8_t> bytes(line.begin(), line.end());
    ASSERT_TRUE(send(bytes, [this] { return form.windowTitle() == " ZUVO 3000"; }));
    EXPECT_EQ(held(), 0u);

    form.liveDisplay().setTestValuesTabShown(true);
    ASSERT_TRUE(send({'#', 'O', 'K', '\r'}, [this] { return held() == 4; }));
    pauseFor(20);
    EXPECT_EQ(held(), 4u); // kept for the test data
    EXPECT_EQ(form.windowTitle(), " ZUVO 3000");
}

// The caption comes in the controller's 8-bit set: Windows-1252, not Latin-1.
TEST_F(ReceiveDispatcherTest, TheCaptionIsReadInTheControllersCharacterSet) {
    const std::vector<std::uint8_t> bytes{'#',  0x80, ' ',  0x93, 'Z', 0x94, ' ',
                                          0x96, ' ',  0xB5, 'C',  ' ', 0x99, '\r'};
    const QString shown = QString::fromUtf8(" € “Z” – µC ™");
    ASSERT_TRUE(send(bytes, [&] { return form.windowTitle() == shown; }))
        << form.windowTitle().toStdString();
}

TEST_F(ReceiveDispatcherTest, SensorWordsAreSortedAndMalformedOnesDropped) {
    control<QLineEdit>("Turns")->setText("100");
    const std::array<std::uint16_t, 8> words{900, 100, 700, 300, 0xFFFF, 500, 200, 0};
    std::string body;
    for (auto w : words) {
        body += hexField(w, 4);
    }
    ASSERT_TRUE(sendWhole(framed(body)));
    const std::array<std::uint16_t, 8> sorted{0, 100, 200, 300, 500, 700, 900, 0xFFFF};
    EXPECT_EQ(seen().state.SensorWords, sorted);
    EXPECT_TRUE(polledAfterwards);
    EXPECT_EQ(pollIntervalAfterwards, 10);

    body[5] = 'x';
    form.link().tick(); // a poll for the malformed reply to answer
    ASSERT_TRUE(seen().state.ReplyPending);
    parkPolling(form.link());
    ASSERT_TRUE(sendWhole(framed(body)));
    EXPECT_EQ(seen().state.SensorWords, sorted);
    EXPECT_EQ(pollIntervalAfterwards, kParkedPollMs);
}

} // namespace
