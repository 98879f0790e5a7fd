// The keyword map of a crawl the window made: the Key Phrases option reaches the run, the report's
// Keywords tab lists the site's phrases, sorted and filtered, and Compare Keywords With... shows the gap
// against another kept crawl and refuses what is none.

#include "report_idle.h"
#include "store/sqlite_db.h"
#include "tests/support/scratch_folder.h"
#include "ui/main_window.h"
#include "ui/report_window.h"
#include "window_test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace vortaxel::ui::test {
namespace {

using vortaxel::test::LoopbackSite;

/// A café's site: an index linking three pages, each about its own drink; `third` names the last.
void ServeCafe(LoopbackSite& site, const std::string& third) {
    site.ServeHtml("/", "<html lang=en><title>Coffee house</title><h1>Coffee house</h1>"
                        "<p>Fresh espresso machines and drinks.</p>"
                        "<a href=espresso.html>Espresso machines</a> <a href=grinder.html>Burr grinders</a> "
                        "<a href=third.html>" +
                            third + "</a></html>");
    site.ServeHtml("/espresso.html", "<html lang=en><title>Espresso machines</title><h1>Espresso machines</h1>"
                                     "<p>Espresso machines press hot water through ground coffee. Our espresso "
                                     "machines are made of steel.</p><a href=/>Home</a></html>");
    site.ServeHtml("/grinder.html", "<html lang=en><title>Burr grinders</title><h1>Burr grinders</h1>"
                                    "<p>Burr grinders crush coffee beans evenly. Conical burr grinders stay "
                                    "cool.</p><a href=/>Home</a></html>");
    site.ServeHtml("/third.html", "<html lang=en><title>" + third + "</title><h1>" + third + "</h1><p>" + third +
                                      " is served daily. We make " + third + " by hand.</p><a href=/>Home</a></html>");
}

class WindowKeywordsTest : public testing::Test {
public:
    std::unique_ptr<frmMain> NewWindow(FakeDataFolder& data) {
        auto window = std::make_unique<frmMain>(desktop_, QString());
        window->UseDataFolder(data);
        window->show();
        return window;
    }

    /// A crawl of `site` by `window` with the options given, as a user starts it.
    static void Crawl(frmMain& window, LoopbackSite& site, bool browser, bool keyPhrases) {
        auto* rules = window.findChild<QAction*>("mnuBrowserRules");
        if (rules->isChecked() != browser) {
            rules->trigger();
        }
        auto* phrases = window.findChild<QAction*>("mnuKeyPhrases");
        if (browser && phrases->isChecked() != keyPhrases) {
            phrases->trigger();
        }
        auto* field = Child<QLineEdit>(window, "txturl");
        field->setText(QString::fromStdString(site.Url("/")));
        QTest::keyClick(field, Qt::Key_Return);
    }

    /// Keeps a crawl of a café whose third page is about `third` in a file of its own, and gives its path.
    std::string KeptCrawl(const char* name, const std::string& third, bool browser, bool keyPhrases) {
        const std::filesystem::path folder = folder_.Path() / name;
        std::filesystem::create_directories(folder);
        FakeDataFolder data(folder.string());
        LoopbackSite site;
        ServeCafe(site, third);
        {
            std::unique_ptr<frmMain> other = NewWindow(data);
            Crawl(*other, site, browser, keyPhrases);
        }
        return (folder / "crawl-in-progress.vxcrawl").string();
    }

    static ReportWindow* ShownReport() {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "frmReport" && top->isVisible()) {
                return static_cast<ReportWindow*>(top);
            }
        }
        return nullptr;
    }

    static QWidget* ShownGap() {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "frmKeywordGap" && top->isVisible()) {
                return top;
            }
        }
        return nullptr;
    }

    static std::vector<std::string> Column(const QTableView& view, int column) {
        std::vector<std::string> cells;
        for (int row = 0; row < view.model()->rowCount(); ++row) {
            cells.push_back(view.model()->index(row, column).data().toString().toStdString());
        }
        return cells;
    }

    vortaxel::test::ScratchFolder folder_{"window-keywords"};
    FakeDataFolder data_{folder_.Path().string()};
    FakeDesktop desktop_;
};

