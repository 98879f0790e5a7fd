// The report window over a crawl kept by a real run: its tables show the file's rows, sorted and filtered,
// a page's links, copy and CSV export, and rows a crawl adds later.

#include "app/run_controller.h"
#include "crawl/page_fetcher.h"
#include "fake_desktop.h"
#include "report_idle.h"
#include "store/crawl_store.h"
#include "tests/support/scratch_folder.h"
#include "ui/main_window.h"
#include "ui/report_table_model.h"
#include "ui/report_window.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>

namespace vortaxel::ui::test {
namespace {

constexpr const char* kStart = "http://shop.test/";

/// A small shop with one of each finding: a dead link on two pages, a shared title, a page without a
/// description, a noindex page, a redirect, and an anchor a spreadsheet would run.
class Shop final : public crawl::PageFetcher {
public:
    crawl::FetchedPage Fetch(const std::string& url) override {
        const std::string path = url.substr(std::string(kStart).size());
        if (path == "missing.html") {
            crawl::FetchedPage missing = crawl::FetchedPage::Failure("HTTP status 404");
            missing.status = 404;
            return missing;
        }
        static const std::map<std::string, std::string> kPages = {
            {"", "<title>Home</title><meta name=description content=Shop><a href=a.html>Apple</a>"
                 "<a href=b.html>Banana</a><a href=missing.html>Gone</a><a href=old.html>=SUM(1)</a>"},
            {"a.html", "<title>Fruit</title><a href=/>Home</a><a href=missing.html>Gone</a>"},
            {"b.html", "<title>Fruit</title><meta name=description content=Yellow>"
                       "<meta name=robots content=noindex><a href=/>Home</a>"},
            {"c.html", "<title>Cherry &lt;b>red</title><meta name=description content=Red>"},
        };
        const auto page = kPages.find(path == "old.html" ? "c.html" : path);
        crawl::FetchedPage fetched = crawl::FetchedPage::Success(page->second);
        fetched.status = 200;
        fetched.contentType = "text/html";
        if (path == "old.html") {
            fetched.finalUrl = std::string(kStart) + "c.html";
            fetched.redirects = 1;
            fetched.hops = {{301, url}};
        }
        return fetched;
    }
};

/// Keeps a browser-rules crawl of the shop in `path`: its first `pages` pages, or, resumed, the rest.
void Crawl(const std::string& path, std::size_t pages, bool resume) {
    std::string error;
    auto store = store::CrawlStore::Open(
        path, resume ? store::CrawlStore::Access::Resume : store::CrawlStore::Access::Create, error);
    ASSERT_NE(store, nullptr) << error;
    ASSERT_TRUE(store->StartRun({kStart, crawl::RuleSet::Browser, false, {}, {}, 1 << 30}));
    Shop shop;
    crawl::CrawlListener quiet;
    app::RunSetup setup;
    setup.rules = crawl::RuleSet::Browser;
    setup.limits.pages = pages;
    app::RunController controller(setup, quiet, shop);
    controller.KeepIn(*store);
    controller.Run(kStart, resume);
}

std::string Url(const std::string& path) {
    return kStart + path;
}

class ReportWindowTest : public testing::Test {
protected:
    void SetUp() override { Crawl(path_, SIZE_MAX, false); }

    /// As the program opens it: File > Open Crawl in the main window, then View > Report.
    void Open() {
        window_ = nullptr;
        main_ = std::make_unique<frmMain>(desktop_, QString());
        desktop_.openAnswer = path_;
        main_->mnuOpenCrawl_Click();
        ASSERT_TRUE(main_->KeptCrawlPath().has_value()) << "the crawl did not open";
        main_->findChild<QAction*>("mnuReport")->trigger();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* report = dynamic_cast<ReportWindow*>(widget); report != nullptr && report->isVisible()) {
                window_ = report;
            }
        }
        ASSERT_NE(window_, nullptr) << "View > Report showed no report";
        WaitForTheBackground();
    }

