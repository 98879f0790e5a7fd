#pragma once

#include "app/crawl_session.h"
#include "app/run_controller.h"
#include "crawl/crawl_engine.h"
#include "crawl/crawl_listener.h"
#include "crawl/page_fetcher.h"
#include "crawl/start_requests.h"
#include "net/fetch_options.h"
#include "options_menu.h"
#include "services/platform_services.h"
#include "status_line.h"
#include "store/crawl_store.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QMainWindow>
#include <QRect>
#include <QTemporaryDir>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace vortaxel::ui {

class ClipPlayer;
class FoundListModel;
class KeywordGapWindow;
class ReportWindow;

/// The main window `frmMain`: the URL field, the start and stop buttons with the busy animation,
/// the found list, the select-all box, "&Extract" and the File, Options and Help menus. Its runs go
/// through the run controller, which fetches the pages and keeps the crawl in a database; the engine's
/// loop runs inside the handler that started it, and the window keeps handling input and painting at
/// every yield and throughout each page fetch.
class frmMain : public QMainWindow, private crawl::CrawlListener {
    Q_OBJECT
public:
    /// The clip "FINDCOMP.AVI" is looked for in `clipDirectory` only (the program's own directory).
    frmMain(services::PlatformServices services, QString clipDirectory, net::FetchOptions fetchOptions = {},
            QWidget* parent = nullptr);
    ~frmMain() override;
    /// The same on pages from `pages` instead of the network, for measuring the window alone; `pages`
    /// must outlive the window.
    frmMain(services::PlatformServices services, QString clipDirectory, crawl::PageFetcher& pages,
            QWidget* parent = nullptr);

    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    crawl::CrawlEngine& Engine() { return run_->Engine(); }

    /// Where the "Options" menu's choices are remembered; the menu takes its stored state now.
    /// Without a store the choices last while the window does.
    void UseSettings(services::SettingsStore& settings);
    /// Where the crawl in progress is kept, so that it outlives the program. Without one it is kept in
    /// a folder of its own that goes with the window.
    void UseDataFolder(services::DataFolder& folder);
    /// Asks for the password of `user`'s login to `origin`; none when the user cancels.
    using PasswordPrompt =
        std::function<std::optional<std::string>(const std::string& user, const std::string& origin)>;
    /// Where a crawl with a login asks for its password; by default a dialog that shows no character
    /// typed. The password lasts for that crawl's run alone and is kept nowhere.
    void UsePasswordPrompt(PasswordPrompt prompt) { passwordPrompt_ = std::move(prompt); }
    /// At start-up: asks whether to continue a crawl kept in the data folder that never finished.
    void OfferKeptCrawl();
    /// The database of the crawl shown now; none before the first run or open.
    std::optional<std::string> KeptCrawlPath() const;
    /// Pages fetched ahead and held for the engine, for a check that none outlive their run's URL.
    std::size_t PagesHeldAhead() const { return run_->HeldAhead(); }

    // Event handlers, as the controls call them.
    void cmdstart_Click();
    void txturl_KeyPress(int& keyAscii);
    void cmdstop_Click();
    void chkSelect_Click();
    void cmdsave_Click();
    void mnuAbout_Click();
    void mnuOpenCrawl_Click();
    void mnuSaveCrawlAs_Click();
    void mnuContinue_Click();
    void mnuSaveAuditPage_Click();
    void mnuCompareKeywords_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    /// What both constructors do once the controller is made.
    void Build();
    void BuildMenu();
    /// Closes the report of the crawl shown, before its file is let go or replaced.
    void LetGoOfKept();
    /// Shows the report of the crawl shown, opening it when it is not open.
    void ShowReport();
    /// A report that was open when its crawl was let go shows the crawl kept now, where it was.
    /// `runComing`: a run is about to write the crawl, so the report works nothing out beside it.
    void FollowWithReport(bool runComing);
    /// The line of the status line that says what the last action came to ("Crawl saved to ...").
    void ShowOutcome(const std::string& text);
    /// Shows the found list's length in the counter.
    void ShowCounter();
    /// Notes in the settings whether the user's Stop ended the last run: such a crawl was meant to end
    /// there, and is not offered at the next start.
    void RememberStop(bool stoppedByUser);
    bool LastRunStoppedByUser() const;
    /// Why the crawl shown has no audit page, in the user's words, or "" when it has one.
    std::string NoAuditReason() const;
    /// The File menu, before every other.
    void BuildFileMenu();
    /// Enables the File entries that apply to the crawl shown now.
    void UpdateFileMenu();
    void BuildControls();
    /// The line under the controls that tells how the run goes.
    void BuildStatusLine();
    void Form_Load();
    /// Shows the run's counts now, or, with `sparingly`, only when the last showing is a while ago.
    void ShowStatus(bool sparingly = false);

