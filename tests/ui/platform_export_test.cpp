#include "platform/atomic_file_writer.h"
#include "platform/settings_store.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace vortaxel::ui::test {
namespace {

using namespace std::chrono_literals;

class FixedSaveDialog : public services::SaveDialog {
public:
    explicit FixedSaveDialog(std::string path) : path_(std::move(path)) {}
    std::string AskSavePath(const services::SaveDialogRequest&) override { return path_; }

private:
    std::string path_;
};

class RecordingMessageBox : public services::MessageBox {
public:
    struct Shown {
        std::string text;
        std::string title;
        services::MessageIcon icon;
    };
    void Show(const std::string& text, const std::string& title, services::MessageIcon icon) override {
        shown.push_back({text, title, icon});
    }
    std::vector<Shown> shown;
};

class RecordingLauncher : public services::Launcher {
public:
    bool Launch(const std::string& program, const std::string& argument, services::WindowStyle) override {
        launched.emplace_back(program, argument);
        return true;
    }
    std::vector<std::pair<std::string, std::string>> launched;
};

/// The window on the real export, settings store and file writer, with the dialog, boxes and launcher
/// faked.
class PlatformExportTest : public testing::Test {
protected:
    QTemporaryDir dir_;
    std::string exportPath_ = dir_.filePath("keywords.txt").toStdString();
    FixedSaveDialog dialog_{exportPath_};
    platform::QtSettingsStore settings_{dir_.filePath("settings.ini")};
    platform::AtomicFileWriter files_;
    RecordingMessageBox messages_;
    RecordingLauncher launcher_;
    vortaxel::test::LoopbackSite site_;
    frmMain window_{{dialog_, settings_, files_, messages_, launcher_}, dir_.path()};
};

TEST_F(PlatformExportTest, AltEDuringARunWritesTheEntriesFoundSoFar) {
    ServeShop(site_, 30ms);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    WhenReady extract([&] { return window_.Engine().List2().Count() >= 2; },
                      [&] { QTest::keyClick(&window_, Qt::Key_E, Qt::AltModifier); });
    auto* txturl = window_.findChild<QLineEdit*>("txturl");
    txturl->setText(QString::fromStdString(site_.Url("/")));
    QTest::keyClick(txturl, Qt::Key_Return);

    ASSERT_TRUE(extract.Fired());
    QFile file(QString::fromStdString(exportPath_));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("a\r\n")) << "the start page has no phrase; a.html gives \"a\"";
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Selected URL saved");
    ASSERT_EQ(launcher_.launched.size(), 1u);
    EXPECT_EQ(launcher_.launched[0], std::make_pair(std::string("Notepad"), exportPath_));
    EXPECT_EQ(window_.Engine().List2().Count(), 5u) << "the run went on after the export";
}

TEST_F(PlatformExportTest, RefusalBoxHasNoIcon) {
    window_.findChild<QLineEdit*>("txturl")->setText("http://");
    window_.cmdstart_Click();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Please enter a Starting URL");
    EXPECT_EQ(messages_.shown[0].title, "Oops");
    EXPECT_EQ(messages_.shown[0].icon, services::MessageIcon::None);
}

} // namespace
} // namespace vortaxel::ui::test
