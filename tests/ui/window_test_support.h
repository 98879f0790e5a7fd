#pragma once

#include "fake_desktop.h"
#include "tests/support/loopback_site.h"
#include "ui/main_window.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace vortaxel::ui::test {

/// Runs `action` once, at the first event-loop pass where `ready` holds: the way a test acts "during a
/// run", since the run itself is one long call that only lets events through at its yields and fetches.
class WhenReady : public QObject {
public:
    WhenReady(std::function<bool()> ready, std::function<void()> action)
        : ready_(std::move(ready)), action_(std::move(action)) {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (!fired_ && ready_()) {
                fired_ = true;
                timer_.stop();
                action_();
            }
        });
        timer_.start();
    }

    bool Fired() const { return fired_; }

private:
    std::function<bool()> ready_;
    std::function<void()> action_;
    QTimer timer_;
    bool fired_ = false;
};

/// A shop of one index page linking four pages, each answering after `delay`, so a run lasts several
/// turns with time to act during each fetch.
inline void ServeShop(vortaxel::test::LoopbackSite& site, std::chrono::milliseconds delay) {
    site.Serve("/", vortaxel::test::Page{}
                        .WithBody("<a href=\"a.html\">A</a> <a href=\"b.html\">B</a> <a href=\"c.html\">C</a>"
                                  " <a href=\"d.html\">D</a>")
                        .WithDelay(delay));
    for (const char* page : {"/a.html", "/b.html", "/c.html", "/d.html"}) {
        site.Serve(page, vortaxel::test::Page{}.WithBody("<p>page</p>").WithDelay(delay));
    }
}

/// Saves a picture of `widget` in the test's working directory, for a person to look at.
inline void SavePicture(QWidget& widget, const QString& fileName) {
    widget.grab().save(QDir::current().filePath(fileName));
}

template <typename T> T* Child(QWidget& window, const char* name) {
    return window.findChild<T*>(name);
}

/// The main window under test, the fakes it reaches the desktop through and the sites it crawls. A fixture
/// with state of its own that the window uses (a data folder, a settings file) lets the window go first in
/// its TearDown.
class WindowTest : public testing::Test {
public:
    QLineEdit* txturl() { return Child<QLineEdit>(*window_, "txturl"); }
    QAction* Action(const char* name) { return window_->findChild<QAction*>(name); }
    const crawl::FoundList& Found() { return window_->Engine().List2(); }
    std::vector<std::string> FoundTexts() {
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < Found().Count(); ++i) {
            texts.emplace_back(Found().Text(i));
        }
        return texts;
    }
    /// Types `url` into the field and starts a run with Enter; returns when the run has ended.
    void CrawlByEnter(const std::string& url) {
        txturl()->setText(QString::fromStdString(url));
        QTest::keyClick(txturl(), Qt::Key_Return);
    }
    /// A site that outlives the window, so the window's kept-alive connections close first.
    vortaxel::test::LoopbackSite& NewSite() {
        return *sites_.emplace_back(std::make_unique<vortaxel::test::LoopbackSite>());
    }

    FakeDesktop desktop_;
    std::vector<std::unique_ptr<vortaxel::test::LoopbackSite>> sites_;
    std::unique_ptr<frmMain> window_;
};

} // namespace vortaxel::ui::test