    /// One start from the URL field: refused, or run to its end.
    void StartRun();
    /// The controller's setup for a run with `choices` from `startAddress`, logging in with `password`
    /// when the choices name a login.
    app::RunSetup SetupFor(const RunChoices& choices, const std::string& startAddress = {},
                           const std::string& password = {}) const;
    /// The password of `identity`'s login to `startAddress`'s site, asked now; "" when it names no login,
    /// none when the user gave none.
    std::optional<std::string> AskPassword(const store::KeptIdentity& identity, const std::string& startAddress);
    /// Starts keeping a new crawl with `settings` in the data folder, replacing the one kept there.
    /// Returns why it could not, or "".
    std::string KeepNewCrawl(const store::CrawlSettings& settings);
    /// Opens the kept crawl at `path` for `access` and shows its list; returns why it could not, or "".
    std::string OpenKept(const std::string& path, store::CrawlStore::Access access);
    /// Carries on the kept crawl shown now, with the settings it was started with.
    void ContinueKept();
    /// The run itself, after the run's crawl database is ready.
    void RunKept(const std::string& startText, bool resume);
    /// The database file of the crawl in progress.
    std::string KeptInProgressPath();
    void ShowMessage(const std::string& text, const std::string& title);

    // crawl::CrawlListener
    void RunStarted() override;
    void RunEnded() override;
    void PageFound(std::size_t index, std::string_view url) override;
    void Yield() override;
    void PageFetched(const std::string& url, const crawl::FetchedPage& page) override;
    void PageBlocked(std::string_view url) override;

    services::PlatformServices services_;
    QString clipDirectory_;
    net::FetchOptions fetchOptions_;
    OptionsMenu* mnuOptions_ = nullptr;
    services::DataFolder* dataFolder_ = nullptr;
    services::SettingsStore* settings_ = nullptr;
    PasswordPrompt passwordPrompt_;
    /// The kept crawl's home when no data folder was given.
    std::unique_ptr<QTemporaryDir> ownFolder_;
    /// The crawl shown now, kept on disk; outlives the controller that writes to it.
    app::CrawlSession kept_;
    std::unique_ptr<app::RunController> run_;
    crawl::StartRequests starts_;
    std::unique_ptr<FoundListModel> model_;
    std::unique_ptr<ReportWindow> report_;
    /// The last keyword gap shown; a new comparison replaces it.
    std::unique_ptr<KeywordGapWindow> gapWindow_;
    /// The crawl shown now ran to its end: nothing is left to continue.
    bool keptFinished_ = false;
    /// Entries of a continued crawl that failed before it was continued, and why.
    std::vector<std::pair<std::size_t, std::string>> keptFailures_;
    /// Fetches of the crawl shown that failed before the run in hand, listed or not.
    std::size_t failedBefore_ = 0;
    using Shown = StatusLine::Shown;
    Shown shown_ = Shown::Nothing;
    /// An opened crawl's queue, left for a run that continues it.
    std::int64_t keptQueued_ = 0;
    /// The report was open when its crawl was let go, and where it stood.
    bool reportFollows_ = false;
    QRect reportGeometry_;
    int reportTab_ = 0;
    /// The URL field changed since the pages in hand were fetched ahead for it.
    bool urlEdited_ = false;
    QAction* mnuOpenCrawl_ = nullptr;
    QAction* mnuSaveCrawlAs_ = nullptr;
    QAction* mnuContinue_ = nullptr;
    QAction* mnuSaveAuditPage_ = nullptr;
    QAction* mnuCompareKeywords_ = nullptr;
    QAction* mnuReport_ = nullptr;
    bool closing_ = false;
    bool placed_ = false;

    // What the status line tells of the run in progress or the last one.
    std::unique_ptr<StatusLine> status_;
    /// The run in hand carries on a kept crawl, so its first fetch is not the start address's.
    bool resumed_ = false;
    /// Between the engine's start and end of a run (its own flag still holds while it reports the end).
    bool inRun_ = false;
    /// A stop was asked for and the page in hand is still coming; a second stop gives it up.
    bool stopping_ = false;
    bool stopped_ = false;
    /// The user's Stop ended the run, rather than a closed window or the engine itself.
    bool userStopped_ = false;

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
