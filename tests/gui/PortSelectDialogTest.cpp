// The port-selection dialog, and a port opened without a number asking through it.
#include "serial/SerialTestSupport.h"

#include "app/TComSelectForm.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace zuvo;
using namespace zuvo::test;

namespace {

// Points every port of the dialog's range at nothing, then the given ones at real devices.
class SerialPortSelect : public ::testing::Test {
protected:
    void SetUp() override {
        for (int n = TComSelectForm::FirstPort; n <= TComSelectForm::LastPort; ++n) {
            PortMap::global().setOverride(n, QStringLiteral("/nonexistent/zuvo-%1").arg(n));
        }
        PortMap::global().setOverride(3, free1.slavePath());
        PortMap::global().setOverride(5, held.slavePath());
        PortMap::global().setOverride(9, QStringLiteral("/dev/null")); // opens, but no tty
        PortMap::global().setOverride(12, free2.slavePath());
        holder.setComNumber(5);
        holder.setOpen(true);
    }
    void TearDown() override {
        holder.setOpen(false);
        PortMap::global().clearOverrides();
    }

    // Answers the next modal port dialog with the given button.
    static void answerDialog(const char* button) {
        QTimer::singleShot(0, [button] {
            auto* form = qobject_cast<TComSelectForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            form->findChild<QPushButton*>(QLatin1String(button))->click();
        });
    }

    PtyPair free1, held, free2;
    TSerialComPort holder;
};

} // namespace

TEST_F(SerialPortSelect, ListsOnlyPortsThatOpen) {
    TComSelectForm form;
    EXPECT_EQ(form.windowTitle(), "Select Port");
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    QStringList lines;
    for (const auto* label : form.findChildren<QLabel*>()) {
        lines << label->text();
    }
    EXPECT_EQ(lines, (QStringList{"The configured serial port is not valid.",
                                  "Please choose another port."}));

    auto* combo = form.findChild<QComboBox*>("PortsComboBox");
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    EXPECT_EQ(items, (QStringList{"COM3", "COM12"}));
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(form.selectedPort(), 3);
    combo->setCurrentIndex(1);
    EXPECT_EQ(form.selectedPort(), 12);
    EXPECT_TRUE(form.OKButton->isDefault());
    EXPECT_EQ(form.OKButton->text(), "OK");
    EXPECT_EQ(form.CancelButton->text(), "Cancel");

    // The probe closed what it opened: the listed port is free for the program.
    TSerialComPort port;
    port.setComNumber(3);
    port.setOpen(true);
    EXPECT_TRUE(port.Open());
}

TEST_F(SerialPortSelect, OpeningWithoutANumberAsks) {
    TSerialComPort port;
    port.setPortChooser(TComSelectForm::askForPort);
    answerDialog("CancelButton");
    EXPECT_EQ(failure([&] { port.setOpen(true); }), serial_text::NotSet);
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.ComNumber(), 0);

    answerDialog("OKButton");
    port.setOpen(true);
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(port.ComNumber(), 3);
    port.PutBlock("via dialog", 10);
    EXPECT_EQ(free1.read(10), "via dialog");
}

TEST_F(SerialPortSelect, OkWithNothingListedFailsLikeCancel) {
    PortMap::global().setOverride(3, QStringLiteral("/nonexistent/a"));
    PortMap::global().setOverride(12, QStringLiteral("/nonexistent/b"));
    TSerialComPort port;
    port.setPortChooser(TComSelectForm::askForPort);
    answerDialog("OKButton");
    EXPECT_EQ(failure([&] { port.setOpen(true); }), serial_text::NotSet);
    EXPECT_FALSE(port.Open());
}
