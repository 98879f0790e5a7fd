// The crawl the window keeps on disk: continued after a stop or a closed window, saved, reopened
// without the network, and the audit page written from it.
#include "tests/support/scratch_folder.h"
#include "ui/main_window.h"
#include "ui/report_window.h"
#include "window_test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace vortaxel::ui::test {
namespace {

using namespace std::chrono_literals;
using vortaxel::test::LoopbackSite;

class WindowCrawlFileTest : public WindowTest {
public:
    void SetUp() override { window_ = NewWindow(); }
    void TearDown() override { window_.reset(); }

    std::unique_ptr<frmMain> NewWindow() {
        auto window = std::make_unique<frmMain>(desktop_, QCoreApplication::applicationDirPath() + "/../../ui");
        window->UseDataFolder(data_);
        window->show();
        return window;
    }

    /// Each row's tooltip: a failed entry's carries the reason.
    std::vector<std::string> Tips() {
        std::vector<std::string> tips;
        QAbstractItemModel& model = *Child<QTableView>(*window_, "List2")->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            tips.push_back(model.index(row, 0).data(Qt::ToolTipRole).toString().toStdString());
        }
        return tips;
    }
    void UseBrowserRules(bool browser) {
        if (Action("mnuBrowserRules")->isChecked() != browser) {
            Action("mnuBrowserRules")->trigger();
        }
    }
    std::string InFolder(const char* name) { return (folder_.Path() / name).string(); }

    vortaxel::test::ScratchFolder folder_{"window-crawls"};
    FakeDataFolder data_{folder_.Path().string()};
};

