// Options > Phrases From: the keyword file the window saves takes its phrases from the slug, the title, the H1,
// the anchors or the target phrase; every source but the slug needs the browser rules, and the target phrase the
// key phrases, and the choice is remembered.

#include "export/keyword_file.h"
#include "platform/settings_store.h"
#include "ui/main_window.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QAction>
#include <QTemporaryDir>

namespace vortaxel::ui::test {
namespace {

using vortaxel::test::LoopbackSite;

constexpr const char* kKeywordFile = "/fake/phrases.txt";

/// A guide of four pages: titles that end in the site's name, one numbered, an H1 with a permalink sign, and
/// links whose texts name the pages they point to.
void ServeGuide(LoopbackSite& site) {
    site.ServeHtml("/", "<html lang=en><title>Welcome — Brew Guide</title><h1>Brewing at home</h1>"
                        "<p>Good coffee at home starts with fresh beans.</p>"
                        "<a href=espresso.html>Espresso machines</a> <a href=grinder.html>Burr grinders</a> "
                        "<a href=kettle.html>Gooseneck kettles</a></html>");
    site.ServeHtml("/espresso.html",
                   "<html lang=en><title>1.2. Espresso machines — Brew Guide</title><h1>Espresso machines</h1>"
                   "<p>Espresso machines press hot water through ground coffee. Our espresso machines are made of "
                   "steel.</p><a href=/>Brewing guide</a></html>");
    site.ServeHtml("/grinder.html", "<html lang=en><title>Burr grinders — Brew Guide</title><h1>Burr grinders¶</h1>"
                                    "<p>Burr grinders crush coffee beans evenly. Conical burr grinders stay "
                                    "cool.</p><a href=/>Brewing guide</a></html>");
    site.ServeHtml("/kettle.html", "<html lang=en><title>Gooseneck kettles — Brew Guide</title>"
                                   "<h1>Gooseneck kettles</h1><p>Gooseneck kettles pour slowly. A gooseneck kettle "
                                   "keeps the water hot.</p><a href=/>Brewing guide</a></html>");
}

/// The file's lines, each of which must end in CR LF.
std::vector<std::string> Lines(const std::string& file) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t end = file.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF: " << file.substr(start);
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(file.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class WindowPhrasesTest : public WindowTest {
public:
    void SetUp() override {
        window_ = std::make_unique<frmMain>(desktop_, QString());
        window_->show();
    }

    std::string Save() {
        desktop_.files.erase(kKeywordFile);
        desktop_.saveAnswer = kKeywordFile;
        window_->cmdsave_Click();
        return desktop_.files[kKeywordFile];
    }
};

TEST_F(WindowPhrasesTest, EachSourceWritesTheLinesTheCommandLineWritesForIt) {
    LoopbackSite& site = NewSite();
    ServeGuide(site);
    Action("mnuBrowserRules")->trigger();
    // Chosen before the crawl, the target phrase turns the key phrases on for it.
    Action("mnuPhrasesFromKeyPhrase")->trigger();
    ASSERT_TRUE(Action("mnuKeyPhrases")->isChecked());
    CrawlByEnter(site.Url("/"));
    ASSERT_EQ(FoundTexts(), (std::vector<std::string>{site.Url("/"), site.Url("/espresso.html"),
                                                      site.Url("/grinder.html"), site.Url("/kettle.html")}));
    keywords::KeywordFileBuilder classic;
    for (const std::string& text : FoundTexts()) {
        classic.Add(text);
    }

    const struct {
        const char* action;
        std::vector<std::string> lines; // none: the lines are checked otherwise
    } rows[] = {
        {"mnuPhrasesFromTitle", {"Welcome", "Espresso machines", "Burr grinders", "Gooseneck kettles"}},
        {"mnuPhrasesFromH1", {"Brewing at home", "Espresso machines", "Burr grinders", "Gooseneck kettles"}},
        {"mnuPhrasesFromAnchor", {"Brewing guide", "Espresso machines", "Burr grinders", "Gooseneck kettles"}},
        {"mnuPhrasesFromKeyPhrase", {}},
        {"mnuPhrasesFromSlug", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        Action(row.action)->trigger();
        const std::string file = Save();
        ASSERT_FALSE(file.empty());
        ASSERT_FALSE(desktop_.launcher.opened.isEmpty());
        EXPECT_EQ(desktop_.launcher.opened.back(), QString(kKeywordFile)) << "opened in the editor";
        const std::vector<std::string> lines = Lines(file);
        if (!row.lines.empty()) {
            EXPECT_EQ(lines, row.lines);
        } else if (std::string(row.action) == "mnuPhrasesFromSlug") {
            EXPECT_EQ(file, classic.Bytes()) << "the classic file, byte for byte";
        } else {
            ASSERT_EQ(lines.size(), 4u) << file;
            const char* words[] = {"", "espresso", "grinder", "kettle"};
            for (std::size_t i = 1; i < lines.size(); ++i) {
                EXPECT_NE(QString::fromStdString(lines[i]).indexOf(words[i], 0, Qt::CaseInsensitive), -1) << lines[i];
            }
        }
    }
}

TEST_F(WindowPhrasesTest, TheChoiceNeedsTheBrowserRulesFallsBackToSlugAndIsRemembered) {
    QTemporaryDir dir;
    platform::QtSettingsStore settings(dir.filePath("settings.ini"));
    window_->UseSettings(settings);
    const auto stored = [&settings] { return settings.Read({"Vortaxel", "Options", "PhrasesFrom"}, "").value_or(""); };
    EXPECT_TRUE(Action("mnuPhrasesFromSlug")->isChecked()) << "the classic file on first start";
    EXPECT_FALSE(Action("mnuPhrasesFromTitle")->isEnabled()) << "the classic rules keep no page facts";
    EXPECT_TRUE(Action("mnuPhrasesFromSlug")->isEnabled());

    Action("mnuBrowserRules")->trigger();
    for (const char* name :
         {"mnuPhrasesFromTitle", "mnuPhrasesFromH1", "mnuPhrasesFromAnchor", "mnuPhrasesFromKeyPhrase"}) {
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    }
    Action("mnuPhrasesFromH1")->trigger();
    EXPECT_EQ(stored(), "h1");
    {
        FakeDesktop desktop;
        frmMain again(desktop, QString());
        again.UseSettings(settings);
        EXPECT_TRUE(again.findChild<QAction*>("mnuPhrasesFromH1")->isChecked()) << "remembered in the store";
    }

    // Back to the classic rules: the classic file, remembered as such, and still Slug with the browser rules again.
    Action("mnuBrowserRules")->trigger();
    EXPECT_TRUE(Action("mnuPhrasesFromSlug")->isChecked());
    EXPECT_EQ(stored(), "slug");
    Action("mnuBrowserRules")->trigger();
    EXPECT_TRUE(Action("mnuPhrasesFromSlug")->isChecked());

    // The target phrase turns the key phrases on; turning them off goes back to Slug.
    ASSERT_FALSE(Action("mnuKeyPhrases")->isChecked());
    Action("mnuPhrasesFromKeyPhrase")->trigger();
    EXPECT_TRUE(Action("mnuKeyPhrases")->isChecked());
    EXPECT_EQ(settings.Read({"Vortaxel", "Options", "KeyPhrases"}, "").value_or(""), "1");
    EXPECT_EQ(stored(), "keyphrase");
    Action("mnuKeyPhrases")->trigger();
    EXPECT_TRUE(Action("mnuPhrasesFromSlug")->isChecked());
    EXPECT_EQ(stored(), "slug");

    // A stored source the rules kept in the store refuse reads as Slug.
    settings.Write({"Vortaxel", "Options", "PhrasesFrom"}, "title");
    settings.Write({"Vortaxel", "Options", "BrowserLinkRules"}, "0");
    FakeDesktop desktop;
    frmMain again(desktop, QString());
    again.UseSettings(settings);
    EXPECT_TRUE(again.findChild<QAction*>("mnuPhrasesFromSlug")->isChecked());
}

} // namespace
} // namespace vortaxel::ui::test
