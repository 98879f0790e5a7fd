#include "crawl/found_list.h"
#include "tests/support/named_rows.h"
#include "ui/keyword_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::ui {
namespace {

using services::FileWriter;
using services::Launcher;
using services::MessageBox;
using services::MessageIcon;
using services::SaveDialog;
using services::SaveDialogRequest;
using services::SettingKey;
using services::SettingsStore;
using services::WindowStyle;
using services::WriteResult;

using ::vortaxel::test::PrintTo;

using testing::ElementsAre;

struct Entry {
    std::string url;
    bool selected;
};

/// Answers the dialog, keeps settings and files in memory, and logs every service call in order.
class FakeHost : public SaveDialog, public SettingsStore, public FileWriter, public MessageBox, public Launcher {
public:
    std::vector<Entry> found;
    std::string answer = "/tmp/keywords.txt";
    std::optional<WriteResult> writeOutcome;
    bool settingsReadable = true;
    bool settingsWritable = true;
    bool editorStarts = true;

    std::vector<std::string> log;
    std::map<std::string, std::string> settings;
    std::map<std::string, std::string> files;
    std::vector<SaveDialogRequest> requests;
    std::vector<std::string> messages;
    std::vector<std::string> launches;

    /// Presses "&Extract" over `found`.
    void Export() {
        crawl::FoundList list;
        for (const Entry& entry : found) {
            list.Append(entry.url);
            list.SetSelected(list.Count() - 1, entry.selected);
        }
        cmdsave_Click(list, {*this, *this, *this, *this, *this});
    }

    std::string AskSavePath(const SaveDialogRequest& request) override {
        requests.push_back(request);
        log.push_back("dialog");
        return answer;
    }
    WriteResult Write(const SettingKey& key, const std::string& value) override {
        log.push_back("store");
        if (!settingsWritable) {
            return WriteResult::Failure("read-only");
        }
        settings[Name(key)] = value;
        return WriteResult::Success();
    }
    std::optional<std::string> Read(const SettingKey& key, const std::string& defaultValue) override {
        log.push_back("read");
        if (!settingsReadable) {
            return std::nullopt;
        }
        const auto it = settings.find(Name(key));
        return it == settings.end() ? defaultValue : it->second;
    }
    WriteResult Write(const std::string& path, std::string_view bytes) override {
        log.push_back("file");
        if (writeOutcome && !*writeOutcome) {
            return *writeOutcome;
        }
        files[path] = std::string(bytes);
        return WriteResult::Success();
    }
    void Show(const std::string& text, const std::string& title, MessageIcon icon) override {
        log.push_back("message");
        messages.push_back(title + "|" + text + "|" + IconName(icon));
    }
    bool Launch(const std::string& program, const std::string& argument, WindowStyle style) override {
        log.push_back("launch");
        launches.push_back(program + "|" + argument + "|" +
                           (style == WindowStyle::MaximizedFocus ? "maximized" : "normal"));
        return editorStarts;
    }

    static std::string Name(const SettingKey& key) { return key.application + "/" + key.section + "/" + key.key; }
    static std::string IconName(MessageIcon icon) {
        return icon == MessageIcon::Information ? "information" : icon == MessageIcon::Warning ? "warning" : "none";
    }
};

constexpr const char* kSettingName = "Vortaxel/S11/K11";

TEST(KeywordExport, WorkedExampleWritesSelectedPhrasesInOrder) {
    FakeHost host;
    host.found = {{"http://example.com/", true},
                  {"http://example.com/blue-widgets_cheap.html", true},
                  {"http://example.com/about", false},
                  {"http://example.com/shop/red_gadgets.php?id=7", true}};

    host.Export();

    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.requests[0].title, "Save");
    EXPECT_EQ(host.requests[0].filterLabel, "All Files (*.txt)");
    EXPECT_EQ(host.requests[0].pattern, "*.txt");
    EXPECT_THAT(host.log, ElementsAre("dialog", "store", "file", "message", "read", "launch"));
    EXPECT_EQ(host.settings[kSettingName], "/tmp/keywords.txt");
    EXPECT_EQ(host.files["/tmp/keywords.txt"], "blue widgets cheap\r\nred gadgets\r\n");
    EXPECT_THAT(host.messages, ElementsAre("URL Crawler|Selected URL saved|information"));
    EXPECT_THAT(host.launches, ElementsAre("Notepad|/tmp/keywords.txt|maximized"));
}

TEST(KeywordExport, CancelTouchesNothing) {
    FakeHost host;
    host.found = {{"http://example.com/about", true}};
    host.answer = "";
    host.settings[kSettingName] = "/earlier/path.txt";

    host.Export();

    EXPECT_THAT(host.log, ElementsAre("dialog"));
    EXPECT_EQ(host.settings[kSettingName], "/earlier/path.txt");
    EXPECT_TRUE(host.files.empty());
}