TEST_F(WindowCrawlFileTest, ACrawlCutShortContinuesWithExactlyTheRest) {
    const struct {
        const char* name;
        bool browser;
        bool closeWindow;
    } rows[] = {
        {"classic rules, stopped", false, false},
        {"browser rules, stopped", true, false},
        {"classic rules, window closed", false, true},
        {"browser rules, window closed", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        window_ = NewWindow();
        UseBrowserRules(row.browser);
        LoopbackSite& site = NewSite();
        ServeShop(site, 0ms);
        site.Serve("/a.html", vortaxel::test::Page{}.WithStatus(404));
        CrawlByEnter(site.Url("/"));
        const std::vector<std::string> whole = FoundTexts();
        const std::vector<std::string> wholeTips = Tips();
        ASSERT_EQ(whole.size(), row.browser ? 4u : 5u);
        ASSERT_EQ(std::ranges::count_if(wholeTips,
                                        [](const std::string& tip) {
                                            // The reason follows the address, whose port may hold "404" too.
                                            const std::size_t reason = tip.find('\n');
                                            return reason != std::string::npos &&
                                                   tip.find("404", reason) != std::string::npos;
                                        }),
                  row.browser ? 0 : 1);
        EXPECT_FALSE(Action("mnuContinue")->isEnabled()) << "a finished crawl has nothing left";

        site.ClearRequests();
        // Under either rules two pages are listed before c.html is fetched, and the crawl cannot get past
        // it until the cut has landed, however slow the machine; the stop lets the page in hand finish,
        // so d.html is left for the continued crawl.
        site.Hold("/c.html");
        WhenReady cut([&] { return window_->Engine().List2().Count() >= 2; },
                      [&] {
                          if (row.closeWindow) {
                              window_->close();
                          } else {
                              QTest::mouseClick(Child<QPushButton>(*window_, "cmdstop"), Qt::LeftButton);
                          }
                          site.Release("/c.html");
                      });
        CrawlByEnter(site.Url("/"));
        ASSERT_TRUE(cut.Fired());
        const std::vector<std::string> before = FoundTexts();
        ASSERT_LT(before.size(), whole.size());
        const std::vector<std::string> fetchedBefore = site.Targets();

        site.ClearRequests();
        if (row.closeWindow) {
            window_.reset();
            desktop_.questions.clear();
            desktop_.askAnswer = true;
            window_ = NewWindow();
            window_->OfferKeptCrawl();
            ASSERT_EQ(desktop_.questions.size(), 1u);
            EXPECT_TRUE(desktop_.questions[0].text.contains(QString::fromStdString(site.Url("/"))));
        } else {
            ASSERT_TRUE(Action("mnuContinue")->isEnabled());
            Action("mnuContinue")->trigger();
        }
        EXPECT_EQ(FoundTexts(), whole);
        EXPECT_EQ(Tips(), wholeTips) << "a page that failed before stays muted";
        for (const std::string& target : site.Targets()) {
            EXPECT_NE(target, "/") << "the start page is not fetched again";
        }
        EXPECT_LE(site.Targets().size() + fetchedBefore.size(), whole.size() + 4)
            << "at most the pages in flight twice";
        EXPECT_FALSE(Action("mnuContinue")->isEnabled());
        EXPECT_TRUE(desktop_.messages.empty());
    }
}

TEST_F(WindowCrawlFileTest, AnAnsweredNoLeavesTheWindowEmptyAndAFinishedCrawlIsNotOffered) {
    LoopbackSite& site = NewSite();
    ServeShop(site, 0ms);
    site.Hold("/c.html");
    WhenReady stop([&] { return !site.Targets().empty() && site.Targets().back() == "/c.html"; },
                   [&] {
                       window_->close();
                       site.Release("/c.html");
                   });
    CrawlByEnter(site.Url("/"));
    window_.reset();

    desktop_.askAnswer = false;
    window_ = NewWindow();
    site.ClearRequests();
    window_->OfferKeptCrawl();
    EXPECT_EQ(desktop_.questions.size(), 1u);
    EXPECT_TRUE(FoundTexts().empty());
    EXPECT_TRUE(site.Targets().empty());

    CrawlByEnter(site.Url("/"));
    window_.reset();
    desktop_.questions.clear();
    window_ = NewWindow();
    window_->OfferKeptCrawl();
    EXPECT_TRUE(desktop_.questions.empty()) << "a crawl that ran to its end is not offered";
}

TEST_F(WindowCrawlFileTest, OnlyACrawlCutShortIsOfferedAtTheNextStart) {
    const struct {
        const char* name;
        bool stopFirst;
        bool closeWindow;
        bool offered;
    } rows[] = {
        {"ended with Stop", true, false, false},
        {"window closed during it", false, true, true},
        {"stopped, then carried on and cut short by a close", true, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        window_ = NewWindow();
        LoopbackSite& site = NewSite();
        ServeShop(site, 0ms);
        // The page held cannot come until the cut has landed, however slow the machine.
        const auto cutAt = [this, &site](const std::string& held, bool close) {
            site.Hold(held);
            return std::make_unique<WhenReady>(
                [&site, held] { return !site.Targets().empty() && site.Targets().back() == held; },
                [this, &site, held, close] {
                    if (close) {
                        window_->close();
                    } else {
                        QTest::mouseClick(Child<QPushButton>(*window_, "cmdstop"), Qt::LeftButton);
                    }
                    site.Release(held);
                });
        };
        {
            const auto cut = cutAt("/c.html", !row.stopFirst);
            CrawlByEnter(site.Url("/"));
            ASSERT_TRUE(cut->Fired());
        }
        if (row.stopFirst && row.closeWindow) {
            const auto cut = cutAt("/d.html", true);
            Action("mnuContinue")->trigger();
            ASSERT_TRUE(cut->Fired());
        }
        window_.reset();
        desktop_.questions.clear();
        desktop_.askAnswer = false;
        window_ = NewWindow();
        window_->OfferKeptCrawl();
        EXPECT_EQ(desktop_.questions.size(), row.offered ? 1u : 0u);
    }
}

TEST_F(WindowCrawlFileTest, TheStatusLineTellsOfTheCrawlShownWhateverBroughtItThere) {
    UseBrowserRules(false);
    LoopbackSite& site = NewSite();
    ServeShop(site, 0ms);
    site.Serve("/a.html", vortaxel::test::Page{}.WithStatus(404));
    const auto status = [this] { return Child<QLabel>(*window_, "statusText")->text().toStdString(); };
    site.Hold("/c.html");
    WhenReady stop([&] { return !site.Targets().empty() && site.Targets().back() == "/c.html"; },
                   [&] {
                       QTest::mouseClick(Child<QPushButton>(*window_, "cmdstop"), Qt::LeftButton);
                       site.Release("/c.html");
                   });
    CrawlByEnter(site.Url("/"));
    ASSERT_TRUE(stop.Fired());
    const std::string stopped = status();
    EXPECT_EQ(stopped.rfind("Stopped - Found 4 - Queued 1 - Failed 1 - ", 0), 0u) << stopped;
    desktop_.saveAnswer = InFolder("stopped.vxcrawl");
    Action("mnuSaveCrawlAs")->trigger();
    EXPECT_EQ(Child<QLabel>(*window_, "statusNote")->toolTip().toStdString(),
              "Crawl saved to " + InFolder("stopped.vxcrawl"));
    // The clock stopped with the run: a second later, a failed open shows the line again as it was.
    QTest::qWait(1100);
    desktop_.openAnswer = InFolder("none.vxcrawl");
    Action("mnuOpenCrawl")->trigger();
    EXPECT_EQ(status(), stopped) << "the time of a run that has ended stays as it was";
    desktop_.messages.clear();

    // Another crawl, with failures of its own and none of the first's; then the first, opened from its file.
    LoopbackSite& other = NewSite();
    other.ServeHtml("/", "<p>alone</p>");
    CrawlByEnter(other.Url("/"));
    EXPECT_EQ(status().rfind("Done - Found 1 - Queued 0 - Failed 0 - ", 0), 0u) << status();
    EXPECT_TRUE(Child<QLabel>(*window_, "statusNote")->text().isEmpty()) << "a new run starts a new story";
    desktop_.openAnswer = InFolder("stopped.vxcrawl");
    Action("mnuOpenCrawl")->trigger();
    EXPECT_EQ(status(), "Stopped - Found 4 - Queued 1 - Failed 1") << "no clock: no run of it took place here";
    EXPECT_EQ(Child<QLabel>(*window_, "lblcounter")->text().toStdString(), "Retrieving URLs: 4");

    // Carried on: the crawl's failures are those of all its runs, listed once each.
    Action("mnuContinue")->trigger();
    EXPECT_EQ(status().rfind("Done - Found 5 - Queued 0 - Failed 1 - ", 0), 0u) << status();
}

TEST_F(WindowCrawlFileTest, AReportFollowsTheCrawlShownAndGoesWithTheMainWindow) {
    UseBrowserRules(true);
    LoopbackSite& site = NewSite();
    ServeShop(site, 0ms);
    CrawlByEnter(site.Url("/"));
    window_->findChild<QAction*>("mnuReport")->trigger();
    auto* report = window_->findChild<QWidget*>("frmReport", Qt::FindDirectChildrenOnly);
    QWidget* shown = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == "frmReport" && top->isVisible()) {
            shown = top;
        }
    }
    ASSERT_EQ(report, nullptr) << "a window of its own";
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(window_->frameGeometry().intersects(shown->frameGeometry())) << "opened over the main window";
    EXPECT_EQ(shown->windowTitle().toStdString(), "Report - crawl-in-progress.vxcrawl");

    LoopbackSite& other = NewSite();
    other.ServeHtml("/", "<p>alone</p>");
    CrawlByEnter(other.Url("/"));
    QTableView* pages = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == "frmReport" && top->isVisible()) {
            pages = top->findChild<QTableView*>("tblPages");
        }
    }
    ASSERT_NE(pages, nullptr) << "the report stays open for the new crawl";
    for (int wait = 0; wait < 6000 && pages->model()->rowCount() != 1; ++wait) {
        QTest::qWait(10);
    }
    ASSERT_EQ(pages->model()->rowCount(), 1);
    EXPECT_EQ(pages->model()->index(0, 0).data().toString().toStdString(), other.Url("/"));

    window_->close();
    // The program ends when no window that keeps it running is left on screen.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(top->isVisible() && top->testAttribute(Qt::WA_QuitOnClose))
            << top->objectName().toStdString() << " keeps the program running";
    }
    EXPECT_FALSE(pages->window()->isVisible());
}

