// GoogleTest entry point for tests that need a Qt application object (event loop, widgets).
// Folders that link no widgets define ZUVO_TEST_GUI_ONLY and get a QGuiApplication (painting,
// fonts) instead.
#ifdef ZUVO_TEST_GUI_ONLY
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
