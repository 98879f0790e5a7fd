#include "crawl/found_list.h"
#include "platform/atomic_file_writer.h"
#include "platform/settings_store.h"
#include "tests/support/named_rows.h"
#include "ui/keyword_export.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace vortaxel::platform {
namespace {

using ::vortaxel::test::PrintTo;

struct FakeDialog : services::SaveDialog {
    std::string answer;
    std::string AskSavePath(const services::SaveDialogRequest&) override { return answer; }
};

struct RecordedMessages : services::MessageBox {
    std::vector<std::pair<std::string, services::MessageIcon>> shown;
    void Show(const std::string& text, const std::string&, services::MessageIcon icon) override {
        shown.emplace_back(text, icon);
    }
};

struct RecordedLaunches : services::Launcher {
    std::vector<std::string> arguments;
    bool Launch(const std::string&, const std::string& argument, services::WindowStyle) override {
        arguments.push_back(argument);
        return true;
    }
};

struct Entry {
    std::string url;
    bool selected;
};

/// The real file writer and settings store in a scratch folder, with the interactive parts faked.
class ExportOnDisk : public testing::Test {
protected:
    QTemporaryDir scratch_;
    std::vector<Entry> found_;
    FakeDialog dialog_;
    QtSettingsStore settings_{scratch_.filePath("settings.ini")};
    AtomicFileWriter files_;
    RecordedMessages messages_;
    RecordedLaunches launches_;

    void Export() {
        crawl::FoundList list;
        for (const Entry& entry : found_) {
            list.Append(entry.url);
            list.SetSelected(list.Count() - 1, entry.selected);
        }
        ui::cmdsave_Click(list, {dialog_, settings_, files_, messages_, launches_});
    }

    std::optional<std::string> Remembered() {
        return QtSettingsStore(scratch_.filePath("settings.ini")).Read(ui::ExportPathSetting(), "");
    }
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(ExportOnDisk, WorkedExampleLandsByteForByte) {
    found_ = {{"http://example.com/", true},
              {"http://example.com/blue-widgets_cheap.html", true},
              {"http://example.com/about", false},
              {"http://example.com/shop/red_gadgets.php?id=7", true}};
    const QString path = scratch_.filePath("my \"keywords\".txt");
    dialog_.answer = path.toStdString();
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(4096, 'x'));
    old.close();

    Export();

    EXPECT_EQ(ReadAll(path), QByteArray("blue widgets cheap\r\nred gadgets\r\n"));
    EXPECT_EQ(Remembered(), path.toStdString());
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].first, "Selected URL saved");
    EXPECT_EQ(launches_.arguments, std::vector<std::string>{path.toStdString()});
}

struct FailureCase {
    const char* name;
    /// Makes the chosen path unwritable and returns it.
    std::function<QString(const QDir&)> prepare;
    QString reasonPart;
};

class ExportFailsOnDisk : public ExportOnDisk, public testing::WithParamInterface<FailureCase> {};

TEST_P(ExportFailsOnDisk, TellsPathAndReasonRemembersPathAndOpensNothing) {
    found_ = {{"http://example.com/about", true}};
    const QString path = GetParam().prepare(QDir(scratch_.path()));
    dialog_.answer = path.toStdString();

    Export();

    ASSERT_EQ(messages_.shown.size(), 1u);
    const QString text = QString::fromStdString(messages_.shown[0].first);
    EXPECT_TRUE(text.startsWith("Could not save " + path + ": ")) << text.toStdString();
    EXPECT_TRUE(text.contains(GetParam().reasonPart)) << text.toStdString();
    EXPECT_EQ(messages_.shown[0].second, services::MessageIcon::Warning);
    EXPECT_TRUE(launches_.arguments.empty());
    EXPECT_EQ(Remembered(), path.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Paths, ExportFailsOnDisk,
                         testing::Values(FailureCase{"MissingFolder",
                                                     [](const QDir& dir) { return dir.filePath("gone/k.txt"); },
                                                     "does not exist"},
                                         FailureCase{"PathIsAFolder",
                                                     [](const QDir& dir) {
                                                         dir.mkdir("k.txt");
                                                         return dir.filePath("k.txt");
                                                     },
                                                     "It is a folder"},
                                         FailureCase{"NamedPipe",
                                                     [](const QDir& dir) {
                                                         QString path = dir.filePath("k.txt");
                                                         mkfifo(QFile::encodeName(path).constData(), 0600);
                                                         return path;
                                                     },
                                                     "not a regular file"}),
                         ::vortaxel::test::RowName());

TEST_F(ExportOnDisk, UnwritableSettingsStillWriteTheFile) {
    ASSERT_TRUE(QDir(scratch_.path()).mkdir("settings.ini"));
    found_ = {{"http://example.com/about", true}};
    const QString path = scratch_.filePath("k.txt");
    dialog_.answer = path.toStdString();

    Export();

    EXPECT_EQ(ReadAll(path), QByteArray("about\r\n"));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].first, "Selected URL saved");
    // The store cannot be read back either, which does not keep the user from the file.
    EXPECT_EQ(launches_.arguments, std::vector<std::string>{path.toStdString()});
}

} // namespace
} // namespace vortaxel::platform
