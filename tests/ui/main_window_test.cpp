#include "platform/settings_store.h"
#include "ui/about_window.h"
#include "ui/clip_player.h"
#include "ui/main_window.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <vector>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace vortaxel::ui::test {
namespace {

using namespace std::chrono_literals;
using vortaxel::test::LoopbackSite;

class MainWindowTest : public WindowTest {
public:
    void SetUp() override {
        window_ = std::make_unique<frmMain>(desktop_, QCoreApplication::applicationDirPath() + "/../../ui");
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }

    QPushButton* Button(const char* name) { return Child<QPushButton>(*window_, name); }
    QCheckBox* chkSelect() { return Child<QCheckBox>(*window_, "chkSelect"); }
    QTableView* List2() { return Child<QTableView>(*window_, "List2"); }
    QLabel* lblcounter() { return Child<QLabel>(*window_, "lblcounter"); }
    ClipPlayer* an() { return Child<ClipPlayer>(*window_, "an"); }

    std::vector<bool> FoundFlags() {
        std::vector<bool> flags;
        for (std::size_t i = 0; i < Found().Count(); ++i) {
            flags.push_back(Found().IsSelected(i));
        }
        return flags;
    }

    bool FoundAtLeast(std::size_t count) { return Found().Count() >= count; }
};

struct Placement {
    const char* name;
    QRect rect;
};

TEST_F(MainWindowTest, ControlsSitWhereTheLayoutPutsThem) {
    const std::vector<Placement> placements = {
        {"cmdstop", {736, 8, 49, 29}},   {"List2", {8, 56, 776, 467}}, {"chkSelect", {8, 528, 206, 25}},
        {"cmdsave", {713, 528, 73, 25}}, {"txturl", {49, 8, 631, 29}}, {"cmdstart", {683, 8, 49, 29}},
        {"an", {684, 2, 49, 41}},
    };
    for (const Placement& p : placements) {
        QWidget* widget = Child<QWidget>(*window_, p.name);
        ASSERT_NE(widget, nullptr) << p.name;
        EXPECT_EQ(widget->geometry(), p.rect) << p.name;
    }
    // Labels that size themselves to their captions keep their corner and fit their text.
    for (const Placement& p : std::vector<Placement>{{"Label5", {8, 16, 31, 16}}, {"lblcounter", {8, 40, 106, 16}}}) {
        auto* label = Child<QLabel>(*window_, p.name);
        ASSERT_NE(label, nullptr) << p.name;
        EXPECT_EQ(label->pos(), p.rect.topLeft()) << p.name;
        EXPECT_EQ(label->height(), p.rect.height()) << p.name;
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << p.name;
    }
}

TEST_F(MainWindowTest, OpensIdleFixedAndCentred) {
    EXPECT_EQ(window_->windowTitle(), "Vortaxel");
    EXPECT_EQ(window_->centralWidget()->size(), QSize(789, 554));
    EXPECT_EQ(window_->minimumSize(), window_->maximumSize()) << "the user cannot resize it";
    EXPECT_TRUE(window_->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window_->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window_->windowIcon().availableSizes().value(0), QSize(24, 24));
    const QRect screen = window_->screen()->availableGeometry();
    EXPECT_LE((window_->frameGeometry().center() - screen.center()).manhattanLength(), 2);

    EXPECT_EQ(txturl()->text(), "http://");
    EXPECT_EQ(txturl()->cursorPosition(), 7);
    EXPECT_FALSE(txturl()->hasSelectedText());
    EXPECT_EQ(QApplication::focusWidget(), txturl());
    EXPECT_TRUE(chkSelect()->isChecked());
    EXPECT_EQ(lblcounter()->text(), "Retrieving URL");
    EXPECT_EQ(lblcounter()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(Button("cmdstart")->isVisible());
    EXPECT_FALSE(an()->isVisible());
    EXPECT_TRUE(an()->IsPlaying()) << "the clip already runs, unseen";
    EXPECT_EQ(List2()->model()->rowCount(), 0);
    EXPECT_FALSE(window_->Engine().StopRequested());
}

TEST_F(MainWindowTest, FontsNamesTipsAndKeyboardOrder) {
    struct FontRow {
        const char* name;
        double points;
        bool bold;
    };
    for (const FontRow& row : std::vector<FontRow>{
             {"txturl", 12, true}, {"chkSelect", 9.75, true}, {"Label5", 9.75, true}, {"lblcounter", 9.75, true}}) {
        const QFont font = Child<QWidget>(*window_, row.name)->font();
        EXPECT_DOUBLE_EQ(font.pointSizeF(), row.points) << row.name;
        EXPECT_EQ(font.bold(), row.bold) << row.name;
    }
    struct NameRow {
        const char* object;
        QString accessible;
        QString tip;
    };
    for (const NameRow& row : std::vector<NameRow>{{"cmdstart", "Start Navigation", "Start Navigation"},
                                                   {"cmdstop", "Stop Navigation", "Stop Navigation"},
                                                   {"txturl", "URL", ""},
                                                   {"List2", "Found URLs", ""},
                                                   {"chkSelect", "Select All or UnSelect All", ""},
                                                   {"cmdsave", "Extract", ""}}) {
        QWidget* widget = Child<QWidget>(*window_, row.object);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name), row.accessible) << row.object;
        EXPECT_EQ(widget->toolTip(), row.tip) << row.object;
    }
    EXPECT_EQ(Button("cmdsave")->text(), "&Extract");
    EXPECT_EQ(chkSelect()->text(), "Select All or UnSelect All");

