// The window's "Options" menu and what it changes: pages fetched ahead never change what a run finds,
// exports or asks for; failed entries show why; a stop the engine makes itself is told.

#include "platform/settings_store.h"
#include "tests/support/sorted.h"
#include "ui/main_window.h"
#include "ui/muted_entry_delegate.h"
#include "window_test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace vortaxel::ui::test {
namespace {

using namespace std::chrono_literals;
using vortaxel::test::LoopbackSite;
using vortaxel::test::Page;

/// The window's delegate, with the option it paints from in reach.
struct DelegateProbe : MutedEntryDelegate {
    QStyleOptionViewItem OptionFor(const QWidget& view, const QModelIndex& index) const {
        QStyleOptionViewItem option;
        option.initFrom(&view);
        initStyleOption(&option, index);
        return option;
    }
};

constexpr const char* kKeywordFile = "/fake/keywords.txt";

/// What one run in the window left behind.
struct Outcome {
    std::vector<std::string> found;
    std::vector<QString> tips;
    std::string keywords;
    std::vector<std::string> requests;
};

class WindowOptionsTest : public WindowTest {
public:
    void SetUp() override {
        window_ = std::make_unique<frmMain>(desktop_, QString());
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    QAbstractItemModel& Model() { return *Child<QTableView>(*window_, "List2")->model(); }
    Outcome Run(LoopbackSite& site, std::size_t width) {
        Action(("mnuPagesAtOnce" + std::to_string(width)).c_str())->trigger();
        site.ClearRequests();
        CrawlByEnter(site.Url("/"));
        Outcome outcome;
        for (int row = 0; row < Model().rowCount(); ++row) {
            outcome.found.push_back(Found().Text(static_cast<std::size_t>(row)).data());
            outcome.tips.push_back(Model().index(row, 0).data(Qt::ToolTipRole).toString());
        }
        desktop_.saveAnswer = kKeywordFile;
        window_->cmdsave_Click();
        outcome.keywords = desktop_.files[kKeywordFile];
        outcome.requests = vortaxel::test::Sorted(site.Targets());
        return outcome;
    }
};

// Under the root, pages /pN.html, each linking `links` random others (some of them missing, so some fetches fail),
// each answering after up to 3 ms, so pages fetched side by side come back in shuffled order.
void ServeRandomSite(LoopbackSite& site, int pages, int links, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> page(0, pages + pages / 10);
    // The classic rules keep links under the start address: the site's root.
    site.ServeHtml("/", R"(<a href="p0.html">start</a>)");
    for (int i = 0; i < pages; ++i) {
        std::string body = "<p>page " + std::to_string(i) + "</p>";
        for (int l = 0; l < links; ++l) {
            body += "<a href=\"p" + std::to_string(l == 0 ? i + 1 : page(random)) + ".html\">x</a>\n";
        }
        site.Serve("/p" + std::to_string(i) + ".html",
                   Page().WithBody(body).WithDelay(std::chrono::milliseconds(random() % 4)));
    }
}

TEST_F(WindowOptionsTest, EveryWidthFindsExportsAndRequestsTheSame) {
    const struct {
        const char* name;
        int pages;
        int links;
    } shapes[] = {{"sparse", 90, 2}, {"dense", 60, 25}};
    // Browser rules read each page while the next is fetched, at every width: the list stays the same.
    for (const auto& [shape, browser] : {std::pair{shapes[0], false}, std::pair{shapes[1], false},
                                         std::pair{shapes[0], true}, std::pair{shapes[1], true}}) {
        if (Action("mnuBrowserRules")->isChecked() != browser) {
            Action("mnuBrowserRules")->trigger();
        }
        for (const unsigned seed : {1u, 2u}) {
            SCOPED_TRACE(std::string(shape.name) + (browser ? " browser" : " classic") + " seed " +
                         std::to_string(seed));
            LoopbackSite& site = NewSite();
            ServeRandomSite(site, shape.pages, shape.links, seed);
            const Outcome one = Run(site, 1);
            ASSERT_GT(one.found.size(), 20u);
            ASSERT_FALSE(one.keywords.empty());
            ASSERT_TRUE(browser || std::ranges::any_of(one.tips, [](const QString& tip) { return !tip.isEmpty(); }))
                << "the site has missing pages";
            ASSERT_EQ(std::adjacent_find(one.requests.begin(), one.requests.end()), one.requests.end());
            for (const std::size_t width : {4u, 8u}) {
                SCOPED_TRACE(width);
                const Outcome wide = Run(site, width);
                EXPECT_EQ(wide.found, one.found);
                EXPECT_EQ(wide.tips, one.tips);
                EXPECT_EQ(wide.keywords, one.keywords);
                EXPECT_EQ(wide.requests, one.requests);
            }
        }
    }
}

TEST_F(WindowOptionsTest, ChoicesStartAtTheDefaultsAndAreRemembered) {
    QTemporaryDir dir;
    platform::QtSettingsStore settings(dir.filePath("settings.ini"));
    window_->UseSettings(settings);
    const QList<QAction*> menus = window_->menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[1]->text(), "&Options");
    EXPECT_EQ(menus[3]->text(), "&Help");
    QStringList entries;
    for (const QAction* entry : menus[1]->menu()->actions()) {
        if (!entry->isSeparator()) {
            entries << entry->text();
        }
    }
    EXPECT_EQ(entries, (QStringList{"&Browser Link Rules", "&Pages at Once", "&Delay Between Requests",
                                    "Obey &robots.txt", "&Key Phrases", "P&hrases From", "Crawl &Settings..."}));

