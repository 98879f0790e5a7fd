// The window's Crawl Settings dialog: named and explained fields, bad values marked as typed and refused at
// the start, values remembered but never the password, and the settings reaching the run and its kept crawl.

#include "crawl/scope/address_pattern.h"
#include "platform/settings_store.h"
#include "store/crawl_store.h"
#include "store/kept_controls.h"
#include "tests/support/scratch_folder.h"
#include "ui/crawl_settings_dialog.h"
#include "ui/main_window.h"
#include "ui/user_agent_presets.h"
#include "window_test_support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace vortaxel::ui::test {
namespace {

using vortaxel::test::LoopbackSite;

constexpr const char* kPassword = "s3cret-Pa55";

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class WindowCrawlSettingsTest : public WindowTest {
public:
    void SetUp() override { window_ = NewWindow(); }
    void TearDown() override { window_.reset(); }

    std::unique_ptr<frmMain> NewWindow() {
        auto window = std::make_unique<frmMain>(desktop_, QString());
        window->UseSettings(settings_);
        window->UseDataFolder(data_);
        window->UsePasswordPrompt([this](const std::string& user, const std::string& origin) {
            asked_.push_back(user + " at " + origin);
            return answer_;
        });
        window->show();
        return window;
    }

    CrawlSettingsDialog* OpenDialog(frmMain& window) {
        window.findChild<QAction*>("mnuCrawlSettings")->trigger();
        return window.findChild<CrawlSettingsDialog*>("dlgCrawlSettings");
    }
    CrawlSettingsDialog* OpenDialog() { return OpenDialog(*window_); }

    static void Ok(CrawlSettingsDialog& dialog) {
        dialog.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
    }

    void UseBrowserRules(bool on) {
        QAction* rules = window_->findChild<QAction*>("mnuBrowserRules");
        if (rules->isChecked() != on) {
            rules->trigger();
        }
    }

    /// The settings as a user gives them in the dialog.
    void Set(const CrawlSettingsValues& values) {
        RememberCrawlSettings(settings_, values);
        window_->UseSettings(settings_);
    }

    /// The settings of the crawl the window kept last, read once the window has let it go.
    store::CrawlSettings KeptSettings() {
        const std::optional<std::string> path = window_->KeptCrawlPath();
        window_.reset();
        EXPECT_TRUE(path.has_value());
        std::string error;
        const auto kept = store::CrawlStore::Open(path.value_or(""), store::CrawlStore::Access::Read, error);
        EXPECT_NE(kept, nullptr) << error;
        return kept ? kept->Settings() : store::CrawlSettings{};
    }

    vortaxel::test::ScratchFolder folder_{"window-crawl-settings"};
    FakeDataFolder data_{folder_.Path().string()};
    platform::QtSettingsStore settings_{QString::fromStdString((folder_.Path() / "settings.ini").string())};
    std::optional<std::string> answer_ = kPassword;
    std::vector<std::string> asked_;
};

TEST_F(WindowCrawlSettingsTest, EveryFieldIsNamedAndExplainedAndTheDialogSaysWhenItApplies) {
    for (const bool browser : {false, true}) {
        SCOPED_TRACE(browser ? "browser rules" : "classic rules");
        UseBrowserRules(browser);
        CrawlSettingsDialog* dialog = OpenDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isModal());
        for (const char* name :
             {"cboScope", "txtInclude", "txtExclude", "spnMaxDepth", "txtStripQuery", "cboUserAgent",
              "txtCustomUserAgent", "txtHeaders", "txtLoginUser", "txtCookies", "chkListMode", "txtListed"}) {
            SCOPED_TRACE(name);
            auto* field = dialog->findChild<QWidget*>(name);
            ASSERT_NE(field, nullptr);
            EXPECT_FALSE(field->accessibleName().isEmpty());
            EXPECT_FALSE(field->toolTip().isEmpty());
        }
        const QString note = dialog->findChild<QLabel*>("lblRulesNote")->text();
        EXPECT_EQ(note.contains("ignores"), !browser) << note.toStdString();
        dialog->findChild<QPlainTextEdit*>("txtExclude")->setPlainText("\\?color=\n(");
        SavePicture(*dialog, browser ? "crawl-settings.png" : "crawl-settings-classic.png");
        dialog->reject();
    }
}

