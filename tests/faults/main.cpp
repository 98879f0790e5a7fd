#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>

// No case may reach the user's real settings or folders.
int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
