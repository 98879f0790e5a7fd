#pragma once

#include "crawl/page_fetcher.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include <QElapsedTimer>
#include <QString>

class QLabel;
class QStatusBar;

namespace vortaxel::ui {

/// The main window's status line: how the run in progress goes, or what the crawl shown came to, and
/// beside it what the last action came to. It counts the run's fetches itself; what it cannot see (the
/// list, the queue, whether the user stopped) the window tells it at each showing.
class StatusLine {
public:
    /// What the crawl shown is: none yet, one a run here made or carried on, or one opened from its file.
    enum class Shown { Nothing, Run, Opened };
    /// What the window knows when the line is shown.
    struct State {
        Shown shown = Shown::Nothing;
        /// Between the engine's start and end of a run.
        bool inRun = false;
        /// A stop was asked for and the page in hand is still coming.
        bool stopping = false;
        bool stopped = false;
        /// The run in hand carries on a kept crawl, so its first fetch is not the start address's.
        bool resumed = false;
        /// An opened crawl ran to its end.
        bool keptFinished = false;
        std::size_t found = 0;
        std::int64_t queued = 0;
    };

    /// Puts its two labels on `line`, which owns them.
    explicit StatusLine(QStatusBar& line);

    /// The address the run starts from, until its first fetch names another.
    void StartingFrom(const std::string& address) { startAddress_ = address; }
    /// A run starts; a crawl carried on counts `failedBefore` fetches that failed in its runs before.
    void RunStarted(std::size_t failedBefore);
    void RunEnded() { runMs_ = runClock_.elapsed(); }
    /// A crawl was opened from its file, in whose runs `failedFetches` fetches failed.
    void Opened(std::size_t failedFetches);
    void PageFetched(const std::string& url, const crawl::FetchedPage& page, bool resumed);
    void PageBlocked(bool resumed);

    /// Shows the run's counts now, or, with `sparingly`, only when the last showing is a while ago.
    void Show(const State& state, bool sparingly = false);
    /// The line that says what the last action came to ("Crawl saved to ...").
    void ShowOutcome(const std::string& text);

private:
    /// What the line says of a run that found nothing at all, or "" when it found something.
    QString StartFailureText(const State& state) const;

    QLabel* text_ = nullptr;
    QLabel* note_ = nullptr;
    QElapsedTimer runClock_;
    /// How long the last run took, once it has ended.
    qint64 runMs_ = 0;
    QElapsedTimer statusClock_;
    std::size_t fetched_ = 0;
    std::size_t failed_ = 0;
    /// Why the start address could not be fetched, when its fetch was the run's first and failed.
    std::string startFailure_;
    /// The start address was blocked by robots.txt, so nothing was fetched.
    bool startBlocked_ = false;
    /// The address the run started from, or the first it fetched.
    std::string startAddress_;
};

} // namespace vortaxel::ui
