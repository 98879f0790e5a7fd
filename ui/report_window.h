#pragma once

#include "services/platform_services.h"
#include "store/crawl_store.h"

#include <memory>
#include <string>

#include <QPersistentModelIndex>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;

namespace vortaxel::ui {

class BackgroundJobs;
class IssueTree;
class KeywordTab;
class ReportTableModel;

/// The report of a kept crawl: tabs of its pages, links and the audit's issues, each a table sorted and
/// filtered by the database, with a page's facts, inlinks and outlinks below the pages. Looks at the file
/// every second, so a crawl that goes on shows its new rows where they come.
class ReportWindow : public QWidget {
    Q_OBJECT
public:
    /// Opens the crawl kept in `path`; nullptr with `error` when it cannot be read.
    static std::unique_ptr<ReportWindow> Open(const std::string& path, services::PlatformServices services,
                                              std::string& error, QWidget* parent = nullptr);
    /// Reads through `store`, a run's own, which must outlive the window.
    ReportWindow(store::CrawlStore& store, services::PlatformServices services, QWidget* parent = nullptr);
    ~ReportWindow() override;
    ReportWindow(const ReportWindow&) = delete;
    ReportWindow& operator=(const ReportWindow&) = delete;

    /// Takes in what the crawl added since the last look.
    void Refresh();
    /// Works the issues out again from the crawl as it stands, away from the window's thread; while a
    /// run writes the crawl, once it has ended.
    void FindIssues();
    /// Whether a run writes the crawl now. The report reads beside it, but works nothing out in the
    /// background meanwhile, which would share the run's connection as it writes; once no run goes,
    /// it builds the lookups a page's details need, away from the window's thread.
    void SetRunGoing(bool going);
    /// Work asked of the background whose outcome has not arrived yet.
    bool Busy() const;
    /// Copies the selected rows of the table shown, a line each, cells separated by tabs.
    void CopyRows();
    /// Asks where to, then writes the table shown (all its rows, as sorted and filtered) as CSV.
    void ExportCsv();
    /// Works the site's keyword map out from the crawl as it stands, away from the window's thread; while a
    /// run writes the crawl, once it has ended. Only for a crawl that keeps key phrases.
    void FindKeywords();
    /// The tab shown (0 pages, 1 links, 2 issues, 3 keywords where the crawl has them), and a change to another.
    int CurrentTab() const;
    void ShowTab(int tab);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ReportWindow(std::unique_ptr<store::CrawlStore> owned, store::CrawlStore& store,
                 services::PlatformServices services, QWidget* parent);
    QWidget* BuildTab(const QString& name, ReportTableModel& model, QTableView*& view, QWidget* below);
    QWidget* BuildDetails();
    void ShowPage(const QModelIndex& index);
    QTableView* ShownTable() const;
    void CopyRowsOf(QTableView& view);
    void WriteCsv(const std::string& path, const std::string& csv, std::int64_t rows);
    /// Builds the indexes by link target once, before a page's inlinks are looked up.
    void BuildLookups();
    void HoldReads(bool held);

    std::unique_ptr<store::CrawlStore> owned_;
    store::CrawlStore& store_;
    services::PlatformServices services_;
    std::unique_ptr<ReportTableModel> pages_;
    std::unique_ptr<ReportTableModel> links_;
    std::unique_ptr<ReportTableModel> issues_;
    std::unique_ptr<ReportTableModel> inlinks_;
    std::unique_ptr<ReportTableModel> outlinks_;
    bool linksRead_ = false;
    bool issuesFound_ = false;
    bool runGoing_ = false;
    bool lookupsAsked_ = false;
    bool lookupsBuilding_ = false;
    bool issuesBusy_ = false;
    /// The issues were asked for while a run went.
    bool issuesWanted_ = false;
    bool keywordsFound_ = false;
    bool keywordsBusy_ = false;
    bool keywordsWanted_ = false;
    /// The page chosen while the lookups were built, shown once they are.
    QPersistentModelIndex pendingPage_;
    QTimer poll_;

    QTabWidget* tabs_ = nullptr;
    QTableView* pageView_ = nullptr;
    QTableView* linkView_ = nullptr;
    QTableView* issueView_ = nullptr;
    IssueTree* issueTree_ = nullptr;
    QTableView* inlinkView_ = nullptr;
    QTableView* outlinkView_ = nullptr;
    /// Only for a crawl that keeps key phrases.
    KeywordTab* keywords_ = nullptr;
    QPlainTextEdit* facts_ = nullptr;
    QLabel* issueNote_ = nullptr;
    QProgressBar* issueProgress_ = nullptr;
    QPushButton* findIssues_ = nullptr;
    /// What the last action came to, such as a table exported.
    QLabel* status_ = nullptr;
    /// Goes first, so no job outlives what it reads.
    std::unique_ptr<BackgroundJobs> jobs_;
};

} // namespace vortaxel::ui