struct NothingToWriteCase {
    const char* name;
    std::vector<Entry> found;
};

class KeywordExportNothingToWrite : public testing::TestWithParam<NothingToWriteCase> {};

TEST_P(KeywordExportNothingToWrite, WritesEmptyFileConfirmsAndOpensIt) {
    FakeHost host;
    host.found = GetParam().found;

    host.Export();

    ASSERT_EQ(host.files.count("/tmp/keywords.txt"), 1u);
    EXPECT_EQ(host.files["/tmp/keywords.txt"], "");
    EXPECT_THAT(host.messages, ElementsAre("URL Crawler|Selected URL saved|information"));
    EXPECT_THAT(host.launches, ElementsAre("Notepad|/tmp/keywords.txt|maximized"));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, KeywordExportNothingToWrite,
    testing::Values(NothingToWriteCase{"EmptyList", {}},
                    NothingToWriteCase{"NoneSelected", {{"http://e.com/a", false}, {"http://e.com/b", false}}},
                    NothingToWriteCase{"OnlyBlankPhrases", {{"http://e.com/", true}, {"http://e.com/_-.x", true}}}),
    ::vortaxel::test::RowName());

TEST(KeywordExport, FailedWriteNamesFileAndReasonAndOpensNothing) {
    FakeHost host;
    host.found = {{"http://example.com/about", true}};
    host.answer = "/no/such/folder/k.txt";
    host.writeOutcome = WriteResult::Failure("No such file or directory");

    host.Export();

    EXPECT_THAT(host.log, ElementsAre("dialog", "store", "file", "message"));
    EXPECT_EQ(host.settings[kSettingName], "/no/such/folder/k.txt");
    EXPECT_THAT(host.messages,
                ElementsAre("URL Crawler|Could not save /no/such/folder/k.txt: No such file or directory|warning"));
    EXPECT_TRUE(host.launches.empty());
}

struct ReadBackCase {
    const char* name;
    bool writable;
    bool readable;
    std::optional<std::string> earlier;
    bool launched;
};

class KeywordExportReadBack : public testing::TestWithParam<ReadBackCase> {};

TEST_P(KeywordExportReadBack, LaunchFollowsTheRememberedPath) {
    FakeHost host;
    host.found = {{"http://example.com/about", true}};
    host.settingsWritable = GetParam().writable;
    host.settingsReadable = GetParam().readable;
    if (GetParam().earlier) {
        host.settings[kSettingName] = *GetParam().earlier;
    }

    host.Export();

    // The file is written whatever the store does.
    EXPECT_EQ(host.files["/tmp/keywords.txt"], "about\r\n");
    EXPECT_THAT(host.messages, ElementsAre("URL Crawler|Selected URL saved|information"));
    if (GetParam().launched) {
        // The editor opens the file just written, never a path read back from the store.
        EXPECT_THAT(host.launches, ElementsAre("Notepad|/tmp/keywords.txt|maximized"));
    } else {
        EXPECT_TRUE(host.launches.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Store, KeywordExportReadBack,
                         testing::Values(ReadBackCase{"Stored", true, true, std::nullopt, true},
                                         ReadBackCase{"UnwritableNoEarlierValue", false, true, std::nullopt, false},
                                         ReadBackCase{"UnwritableStaleValue", false, true, "/old.txt", true},
                                         ReadBackCase{"Unreadable", false, false, std::nullopt, true}),
                         ::vortaxel::test::RowName());

TEST(KeywordExport, PathWithBlanksAndQuoteReachesEditorUnchanged) {
    FakeHost host;
    host.answer = "/home/u/My \"best\" keys & more;.txt";
    host.found = {{"http://example.com/about", true}};

    host.Export();

    EXPECT_THAT(host.launches, ElementsAre("Notepad|/home/u/My \"best\" keys & more;.txt|maximized"));
    EXPECT_EQ(host.files.count(host.answer), 1u);
}

TEST(KeywordExport, EditorThatCannotStartIsSaidAfterTheSave) {
    FakeHost host;
    host.found = {{"http://example.com/about", true}};
    host.editorStarts = false;

    host.Export();

    EXPECT_EQ(host.files["/tmp/keywords.txt"], "about\r\n");
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0], "URL Crawler|Selected URL saved|information");
    EXPECT_THAT(host.messages[1], testing::StartsWith("URL Crawler|Selected URL saved to /tmp/keywords.txt, but it "
                                                      "could not be opened"));
    EXPECT_THAT(host.messages[1], testing::EndsWith("|warning"));
}

TEST(KeywordExport, RepeatedExportReplacesRatherThanAppends) {
    FakeHost host;
    host.found = {{"http://example.com/one", true}};
    host.Export();
    host.found = {{"http://example.com/two", true}};
    host.Export();

    EXPECT_EQ(host.files["/tmp/keywords.txt"], "two\r\n");
}

} // namespace
} // namespace vortaxel::ui