    /// On a connection of its own, as a report opened apart from any run holds its file only while it reads.
    void OpenApart() {
        std::string error;
        apart_ = ReportWindow::Open(path_, desktop_, error);
        ASSERT_NE(apart_, nullptr) << error;
        window_ = apart_.get();
        window_->show();
        WaitForTheBackground();
    }

    /// The work the window does away from its thread, done: bounded, however busy the machine.
    void WaitForTheBackground() { ASSERT_TRUE(Idle(*window_)); }

    QTableView* Table(const char* name) { return window_->findChild<QTableView*>(name); }

    /// The column `column` of every row the view shows.
    static std::vector<std::string> Column(QTableView* view, int column) {
        std::vector<std::string> cells;
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            cells.push_back(view->model()->index(row, column).data().toString().toStdString());
        }
        return cells;
    }

    vortaxel::test::ScratchFolder folder_{"report"};
    std::string path_ = (folder_ / "crawl.db").string();
    FakeDesktop desktop_;
    std::unique_ptr<frmMain> main_;
    std::unique_ptr<ReportWindow> apart_;
    /// The report shown: the main window's, which owns it, or the one opened apart.
    ReportWindow* window_ = nullptr;
};

TEST_F(ReportWindowTest, TablesSortAndFilterTheKeptRows) {
    Open();
    struct Row {
        const char* table;
        const char* filter;
        /// -1: the crawl's order.
        int sortColumn;
        Qt::SortOrder order;
        int shownColumn;
        std::vector<std::string> expected;
    };
    const std::vector<Row> rows = {
        {"Pages",
         "",
         -1,
         Qt::AscendingOrder,
         0,
         {Url(""), Url("a.html"), Url("b.html"), Url("missing.html"), Url("old.html")}},
        {"Pages", "fruit", -1, Qt::AscendingOrder, 0, {Url("a.html"), Url("b.html")}},
        {"Pages", "", 1, Qt::DescendingOrder, 1, {"404", "200", "200", "200", "200"}},
        {"Pages", "", 4, Qt::AscendingOrder, 4, {"", "Cherry <b>red", "Fruit", "Fruit", "Home"}},
        // As typed: a % is no wildcard.
        {"Pages", "%", -1, Qt::AscendingOrder, 0, {}},
        {"Links", "gone", -1, Qt::AscendingOrder, 0, {Url(""), Url("a.html")}},
        {"Links", "gone", -1, Qt::AscendingOrder, 6, {"404", "404"}},
        {"Links",
         "",
         1,
         Qt::DescendingOrder,
         1,
         {Url("old.html"), Url("missing.html"), Url("missing.html"), Url("b.html"), Url("a.html"), Url(""), Url("")}},
        {"Issues",
         "",
         -1,
         Qt::AscendingOrder,
         0,
         {"broken link", "broken link", "client error", "redirect", "title too short", "title too short",
          "title too short", "duplicate title", "duplicate title", "missing description", "description too short",
          "description too short", "missing h1", "missing h1", "missing h1", "noindex"}},
        {"Issues",
         "",
         -1,
         Qt::AscendingOrder,
         1,
         {Url(""), Url("a.html"), Url("missing.html"), Url("old.html"), Url(""), Url("a.html"), Url("b.html"),
          Url("a.html"), Url("b.html"), Url("a.html"), Url(""), Url("b.html"), Url(""), Url("a.html"), Url("b.html"),
          Url("b.html")}},
        {"Issues", "too short", -1, Qt::AscendingOrder, 3, {"notice", "notice", "notice", "notice", "notice"}},
        {"Issues", "duplicate", -1, Qt::AscendingOrder, 2, {"Fruit", "Fruit"}},
    };
    auto* tabs = window_->findChild<QTabWidget*>("tabsReport");
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.table) + " filtered by '" + row.filter + "', column " +
                     std::to_string(row.sortColumn));
        tabs->setCurrentWidget(window_->findChild<QWidget*>(QString("tab") + row.table));
        WaitForTheBackground();
        QTableView* view = Table((QString("tbl") + row.table).toUtf8().constData());
        window_->findChild<QLineEdit*>(QString("txtFilter") + row.table)->setText(row.filter);
        view->sortByColumn(row.sortColumn, row.order);
        EXPECT_EQ(Column(view, row.shownColumn), row.expected);
    }
    // A title holding markup shows as the text it is, in its tooltip too.
    window_->findChild<QLineEdit*>("txtFilterPages")->setText("cherry");
    QTextDocument tip;
    tip.setHtml(Table("tblPages")->model()->index(0, 4).data(Qt::ToolTipRole).toString());
    EXPECT_EQ(tip.toPlainText().toStdString(), "Cherry <b>red");
}

