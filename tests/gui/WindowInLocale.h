#pragma once
// The window on a quiet simulated actuator, run once per desktop locale: the locale is set before
// the test's body and restored after it, and what the parameter features say in message boxes
// is collected instead of shown.

#include "QuietWindow.h"
#include "SimulatedLink.h"
#include "app/TForm1.h"
#include "app/pages/ParameterFiles.h"
#include "app/pages/ParameterTransfer.h"

#include <QLocale>
#include <QStringList>
#include <gtest/gtest.h>

namespace zuvo::test {

class WindowInLocale : public ::testing::TestWithParam<QLocale> {
protected:
    WindowInLocale() : previous_(QLocale()) { QLocale::setDefault(GetParam()); }
    ~WindowInLocale() override { QLocale::setDefault(previous_); }

    void SetUp() override {
        ASSERT_TRUE(startOnQuietLink(form));
        const auto collect = [this](const QString& text) { messages << text; };
        form.parameterTransfer().prompts.message = collect;
        form.parameterFiles().prompts.message = collect;
    }

public:
    template <class T> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

private:
    QLocale previous_;

protected:
    SimulatedLink link{standingStill()};
    TForm1 form;
    QStringList messages;
};

} // namespace zuvo::test