    // Tab walks the visible controls in order and comes back round.
    const std::vector<const char*> order = {"cmdstart", "cmdsave", "chkSelect", "List2", "cmdstop", "txturl"};
    for (const char* name : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
    }

    // Topmost first; the labels lie beneath every control.
    const std::vector<QString> zOrder = {"cmdstop",  "List2", "chkSelect",  "cmdsave", "txturl",
                                         "cmdstart", "an",    "lblcounter", "Label5"};
    QStringList stacking;
    for (QObject* child : window_->centralWidget()->children()) {
        if (child->isWidgetType()) {
            stacking.prepend(child->objectName());
        }
    }
    EXPECT_EQ(std::vector<QString>(stacking.begin(), stacking.end()), zOrder);

    QStringList menus;
    for (QAction* menu : window_->menuBar()->actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus, (QStringList{"&File", "&Options", "&View", "&Help"}));
    QMenu* help = window_->menuBar()->findChild<QMenu*>("mnuHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->title(), "&Help");
    ASSERT_EQ(help->actions().size(), 1);
    EXPECT_EQ(help->actions().front()->text(), "&About");
    EXPECT_TRUE(help->actions().front()->shortcut().isEmpty());
}

TEST_F(MainWindowTest, TypingAfterStartUpAppendsToThePreset) {
    QTest::keyClicks(txturl(), "shop.test");
    EXPECT_EQ(txturl()->text(), "http://shop.test");
}

TEST_F(MainWindowTest, EnterOrTheStartButtonCrawlsTheSite) {
    const std::vector<std::pair<const char*, std::function<void(MainWindowTest&)>>> starts = {
        {"Enter in the URL field", [](MainWindowTest& t) { QTest::keyClick(t.txturl(), Qt::Key_Return); }},
        {"start button", [](MainWindowTest& t) { QTest::mouseClick(t.Button("cmdstart"), Qt::LeftButton); }},
    };
    for (const auto& [name, start] : starts) {
        SCOPED_TRACE(name);
        LoopbackSite& site = NewSite();
        ServeShop(site, 0ms);
        const std::string root = site.Url("");
        txturl()->setText(QString::fromStdString(root));
        bool busyShown = false;
        WhenReady watch([&] { return FoundAtLeast(1); },
                        [&] { busyShown = an()->isVisible() && !Button("cmdstart")->isVisible(); });
        start(*this);
        EXPECT_TRUE(busyShown) << "the animation takes the start button's place during a run";
        EXPECT_EQ(txturl()->text().toStdString(), root + "/");
        EXPECT_EQ(FoundTexts(), (std::vector<std::string>{root + "/", root + "/a.html", root + "/b.html",
                                                          root + "/c.html", root + "/d.html"}));
        EXPECT_EQ(FoundFlags(), std::vector<bool>(5, true));
        EXPECT_EQ(List2()->selectionModel()->selectedRows().size(), 5);
        EXPECT_EQ(lblcounter()->text(), "Retrieving URLs: 5");
        EXPECT_GE(lblcounter()->width(), lblcounter()->fontMetrics().horizontalAdvance("Retrieving URLs: 5"));
        EXPECT_TRUE(Button("cmdstart")->isVisible());
        EXPECT_FALSE(an()->isVisible());
    }
    SavePicture(*window_, "main-window.png");
}

TEST_F(MainWindowTest, RefusedStartChangesNothing) {
    for (const QString& text : {QString(""), QString("http://")}) {
        SCOPED_TRACE(text.toStdString());
        desktop_.messages.clear();
        txturl()->setText(text);
        Button("cmdsave")->setFocus();
        QTest::mouseClick(Button("cmdstart"), Qt::LeftButton);
        ASSERT_EQ(desktop_.messages.size(), 1u);
        EXPECT_EQ(desktop_.messages[0].text, "Please enter a Starting URL");
        EXPECT_EQ(desktop_.messages[0].title, "Oops");
        EXPECT_EQ(QApplication::focusWidget(), txturl());
        EXPECT_EQ(txturl()->text(), text);
        EXPECT_EQ(lblcounter()->text(), "Retrieving URL");
        EXPECT_TRUE(Button("cmdstart")->isVisible());
    }
}

TEST_F(MainWindowTest, StopEndsTheRunAfterTheTurnInProgress) {
    LoopbackSite& site = NewSite();
    ServeShop(site, 100ms);
    WhenReady stop([&] { return FoundAtLeast(2); }, [&] { QTest::mouseClick(Button("cmdstop"), Qt::LeftButton); });
    CrawlByEnter(site.Url("/"));
    ASSERT_TRUE(stop.Fired());
    EXPECT_EQ(Found().Count(), 2u) << "the turn in progress completes, no further turn runs";
    EXPECT_EQ(site.Targets(), (std::vector<std::string>{"/", "/a.html"}));
    EXPECT_EQ(window_->Engine().QueueCount(), 3u) << "unvisited pages stay queued";
    EXPECT_EQ(lblcounter()->text(), "Retrieving URLs: 2");
    EXPECT_TRUE(Button("cmdstart")->isVisible());
    EXPECT_FALSE(an()->isVisible());
}

TEST_F(MainWindowTest, SelectAllBoxDuringAndAfterARun) {
    struct Case {
        const char* name;
        std::function<void(MainWindowTest&)> duringRun; // at the second found page
        std::function<void(MainWindowTest&)> afterRun;
        std::vector<bool> flags;
    };
    auto clickBox = [](MainWindowTest& t) { QTest::mouseClick(t.chkSelect(), Qt::LeftButton); };
    auto clickRow = [](MainWindowTest& t, int row) {
        QTableView* view = t.List2();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
    };
    const std::vector<Case> cases = {
        {"ticked throughout", nullptr, nullptr, {true, true, true, true, true}},
        {"unticked during the run", clickBox, nullptr, {true, true, false, false, false}},
        {"unticked after the run leaves the selection", nullptr, clickBox, {true, true, true, true, true}},
        {"unticked, a row clicked off, ticked again",
         nullptr,
         [&](MainWindowTest& t) {
             clickBox(t);
             clickRow(t, 3);
             EXPECT_EQ(t.FoundFlags(), (std::vector<bool>{true, true, true, false, true}));
             clickBox(t);
         },
         {true, true, true, true, true}},
        {"unticked during the run, rows picked by hand survive",
         [&](MainWindowTest& t) {
             clickBox(t);
             clickRow(t, 0);
         },
         [&](MainWindowTest& t) { clickRow(t, 4); },
         {false, true, false, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        chkSelect()->setChecked(true);
        LoopbackSite& site = NewSite();
        ServeShop(site, 30ms);
        WhenReady during([&] { return FoundAtLeast(2); },
                         [&] {
                             if (c.duringRun) {
                                 c.duringRun(*this);
                             }
                         });
        CrawlByEnter(site.Url("/"));
        ASSERT_EQ(Found().Count(), 5u);
        if (c.afterRun) {
            c.afterRun(*this);
        }
        EXPECT_EQ(FoundFlags(), c.flags);
        for (int row = 0; row < 5; ++row) {
            EXPECT_EQ(List2()->selectionModel()->isRowSelected(row, {}), c.flags[static_cast<std::size_t>(row)])
                << "row " << row << " as the view shows it";
        }
    }
}

TEST_F(MainWindowTest, ExtractDuringARunSeesTheListAsItStands) {
    const std::vector<std::pair<const char*, std::function<void(MainWindowTest&)>>> triggers = {
        {"button", [](MainWindowTest& t) { QTest::mouseClick(t.Button("cmdsave"), Qt::LeftButton); }},
        {"Alt+E", [](MainWindowTest& t) { QTest::keyClick(t.window_.get(), Qt::Key_E, Qt::AltModifier); }},
    };
    for (const auto& [name, trigger] : triggers) {
        SCOPED_TRACE(name);
        desktop_.exports = 0;
        desktop_.files.clear();
        desktop_.saveAnswer = "/fake/keywords.txt";
        LoopbackSite& site = NewSite();
        ServeShop(site, 30ms);
        std::size_t requestsDuringExport = 0;
        desktop_.onExport = [&] {
            const std::size_t before = site.Targets().size();
            QTest::qWait(150); // the export holds the run through its dialog
            requestsDuringExport = site.Targets().size() - before;
        };
        // clang 14, which clang-tidy parses with, cannot capture a structured binding in a lambda.
        const auto& press = trigger;
        WhenReady extract([&] { return FoundAtLeast(2); }, [&] { press(*this); });
        CrawlByEnter(site.Url("/"));
        ASSERT_EQ(desktop_.exports, 1) << "one press, one export";
        EXPECT_EQ(desktop_.files["/fake/keywords.txt"], "a\r\n") << "the two entries found: the start page, a.html";
        EXPECT_EQ(requestsDuringExport, 0u);
        EXPECT_EQ(Found().Count(), 5u) << "the run goes on afterwards";
    }
    desktop_.onExport = nullptr;
    desktop_.saveAnswer.clear();
}

TEST_F(MainWindowTest, AboutDuringARunPausesIt) {
    LoopbackSite& site = NewSite();
    ServeShop(site, 30ms);
    std::size_t requestsWhileOpen = 99;
    bool sawAbout = false;
    WhenReady openAbout([&] { return FoundAtLeast(2); }, [&] { window_->findChild<QAction*>("mnuAbout")->trigger(); });
    WhenReady closeAbout([&] { return QApplication::activeModalWidget() != nullptr; },
                         [&] {
                             auto* about = qobject_cast<frmabout*>(QApplication::activeModalWidget());
                             ASSERT_NE(about, nullptr);
                             sawAbout = true;
                             const std::size_t before = site.Targets().size();
                             QTest::qWait(200);
                             requestsWhileOpen = site.Targets().size() - before;
                             SavePicture(*about, "about-window.png");
                             QTest::mouseClick(about->findChild<QPushButton*>("cmdclose"), Qt::LeftButton);
                         });
    CrawlByEnter(site.Url("/"));
    EXPECT_TRUE(sawAbout);
    EXPECT_EQ(requestsWhileOpen, 0u) << "no page is fetched while About is open";
    EXPECT_EQ(Found().Count(), 5u) << "the run continues once About closes";
    EXPECT_EQ(window_->findChildren<frmabout*>().size(), 0) << "nothing of the About window survives";
}

TEST_F(MainWindowTest, EnterDuringARunKeepsTheRunGoing) {
    LoopbackSite& first = NewSite();
    ServeShop(first, 30ms);
    WhenReady enter([&] { return FoundAtLeast(2); }, [&] { QTest::keyClick(txturl(), Qt::Key_Return); });
    CrawlByEnter(first.Url("/"));
    ASSERT_TRUE(enter.Fired());
    EXPECT_EQ(Found().Count(), 5u) << "the run went on to its end";
    EXPECT_EQ(first.Targets(), (std::vector<std::string>{"/", "/a.html", "/b.html", "/c.html", "/d.html"}))
        << "a stray Enter threw the running crawl away and started again";
    EXPECT_TRUE(Button("cmdstart")->isVisible());
    EXPECT_FALSE(an()->isVisible());
}

TEST_F(MainWindowTest, ClosingDuringAFetchEndsTheRunAtOnce) {
    LoopbackSite& site = NewSite();
    site.Handle("/", [&site](const httplib::Request&, httplib::Response&) {
        while (!site.WaitForShutdown(50ms)) {
        }
    });
    QElapsedTimer sinceClose;
    WhenReady close([&] { return FoundAtLeast(1); },
                    [&] {
                        sinceClose.start();
                        window_->close();
                    });
    CrawlByEnter(site.Url("/"));
    ASSERT_TRUE(close.Fired());
    EXPECT_LT(sinceClose.elapsed(), 1000);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(window_->Engine().IsRunning());
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(MainWindowTest, SampleShopCrawlForThePicture) {
    LoopbackSite& site = NewSite();
    const QDir root(VORTAXEL_SAMPLE_SITE);
    QDirIterator files(root.path(), {"*.html"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        // The pages name their own site through a placeholder, as the sample server fills it in.
        const std::string body =
            file.readAll().replace("@SITE@", QByteArray::fromStdString(site.Url(""))).toStdString();
        const std::string target = "/" + root.relativeFilePath(path).toStdString();
        site.ServeHtml(target, body);
        if (target == "/index.html") {
            site.ServeHtml("/", body);
        }
    }
    CrawlByEnter(site.Url(""));
    EXPECT_GT(Found().Count(), 5u);
    SavePicture(*window_, "main-window-sample.png");
}

TEST_F(MainWindowTest, BrowserLinkRulesAreRememberedAndARunKeepsTheRulesItStartedWith) {
    QTemporaryDir dir;
    platform::QtSettingsStore settings(dir.filePath("settings.ini"));
    window_->UseSettings(settings);
    auto* rules = window_->findChild<QAction*>("mnuBrowserRules");
    ASSERT_NE(rules, nullptr);
    EXPECT_EQ(rules->text(), "&Browser Link Rules");
    EXPECT_TRUE(rules->isCheckable());
    EXPECT_FALSE(rules->isChecked()) << "off on first start";

    LoopbackSite& site = NewSite();
    site.ServeHtml("/", R"(<a href="sub/a.html#x">a</a>)");
    site.ServeHtml("/sub/a.html", R"(<a href="b.html">b</a>)");
    site.Serve("/sub/b.html", vortaxel::test::Page{}.WithBody("<p>b</p>").WithDelay(50ms));
    rules->trigger();
    // Switched off during the run: the run goes on under the browser rules it started with.
    WhenReady untick([&] { return FoundAtLeast(1); }, [&] { rules->trigger(); });
    CrawlByEnter(site.Url("/"));
    EXPECT_EQ(FoundTexts(),
              (std::vector<std::string>{site.Url("/"), site.Url("/sub/a.html"), site.Url("/sub/b.html")}));
    EXPECT_FALSE(rules->isChecked());
    rules->trigger();

    FakeDesktop desktop;
    frmMain again(desktop, QString());
    again.UseSettings(settings);
    EXPECT_TRUE(again.findChild<QAction*>("mnuBrowserRules")->isChecked()) << "remembered in the store";
    EXPECT_EQ(settings.Read({"Vortaxel", "Options", "BrowserLinkRules"}, "").value_or(""), "1");
}

TEST(MainWindowClip, MissingOrDamagedClipLeavesTheIndicatorBlank) {
    for (const QByteArray& content : {QByteArray(), QByteArray("RIFF\x10\0\0\0AVI garbage", 20)}) {
        QTemporaryDir dir;
        if (!content.isEmpty()) {
            QFile file(dir.filePath("FINDCOMP.AVI"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        FakeDesktop desktop;
        frmMain window(desktop, dir.path());
        auto* an = window.findChild<ClipPlayer*>("an");
        EXPECT_EQ(an->FrameCount(), 0);
        EXPECT_FALSE(an->IsPlaying());
        EXPECT_TRUE(an->isHidden());
        EXPECT_TRUE(desktop.messages.empty()) << "skipped without a message";
    }
}

} // namespace
} // namespace vortaxel::ui::test
