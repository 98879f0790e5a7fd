// File > Compare Keywords With...: the keyword gap between a competitor's kept crawl and the crawl shown.
#include "analysis/key_phrase_pass.h"
#include "keyword_gap_window.h"
#include "main_window.h"
#include "report_window.h"
#include "window_placement.h"

#include <QApplication>
#include <QCursor>

namespace vortaxel::ui {

namespace {

constexpr const char* kCompareTitle = "Compare Keywords";

/// Keeps the wait cursor up while the maps are worked out, however the work ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

void frmMain::mnuCompareKeywords_Click() {
    if (!kept_.IsOpen() || Engine().IsRunning()) {
        return;
    }
    // The crawl shown is the user's own site; the one asked for is the competitor's, whose phrases are
    // what the user may be missing.
    const std::string path = services_.dialog.AskOpenPath({"Compare Keywords With", "Vortaxel Crawls", "*.vxcrawl"});
    if (path.empty()) {
        return;
    }
    const auto refuse = [this](const std::string& text) {
        services_.messages.Show(text, kCompareTitle, services::MessageIcon::Warning);
    };
    if (kept_.Holds(path)) {
        refuse("Cannot compare the crawl with itself: " + path +
               " is the crawl shown. Choose the crawl of another site.");
        return;
    }
    if (report_ && report_->Busy()) {
        // The report reads the crawl shown through the same connection now; the two would interleave.
        refuse("The report is still reading the crawl shown. Compare again once it is done.");
        return;
    }
    std::string error;
    const std::unique_ptr<store::CrawlStore> theirs =
        store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    if (!theirs) {
        refuse("Cannot compare keywords with " + path + ", which is not a crawl this program can read: " + error + ".");
        return;
    }
    std::optional<app::KeywordMap> theirMap;
    std::optional<app::KeywordMap> myMap;
    {
        const WaitCursor waiting;
        theirMap = app::WorkOutKeywordMap(*theirs, error);
        if (!theirMap) {
            refuse("Cannot compare keywords with " + path + ": " + error + ".");
            return;
        }
        myMap = app::WorkOutKeywordMap(kept_.Store(), error);
        if (!myMap) {
            refuse("Cannot compare keywords: the crawl shown has none: " + error + ".");
            return;
        }
    }
    gapWindow_ = std::make_unique<KeywordGapWindow>(keyphrase::KeywordGap(theirMap->phrases, myMap->phrases),
                                                    theirMap->site, myMap->site, services_);
    CentreOver(*gapWindow_, *this);
    gapWindow_->show();
    gapWindow_->raise();
    gapWindow_->activateWindow();
}

} // namespace vortaxel::ui