TEST_F(ReportWindowTest, APageShowsItsFactsAndTheLinksInAndOut) {
    Open();
    QTableView* pages = Table("tblPages");
    struct Row {
        int page;
        const char* fact;
        std::vector<std::string> inlinks;
        std::vector<std::string> outlinks;
    };
    const std::vector<Row> rows = {
        {0,
         "Indexability: indexable",
         {Url("a.html"), Url("b.html")},
         {Url("a.html"), Url("b.html"), Url("missing.html"), Url("old.html")}},
        {2, "Robots: noindex", {Url("")}, {Url("")}},
        {3, "Indexability: client error", {Url(""), Url("a.html")}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.page);
        pages->setCurrentIndex(pages->model()->index(row.page, 0));
        EXPECT_TRUE(window_->findChild<QPlainTextEdit*>("txtFacts")->toPlainText().contains(row.fact));
        EXPECT_EQ(Column(Table("tblInlinks"), 0), row.inlinks);
        EXPECT_EQ(Column(Table("tblOutlinks"), 1), row.outlinks);
    }
}

TEST_F(ReportWindowTest, CopiesSelectedRowsAndExportsTheTableAsCsv) {
    Open();
    QTableView* links = Table("tblLinks");
    window_->findChild<QTabWidget*>("tabsReport")->setCurrentIndex(1);
    window_->findChild<QLineEdit*>("txtFilterLinks")->setText("old");
    links->selectAll();
    links->setFocus();
    QTest::keyClick(links, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              Url("") + "\t" + Url("old.html") + "\t=SUM(1)\ta\t\tyes\t200\t\n");

    desktop_.saveAnswer = "/out/links.csv";
    window_->ExportCsv();
    EXPECT_EQ(desktop_.files["/out/links.csv"], "Source,Target,Anchor,Element,Rel,Follow,Status,Error\r\n" + Url("") +
                                                    "," + Url("old.html") + ",'=SUM(1),a,,yes,200,\r\n");
    desktop_.saveAnswer.clear();
    desktop_.files.clear();
    window_->ExportCsv();
    EXPECT_TRUE(desktop_.files.empty()) << "a cancelled dialog writes nothing";
}

TEST_F(ReportWindowTest, RowsACrawlAddsAppearOnRefreshWithTheSelectionKept) {
    std::filesystem::remove(path_);
    Crawl(path_, 2, false);
    OpenApart();
    QTableView* pages = Table("tblPages");
    ASSERT_EQ(Column(pages, 0), (std::vector<std::string>{Url(""), Url("a.html")}));
    pages->selectRow(1);

    // The window holds the file only while it reads: a run carries the crawl on meanwhile.
    Crawl(path_, SIZE_MAX, true);
    window_->Refresh();
    EXPECT_EQ(pages->model()->rowCount(), 5);
    EXPECT_EQ(Column(pages, 0).back(), Url("old.html"));
    EXPECT_EQ(pages->selectionModel()->selectedRows().value(0).row(), 1);
}

/// Refreshes the report at every page the run fetches and notes the rows it shows then.
class Watcher final : public crawl::CrawlListener {
public:
    void PageFetched(const std::string&, const crawl::FetchedPage&) override {
        if (window != nullptr) {
            window->Refresh();
            shown.push_back(window->findChild<QTableView*>("tblPages")->model()->rowCount());
        }
    }
    ReportWindow* window = nullptr;
    std::vector<int> shown;
};

