#include "platform/launcher.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QDir>

namespace vortaxel::platform {
namespace {

using ::vortaxel::test::PrintTo;

struct LaunchCase {
    const char* name;
    std::string program;
    std::string argument;
    /// The local file or web address the desktop must receive; empty when the request is refused.
    QString expected;
    bool isFile;
};

class DesktopLauncherTest : public testing::TestWithParam<LaunchCase> {};

TEST_P(DesktopLauncherTest, HandsTheWholeArgumentToTheDesktop) {
    std::vector<QUrl> opened;
    DesktopLauncher launcher([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });

    const bool accepted =
        launcher.Launch(GetParam().program, GetParam().argument, services::WindowStyle::MaximizedFocus);

    if (GetParam().expected.isEmpty()) {
        EXPECT_FALSE(accepted);
        EXPECT_TRUE(opened.empty());
        return;
    }
    EXPECT_TRUE(accepted);
    ASSERT_EQ(opened.size(), 1u);
    if (GetParam().isFile) {
        EXPECT_TRUE(opened[0].isLocalFile());
        EXPECT_EQ(opened[0].toLocalFile(), GetParam().expected);
    } else {
        EXPECT_EQ(opened[0].toString(), GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, DesktopLauncherTest,
    testing::Values(
        LaunchCase{"PlainPath", "Notepad", "/tmp/k.txt", "/tmp/k.txt", true},
        LaunchCase{"BlanksAndQuote", "Notepad", "/tmp/My \"best\" keys.txt", "/tmp/My \"best\" keys.txt", true},
        LaunchCase{"ShellCharacters", "Notepad", "/tmp/a;b&c|d$(e)`f`'g'.txt", "/tmp/a;b&c|d$(e)`f`'g'.txt", true},
        LaunchCase{"UrlCharacters", "Notepad", "/tmp/50% #1?x=y.txt", "/tmp/50% #1?x=y.txt", true},
        LaunchCase{"NonAscii", "Notepad", "/tmp/caf\xc3\xa9.txt", QStringLiteral("/tmp/caf\u00e9.txt"), true},
        LaunchCase{"ProgramNameAnyCase", "notepad", "/tmp/k.txt", "/tmp/k.txt", true},
        LaunchCase{"WebAddress", "Explorer.exe", "http://www.example.com", "http://www.example.com", false},
        LaunchCase{"SecureWebAddress", "Explorer.exe", "https://example.com/a", "https://example.com/a", false},
        LaunchCase{"BrowserRefusesLocalFile", "Explorer.exe", "file:///etc/passwd", {}, false},
        LaunchCase{"BrowserRefusesScript", "Explorer.exe", "javascript:alert(1)", {}, false},
        LaunchCase{"UnknownProgram", "calc.exe", "/tmp/k.txt", {}, false},
        LaunchCase{"EmptyArgument", "Notepad", "", {}, false}),
    ::vortaxel::test::RowName());

TEST(DesktopLauncher, RelativePathBecomesAbsolute) {
    const QUrl target = DesktopLauncher::TargetFor("Notepad", "k.txt");
    ASSERT_TRUE(target.isLocalFile());
    EXPECT_TRUE(QDir::isAbsolutePath(target.toLocalFile()));
    EXPECT_TRUE(target.toLocalFile().endsWith("/k.txt"));
}

} // namespace
} // namespace vortaxel::platform