TEST_F(WindowCrawlSettingsTest, ABadValueIsMarkedAsItIsTypedWithItsReasonAndTheMarkGoesWhenMended) {
    CrawlSettingsDialog* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    const struct {
        const char* field;
        const char* mark;
        QString bad;
        std::string reason;
        QString mended;
    } rows[] = {
        {"txtInclude", "lblIncludeProblem", "/blog/\n(", crawl::AddressPatternError("("), "/blog/"},
        {"txtExclude", "lblExcludeProblem", "[a-", crawl::AddressPatternError("[a-"), "\\?color="},
        {"txtHeaders", "lblHeadersProblem", "X-Staging yes", "has no colon", "X-Staging: yes"},
        {"txtCookies", "lblCookiesProblem", "session", "is no \"name=value\"", "session=1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        auto* field = dialog->findChild<QPlainTextEdit*>(row.field);
        auto* mark = dialog->findChild<QLabel*>(row.mark);
        ASSERT_NE(field, nullptr);
        ASSERT_NE(mark, nullptr);
        ASSERT_FALSE(row.reason.empty());
        EXPECT_TRUE(mark->isHidden());
        field->setPlainText(row.bad);
        EXPECT_FALSE(mark->isHidden());
        EXPECT_TRUE(mark->text().contains(QString::fromStdString(row.reason))) << mark->text().toStdString();
        EXPECT_EQ(field->accessibleDescription(), mark->text()) << "told with the field, not only shown";
        field->setPlainText(row.mended);
        EXPECT_TRUE(mark->isHidden());
        EXPECT_TRUE(field->accessibleDescription().isEmpty());
    }
    dialog->reject();
}

TEST_F(WindowCrawlSettingsTest, TheDialogsValuesAreRememberedBetweenSessions) {
    CrawlSettingsDialog* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    auto* scope = dialog->findChild<QComboBox*>("cboScope");
    scope->setCurrentIndex(scope->findData("domain"));
    dialog->findChild<QPlainTextEdit*>("txtInclude")->setPlainText("/blog/\n\n  /news/  ");
    dialog->findChild<QPlainTextEdit*>("txtExclude")->setPlainText("(");
    dialog->findChild<QSpinBox*>("spnMaxDepth")->setValue(2);
    dialog->findChild<QPlainTextEdit*>("txtStripQuery")->setPlainText("utm_*");
    auto* agent = dialog->findChild<QComboBox*>("cboUserAgent");
    agent->setCurrentIndex(agent->findData(kCustomUserAgent));
    dialog->findChild<QLineEdit*>("txtCustomUserAgent")->setText("AuditBot/2");
    dialog->findChild<QPlainTextEdit*>("txtHeaders")->setPlainText("X-Staging: yes");
    dialog->findChild<QLineEdit*>("txtLoginUser")->setText("ann");
    dialog->findChild<QPlainTextEdit*>("txtCookies")->setPlainText("session=abc");
    dialog->findChild<QCheckBox*>("chkListMode")->setChecked(true);
    dialog->findChild<QPlainTextEdit*>("txtListed")->setPlainText("# sheet\nhttps://example.com/a");
    Ok(*dialog);

    CrawlSettingsValues expected;
    expected.scope = crawl::CrawlScope::Domain;
    expected.include = {"/blog/", "/news/"};
    expected.exclude = {"("}; // kept as typed, to be mended later
    expected.maxDepth = 2;
    expected.stripQuery = {"utm_*"};
    expected.userAgent = kCustomUserAgent;
    expected.customUserAgent = "AuditBot/2";
    expected.headers = {"X-Staging: yes"};
    expected.loginUser = "ann";
    expected.cookies = {"session=abc"};
    expected.listMode = true;
    expected.listed = {"# sheet", "https://example.com/a"};
    window_.reset();

    std::unique_ptr<frmMain> again = NewWindow();
    CrawlSettingsDialog* reopened = OpenDialog(*again);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->Values(), expected);
    EXPECT_TRUE(reopened->findChild<QLineEdit*>("txtCustomUserAgent")->isEnabled());
    EXPECT_FALSE(reopened->findChild<QLabel*>("lblExcludeProblem")->isHidden()) << "marked again on opening";

    // Cancel leaves them as they were.
    reopened->findChild<QLineEdit*>("txtLoginUser")->setText("bob");
    reopened->reject();
    CrawlSettingsDialog* third = OpenDialog(*again);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->Values().loginUser, "ann");
    third->reject();
}