    const struct {
        const char* action;
        const char* key;
        const char* stored;
        const char* fallback; // the entry checked on first start, and for a value that is no choice
    } rows[] = {
        {"mnuPagesAtOnce8", "PagesAtOnce", "8", "mnuPagesAtOnce1"},
        {"mnuDelay1000", "DelayMilliseconds", "1000", "mnuDelay0"},
        {"mnuObeyRobots", "ObeyRobots", "1", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        ASSERT_NE(Action(row.action), nullptr);
        if (row.fallback != nullptr) {
            EXPECT_TRUE(Action(row.fallback)->isChecked()) << "the default on first start";
        } else {
            EXPECT_FALSE(Action(row.action)->isChecked()) << "off on first start";
        }
        Action(row.action)->trigger();
        EXPECT_EQ(settings.Read({"Vortaxel", "Options", row.key}, "").value_or(""), row.stored);

        FakeDesktop desktop;
        frmMain again(desktop, QString());
        again.UseSettings(settings);
        EXPECT_TRUE(again.findChild<QAction*>(row.action)->isChecked()) << "remembered in the store";
        if (row.fallback != nullptr) {
            settings.Write({"Vortaxel", "Options", row.key}, "3");
            again.UseSettings(settings);
            EXPECT_TRUE(again.findChild<QAction*>(row.fallback)->isChecked()) << "no such choice";
            Action(row.fallback)->trigger();
        }
    }
}

TEST_F(WindowOptionsTest, KeyPhrasesAreOffAtFirstNeedTheBrowserRulesAndAreRemembered) {
    QTemporaryDir dir;
    platform::QtSettingsStore settings(dir.filePath("settings.ini"));
    window_->UseSettings(settings);
    QAction* keyPhrases = Action("mnuKeyPhrases");
    ASSERT_NE(keyPhrases, nullptr);
    EXPECT_FALSE(keyPhrases->isChecked()) << "off on first start";
    EXPECT_FALSE(keyPhrases->isEnabled()) << "the classic rules read no page text";
    EXPECT_TRUE(keyPhrases->toolTip().contains("Browser Link Rules"));

    Action("mnuBrowserRules")->trigger();
    EXPECT_TRUE(keyPhrases->isEnabled());
    keyPhrases->trigger();
    EXPECT_EQ(settings.Read({"Vortaxel", "Options", "KeyPhrases"}, "").value_or(""), "1");

    FakeDesktop desktop;
    frmMain again(desktop, QString());
    again.UseSettings(settings);
    QAction* remembered = again.findChild<QAction*>("mnuKeyPhrases");
    EXPECT_TRUE(remembered->isChecked() && remembered->isEnabled()) << "remembered, with the browser rules";

    // Without the browser rules the choice stays as made, greyed, and comes back with them.
    again.findChild<QAction*>("mnuBrowserRules")->trigger();
    EXPECT_TRUE(remembered->isChecked());
    EXPECT_FALSE(remembered->isEnabled());
    again.findChild<QAction*>("mnuBrowserRules")->trigger();
    EXPECT_TRUE(remembered->isEnabled());
}

TEST_F(WindowOptionsTest, FailedEntryIsMutedWithItsReasonAndStaysListedAndSelected) {
    LoopbackSite& site = NewSite();
    site.ServeHtml("/", R"(<a href="gone.html">gone</a> <a href="here.html">here</a>)");
    site.ServeHtml("/here.html", "<p>here</p>");
    CrawlByEnter(site.Url("/"));
    ASSERT_EQ(Model().rowCount(), 3);
    EXPECT_EQ(Found().SelectedCount(), 3u) << "selected like any other";
    EXPECT_EQ(Child<QLabel>(*window_, "lblcounter")->text(), "Retrieving URLs: 3");

    const QModelIndex failed = Model().index(1, 0);
    const QModelIndex fine = Model().index(2, 0);
    EXPECT_EQ(failed.data().toString(), QString::fromStdString(site.Url("/gone.html")));
    EXPECT_EQ(failed.data(Qt::ToolTipRole).toString(), QString::fromStdString(site.Url("/gone.html")) + "\n" +
                                                           failed.data(Qt::AccessibleDescriptionRole).toString())
        << "the whole address, then why it failed";
    EXPECT_TRUE(failed.data(Qt::AccessibleDescriptionRole).toString().contains("404"));
    EXPECT_EQ(fine.data(Qt::ToolTipRole).toString(), QString::fromStdString(site.Url("/here.html")));
    EXPECT_FALSE(fine.data(Qt::AccessibleDescriptionRole).isValid());

    // Drawn muted whether selected or not.
    auto* view = Child<QTableView>(*window_, "List2");
    ASSERT_NE(qobject_cast<MutedEntryDelegate*>(view->itemDelegate()), nullptr);
    const DelegateProbe probe;
    const QStyleOptionViewItem mutedOption = probe.OptionFor(*view, failed);
    const QStyleOptionViewItem plainOption = probe.OptionFor(*view, fine);
    EXPECT_EQ(mutedOption.palette.color(QPalette::Text),
              QApplication::palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_NE(mutedOption.palette.color(QPalette::Text), plainOption.palette.color(QPalette::Text));
    EXPECT_NE(mutedOption.palette.color(QPalette::HighlightedText),
              plainOption.palette.color(QPalette::HighlightedText));
    EXPECT_TRUE(mutedOption.font.italic() && !plainOption.font.italic()) << "told apart by more than colour";
    const QColor highlight = mutedOption.palette.color(QPalette::Highlight);
    EXPECT_GE(ContrastRatio(mutedOption.palette.color(QPalette::HighlightedText), highlight),
              std::min(kLeastTextContrast, ContrastRatio(Qt::black, highlight)))
        << "readable when selected";

    // The marks belong to the run: the next one starts clean.
    site.ServeHtml("/gone.html", "<p>back</p>");
    CrawlByEnter(site.Url("/"));
    for (int row = 0; row < Model().rowCount(); ++row) {
        EXPECT_FALSE(Model().index(row, 0).data(Qt::AccessibleDescriptionRole).isValid()) << row;
        EXPECT_EQ(Model().index(row, 0).data(Qt::ToolTipRole), Model().index(row, 0).data()) << row;
    }
}

TEST_F(WindowOptionsTest, ObeyRobotsChoiceLeavesDisallowedPagesUnfetchedAndUnlisted) {
    LoopbackSite& site = NewSite();
    site.Serve("/robots.txt", Page().WithBody("User-agent: *\nDisallow: /private").WithContentType("text/plain"));
    site.ServeHtml("/", R"(<a href="private.html">p</a> <a href="open.html">o</a>)");
    site.ServeHtml("/private.html", "<p>p</p>");
    site.ServeHtml("/open.html", "<p>o</p>");
    const struct {
        bool obey;
        std::size_t width;
        std::vector<std::string> found;
        std::vector<std::string> requests;
    } rows[] = {
        {false, 1, {"/", "/private.html", "/open.html"}, {"/", "/open.html", "/private.html"}},
        {true, 1, {"/", "/open.html"}, {"/", "/open.html", "/robots.txt"}},
        {true, 8, {"/", "/open.html"}, {"/", "/open.html", "/robots.txt"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.obey) + " at " + std::to_string(row.width));
        if (Action("mnuObeyRobots")->isChecked() != row.obey) {
            Action("mnuObeyRobots")->trigger();
        }
        const Outcome outcome = Run(site, row.width);
        std::vector<std::string> expected;
        for (const std::string& target : row.found) {
            expected.push_back(site.Url(target));
        }
        EXPECT_EQ(outcome.found, expected);
        EXPECT_EQ(outcome.requests, row.requests);
    }
}

TEST_F(WindowOptionsTest, ClosingWithEightTransfersPendingEndsWithinASecond) {
    Action("mnuPagesAtOnce8")->trigger();
    LoopbackSite& site = NewSite();
    std::string links;
    for (int i = 1; i <= 12; ++i) {
        const std::string target = "/hang" + std::to_string(i) + ".html";
        links += "<a href=\"" + target.substr(1) + "\">x</a>";
        site.Handle(target, [&site](const httplib::Request&, httplib::Response&) {
            while (!site.WaitForShutdown(50ms)) {
            }
        });
    }
    site.ServeHtml("/", links);
    QElapsedTimer sinceClose;
    WhenReady close([&] { return site.Targets().size() >= 9; },
                    [&] {
                        sinceClose.start();
                        window_->close();
                    });
    CrawlByEnter(site.Url("/"));
    ASSERT_TRUE(close.Fired()) << "eight transfers were pending";
    EXPECT_LT(sinceClose.elapsed(), 1000);
    EXPECT_FALSE(window_->Engine().IsRunning());
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(WindowOptionsTest, OnlyAStopTheEngineMakesItselfIsToldOnceTheRunHasEnded) {
    const struct {
        const char* name;
        std::uint64_t storeBytes;
        bool userStops;
        std::size_t messages;
    } rows[] = {
        {"memory budget", 64, false, 1},
        {"user's stop", crawl::RunLimits{}.storeBytes, true, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        desktop_.messages.clear();
        crawl::RunLimits limits;
        limits.storeBytes = row.storeBytes;
        window_->Engine().SetLimits(limits);
        LoopbackSite& site = NewSite();
        ServeShop(site, 5ms);
        WhenReady stop([&] { return row.userStops && Found().Count() >= 2; },
                       [&] { QTest::mouseClick(Child<QPushButton>(*window_, "cmdstop"), Qt::LeftButton); });
        CrawlByEnter(site.Url("/"));
        ASSERT_EQ(desktop_.messages.size(), row.messages);
        EXPECT_GE(Found().Count(), 1u) << "what was found stays";
        if (row.messages != 0) {
            EXPECT_EQ(desktop_.messages[0].title, "Vortaxel");
            EXPECT_TRUE(desktop_.messages[0].text.contains("memory budget")) << desktop_.messages[0].text.toStdString();
        }
    }
}

} // namespace
} // namespace vortaxel::ui::test