TEST(ReportWindowLive, FollowsARunThroughTheRunsOwnConnection) {
    vortaxel::test::ScratchFolder folder("report");
    std::string error;
    auto store = store::CrawlStore::Open((folder / "crawl.db").string(), store::CrawlStore::Access::Create, error);
    ASSERT_NE(store, nullptr) << error;
    ASSERT_TRUE(store->StartRun({kStart, crawl::RuleSet::Browser, false, {}, {}, 1 << 30}));
    Shop shop;
    Watcher watcher;
    app::RunSetup setup;
    setup.rules = crawl::RuleSet::Browser;
    app::RunController controller(setup, watcher, shop);
    controller.KeepIn(*store);
    FakeDesktop desktop;
    ReportWindow window(*store, desktop);
    watcher.window = &window;
    controller.Run(kStart);
    // The crawl is written behind the run: each refresh shows at most the pages of the turns before,
    // never fewer than the refresh before, and all of them once the run has ended.
    ASSERT_EQ(watcher.shown.size(), 5u);
    for (std::size_t i = 0; i < watcher.shown.size(); ++i) {
        EXPECT_LE(watcher.shown[i], int(i));
        EXPECT_GE(watcher.shown[i], i == 0 ? 0 : watcher.shown[i - 1]);
    }
    window.Refresh();
    EXPECT_EQ(window.findChild<QTableView*>("tblPages")->model()->rowCount(), 5);
}

TEST_F(ReportWindowTest, AddressColumnsFitTheirContentAndLoseTheirMiddleNotTheirEnd) {
    Open();
    for (const char* name : {"tblPages", "tblLinks", "tblIssues", "tblInlinks", "tblOutlinks"}) {
        SCOPED_TRACE(name);
        QTableView* view = Table(name);
        EXPECT_EQ(view->textElideMode(), Qt::ElideMiddle);
        EXPECT_EQ(view->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    }
    QTableView* pages = Table("tblPages");
    const int address = pages->fontMetrics().horizontalAdvance(QString::fromStdString(Url("missing.html")));
    EXPECT_GE(pages->columnWidth(0), address) << "the longest address reads whole";
    EXPECT_LT(pages->columnWidth(0), 600) << "and no wider than a screen can spare";
    // Each cell's whole text, markup or not, is its tooltip.
    QTextDocument tip;
    tip.setHtml(pages->model()->index(3, 0).data(Qt::ToolTipRole).toString());
    EXPECT_EQ(tip.toPlainText().toStdString(), Url("missing.html"));
}

TEST_F(ReportWindowTest, TitledByTheFileNameCountsInTheSingularAndEscapeCloses) {
    Open();
    EXPECT_EQ(window_->windowTitle().toStdString(), "Report - crawl.db");
    auto* filter = window_->findChild<QLineEdit*>("txtFilterPages");
    auto* count = window_->findChild<QLabel*>("lblCountPages");
    const struct {
        const char* filter;
        const char* shown;
    } rows[] = {{"", "5 rows"}, {"missing", "1 row"}, {"nothing like it", "0 rows"}};
    for (const auto& row : rows) {
        filter->setText(row.filter);
        EXPECT_EQ(count->text().toStdString(), row.shown);
        // What a screen reader reads of the label: its name says what it is, its description the count.
        QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(count);
        ASSERT_NE(readable, nullptr);
        EXPECT_EQ(readable->text(QAccessible::Description).toStdString(), row.shown);
    }
    filter->clear();
    const auto facts = [this] { return window_->findChild<QPlainTextEdit*>("txtFacts")->toPlainText(); };
    Table("tblPages")->setCurrentIndex(Table("tblPages")->model()->index(3, 0));
    EXPECT_TRUE(facts().contains("Inlinks: 2 pages")) << facts().toStdString();
    Table("tblPages")->setCurrentIndex(Table("tblPages")->model()->index(2, 0));
    EXPECT_TRUE(facts().contains("Inlinks: 1 page\n")) << facts().toStdString();

    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    Table("tblPages")->setFocus();
    QTest::keyClick(Table("tblPages"), Qt::Key_Escape);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(window_->testAttribute(Qt::WA_QuitOnClose)) << "a report left open never keeps the program running";
}

TEST_F(ReportWindowTest, TabLeavesEachTableForTheNextControl) {
    Open();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    auto* tabs = window_->findChild<QTabWidget*>("tabsReport");
    for (int tab = 0; tab < 3; ++tab) {
        SCOPED_TRACE(tab);
        tabs->setCurrentIndex(tab);
        QTableView* view = Table(tab == 0 ? "tblPages" : tab == 1 ? "tblLinks" : "tblIssues");
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, 0));
        QTest::keyClick(view, Qt::Key_Tab);
        EXPECT_FALSE(view->hasFocus()) << "Tab moved on";
        // Copy and Export CSV are reached from the table by the keyboard alone.
        std::set<QString> reached;
        for (int press = 0; press < 12 && QApplication::focusWidget() != nullptr; ++press) {
            reached.insert(QApplication::focusWidget()->objectName());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        EXPECT_TRUE(reached.count("cmdCopy") == 1 && reached.count("cmdExportCsv") == 1);
    }
}

