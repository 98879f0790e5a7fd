// The window by keyboard and screen reader, and the status line that tells how a run goes.
#include "ui/main_window.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <set>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

namespace vortaxel::ui::test {
namespace {

using namespace std::chrono_literals;
using vortaxel::test::LoopbackSite;

class WindowStatusTest : public WindowTest {
public:
    void SetUp() override {
        window_ = std::make_unique<frmMain>(desktop_, QCoreApplication::applicationDirPath() + "/../../ui");
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }

    QString Status() { return Child<QLabel>(*window_, "statusText")->text(); }
    void ClickStop() { QTest::mouseClick(Child<QPushButton>(*window_, "cmdstop"), Qt::LeftButton); }
};

/// The letters after "&" in the texts of `actions`.
std::multiset<QChar> AccessKeys(const QList<QAction*>& actions) {
    std::multiset<QChar> keys;
    for (const QAction* action : actions) {
        const qsizetype amp = action->text().indexOf('&');
        if (!action->isSeparator() && amp >= 0 && amp + 1 < action->text().size()) {
            keys.insert(action->text().at(amp + 1).toLower());
        }
    }
    return keys;
}

TEST_F(WindowStatusTest, MenusHaveAccessKeysAndF10OpensTheMenuBar) {
    const QList<QAction*> menus = window_->menuBar()->actions();
    std::vector<QList<QAction*>> levels{menus};
    for (const QAction* menu : menus) {
        levels.push_back(menu->menu()->actions());
    }
    for (const QList<QAction*>& level : levels) {
        std::size_t entries = 0;
        for (const QAction* action : level) {
            entries += action->isSeparator() ? 0 : 1;
        }
        const std::multiset<QChar> keys = AccessKeys(level);
        EXPECT_EQ(keys.size(), entries) << "every entry has an access key";
        EXPECT_EQ(std::set<QChar>(keys.begin(), keys.end()).size(), keys.size()) << "no two share one";
    }

    QTest::keyClick(txturl(), Qt::Key_F10);
    EXPECT_EQ(window_->menuBar()->activeAction(), menus.constFirst());
    QTest::keyClick(window_->menuBar(), Qt::Key_Escape);
    QTest::keyClick(window_->menuBar(), Qt::Key_Escape);
    EXPECT_EQ(txturl()->text(), "http://");
}

TEST_F(WindowStatusTest, OptionsEntriesReportThemselvesCheckable) {
    QMenu* options = window_->findChild<QMenu*>("mnuOptions");
    ASSERT_NE(options, nullptr);
    options->popup(window_->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(options);
    ASSERT_NE(menu, nullptr);
    int checkable = 0;
    for (int i = 0; i < menu->childCount(); ++i) {
        QAccessibleInterface* entry = menu->child(i);
        if (entry->text(QAccessible::Name).contains("robots") || entry->text(QAccessible::Name).contains("Browser")) {
            EXPECT_TRUE(entry->state().checkable) << entry->text(QAccessible::Name).toStdString();
            ++checkable;
        }
    }
    EXPECT_EQ(checkable, 2);
    options->hide();
}

TEST_F(WindowStatusTest, OptionsEntriesSayInTheirRoleThatTheyCanBeCheckedCheckedOrNot) {
    // The desktop's accessibility bus carries roles and "checked", not Qt's "checkable": the role must say it.
    int entries = 0;
    for (const char* name : {"mnuOptions", "mnuPagesAtOnce", "mnuDelay"}) {
        SCOPED_TRACE(name);
        QMenu* menu = window_->findChild<QMenu*>(name);
        ASSERT_NE(menu, nullptr);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(menu);
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->childCount(); ++i) {
            QAccessibleInterface* entry = list->child(i);
            auto* action = qobject_cast<QAction*>(entry->object());
            if (action == nullptr || !action->isCheckable()) {
                continue;
            }
            ++entries;
            SCOPED_TRACE(entry->text(QAccessible::Name).toStdString());
            EXPECT_EQ(entry->role(),
                      action->actionGroup() != nullptr ? QAccessible::RadioButton : QAccessible::CheckBox);
            EXPECT_EQ(entry->state().checked, action->isChecked());
            EXPECT_FALSE(entry->text(QAccessible::Name).contains('&'));
            EXPECT_EQ(entry->parent(), list);
        }
    }
    EXPECT_EQ(entries, 3 + 3 + 4);
    // And a screen reader's user can tick one.
    QAction* robots = window_->findChild<QAction*>("mnuObeyRobots");
    QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(robots);
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry->actionInterface(), nullptr);
    const bool before = robots->isChecked();
    entry->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_NE(robots->isChecked(), before);
}

TEST_F(WindowStatusTest, StatusLineCountsTheRunAndSaysDone) {
    EXPECT_FALSE(window_->statusBar()->accessibleName().isEmpty());
    EXPECT_FALSE(Child<QLabel>(*window_, "statusText")->accessibleName().isEmpty());
    LoopbackSite& site = NewSite();
    site.ServeHtml("/", R"(<a href="a.html">a</a> <a href="gone.html">gone</a>)");
    site.ServeHtml("/a.html", "<p>a</p>");
    // Held until the line is read, so the run is still going then however fast it would end.
    site.Hold("/a.html");
    QString during;
    WhenReady watch([&] { return Found().Count() >= 1; },
                    [&] {
                        during = Status();
                        site.Release("/a.html");
                    });
    CrawlByEnter(site.Url("/"));
    ASSERT_TRUE(watch.Fired());
    EXPECT_TRUE(during.startsWith("Found ")) << during.toStdString();
    const QString after = Status();
    EXPECT_TRUE(after.startsWith("Done - Found 3 - Queued 0 - Failed 1 - ")) << after.toStdString();
    EXPECT_TRUE(after.endsWith(" pages/s")) << after.toStdString();
}

TEST_F(WindowStatusTest, StartAddressThatCannotBeReachedSaysWhy) {
    // A port that was just in use and is closed now.
    const std::string start = LoopbackSite().Url("/");
    CrawlByEnter(start);
    EXPECT_TRUE(Status().startsWith(QString::fromStdString("Cannot reach " + start + ": "))) << Status().toStdString();
    EXPECT_GT(Status().size(), static_cast<qsizetype>(start.size() + 15)) << "with the reason";
}

TEST_F(WindowStatusTest, AStartThatFetchesNothingSaysWhyWithTheReasonInSight) {
    LoopbackSite& site = NewSite();
    site.ServeHtml("/", R"(<a href="a.html">a</a>)");
    site.ServeHtml("/a.html", "<p>a</p>");
    CrawlByEnter(site.Url("/"));
    ASSERT_EQ(Found().Count(), 2u);
    const std::string closed = LoopbackSite().Url("/");
    const std::string longAddress = closed + std::string(300, 'x') + "/end.html";
    const struct {
        const char* name;
        bool browser;
        std::string start;
        std::string shownStart;
        const char* reason;
    } rows[] = {
        {"no address, classic rules", false, "htp:/example.test/", "Cannot reach htp:/", "only http and https"},
        {"no address, browser rules", true, "htp:/example.test/", "The start failed: ", "it is no web address"},
        {"a long address that cannot be reached", false, longAddress, "Cannot reach http://127.0.0.1:", ": "},
        {"the same, browser rules", true, longAddress, "Cannot reach http://127.0.0.1:", ": "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto* browser = window_->findChild<QAction*>("mnuBrowserRules");
        if (browser->isChecked() != row.browser) {
            browser->trigger();
        }
        CrawlByEnter(row.start);
        QLabel* line = Child<QLabel>(*window_, "statusText");
        EXPECT_TRUE(line->text().startsWith(QString::fromStdString(row.shownStart))) << line->text().toStdString();
        EXPECT_TRUE(line->text().contains(row.reason)) << line->text().toStdString();
        EXPECT_LT(line->text().size(), 200) << "the reason is not pushed out of sight";
        EXPECT_FALSE(line->text().startsWith("Done")) << line->text().toStdString();
        EXPECT_TRUE(line->toolTip().contains(QString::fromStdString(row.start))) << "the whole address in the tooltip";
        QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(line);
        ASSERT_NE(readable, nullptr);
        EXPECT_TRUE(readable->text(QAccessible::Description).contains(row.reason))
            << "a screen reader reads the line itself, not only its name";
        EXPECT_EQ(Child<QLabel>(*window_, "lblcounter")->text().toStdString(),
                  "Retrieving URLs: " + std::to_string(Found().Count()))
            << "the count of the list before is gone with it";
    }
}

TEST_F(WindowStatusTest, SecondStopGivesUpThePageInHandAndTheLineSaysStopping) {
    LoopbackSite& site = NewSite();
    site.ServeHtml("/", R"(<a href="slow.html">slow</a> <a href="next.html">next</a>)");
    site.ServeHtml("/next.html", "<p>next</p>");
    site.Handle("/slow.html", [&site](const httplib::Request&, httplib::Response& response) {
        // Answers only after the test, or half a minute at most.
        for (int i = 0; i < 600 && !site.WaitForShutdown(50ms); ++i) {
        }
        response.set_content("<p>late</p>", "text/html");
    });
    QString stopping;
    WhenReady first([&] { return !site.Targets().empty() && site.Targets().back() == "/slow.html"; },
                    [&] {
                        ClickStop();
                        stopping = Status();
                        ClickStop();
                    });
    CrawlByEnter(site.Url("/"));
    ASSERT_TRUE(first.Fired());
    EXPECT_TRUE(stopping.startsWith("Stopping")) << stopping.toStdString();
    EXPECT_FALSE(window_->Engine().IsRunning());
    ASSERT_EQ(Found().Count(), 2u);
    QAbstractItemModel& model = *Child<QTableView>(*window_, "List2")->model();
    EXPECT_TRUE(model.index(1, 0).data(Qt::AccessibleDescriptionRole).toString().contains("abort"))
        << "the slow page was given up, not waited for";
    EXPECT_TRUE(Status().startsWith("Stopped - ")) << Status().toStdString();

    // The next run fetches again.
    site.ServeHtml("/slow.html", "<p>quick now</p>");
    CrawlByEnter(site.Url("/"));
    EXPECT_EQ(Found().Count(), 3u);
    EXPECT_TRUE(Status().startsWith("Done - Found 3 - Queued 0 - Failed 0")) << Status().toStdString();
}

} // namespace
} // namespace vortaxel::ui::test