TEST_F(WindowCrawlSettingsTest, ABadValueKeepsABrowserRulesCrawlFromStartingAndSaysWhy) {
    const struct {
        const char* name;
        bool browser;
        CrawlSettingsValues values;
        std::string reason; // empty: the crawl runs
    } rows[] = {
        {"a pattern RE2 refuses", true, CrawlSettingsValues{.exclude = {"(a"}}, crawl::AddressPatternError("(a")},
        {"a header without a colon", true, CrawlSettingsValues{.headers = {"X-Staging yes"}}, "has no colon"},
        {"list mode without an address", true, CrawlSettingsValues{.listMode = true, .listed = {"# none"}},
         "at least one web address"},
        {"the classic rules ignore the settings", false, CrawlSettingsValues{.exclude = {"(a"}}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackSite site;
        ServeShop(site, std::chrono::milliseconds(0));
        UseBrowserRules(row.browser);
        Set(row.values);
        desktop_.messages.clear();
        CrawlByEnter(site.Url("/"));
        if (row.reason.empty()) {
            EXPECT_TRUE(desktop_.messages.empty());
            EXPECT_FALSE(site.Targets().empty());
            continue;
        }
        EXPECT_TRUE(site.Targets().empty()) << "nothing is requested";
        ASSERT_EQ(desktop_.messages.size(), 1U);
        const std::string text = desktop_.messages.front().text.toStdString();
        EXPECT_NE(text.find(row.reason), std::string::npos) << text;
        EXPECT_NE(text.find("Crawl Settings"), std::string::npos) << "says where to mend it: " << text;
        EXPECT_TRUE(asked_.empty()) << "no password asked for a crawl that cannot start";
    }
}

TEST_F(WindowCrawlSettingsTest, TheSettingsReachTheRunAndTheKeptCrawlButThePasswordNothingKept) {
    LoopbackSite site;
    ServeShop(site, std::chrono::milliseconds(0));
    UseBrowserRules(true);
    const CrawlSettingsValues values{.exclude = {"/d\\.html$"},
                                     .maxDepth = 3,
                                     .stripQuery = {"utm_*"},
                                     .userAgent = "googlebot",
                                     .headers = {"X-Staging: yes"},
                                     .loginUser = "ann",
                                     .cookies = {"session=abc"}};
    Set(values);
    CrawlByEnter(site.Url("/"));
    ASSERT_FALSE(site.Requests().empty());
    EXPECT_EQ(asked_, std::vector<std::string>{"ann at " + site.Url("")}) << "asked once, for the start page's site";
    const std::string googlebot(FindUserAgentPreset("googlebot")->userAgent);
    for (const vortaxel::test::RecordedRequest& request : site.Requests()) {
        SCOPED_TRACE(request.target);
        const auto agent = request.headers.find("User-Agent");
        ASSERT_NE(agent, request.headers.end());
        EXPECT_EQ(agent->second, googlebot);
    }
    EXPECT_EQ(window_->Engine().Limits().controls.exclude, values.exclude);
    EXPECT_EQ(window_->Engine().Limits().controls.robotsAgent, "Googlebot");
    EXPECT_EQ(window_->Engine().Limits().controls.maxDepth, std::optional<std::size_t>(3));

    const store::CrawlSettings kept = KeptSettings();
    EXPECT_EQ(kept.controls, ControlsOf(values).controls);
    EXPECT_EQ(kept.identity, store::IdentityToKeep(ControlsOf(values).identity));
    EXPECT_EQ(kept.identity.authUser, "ann");
    // A cookie is kept by its name alone, as the command line keeps it.
    EXPECT_EQ(kept.identity.cookies, std::vector<std::string>{"session"});
    // Neither the settings store nor any file of the crawl holds the password.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.Path())) {
        if (entry.is_regular_file()) {
            EXPECT_EQ(FileBytes(entry.path()).find(kPassword), std::string::npos) << entry.path();
        }
    }
}

