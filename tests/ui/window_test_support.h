#pragma once

#include "fake_desktop.h"
#include "tests/support/loopback_site.h"
#include "ui/main_window.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <QCoreApplication>
#include <QDir>
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

} // namespace vortaxel::ui::test
