#include "platform/settings_store.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <string>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace vortaxel::platform {
namespace {

using test::PrintTo;

const services::SettingKey kExportPath{"Vortaxel", "S11", "K11"};

struct ValueCase {
    std::string name;
    std::string value;
};

class SettingsRoundTrip : public testing::TestWithParam<ValueCase> {};

TEST_P(SettingsRoundTrip, ValueReadBackByAnotherInstance) {
    QTemporaryDir scratch;
    const QString file = scratch.filePath("settings.ini");

    ASSERT_TRUE(QtSettingsStore(file).Write(kExportPath, GetParam().value));

    EXPECT_EQ(QtSettingsStore(file).Read(kExportPath, "default"), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsRoundTrip,
    testing::Values(ValueCase{"PlainPath", "/home/u/keywords.txt"},
                    ValueCase{"QuotesAndIniPunctuation", "/home/u/My \"best\" keys; a=b & c,d.txt"},
                    ValueCase{"Utf8", "/home/u/caf\xc3\xa9/\xe6\x97\xa5\xe6\x9c\xac.txt"}, ValueCase{"Empty", ""},
                    ValueCase{"Backslashes", "C:\\Users\\u\\k.txt"}, ValueCase{"LineBreak", "line\nbreak"}),
    test::RowName());

TEST(QtSettingsStore, MissingEntryGivesDefault) {
    QTemporaryDir scratch;
    EXPECT_EQ(QtSettingsStore(scratch.filePath("settings.ini")).Read(kExportPath, "fallback"), "fallback");
}

TEST(QtSettingsStore, LaterWriteReplacesAndNamesStayApart) {
    QTemporaryDir scratch;
    QtSettingsStore store(scratch.filePath("settings.ini"));
    ASSERT_TRUE(store.Write(kExportPath, "/first.txt"));
    ASSERT_TRUE(store.Write(kExportPath, "/second.txt"));
    ASSERT_TRUE(store.Write({"Other", "S11", "K11"}, "/other-app.txt"));
    ASSERT_TRUE(store.Write({"Vortaxel", "S12", "K11"}, "/other-section.txt"));

    EXPECT_EQ(store.Read(kExportPath, ""), "/second.txt");
    EXPECT_EQ(store.Read({"Other", "S11", "K11"}, ""), "/other-app.txt");
    EXPECT_EQ(store.Read({"Vortaxel", "S12", "K11"}, ""), "/other-section.txt");
    EXPECT_EQ(store.Read({"Vortaxel", "S11", "K12"}, "none"), "none");
}

TEST(QtSettingsStore, FolderInPlaceOfFileFailsAndCannotBeRead) {
    QTemporaryDir scratch;
    ASSERT_TRUE(QDir(scratch.path()).mkdir("settings.ini"));
    QtSettingsStore store(scratch.filePath("settings.ini"));

    const services::WriteResult written = store.Write(kExportPath, "/k.txt");

    EXPECT_FALSE(written);
    EXPECT_FALSE(written.error.empty());
    EXPECT_EQ(store.Read(kExportPath, ""), std::nullopt);
}

TEST(QtSettingsStore, DamagedFileCannotBeRead) {
    QTemporaryDir scratch;
    QFile damaged(scratch.filePath("damaged.ini"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("[S11\nK11=\"unterminated\n");
    damaged.close();

    EXPECT_EQ(QtSettingsStore(damaged.fileName()).Read(kExportPath, ""), std::nullopt);
}

TEST(QtSettingsStore, NativeStoreStaysInTestLocation) {
    // The test main switches on QStandardPaths' test mode before any store is opened.
    ASSERT_TRUE(QStandardPaths::isTestModeEnabled());
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    ASSERT_TRUE(folder.contains("qttest")) << folder.toStdString();
    QtSettingsStore store;

    ASSERT_TRUE(store.Write(kExportPath, "/native/k.txt"));

    EXPECT_EQ(QtSettingsStore().Read(kExportPath, ""), "/native/k.txt");
    const QString file = folder + "/Vortaxel/Vortaxel.conf";
    EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    QFile::remove(file);
}

} // namespace
} // namespace vortaxel::platform
