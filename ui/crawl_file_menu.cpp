// The File menu of the main window and the crawl it keeps on disk: open, save a copy, continue, and the
// audit page of a kept crawl.
#include "export/audit_page.h"
#include "found_list_model.h"
#include "main_window.h"
#include "report_window.h"
#include "store/kept_controls.h"
#include "store/read/audit_reader.h"
#include "window_placement.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace vortaxel::ui {

namespace {

constexpr const char* kTitle = "Vortaxel";
constexpr const char* kKeptFileName = "crawl-in-progress.vxcrawl";

// Whether the user's Stop ended the last run, "1" or "0".
const services::SettingKey kStoppedByUserKey{"Vortaxel", "Crawl", "StoppedByUser"};

const services::SaveDialogRequest kCrawlFiles{"", "Vortaxel Crawls", "*.vxcrawl"};

/// Reads a kept crawl's list as its runs listed it, with the entries whose fetch failed and why;
/// appends the entries to `found` when given one.
class KeptList final : public crawl::CrawlListener {
public:
    explicit KeptList(crawl::FoundList* found = nullptr) : found_(found) {}

    void PageFound(std::size_t /*index*/, std::string_view url) override {
        ++count_;
        last_ = url;
        if (found_ != nullptr) {
            found_->Append(url);
        }
    }
    void PageFetched(const std::string& url, const crawl::FetchedPage& page) override {
        if (page.ok) {
            return;
        }
        ++failedFetches;
        if (count_ != 0 && last_ == url) {
            failures.emplace_back(count_ - 1, page.error);
        }
    }

    std::vector<std::pair<std::size_t, std::string>> failures;
    /// Every fetch that failed, listed or not.
    std::size_t failedFetches = 0;

private:
    crawl::FoundList* found_;
    std::size_t count_ = 0;
    std::string last_;
};

QAction* AddEntry(QMenu& menu, const char* text, const char* name) {
    QAction* action = menu.addAction(text);
    action->setObjectName(name);
    return action;
}

} // namespace

void frmMain::BuildFileMenu() {
    QMenu* mnuFile = menuBar()->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    mnuOpenCrawl_ = AddEntry(*mnuFile, "&Open Crawl...", "mnuOpenCrawl");
    mnuSaveCrawlAs_ = AddEntry(*mnuFile, "&Save Crawl As...", "mnuSaveCrawlAs");
    mnuContinue_ = AddEntry(*mnuFile, "&Continue", "mnuContinue");
    mnuSaveAuditPage_ = AddEntry(*mnuFile, "Save &Audit Page...", "mnuSaveAuditPage");
    mnuCompareKeywords_ = AddEntry(*mnuFile, "Compare &Keywords With...", "mnuCompareKeywords");
    // A greyed entry says why in its tooltip.
    mnuFile->setToolTipsVisible(true);
    connect(mnuOpenCrawl_, &QAction::triggered, this, &frmMain::mnuOpenCrawl_Click);
    connect(mnuSaveCrawlAs_, &QAction::triggered, this, &frmMain::mnuSaveCrawlAs_Click);
    connect(mnuContinue_, &QAction::triggered, this, &frmMain::mnuContinue_Click);
    connect(mnuSaveAuditPage_, &QAction::triggered, this, &frmMain::mnuSaveAuditPage_Click);
    connect(mnuCompareKeywords_, &QAction::triggered, this, &frmMain::mnuCompareKeywords_Click);
    UpdateFileMenu();
}

void frmMain::UpdateFileMenu() {
    const bool idle = !inRun_;
    const bool kept = idle && kept_.IsOpen();
    mnuOpenCrawl_->setEnabled(idle);
    mnuSaveCrawlAs_->setEnabled(kept);
    mnuContinue_->setEnabled(kept && !keptFinished_);
    const std::string noAudit = NoAuditReason();
    mnuSaveAuditPage_->setEnabled(kept && noAudit.empty());
    mnuSaveAuditPage_->setToolTip(QString::fromStdString(noAudit));
    mnuCompareKeywords_->setEnabled(kept);
    if (mnuReport_ != nullptr) {
        mnuReport_->setEnabled(kept_.IsOpen());
    }
}

std::string frmMain::NoAuditReason() const {
    if (!kept_.IsOpen()) {
        return "Needs a crawl: start one or open one";
    }
    if (kept_.Store().Settings().rules != crawl::RuleSet::Browser) {
        return "Needs a crawl made with Browser Link Rules: classic rules keep no page facts";
    }
    if (!store::AuditUnavailable(kept_.Store()).empty()) {
        return "This crawl was kept by an older version, without page facts";
    }
    return {};
}

void frmMain::RememberStop(bool stoppedByUser) {
    if (settings_ != nullptr) {
        // A store that cannot be written only makes the next start offer the crawl after all.
        settings_->Write(kStoppedByUserKey, stoppedByUser ? "1" : "0");
    }
}