TEST_F(WindowCrawlSettingsTest, ChangedSettingsReachTheNextRunUnderTheSameRules) {
    LoopbackSite site;
    ServeShop(site, std::chrono::milliseconds(0));
    UseBrowserRules(true);
    const auto agentsSeen = [&site] {
        std::set<std::string> agents;
        for (const vortaxel::test::RecordedRequest& request : site.Requests()) {
            const auto agent = request.headers.find("User-Agent");
            agents.insert(agent == request.headers.end() ? std::string() : agent->second);
        }
        site.ClearRequests();
        return agents;
    };
    for (const char* preset : {"bingbot", "chrome", ""}) {
        SCOPED_TRACE(preset);
        const std::string pattern = std::string("/x-") + preset;
        Set(CrawlSettingsValues{.exclude = {pattern}, .userAgent = preset});
        CrawlByEnter(site.Url("/"));
        const UserAgentPreset* chosen = FindUserAgentPreset(preset);
        EXPECT_EQ(agentsSeen(),
                  std::set<std::string>{chosen ? std::string(chosen->userAgent) : net::FetchOptions{}.userAgent});
        EXPECT_EQ(window_->Engine().Limits().controls.exclude, std::vector<std::string>{pattern});
    }
    // Back to the classic rules, every control is off again.
    UseBrowserRules(false);
    Set(CrawlSettingsValues{.exclude = {"x"}, .userAgent = "bingbot"});
    CrawlByEnter(site.Url("/"));
    EXPECT_EQ(agentsSeen(), std::set<std::string>{net::FetchOptions{}.userAgent});
    EXPECT_EQ(window_->Engine().Limits().controls, crawl::CrawlControls{});
}

TEST_F(WindowCrawlSettingsTest, AContinuedCrawlTakesItsOwnSettingsAndAsksForThePasswordAgain) {
    for (const bool given : {true, false}) {
        SCOPED_TRACE(given ? "password given again" : "password refused");
        window_ = NewWindow();
        asked_.clear();
        answer_ = kPassword;
        UseBrowserRules(true);
        LoopbackSite site;
        ServeShop(site, std::chrono::milliseconds(0));
        Set(CrawlSettingsValues{.userAgent = "bingbot", .loginUser = "ann"});
        // Two pages are listed before c.html is fetched, and the crawl cannot get past it until the stop.
        site.Hold("/c.html");
        WhenReady cut([&] { return window_->Engine().List2().Count() >= 2; },
                      [&] {
                          QTest::mouseClick(Child<QPushButton>(*window_, "cmdstop"), Qt::LeftButton);
                          site.Release("/c.html");
                      });
        CrawlByEnter(site.Url("/"));
        ASSERT_TRUE(cut.Fired());
        ASSERT_TRUE(window_->findChild<QAction*>("mnuContinue")->isEnabled());

        // Settings changed since do not change the crawl carried on.
        Set(CrawlSettingsValues{.userAgent = "googlebot"});
        site.ClearRequests();
        answer_ = given ? std::optional<std::string>(kPassword) : std::nullopt;
        window_->findChild<QAction*>("mnuContinue")->trigger();
        EXPECT_EQ(asked_, (std::vector<std::string>{"ann at " + site.Url(""), "ann at " + site.Url("")}));
        if (!given) {
            EXPECT_TRUE(site.Targets().empty());
            EXPECT_TRUE(Child<QLabel>(*window_, "statusNote")->toolTip().contains("no password"));
            continue;
        }
        ASSERT_FALSE(site.Requests().empty());
        for (const vortaxel::test::RecordedRequest& request : site.Requests()) {
            SCOPED_TRACE(request.target);
            const auto agent = request.headers.find("User-Agent");
            ASSERT_NE(agent, request.headers.end());
            EXPECT_EQ(agent->second, FindUserAgentPreset("bingbot")->userAgent);
        }
    }
}

TEST_F(WindowCrawlSettingsTest, APasswordNotGivenStartsNothing) {
    LoopbackSite site;
    ServeShop(site, std::chrono::milliseconds(0));
    UseBrowserRules(true);
    Set(CrawlSettingsValues{.loginUser = "ann"});
    answer_.reset();
    CrawlByEnter(site.Url("/"));
    EXPECT_EQ(asked_.size(), 1U);
    EXPECT_TRUE(site.Targets().empty());
    EXPECT_TRUE(Child<QLabel>(*window_, "statusNote")->toolTip().contains("no password"));

    // The classic rules log in to nothing, so they ask nothing.
    UseBrowserRules(false);
    CrawlByEnter(site.Url("/"));
    EXPECT_EQ(asked_.size(), 1U);
    EXPECT_FALSE(site.Targets().empty());
}

} // namespace
} // namespace vortaxel::ui::test
