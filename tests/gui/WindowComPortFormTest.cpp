// The COM-port dialog's form as it is created at start-up.

#include "app/TForm2.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace zuvo;

namespace {

TEST(WindowComPortForm, StartsWithItsControlsAndPortList) {
    TForm2 form;
    EXPECT_EQ(form.windowTitle(), "COM-Port");
    EXPECT_FALSE(form.isVisible()); // created hidden
    EXPECT_EQ(form.pos(), TForm2::kDesignPosition);

    auto* title = form.findChild<QLabel*>("Label1");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Please choose COM-Port");
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(title->font().pixelSize(), 16);

    auto* ports = form.findChild<QComboBox*>("ComboBox1");
    ASSERT_NE(ports, nullptr);
    EXPECT_TRUE(ports->isEditable());
    EXPECT_EQ(ports->currentText(), "COM1");
    ASSERT_EQ(ports->count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ports->itemText(i), QStringLiteral("COM%1").arg(i + 1));
    }
    auto* ok = form.findChild<QPushButton*>("Button1");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(ok->geometry(), QRect(128, 70, 72, 20));
    ASSERT_NE(form.findChild<QLabel*>("Image1"), nullptr);
}

} // namespace