TEST_F(ReportWindowTest, IssuesAreWorkedOutAwayFromTheWindowsThreadWithTheWorkShown) {
    Open();
    auto* bar = window_->findChild<QProgressBar*>("barIssues");
    auto* again = window_->findChild<QPushButton*>("cmdFindIssues");
    auto* note = window_->findChild<QLabel*>("lblIssueNote");
    window_->findChild<QTabWidget*>("tabsReport")->setCurrentIndex(2);
    // The call returns at once; the window says the work goes on until its outcome arrives.
    EXPECT_TRUE(window_->Busy());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(again->isEnabled());
    WaitForTheBackground();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(again->isEnabled());
    EXPECT_EQ(Table("tblIssues")->model()->rowCount(), 16);

    // Nothing is worked out beside a run writing the crawl: the issues come once it has ended.
    window_->SetRunGoing(true);
    window_->FindIssues();
    EXPECT_FALSE(window_->Busy());
    EXPECT_TRUE(note->isVisible() && note->text().contains("once the crawl has ended")) << note->text().toStdString();
    window_->SetRunGoing(false);
    WaitForTheBackground();
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(Table("tblIssues")->model()->rowCount(), 16);
}

// The Issues tab shows the findings as the audit page does: a tree of kind, count and pages; choosing a kind
// narrows the table to it, and opening it shows its pages.
TEST_F(ReportWindowTest, IssuesAreATreeOfKindCountAndPages) {
    Open();
    window_->findChild<QTabWidget*>("tabsReport")->setCurrentIndex(2);
    WaitForTheBackground();
    auto* tree = window_->findChild<QTreeWidget*>("treeIssues");
    ASSERT_NE(tree, nullptr);
    QTableView* table = Table("tblIssues");
    ASSERT_GE(tree->topLevelItemCount(), 3);
    QTreeWidgetItem* all = tree->topLevelItem(0);
    EXPECT_EQ(all->text(0), "All issues");
    EXPECT_EQ(all->text(2), "16");
    int rows = 0;
    QTreeWidgetItem* broken = nullptr;
    for (int i = 1; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* kind = tree->topLevelItem(i);
        rows += kind->text(2).toInt();
        if (kind->text(0) == "Broken links") {
            broken = kind;
        }
    }
    EXPECT_EQ(rows, 16);
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->text(1), "error");
    tree->setCurrentItem(broken);
    const std::vector<std::string> issues = Column(table, 0);
    ASSERT_EQ(issues.size(), static_cast<std::size_t>(broken->text(2).toInt()));
    EXPECT_TRUE(
        std::all_of(issues.begin(), issues.end(), [&](const std::string& issue) { return issue == issues.front(); }));
    broken->setExpanded(true);
    ASSERT_EQ(broken->childCount(), broken->text(2).toInt());
    EXPECT_TRUE(broken->child(0)->text(0).startsWith(QString::fromStdString(Url(""))))
        << broken->child(0)->text(0).toStdString();
    tree->setCurrentItem(all);
    EXPECT_EQ(table->model()->rowCount(), 16);
}