TEST_F(WindowCrawlFileTest, IssuesAskedForDuringACrawlAreWorkedOutOnceItHasEnded) {
    UseBrowserRules(true);
    LoopbackSite& site = NewSite();
    ServeShop(site, 0ms);
    site.Serve("/d.html", vortaxel::test::Page{}.WithStatus(404));
    ReportWindow* report = nullptr;
    QString during;
    site.Hold("/c.html");
    WhenReady ask([&] { return std::ranges::count(site.Targets(), std::string("/c.html")) != 0; },
                  [&] {
                      Action("mnuReport")->trigger();
                      for (QWidget* top : QApplication::topLevelWidgets()) {
                          if (auto* shown = qobject_cast<ReportWindow*>(top); shown != nullptr && shown->isVisible()) {
                              report = shown;
                          }
                      }
                      if (report != nullptr) {
                          report->findChild<QTabWidget*>("tabsReport")->setCurrentIndex(2);
                          during = report->findChild<QLabel*>("lblIssueNote")->text();
                          EXPECT_FALSE(report->Busy()) << "nothing is worked out beside the run";
                      }
                      site.Release("/c.html");
                  });
    CrawlByEnter(site.Url("/"));
    ASSERT_TRUE(ask.Fired());
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(during.contains("once the crawl has ended")) << during.toStdString();
    for (int wait = 0; wait < 6000 && report->Busy(); ++wait) {
        QTest::qWait(10);
    }
    ASSERT_FALSE(report->Busy());
    QTableView* issues = report->findChild<QTableView*>("tblIssues");
    bool broken = false;
    for (int row = 0; row < issues->model()->rowCount(); ++row) {
        broken = broken || issues->model()->index(row, 0).data().toString() == "broken link";
    }
    EXPECT_TRUE(broken) << "the link to the missing page, found once the crawl had ended";
}