bool frmMain::LastRunStoppedByUser() const {
    return settings_ != nullptr && settings_->Read(kStoppedByUserKey, "0").value_or("0") == "1";
}

void frmMain::UseDataFolder(services::DataFolder& folder) {
    dataFolder_ = &folder;
}

std::optional<std::string> frmMain::KeptCrawlPath() const {
    if (!kept_.IsOpen()) {
        return std::nullopt;
    }
    return kept_.Store().Path();
}

void frmMain::LetGoOfKept() {
    // The report reads through the kept crawl's own connection, so it closes before the crawl does.
    if (report_) {
        reportFollows_ = report_->isVisible();
        reportGeometry_ = report_->geometry();
        reportTab_ = report_->CurrentTab();
    }
    report_.reset();
}

void frmMain::ShowReport() {
    if (!kept_.IsOpen()) {
        return;
    }
    if (!report_) {
        // Through the kept crawl's own connection: a running crawl holds its file for itself alone.
        report_ = std::make_unique<ReportWindow>(kept_.Store(), services_);
        report_->SetRunGoing(inRun_);
        CentreOver(*report_, *this);
    }
    report_->show();
    report_->raise();
    report_->activateWindow();
}

void frmMain::FollowWithReport(bool runComing) {
    const bool follow = std::exchange(reportFollows_, false);
    if (!follow || !kept_.IsOpen() || report_ || closing_) {
        return;
    }
    report_ = std::make_unique<ReportWindow>(kept_.Store(), services_);
    report_->SetRunGoing(runComing || inRun_);
    report_->setGeometry(reportGeometry_);
    // Where the user is typing stays theirs: the report only changes what it shows.
    report_->setAttribute(Qt::WA_ShowWithoutActivating);
    report_->ShowTab(reportTab_);
    report_->show();
}

std::string frmMain::KeptInProgressPath() {
    if (dataFolder_ != nullptr) {
        const std::string folder = dataFolder_->Path();
        return folder.empty() ? std::string() : (std::filesystem::path(folder) / kKeptFileName).string();
    }
    if (!ownFolder_) {
        ownFolder_ = std::make_unique<QTemporaryDir>();
    }
    return ownFolder_->isValid() ? ownFolder_->filePath(kKeptFileName).toStdString() : std::string();
}

std::string frmMain::KeepNewCrawl(const store::CrawlSettings& settings) {
    kept_.Close();
    keptFinished_ = false;
    const std::string path = KeptInProgressPath();
    if (path.empty()) {
        return "there is no folder to keep it in";
    }
    if (std::string error = kept_.Replace(path, settings); !error.empty()) {
        return error;
    }
    kept_.Keep(*run_);
    FollowWithReport(true);
    return {};
}

std::string frmMain::OpenKept(const std::string& path, store::CrawlStore::Access access) {
    if (std::string error = kept_.Open(path, access); !error.empty()) {
        FollowWithReport(false);
        return error;
    }
    keptFinished_ = kept_.Finished();
    keptQueued_ = kept_.Store().Progress().queueTail - kept_.Store().Progress().queueHead;

    crawl::FoundList& found = Engine().List2();
    found.Clear();
    KeptList list(&found);
    std::string unread = kept_.Replay(list);
    for (const auto& [index, reason] : list.failures) {
        model_->MarkFailed(index, reason);
    }
    // The status line tells of this crawl now, not of a run before it.
    shown_ = Shown::Opened;
    status_->Opened(list.failedFetches);
    failedBefore_ = list.failedFetches;
    resumed_ = false;
    txturl_->setText(QString::fromStdString(kept_.Store().Settings().startText));
    chkSelect_Click();
    ShowCounter();
    FollowWithReport(false);
    return unread;
}

void frmMain::OfferKeptCrawl() {
    const std::string path = KeptInProgressPath();
    std::error_code ignored;
    if (path.empty() || !std::filesystem::exists(path, ignored)) {
        return;
    }
    std::string startText;
    {
        std::string error;
        const auto kept = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
        if (!kept || kept->Progress().state == store::CrawlState::Finished || kept->Progress().turns == 0) {
            return;
        }
        // A crawl the user stopped ended where they wanted; one cut short by a closed window or a
        // crash did not.
        if (kept->Progress().state == store::CrawlState::Stopped && LastRunStoppedByUser()) {
            return;
        }
        startText = kept->Settings().startText;
    }
    // A No leaves it kept until a new crawl starts; File > Open Crawl still reaches it.
    if (!services_.messages.Ask("The last crawl, of " + startText + ", did not finish. Continue it?", kTitle)) {
        return;
    }
    if (const std::string error = OpenKept(path, store::CrawlStore::Access::Read); !error.empty()) {
        ShowMessage("Cannot open the crawl: " + error + ".", kTitle);
        return;
    }
    mnuContinue_Click();
}

