#pragma once

#include "crawl/crawl_engine.h"
#include "crawl/crawl_listener.h"
#include "crawl/page_fetcher.h"
#include "crawl/start_requests.h"
#include "net/fetch_options.h"
#include "net/fetcher.h"
#include "options_menu.h"
#include "services/platform_services.h"

#include <memory>
#include <string>

#include <QElapsedTimer>
#include <QMainWindow>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace vortaxel::ui {

class ClipPlayer;
class FoundListModel;

/// The main window `frmMain`: the URL field, the start and stop buttons with the busy animation,
/// the found list, the select-all box, "&Extract" and the Help menu. It listens to the crawl engine
/// and fetches its pages: the engine's loop runs inside the handler that started it, and the window
/// keeps handling input and painting at every yield and throughout each page fetch.
class frmMain : public QMainWindow, private crawl::CrawlListener, private crawl::PageFetcher {
    Q_OBJECT
public:
    /// The clip "FINDCOMP.AVI" is looked for in `clipDirectory` only (the program's own directory).
    frmMain(keywords::PlatformServices services, QString clipDirectory, net::FetchOptions fetchOptions = {},
            QWidget* parent = nullptr);
    ~frmMain() override;

    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    crawl::CrawlEngine& Engine() { return engine_; }

    /// Where the "Options" menu's choices are remembered; the menu takes its stored state now.
    /// Without a store the choices last while the window does.
    void UseSettings(keywords::SettingsStore& settings);

    // Event handlers, as the controls call them.
    void cmdstart_Click();
    void txturl_KeyPress(int& keyAscii);
    void cmdstop_Click();
    void chkSelect_Click();
    void cmdsave_Click();
    void mnuAbout_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenu();
    void BuildControls();
    /// The line under the controls that tells how the run goes.
    void BuildStatusLine();
    void Form_Load();
    /// Shows the run's counts now, or, with `sparingly`, only when the last showing is a while ago.
    void ShowStatus(bool sparingly = false);

    /// One start from the URL field: refused, or run to its end.
    void StartRun();
    /// Readies the fetcher for a run with `choices`: the last one when they are the same, else a new one.
    void PrepareFetcher(const RunChoices& choices);
    void ShowMessage(const std::string& text, const std::string& title);

    // crawl::CrawlListener
    void RunStarted() override;
    void RunEnded() override;
    void PageFound(std::size_t index, std::string_view url) override;
    void Yield() override;
    void PageFetched(const std::string& url, const crawl::FetchedPage& page) override;

    // crawl::PageFetcher
    crawl::FetchedPage Fetch(const std::string& url) override;
    crawl::FetchedPage FetchWhole(const std::string& url) override;
    void SetHostDelay(std::string_view url, std::chrono::milliseconds delay) override;
    /// A fetch through the run's fetcher, none once the window is closing.
    crawl::FetchedPage FetchWith(web::FetchResult (net::Fetcher::*fetch)(const std::string&), const std::string& url);

    keywords::PlatformServices services_;
    QString clipDirectory_;
    net::FetchOptions fetchOptions_;
    /// Made again by a run whose choices differ from those it was made for.
    std::unique_ptr<net::Fetcher> Inet1_;
    RunChoices fetcherChoices_;
    OptionsMenu* mnuOptions_ = nullptr;
    crawl::CrawlEngine engine_;
    crawl::StartRequests starts_{engine_};
    std::unique_ptr<FoundListModel> model_;
    bool closing_ = false;
    bool placed_ = false;

    // What the status line tells of the run in progress or the last one.
    QElapsedTimer runClock_;
    QElapsedTimer statusClock_;
    /// Between the engine's start and end of a run (its own flag still holds while it reports the end).
    bool inRun_ = false;
    std::size_t fetched_ = 0;
    std::size_t failed_ = 0;
    /// A stop was asked for and the page in hand is still coming; a second stop gives it up.
    bool stopping_ = false;
    bool stopped_ = false;
    /// Why the start address could not be fetched, when its fetch was the run's first and failed.
    std::string startFailure_;
    QLabel* statusText_ = nullptr;

    QLineEdit* txturl_ = nullptr;
    QPushButton* cmdstart_ = nullptr;
    QPushButton* cmdstop_ = nullptr;
    QPushButton* cmdsave_ = nullptr;
    QCheckBox* chkSelect_ = nullptr;
    QTableView* List2_ = nullptr;
    QLabel* Label5_ = nullptr;
    QLabel* lblcounter_ = nullptr;
    ClipPlayer* an_ = nullptr;
};

} // namespace vortaxel::ui