TEST_F(WindowCrawlFileTest, ASavedCrawlReopensWithoutTheNetworkAndExports) {
    const struct {
        const char* name;
        bool browser;
        bool auditPage;
    } rows[] = {
        {"classic rules keep no audit", false, false},
        {"browser rules", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        window_ = NewWindow();
        UseBrowserRules(row.browser);
        desktop_.messages.clear();
        desktop_.files.clear();
        LoopbackSite& site = NewSite();
        ServeShop(site, 0ms);
        site.Serve("/d.html", vortaxel::test::Page{}.WithStatus(404));
        CrawlByEnter(site.Url("/"));
        const std::vector<std::string> crawled = FoundTexts();
        const std::vector<std::string> tips = Tips();
        ASSERT_TRUE(window_->KeptCrawlPath().has_value());
        EXPECT_EQ(std::filesystem::path(*window_->KeptCrawlPath()).parent_path(), folder_.Path());
        desktop_.saveAnswer = InFolder("first.kw");
        window_->cmdsave_Click();
        const std::string keywords = desktop_.files[InFolder("first.kw")];

        const std::string copy = InFolder(row.browser ? "browser.vxcrawl" : "classic.vxcrawl");
        desktop_.saveAnswer = copy;
        Action("mnuSaveCrawlAs")->trigger();
        ASSERT_TRUE(std::filesystem::exists(copy));
        EXPECT_FALSE(std::filesystem::exists(copy + ".part"));

        // Another crawl replaces the one in progress; the copy keeps the first.
        LoopbackSite& other = NewSite();
        ServeShop(other, 0ms);
        CrawlByEnter(other.Url("/"));
        site.ClearRequests();
        other.ClearRequests();

        desktop_.openAnswer = copy;
        Action("mnuOpenCrawl")->trigger();
        EXPECT_EQ(FoundTexts(), crawled);
        EXPECT_EQ(Tips(), tips);
        EXPECT_EQ(window_->KeptCrawlPath(), copy);
        EXPECT_EQ(txturl()->text().toStdString(), site.Url("/"));
        desktop_.saveAnswer = InFolder("again.kw");
        window_->cmdsave_Click();
        EXPECT_EQ(desktop_.files[InFolder("again.kw")], keywords);

        desktop_.messages.clear();
        desktop_.saveAnswer = InFolder("audit.html");
        EXPECT_EQ(Action("mnuSaveAuditPage")->isEnabled(), row.auditPage);
        Action("mnuSaveAuditPage")->trigger();
        if (row.auditPage) {
            ASSERT_EQ(desktop_.files.count(InFolder("audit.html")), 1u);
            EXPECT_NE(desktop_.files[InFolder("audit.html")].find("d.html"), std::string::npos);
            EXPECT_TRUE(desktop_.messages.empty());
            EXPECT_EQ(Child<QLabel>(*window_, "statusNote")->toolTip().toStdString(),
                      "Audit page saved to " + InFolder("audit.html"));
            EXPECT_FALSE(Action("mnuSaveAuditPage")->toolTip().contains("Needs"));
        } else {
            // Greyed, saying why in words of the window, not of the files behind it.
            EXPECT_EQ(desktop_.files.count(InFolder("audit.html")), 0u);
            EXPECT_TRUE(desktop_.messages.empty());
            EXPECT_TRUE(Action("mnuSaveAuditPage")->toolTip().contains("Browser Link Rules"));
            EXPECT_FALSE(Action("mnuSaveAuditPage")->toolTip().contains(QString::fromStdString(folder_.Path())));
        }
        EXPECT_TRUE(site.Targets().empty() && other.Targets().empty()) << "no request: the crawl is read from disk";
    }
}

TEST_F(WindowCrawlFileTest, AFileThatIsNoCrawlIsRefusedAndTheListStays) {
    LoopbackSite& site = NewSite();
    ServeShop(site, 0ms);
    CrawlByEnter(site.Url("/"));
    const std::vector<std::string> crawled = FoundTexts();
    const std::string text = InFolder("notes.txt");
    { std::ofstream(text) << "not a crawl\n"; }
    desktop_.openAnswer = text;
    Action("mnuOpenCrawl")->trigger();
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_TRUE(desktop_.messages[0].text.startsWith("Cannot open the crawl"))
        << desktop_.messages[0].text.toStdString();
    EXPECT_TRUE(desktop_.messages[0].text.contains("notes.txt"));
    EXPECT_EQ(FoundTexts(), crawled);
    EXPECT_EQ(vortaxel::test::ReadFile(text), "not a crawl\n");
}

TEST_F(WindowCrawlFileTest, ASecondWindowLeavesTheFirstOnesCrawlAlone) {
    LoopbackSite& site = NewSite();
    ServeShop(site, 0ms);
    CrawlByEnter(site.Url("/"));
    const std::vector<std::string> first = FoundTexts();

    std::unique_ptr<frmMain> second = NewWindow();
    std::swap(window_, second);
    LoopbackSite& other = NewSite();
    other.ServeHtml("/", "<p>alone</p>");
    CrawlByEnter(other.Url("/"));
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_TRUE(desktop_.messages[0].text.startsWith("The crawl will not be kept"))
        << desktop_.messages[0].text.toStdString();
    EXPECT_EQ(FoundTexts(), std::vector<std::string>{other.Url("/")}) << "the crawl itself still runs";
    EXPECT_FALSE(window_->KeptCrawlPath().has_value());

    second.reset();
    window_.reset();
    window_ = NewWindow();
    desktop_.openAnswer = InFolder("crawl-in-progress.vxcrawl");
    Action("mnuOpenCrawl")->trigger();
    EXPECT_EQ(FoundTexts(), first);
}

TEST_F(WindowCrawlFileTest, EditingTheUrlDropsThePagesFetchedAhead) {
    Action("mnuPagesAtOnce4")->trigger();
    LoopbackSite& site = NewSite();
    ServeShop(site, 0ms);
    // The page the stop waits for is held until pages after it have arrived ahead, however slow the machine.
    site.Hold("/a.html");
    WhenReady stop([&] { return window_->PagesHeldAhead() != 0; },
                   [&] {
                       QTest::mouseClick(Child<QPushButton>(*window_, "cmdstop"), Qt::LeftButton);
                       site.Release("/a.html");
                   });
    CrawlByEnter(site.Url("/"));
    ASSERT_TRUE(stop.Fired());
    ASSERT_NE(window_->PagesHeldAhead(), 0u);
    txturl()->setText(QString::fromStdString(site.Url("/b.html")));
    EXPECT_EQ(window_->PagesHeldAhead(), 0u);
}

} // namespace
} // namespace vortaxel::ui::test
