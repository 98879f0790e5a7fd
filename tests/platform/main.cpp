#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

// Widgets need an application object, and no test may reach the user's real settings or folders. Test
// discovery runs without the ctest environment, so the offscreen platform is the default here too.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