TEST_F(ReportWindowTest, ExportSaysOnTheWindowWhatItWrote) {
    Open();
    desktop_.saveAnswer = "/out/pages.csv";
    window_->ExportCsv();
    ASSERT_EQ(desktop_.files.count("/out/pages.csv"), 1u);
    EXPECT_EQ(window_->findChild<QLabel*>("lblReportStatus")->text().toStdString(),
              "Exported 5 rows to /out/pages.csv");
}

/// One page linking more pages than a view is given at first.
class WideSite final : public crawl::PageFetcher {
public:
    static constexpr int kPages = ReportTableModel::kShownStep + 60;
    crawl::FetchedPage Fetch(const std::string& url) override {
        std::string body = "<title>page</title>";
        if (url == kStart) {
            for (int i = 0; i < kPages; ++i) {
                body += "<a href=p" + std::to_string(i) + ".html>p</a>";
            }
        }
        crawl::FetchedPage fetched = crawl::FetchedPage::Success(body);
        fetched.status = 200;
        fetched.contentType = "text/html";
        return fetched;
    }
};

TEST(ReportWindowLong, CtrlEndReachesTheLastRowOfTheTableNotOfTheRowsReadSoFar) {
    vortaxel::test::ScratchFolder folder("report");
    const std::string path = (folder / "wide.db").string();
    {
        std::string error;
        auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Create, error);
        ASSERT_NE(store, nullptr) << error;
        ASSERT_TRUE(store->StartRun({kStart, crawl::RuleSet::Browser, false, {}, {}, 1 << 30}));
        WideSite site;
        crawl::CrawlListener quiet;
        app::RunSetup setup;
        setup.rules = crawl::RuleSet::Browser;
        app::RunController controller(setup, quiet, site);
        controller.KeepIn(*store);
        controller.Run(kStart);
    }
    FakeDesktop desktop;
    std::string error;
    auto window = ReportWindow::Open(path, desktop, error);
    ASSERT_NE(window, nullptr) << error;
    window->show();
    ASSERT_TRUE(Idle(*window));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTableView* pages = window->findChild<QTableView*>("tblPages");
    pages->setFocus();
    pages->setCurrentIndex(pages->model()->index(0, 0));
    QTest::keyClick(pages, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex().row(), WideSite::kPages) << "the start page and every page it links";
    EXPECT_EQ(pages->model()->index(WideSite::kPages, 0).data().toString().toStdString(),
              Url("p" + std::to_string(WideSite::kPages - 1) + ".html"))
        << pages->model()->index(WideSite::kPages - 1, 0).data().toString().toStdString() << " "
        << static_cast<ReportTableModel*>(pages->model())->Error().toStdString();
}

TEST(ReportWindowControls, EveryControlIsNamedAndTheMenuEntryNeedsACrawl) {
    vortaxel::test::ScratchFolder folder("report");
    const std::string path = (folder / "crawl.db").string();
    Crawl(path, SIZE_MAX, false);
    FakeDesktop desktop;
    std::string error;
    auto window = ReportWindow::Open(path, desktop, error);
    ASSERT_NE(window, nullptr) << error;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
            qobject_cast<QTableView*>(control) || qobject_cast<QTabWidget*>(control) ||
            qobject_cast<QPlainTextEdit*>(control)) {
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << control->objectName().toStdString() << " " << control->metaObject()->className();
        }
    }
    EXPECT_EQ(ReportWindow::Open((folder / "none.db").string(), desktop, error), nullptr);
    EXPECT_NE(error.find("none.db"), std::string::npos) << error;

    frmMain main(desktop, QString());
    auto* report = main.findChild<QAction*>("mnuReport");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->text(), "&Report...");
    EXPECT_FALSE(report->isEnabled()) << "the window keeps no crawl yet";
}

} // namespace
} // namespace vortaxel::ui::test
