#include "status_line.h"

#include "shown_text.h"

#include <QLabel>
#include <QStatusBar>
#include <QUrl>

namespace vortaxel::ui {
namespace {

// Often enough to look live, seldom enough to cost nothing on a fast crawl.
constexpr qint64 kStatusIntervalMs = 200;
// An address on the status line is cut in its middle to this many characters, so that what is said of it
// stays in sight however long it is; the whole line is the label's tooltip.
constexpr qsizetype kAddressShown = 60;

/// Why a start text that was given no fetch at all could not be crawled.
QString StartTextProblem(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "http" && scheme != "https")) {
        return "it is no web address (one begins with http:// or https://)";
    }
    if (url.host().isEmpty()) {
        return "it names no host";
    }
    return "no page could be requested from it";
}

} // namespace

StatusLine::StatusLine(QStatusBar& line) {
    line.setObjectName("statusLine");
    line.setAccessibleName("Crawl status");
    line.setSizeGripEnabled(false);
    text_ = new QLabel(&line);
    text_->setObjectName("statusText");
    text_->setAccessibleName("Crawl progress");
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setTextFormat(Qt::PlainText);
    line.addWidget(text_, 1);
    note_ = new QLabel(&line);
    note_->setObjectName("statusNote");
    note_->setAccessibleName("Last action");
    note_->setTextFormat(Qt::PlainText);
    line.addPermanentWidget(note_);
}

void StatusLine::RunStarted(std::size_t failedBefore) {
    runClock_.start();
    fetched_ = 0;
    failed_ = failedBefore;
    startFailure_.clear();
    startBlocked_ = false;
}

void StatusLine::Opened(std::size_t failedFetches) {
    failed_ = failedFetches;
    startFailure_.clear();
    startBlocked_ = false;
}

void StatusLine::PageFetched(const std::string& url, const crawl::FetchedPage& page, bool resumed) {
    ++fetched_;
    if (!page.ok) {
        ++failed_;
        if (fetched_ == 1 && !resumed) {
            startAddress_ = url;
            startFailure_ = page.error;
        }
    }
}

void StatusLine::PageBlocked(bool resumed) {
    if (fetched_ == 0 && !resumed) {
        startBlocked_ = true;
    }
}

void StatusLine::ShowOutcome(const std::string& text) {
    const QString whole = QString::fromStdString(text);
    ShowLabelText(*note_, MiddleElided(whole, kAddressShown));
    note_->setAccessibleDescription(whole);
    note_->setToolTip(whole);
}

QString StatusLine::StartFailureText(const State& state) const {
    if (state.inRun || state.shown != Shown::Run || state.resumed) {
        return {};
    }
    if (!startFailure_.empty() && fetched_ == failed_) {
        return "Cannot reach " + QString::fromStdString(startAddress_) + ": " + QString::fromStdString(startFailure_);
    }
    if (fetched_ != 0 || state.found != 0 || state.stopped) {
        return {};
    }
    const QString address = QString::fromStdString(startAddress_);
    if (startBlocked_) {
        return "The start failed: robots.txt does not allow " + address;
    }
    return "The start failed: " + StartTextProblem(address) + " - " + address;
}

void StatusLine::Show(const State& state, bool sparingly) {
    if (sparingly && statusClock_.isValid() && statusClock_.elapsed() < kStatusIntervalMs) {
        return;
    }
    statusClock_.start();
    if (const QString failure = StartFailureText(state); !failure.isEmpty()) {
        // The reason first in sight: a long address is cut in its middle, and whole in the tooltip.
        QString shown = failure;
        const QString address = QString::fromStdString(startAddress_);
        if (address.size() > kAddressShown) {
            shown.replace(address, MiddleElided(address, kAddressShown));
        }
        ShowLabelText(*text_, shown);
        text_->setAccessibleDescription(failure);
        text_->setToolTip(failure);
        return;
    }
    QString text;
    bool timed = true;
    if (state.inRun) {
        text = state.stopping ? "Stopping (Stop again to give up the page in hand) - " : "";
    } else if (state.shown == Shown::Run) {
        text = state.stopped ? "Stopped - " : "Done - ";
    } else if (state.shown == Shown::Opened) {
        // Read from its file: what its runs left, and no clock, since none ran here.
        text = state.keptFinished ? "Done - " : "Stopped - ";
        timed = false;
    }
    text += QString("Found %1 - Queued %2 - Failed %3").arg(state.found).arg(state.queued).arg(failed_);
    if (timed) {
        // The clock stops with the run: a finished run's time stays as it was.
        const double seconds =
            static_cast<double>(state.inRun && runClock_.isValid() ? runClock_.elapsed() : runMs_) / 1000.0;
        const auto whole = static_cast<qint64>(seconds);
        text += QString(" - %1:%2 - %3 pages/s")
                    .arg(whole / 60)
                    .arg(whole % 60, 2, 10, QChar('0'))
                    .arg(seconds > 0 ? static_cast<double>(fetched_) / seconds : 0.0, 0, 'f', 1);
    }
    ShowLabelText(*text_, text);
    text_->setToolTip({});
}

} // namespace vortaxel::ui