void frmMain::mnuOpenCrawl_Click() {
    if (Engine().IsRunning()) {
        return;
    }
    services::SaveDialogRequest request = kCrawlFiles;
    request.title = "Open Crawl";
    const std::string path = services_.dialog.AskOpenPath(request);
    if (path.empty()) {
        return;
    }
    if (const std::string error = OpenKept(path, store::CrawlStore::Access::Read); !error.empty()) {
        ShowMessage("Cannot open the crawl: " + error + ".", kTitle);
    }
    UpdateFileMenu();
    ShowStatus();
}

void frmMain::mnuSaveCrawlAs_Click() {
    if (!kept_.IsOpen() || Engine().IsRunning()) {
        return;
    }
    services::SaveDialogRequest request = kCrawlFiles;
    request.title = "Save Crawl As";
    const std::string path = services_.dialog.AskSavePath(request);
    if (path.empty()) {
        return;
    }
    if (kept_.Holds(path)) {
        ShowOutcome("The crawl is kept in " + path + " already");
        return;
    }
    if (const std::string error = kept_.CopyTo(path); !error.empty()) {
        ShowMessage("Cannot save the crawl to " + path + ": " + error + ".", kTitle);
        return;
    }
    ShowOutcome("Crawl saved to " + path);
}

void frmMain::mnuContinue_Click() {
    starts_.Start([this] { ContinueKept(); });
}

void frmMain::ContinueKept() {
    if (!kept_.IsOpen() || keptFinished_ || closing_) {
        return;
    }
    // Asked again, as `--resume` does: a crawl keeps only that it logged in, and as whom.
    const std::optional<std::string> password =
        AskPassword(kept_.Store().Settings().identity, kept_.Store().Settings().startText);
    if (closing_ || !kept_.IsOpen()) {
        return; // closed while the password was asked
    }
    if (!password) {
        ShowOutcome("The crawl was not continued: no password was given");
        return;
    }
    // The file keeps its cookies and credential headers by name alone: their values come from the Crawl Settings.
    store::KeptIdentity identity = kept_.Store().Settings().identity;
    if (const std::vector<std::string> missing = store::RestoreCredentials(identity, mnuOptions_->Choices().identity);
        !missing.empty()) {
        ShowOutcome("The crawl was not continued: give the value of " + missing.front() +
                    " again in Options > Crawl Settings");
        return;
    }
    // Carried on in its own file, with what it was started with, as `--db FILE --resume` does.
    if (const std::string error = kept_.Reopen(); !error.empty()) {
        reportFollows_ = false;
        ShowMessage("Cannot continue the crawl: " + error + ".", kTitle);
        UpdateFileMenu();
        return;
    }
    // The run lists the kept entries afresh; those that failed are muted again before its first turn.
    KeptList list;
    kept_.Replay(list);
    keptFailures_ = std::move(list.failures);
    failedBefore_ = list.failedFetches;
    const store::CrawlSettings settings = kept_.Store().Settings();
    if (const std::string unkept = kept_.Start(settings); !unkept.empty()) {
        reportFollows_ = false;
        ShowMessage("Cannot continue the crawl: " + unkept + ".", kTitle);
        UpdateFileMenu();
        return;
    }
    RunChoices choices = mnuOptions_->Choices();
    choices.browserRules = settings.rules == crawl::RuleSet::Browser;
    choices.obeyRobots = settings.obeyRobots;
    choices.delay = settings.delay;
    choices.keyPhrases = settings.keyPhrases;
    // Its controls and identity are the crawl's own, whatever the Crawl Settings say now.
    choices.controls = settings.controls;
    choices.identity = identity;
    run_->Prepare(SetupFor(choices, settings.startText, *password));
    kept_.Keep(*run_);
    FollowWithReport(true);
    txturl_->setText(QString::fromStdString(settings.startText));
    resumed_ = true;
    RunKept(settings.startText, true);
}

void frmMain::mnuSaveAuditPage_Click() {
    if (!kept_.IsOpen() || Engine().IsRunning()) {
        return;
    }
    if (const std::string missing = NoAuditReason(); !missing.empty()) {
        ShowMessage("Cannot save the audit page. " + missing + ".", kTitle);
        return;
    }
    const std::string path = services_.dialog.AskSavePath({"Save Audit Page", "Web Pages", "*.html"});
    if (path.empty()) {
        return;
    }
    audit::AuditData data;
    store::AuditReader reader(kept_.Store());
    std::string error = reader.Load(data, audit::kAuditPageMostLinks);
    if (error.empty()) {
        const services::WriteResult written = audit::WriteAuditPage(data, path, services_.files);
        error = written ? std::string() : written.error;
    }
    if (!error.empty()) {
        ShowMessage("Cannot save the audit page to " + path + ": " + error + ".", kTitle);
        return;
    }
    ShowOutcome("Audit page saved to " + path);
}

} // namespace vortaxel::ui