TEST_F(WindowKeywordsTest, TheOptionReachesTheRunAndTheReportListsTheSitesPhrasesSortedAndFiltered) {
    const struct {
        const char* name;
        bool browser;
        bool keyPhrases;
        bool tab;
    } rows[] = {
        {"browser rules with key phrases", true, true, true},
        {"browser rules without", true, false, false},
        {"classic rules, the option left on", false, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<frmMain> window = NewWindow(data_);
        if (!row.browser) {
            // Chosen under the browser rules, then left on when the rules went back to classic.
            Crawl(*window, *std::make_unique<LoopbackSite>(), true, true);
        }
        LoopbackSite site;
        ServeCafe(site, "Green tea");
        Crawl(*window, site, row.browser, row.keyPhrases);
        window->findChild<QAction*>("mnuReport")->trigger();
        ReportWindow* report = ShownReport();
        ASSERT_NE(report, nullptr);
        ASSERT_TRUE(Idle(*report));
        auto* tabs = report->findChild<QTabWidget*>("tabsReport");
        ASSERT_EQ(tabs->count(), row.tab ? 4 : 3);
        if (!row.tab) {
            continue;
        }
        EXPECT_EQ(tabs->tabText(3), "&Keywords");
        tabs->setCurrentIndex(3);
        ASSERT_TRUE(Idle(*report));
        auto* table = report->findChild<QTableView*>("tblKeywords");
        ASSERT_NE(table, nullptr);
        const std::vector<std::string> phrases = Column(*table, 0);
        ASSERT_FALSE(phrases.empty());
        const auto holds = [&phrases](const char* words) {
            return std::any_of(phrases.begin(), phrases.end(), [words](const std::string& phrase) {
                return QString::fromStdString(phrase).contains(words, Qt::CaseInsensitive);
            });
        };
        EXPECT_TRUE(holds("espresso") && holds("grinder") && holds("tea"));

        table->sortByColumn(1, Qt::DescendingOrder);
        std::vector<double> scores;
        for (const std::string& score : Column(*table, 1)) {
            scores.push_back(std::stod(score));
        }
        EXPECT_TRUE(std::is_sorted(scores.rbegin(), scores.rend())) << "highest score first";

        report->findChild<QLineEdit*>("txtFilterKeywords")->setText("grinder");
        for (const std::string& cell : Column(*table, 0)) {
            EXPECT_NE(QString::fromStdString(cell).indexOf("grinder", 0, Qt::CaseInsensitive), -1) << cell;
        }
        table->setCurrentIndex(table->model()->index(0, 0));
        const std::vector<std::string> pages = Column(*report->findChild<QTableView*>("tblPhrasePages"), 0);
        ASSERT_FALSE(pages.empty());
        EXPECT_EQ(pages.front(), site.Url("/grinder.html")) << "the page that targets it";

        // The page's details name the phrases it is the best page for once the map has been worked out.
        tabs->setCurrentIndex(0);
        report->findChild<QLineEdit*>("txtFilterPages")->setText("grinder.html");
        auto* pageView = report->findChild<QTableView*>("tblPages");
        ASSERT_EQ(pageView->model()->rowCount(), 1);
        pageView->setCurrentIndex(pageView->model()->index(0, 0));
        ASSERT_TRUE(Idle(*report));
        const QString facts = report->findChild<QPlainTextEdit*>("txtFacts")->toPlainText();
        EXPECT_TRUE(facts.contains("Key phrases: ")) << facts.toStdString();
        // The page's own phrases, with their scores, as the map worked them out: its target phrase first.
        const auto field = [&facts](const char* name) { return facts.mid(facts.indexOf(name)).section('\n', 0, 0); };
        const QString own = field("Key phrases: ");
        EXPECT_TRUE(own.contains("grinder", Qt::CaseInsensitive) && own.contains(" (")) << facts.toStdString();
        EXPECT_FALSE(own.contains("none worked out")) << facts.toStdString();
        EXPECT_TRUE(field("Target phrase: ").contains("grinder", Qt::CaseInsensitive)) << facts.toStdString();
        const qsizetype best = facts.indexOf("Best page for: ");
        ASSERT_NE(best, -1) << facts.toStdString();
        EXPECT_TRUE(facts.mid(best).section('\n', 0, 0).contains("grinder", Qt::CaseInsensitive))
            << facts.toStdString();
    }
}

TEST_F(WindowKeywordsTest, APagesFactsShowItsOwnKeyPhrasesHoweverTheReportReadsTheCrawl) {
    const struct {
        const char* name;
        /// Opened on the kept file for reading alone, rather than following the window's runs.
        bool readsTheFile;
        /// Another program is writing the file meanwhile, so the report cannot keep the phrases in it.
        bool heldElsewhere;
    } ways[] = {{"a report that only reads the file", true, false},
                {"a file another program is writing", true, true},
                {"a report that follows a run", false, false}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        std::unique_ptr<ReportWindow> opened;
        std::unique_ptr<frmMain> window;
        LoopbackSite site;
        ServeCafe(site, "Green tea");
        ReportWindow* report = nullptr;
        store::SqlDatabase writer;
        if (way.readsTheFile) {
            const std::string path = KeptCrawl(way.heldElsewhere ? "held" : "kept", "Green tea", true, true);
            if (way.heldElsewhere) {
                // A writer's reserved lock: others still read the file, none can write it.
                ASSERT_TRUE(writer.Open(path, store::SqlDatabase::Mode::ReadWrite).Ok());
                ASSERT_TRUE(writer.Execute("BEGIN IMMEDIATE").Ok());
            }
            std::string error;
            opened = ReportWindow::Open(path, desktop_, error);
            ASSERT_NE(opened, nullptr) << error;
            opened->show();
            report = opened.get();
        } else {
            window = NewWindow(data_);
            Crawl(*window, site, true, true);
            window->findChild<QAction*>("mnuReport")->trigger();
            ASSERT_NE(ShownReport(), nullptr);
            ASSERT_TRUE(Idle(*ShownReport()));
            // The report shown goes along with the next run and works the map out once it has ended.
            Crawl(*window, site, true, true);
            report = ShownReport();
            ASSERT_NE(report, nullptr);
        }
        ASSERT_TRUE(Idle(*report));
        const struct {
            const char* page;
            const char* phrase;
        } rows[] = {{"grinder.html", "grinder"}, {"espresso.html", "espresso"}, {"third.html", "tea"}};
        for (const auto& row : rows) {
            SCOPED_TRACE(row.page);
            report->findChild<QLineEdit*>("txtFilterPages")->setText(row.page);
            auto* pageView = report->findChild<QTableView*>("tblPages");
            ASSERT_EQ(pageView->model()->rowCount(), 1);
            pageView->setCurrentIndex(pageView->model()->index(0, 0));
            ASSERT_TRUE(Idle(*report));
            const QString facts = report->findChild<QPlainTextEdit*>("txtFacts")->toPlainText();
            const auto field = [&facts](const char* name) {
                const qsizetype at = facts.indexOf(name);
                return at < 0 ? QString() : facts.mid(at).section('\n', 0, 0);
            };
            EXPECT_TRUE(field("Key phrases: ").contains(row.phrase, Qt::CaseInsensitive)) << facts.toStdString();
            EXPECT_TRUE(field("Target phrase: ").contains(row.phrase, Qt::CaseInsensitive)) << facts.toStdString();
        }
    }
}

TEST_F(WindowKeywordsTest, CompareKeywordsShowsTheGapAndRefusesWhatIsNoneWithAMessage) {
    const std::string theirs = KeptCrawl("theirs", "Latte art", true, true);
    const std::string classic = KeptCrawl("classic", "Latte art", false, false);
    const std::string without = KeptCrawl("without", "Latte art", true, false);
    const std::string notACrawl = (folder_.Path() / "notes.vxcrawl").string();
    std::ofstream(notACrawl) << "espresso, latte\n";

    std::unique_ptr<frmMain> window = NewWindow(data_);
    LoopbackSite site;
    ServeCafe(site, "Green tea");
    Crawl(*window, site, true, true);
    const std::string mine = window->KeptCrawlPath().value_or("");
    QAction* compare = window->findChild<QAction*>("mnuCompareKeywords");
    ASSERT_NE(compare, nullptr);
    ASSERT_TRUE(compare->isEnabled());

    const struct {
        const char* name;
        std::string path;
        const char* said;
    } refused[] = {
        {"not a crawl file", notACrawl, "not a crawl"},
        {"a crawl under classic rules", classic, "classic rules"},
        {"a crawl without key phrases", without, "without key phrases"},
        {"the crawl shown itself", mine, "with itself"},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.name);
        desktop_.messages.clear();
        desktop_.openAnswer = row.path;
        compare->trigger();
        ASSERT_EQ(desktop_.messages.size(), 1u);
        EXPECT_TRUE(desktop_.messages[0].text.contains(row.said)) << desktop_.messages[0].text.toStdString();
        EXPECT_EQ(ShownGap(), nullptr);
    }
    EXPECT_TRUE(std::filesystem::exists(notACrawl)) << "nothing is lost";

    desktop_.messages.clear();
    desktop_.openAnswer = theirs;
    compare->trigger();
    EXPECT_TRUE(desktop_.messages.empty());
    QWidget* gap = ShownGap();
    ASSERT_NE(gap, nullptr);
    auto* table = gap->findChild<QTableView*>("tblGap");
    const std::vector<std::string> phrases = Column(*table, 0);
    const std::vector<std::string> statuses = Column(*table, 3);
    const std::set<std::string> seen(statuses.begin(), statuses.end());
    EXPECT_EQ(seen, (std::set<std::string>{"gap", "shared", "only mine"}));
    for (std::size_t i = 0; i < phrases.size(); ++i) {
        const QString phrase = QString::fromStdString(phrases[i]);
        if (phrase.contains("latte", Qt::CaseInsensitive)) {
            EXPECT_EQ(statuses[i], "gap") << phrases[i] << ": only theirs";
        }
        if (phrase.contains("tea", Qt::CaseInsensitive)) {
            EXPECT_EQ(statuses[i], "only mine") << phrases[i];
        }
    }
    // What the user is missing comes first.
    EXPECT_EQ(statuses.front(), "gap");
}

} // namespace
} // namespace vortaxel::ui::test
