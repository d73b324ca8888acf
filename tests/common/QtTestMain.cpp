// GoogleTest entry point for tests that need a Qt application object: an event loop, and the
// widgets for the folders that link them. Folders that paint without widgets define
// ZUVO_TEST_GUI_ONLY and get a QGuiApplication (painting, fonts).
#if defined(ZUVO_TEST_GUI_ONLY)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#elif defined(QT_WIDGETS_LIB)
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Backups the tests make go to a folder of their own, never into the user's.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
