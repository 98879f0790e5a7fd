// Input storms against the window while a crawl runs. Whatever arrives, the run ends, the window is
// idle afterwards, the found list holds no address twice and the counter shows its count.

#include "hostile_behaviours.h"
#include "hostile_server.h"
#include "tests/ui/fake_desktop.h"
#include "tests/ui/window_test_support.h"
#include "ui/main_window.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace vortaxel::ui::test {
namespace {

using vortaxel::test::HostileServer;
using vortaxel::test::HostileStream;
using vortaxel::test::SendPage;
using namespace std::chrono_literals;

/// Forty pages in a ring, each answering after a short pause, so a run has many turns to storm.
void ServeRing(HostileServer& server) {
    server.On("/", [](HostileStream& s) {
        s.Pause(5ms);
        std::string page;
        for (int i = 0; i < 40; ++i) {
            page += "<a href=\"p" + std::to_string(i) + ".html\">";
        }
        SendPage(s, page);
    });
}

class WindowStormTest : public testing::Test {
public:
    void SetUp() override {
        ServeRing(server_);
        server_.Start();
        window_ = std::make_unique<frmMain>(desktop_, QCoreApplication::applicationDirPath());
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    QLineEdit* txturl() { return Child<QLineEdit>(*window_, "txturl"); }
    QPushButton* Button(const char* name) { return Child<QPushButton>(*window_, name); }
    QCheckBox* chkSelect() { return Child<QCheckBox>(*window_, "chkSelect"); }

    /// Starts a run by Enter; `storm` runs once, at a turn after the second page was found.
    void CrawlWithStorm(const std::function<void()>& storm) {
        WhenReady once([this] { return window_->Engine().List2().Count() >= 2; }, storm);
        txturl()->setText(QString::fromStdString(server_.Url("/")));
        QTest::keyClick(txturl(), Qt::Key_Return);
        // A storm may leave a restart pending; it runs inside the same call, so all is over here.
        EXPECT_TRUE(once.Fired());
    }

    void ExpectSoundEnd() {
        const crawl::FoundList& found = window_->Engine().List2();
        std::set<std::string> unique;
        for (std::size_t i = 0; i < found.Count(); ++i) {
            EXPECT_TRUE(unique.emplace(found.Text(i)).second) << "listed twice: " << found.Text(i);
        }
        EXPECT_EQ(Child<QLabel>(*window_, "lblcounter")->text().toStdString(),
                  "Retrieving URLs: " + std::to_string(found.Count()));
        EXPECT_FALSE(window_->Engine().IsRunning());
        EXPECT_TRUE(Button("cmdstart")->isVisible());
    }

    HostileServer server_;
    FakeDesktop desktop_;
    std::unique_ptr<frmMain> window_;
};

TEST_F(WindowStormTest, EnterPressedAgainAndAgainDuringARun) {
    CrawlWithStorm([this] {
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(txturl(), Qt::Key_Return);
        }
    });
    ExpectSoundEnd();
    EXPECT_EQ(window_->Engine().List2().Count(), 41u) << "the restart crawls the whole ring";
}

TEST_F(WindowStormTest, TwoHundredAlternatingStopAndStartRequests) {
    CrawlWithStorm([this] {
        for (int i = 0; i < 100; ++i) {
            QTest::mouseClick(Button("cmdstop"), Qt::LeftButton);
            QTest::keyClick(txturl(), Qt::Key_Return);
        }
    });
    ExpectSoundEnd();
}

TEST_F(WindowStormTest, SelectAllToggledDuringARun) {
    CrawlWithStorm([this] {
        for (int i = 0; i < 51; ++i) {
            QTest::mouseClick(chkSelect(), Qt::LeftButton);
        }
    });
    ExpectSoundEnd();
    EXPECT_EQ(chkSelect()->checkState(), Qt::Unchecked);
}

TEST_F(WindowStormTest, ExtractWithItsMessageBoxOpenWhileInputArrives) {
    int exports = 0;
    desktop_.onExport = [&] {
        ++exports;
        // While the modal box is up, the window gets clicks and keys it must not act on.
        QTimer::singleShot(20ms, [this] {
            QTest::mouseClick(Button("cmdstop"), Qt::LeftButton);
            QTest::keyClick(txturl(), Qt::Key_Return);
            QTest::mouseClick(chkSelect(), Qt::LeftButton);
            if (QWidget* box = QApplication::activeModalWidget()) {
                box->close();
            }
        });
        QMessageBox::information(window_.get(), "URL Crawler", "Selected URL saved");
    };
    CrawlWithStorm([this] {
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(Button("cmdsave"), Qt::LeftButton);
        }
    });
    ExpectSoundEnd();
    EXPECT_EQ(exports, 3);
}

TEST_F(WindowStormTest, AboutOpenedAndClosedDuringARun) {
    int shown = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* about = QApplication::activeModalWidget()) {
            ++shown;
            about->close();
        }
    });
    closer.start(5);
    CrawlWithStorm([this] {
        for (int i = 0; i < 10; ++i) {
            window_->findChild<QAction*>("mnuAbout")->trigger();
        }
    });
    ExpectSoundEnd();
    EXPECT_EQ(shown, 10);
}

} // namespace
} // namespace vortaxel::ui::test
