#include "report_window.h"

#include "analysis/key_phrase_pass.h"
#include "background_jobs.h"
#include "export/audit_data.h"
#include "export/audit_page_parts.h"
#include "export/csv_field.h"
#include "issue_tree.h"
#include "keyword_tab.h"
#include "phrase_table_model.h"
#include "report_table_model.h"
#include "shown_text.h"
#include "store/read/audit_reader.h"
#include "store/read/crawl_report.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace vortaxel::ui {

namespace {

constexpr int kPollMs = 1000;
constexpr int kKeywordsTab = 3;
/// Rows read at once for a file: large enough that a crawl's tables go in a few dozen reads.
constexpr std::int64_t kExportRows = 5000;

std::unique_ptr<ReportTableModel> LinksOf(store::CrawlStore& store, std::optional<std::int64_t> pageId,
                                          const std::optional<std::string>& target) {
    auto model = std::make_unique<ReportTableModel>(store, store::ReportKind::Links);
    if (target) {
        model->Table().OnlyLinksTo(*target);
    } else {
        // Until a page is chosen the table shows nothing: no page has the id 0.
        model->Table().OnlyLinksOn(pageId.value_or(0));
    }
    model->Reload();
    return model;
}

/// Widest an address column is made to fit its content; the user may widen it further.
constexpr int kWidestFittedColumn = 480;

/// Sizes each column to the rows read so far and its title, so that an address reads whole where it
/// fits and loses its middle where it does not.
void FitColumns(QTableView& view) {
    QHeaderView& header = *view.horizontalHeader();
    const QAbstractItemView& cells = view;
    for (int column = 0; column < header.count(); ++column) {
        const int content = std::min(cells.sizeHintForColumn(column), kWidestFittedColumn);
        header.resizeSection(column, std::max(content, header.sectionSizeHint(column)));
    }
}

/// What every table of the report shares: rows chosen whole, long texts shortened in their middle,
/// columns the user can resize, and Tab moving on to the next control rather than the next cell.
void ShapeTable(QTableView& view) {
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setWordWrap(false);
    view.setTextElideMode(Qt::ElideMiddle);
    view.setTabKeyNavigation(false);
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view.horizontalHeader()->setDefaultSectionSize(160);
}

/// The button in a table's corner selects every row.
void NameCorner(QTableView& view) {
    for (QAbstractButton* corner : view.findChildren<QAbstractButton*>()) {
        corner->setAccessibleName("Select all rows");
    }
}

/// A row's cells, from a table read from the file or one held in memory.
const std::vector<std::string>* RowCells(const QAbstractItemModel& model, int row) {
    if (const auto* read = qobject_cast<const ReportTableModel*>(&model)) {
        return read->Cells(row);
    }
    if (const auto* held = qobject_cast<const PhraseTableModel*>(&model)) {
        return held->Cells(row);
    }
    return nullptr;
}

bool KeepsKeyPhrases(store::CrawlStore& store) {
    return store.Settings().rules == crawl::RuleSet::Browser && store.Settings().keyPhrases;
}

std::string KeyPhrasesText(const std::vector<keyphrase::KeyPhrase>& phrases) {
    std::string text;
    for (const keyphrase::KeyPhrase& phrase : phrases) {
        text += (text.empty() ? "" : "; ") + phrase.phrase + " (" + audit::ScoreText(phrase.score) + ")";
    }
    return text;
}

QString FactsText(const store::ReportPageDetails& details, const KeywordTab* keywords) {
    const bool keyPhrases = keywords != nullptr;
    const audit::AuditPage& page = details.row.page;
    QString text;
    const auto line = [&text](const char* name, const std::string& value) {
        text += QString::fromLatin1(name) + ": " + CellText(value) + "\n";
    };
    line("Address", page.url);
    line("Status", page.status ? std::to_string(*page.status) : std::string());
    line("Indexability", std::string(audit::IndexabilityText(page.indexability)));
    line("Final address", page.finalUrl);
    line("Content type", page.contentType);
    line("Error", page.error);
    line("Depth", std::to_string(page.depth));
    line("Title", page.title);
    line("Description", page.metaDescription);
    line("H1", page.h1 + (page.h1Count > 1 ? " (" + std::to_string(page.h1Count) + " in all)" : std::string()));
    line("Canonical", page.canonical);
    line("Robots", page.robots);
    line("Language", details.row.lang);
    line("Words", std::to_string(page.wordCount));
    line("Inlinks", Counted(static_cast<qint64>(page.inlinks), "page", "pages").toStdString());
    line("Outlinks", std::to_string(page.outlinks));
    line("Redirects", audit::RedirectChainText(page.redirectChain));
    line("In a sitemap", page.inSitemap ? "yes" : "no");
    line("Time", std::to_string(page.elapsedMs) + " ms");
    line("Bytes", std::to_string(page.bytes));
    if (keyPhrases) {
        // Held by the window only when the file could not take them: what it keeps is then from an earlier pass.
        const std::vector<keyphrase::KeyPhrase>* held = keywords->PhrasesOf(page.url);
        const std::vector<keyphrase::KeyPhrase>& phrases = held != nullptr ? *held : details.row.keyPhrases;
        line("Key phrases", phrases.empty() ? std::string("(none worked out yet)") : KeyPhrasesText(phrases));
        line("Target phrase", phrases.empty() ? std::string() : phrases.front().phrase);
        // From the site's map: a file that could not be written keeps no page's phrases, the map still has them.
        std::string best;
        for (const std::string& phrase : keywords->BestPageFor(page.url)) {
            best += (best.empty() ? "" : "; ") + phrase;
        }
        line("Best page for", best);
    }
    return text;
}

} // namespace

std::unique_ptr<ReportWindow> ReportWindow::Open(const std::string& path, services::PlatformServices services,
                                                 std::string& error, QWidget* parent) {
    auto store = store::OpenReportStore(path, error);
    if (!store) {
        return nullptr;
    }
    store::CrawlStore& kept = *store;
    std::unique_ptr<ReportWindow> window(new ReportWindow(std::move(store), kept, services, parent));
    // Its own connection: no run of this program writes through it.
    window->SetRunGoing(false);
    return window;
}

ReportWindow::ReportWindow(store::CrawlStore& store, services::PlatformServices services, QWidget* parent)
    : ReportWindow(nullptr, store, services, parent) {}

ReportWindow::ReportWindow(std::unique_ptr<store::CrawlStore> owned, store::CrawlStore& store,
                           services::PlatformServices services, QWidget* parent)
    : QWidget(parent, Qt::Window), owned_(std::move(owned)), store_(store), services_(services) {
    setObjectName("frmReport");
    jobs_ = std::make_unique<BackgroundJobs>([&store = store_] { store.Interrupt(); });
    // The folder says little and pushes the name out of a narrow title bar.
    setWindowTitle("Report - " + QFileInfo(QString::fromStdString(store_.Path())).fileName());
    setAccessibleName("Report");
    // A report left open does not keep the program running once its main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName("reportEscape");
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    pages_ = std::make_unique<ReportTableModel>(store_, store::ReportKind::Pages);
    links_ = std::make_unique<ReportTableModel>(store_, store::ReportKind::Links);
    issues_ = std::make_unique<ReportTableModel>(store_, store::ReportKind::Issues);
    inlinks_ = LinksOf(store_, std::nullopt, std::nullopt);
    outlinks_ = LinksOf(store_, std::nullopt, std::nullopt);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("tabsReport");
    tabs_->setAccessibleName("Report tables");
    tabs_->addTab(BuildTab("Pages", *pages_, pageView_, BuildDetails()), "&Pages");
    tabs_->addTab(BuildTab("Links", *links_, linkView_, nullptr), "&Links");
    issueNote_ = new QLabel(this);
    issueNote_->setObjectName("lblIssueNote");
    issueNote_->setAccessibleName("Issues note");
    issueNote_->setWordWrap(true);
    issueNote_->setTextFormat(Qt::PlainText);
    issueNote_->hide();
    findIssues_ = new QPushButton("&Find Issues Again", this);
    findIssues_->setObjectName("cmdFindIssues");
    findIssues_->setAccessibleName("Find issues again");
    connect(findIssues_, &QPushButton::clicked, this, &ReportWindow::FindIssues);
    issueProgress_ = new QProgressBar(this);
    issueProgress_->setObjectName("barIssues");
    issueProgress_->setAccessibleName("Working out the issues");
    // No count of the work ahead is known: the bar says the work goes on.
    issueProgress_->setRange(0, 0);
    issueProgress_->setFormat("Working out the issues...");
    issueProgress_->setTextVisible(true);
    issueProgress_->hide();
    issueTree_ = new IssueTree(
        [this](audit::IssueKind kind, int limit) {
            store::ReportTable table(store_, store::ReportKind::Issues);
            table.OnlyIssue(kind);
            std::vector<store::ReportRow> rows;
            table.Rows(0, limit, rows);
            return rows;
        },
        this);
    connect(issueTree_, &IssueTree::KindChosen, this, [this](std::optional<audit::IssueKind> kind) {
        if (kind) {
            issues_->Table().OnlyIssue(*kind);
        } else {
            issues_->Table().AllIssues();
        }
        issues_->Reload();
    });
    auto* issueBar = new QWidget(this);
    auto* issueLayout = new QHBoxLayout(issueBar);
    issueLayout->setContentsMargins(0, 0, 0, 0);
    issueLayout->addWidget(issueNote_, 1);
    issueLayout->addWidget(issueProgress_, 1);
    issueLayout->addWidget(findIssues_);
    tabs_->addTab(BuildTab("Issues", *issues_, issueView_, issueBar), "&Issues");
    if (KeepsKeyPhrases(store_)) {
        keywords_ = new KeywordTab(this);
        tabs_->addTab(keywords_, "&Keywords");
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == kKeywordsTab && !keywordsFound_) {
            FindKeywords();
        }
        if (tab == 1 && !linksRead_) {
            linksRead_ = true;
            links_->Reload();
        }
        if (tab == 2 && !issuesFound_) {
            FindIssues();
        }
    });

    auto* copy = new QPushButton("&Copy", this);
    copy->setObjectName("cmdCopy");
    copy->setAccessibleName("Copy selected rows");
    connect(copy, &QPushButton::clicked, this, &ReportWindow::CopyRows);
    auto* exportCsv = new QPushButton("&Export CSV...", this);
    exportCsv->setObjectName("cmdExportCsv");
    exportCsv->setAccessibleName("Export table as CSV");
    connect(exportCsv, &QPushButton::clicked, this, &ReportWindow::ExportCsv);
    // A view copies only its current cell on Ctrl+C; the rows selected are what a user means.
    for (QTableView* view : {pageView_, linkView_, issueView_, inlinkView_, outlinkView_}) {
        view->installEventFilter(this);
    }
    if (keywords_ != nullptr) {
        keywords_->Table().installEventFilter(this);
        keywords_->PagesTable().installEventFilter(this);
    }

    status_ = new QLabel(this);
    status_->setObjectName("lblReportStatus");
    status_->setAccessibleName("Report status");
    status_->setTextFormat(Qt::PlainText);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(copy);
    buttons->addWidget(exportCsv);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addLayout(buttons);
    resize(1000, 700);

    // Read once the views are in place; the links when their tab is first shown, millions take a while.
    pages_->Reload();
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &ReportWindow::Refresh);
    poll_.start();
}

ReportWindow::~ReportWindow() {
    // A job in progress reads the store and the models take its outcome: it ends first.
    jobs_.reset();
    // The views refer to the models, which go before the widgets would otherwise.
    poll_.stop();
    for (QTableView* view : {pageView_, linkView_, issueView_, inlinkView_, outlinkView_}) {
        view->setModel(nullptr);
    }
}

QWidget* ReportWindow::BuildTab(const QString& name, ReportTableModel& model, QTableView*& view, QWidget* below) {
    auto* tab = new QWidget(this);
    tab->setObjectName("tab" + name);
    auto* filter = new QLineEdit(tab);
    filter->setObjectName("txtFilter" + name);
    filter->setAccessibleName(name + " filter");
    filter->setPlaceholderText("Filter " + name.toLower());
    filter->setClearButtonEnabled(true);
    for (QToolButton* clear : filter->findChildren<QToolButton*>()) {
        clear->setAccessibleName("Clear " + name.toLower() + " filter");
    }
    auto* count = new QLabel(tab);
    count->setObjectName("lblCount" + name);
    count->setAccessibleName(name + " count");
    const auto showCount = [count](int rows) { ShowLabelText(*count, Counted(rows, "row", "rows")); };
    connect(&model, &ReportTableModel::CountChanged, count, showCount);
    connect(filter, &QLineEdit::textChanged, &model, &ReportTableModel::SetFilter);

    view = new QTableView(tab);
    view->setObjectName("tbl" + name);
    view->setAccessibleName(name);
    view->setModel(&model);
    view->setSortingEnabled(true);
    // The crawl's order until a column is chosen.
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    ShapeTable(*view);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    NameCorner(*view);
    // Fitted once, to the first rows there are: after that the widths are the user's.
    connect(&model, &ReportTableModel::CountChanged, view, [view, fitted = false](int rows) mutable {
        if (!fitted && rows > 0) {
            fitted = true;
            FitColumns(*view);
        }
    });

    auto* bar = new QHBoxLayout;
    bar->addWidget(filter, 1);
    bar->addWidget(count);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(bar);
    if (below != nullptr && &model == pages_.get()) {
        auto* split = new QSplitter(Qt::Vertical, tab);
        split->setObjectName("splitPages");
        split->addWidget(view);
        split->addWidget(below);
        layout->addWidget(split, 1);
        connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &ReportWindow::ShowPage);
    } else if (&model == issues_.get() && issueTree_ != nullptr) {
        auto* split = new QSplitter(Qt::Horizontal, tab);
        split->setObjectName("splitIssues");
        split->addWidget(issueTree_);
        split->addWidget(view);
        split->setStretchFactor(1, 2);
        layout->addWidget(split, 1);
        if (below != nullptr) {
            layout->addWidget(below);
        }
    } else {
        layout->addWidget(view, 1);
        if (below != nullptr) {
            layout->addWidget(below);
        }
    }
    return tab;
}

QWidget* ReportWindow::BuildDetails() {
    auto* details = new QTabWidget(this);
    details->setObjectName("tabsPage");
    details->setAccessibleName("Page details");
    facts_ = new QPlainTextEdit(details);
    facts_->setObjectName("txtFacts");
    facts_->setAccessibleName("Page facts");
    facts_->setReadOnly(true);
    facts_->setPlainText("Choose a page to see its facts, inlinks and outlinks.");
    details->addTab(facts_, "F&acts");
    for (auto [view, model, name, title] : {std::tuple{&inlinkView_, inlinks_.get(), "Inlinks", "I&nlinks"},
                                            std::tuple{&outlinkView_, outlinks_.get(), "Outlinks", "&Outlinks"}}) {
        *view = new QTableView(details);
        (*view)->setObjectName(QString("tbl") + name);
        (*view)->setAccessibleName(name);
        (*view)->setModel(model);
        ShapeTable(**view);
        NameCorner(**view);
        details->addTab(*view, title);
    }
    return details;
}

void ReportWindow::ShowPage(const QModelIndex& index) {
    if (lookupsBuilding_) {
        // Looked up once the indexes are there: without them, a large crawl holds the window for long.
        pendingPage_ = index;
        facts_->setPlainText("Reading the crawl's links...");
        return;
    }
    const std::optional<std::int64_t> fetch = index.isValid() ? pages_->Key(index.row()) : std::nullopt;
    if (!fetch) {
        return;
    }
    std::string error;
    const std::optional<store::ReportPageDetails> details = store::ReadPageDetails(store_, *fetch, error);
    if (!details) {
        facts_->setPlainText(QString::fromStdString(error));
        return;
    }
    facts_->setPlainText(FactsText(*details, keywords_));
    // The views take the new models before the old ones go.
    auto inlinks = LinksOf(store_, std::nullopt, details->linkedAs);
    auto outlinks = LinksOf(store_, details->pageId, std::nullopt);
    inlinkView_->setModel(inlinks.get());
    outlinkView_->setModel(outlinks.get());
    FitColumns(*inlinkView_);
    FitColumns(*outlinkView_);
    inlinks_ = std::move(inlinks);
    outlinks_ = std::move(outlinks);
}

void ReportWindow::Refresh() {
    pages_->Refresh();
    // Counting the links takes longer than the pages; only a table in sight is worth it every second.
    // A page's links and the issues are those of the moment they were asked for.
    if (tabs_->currentIndex() == 1) {
        links_->Refresh();
    }
}

void ReportWindow::FindIssues() {
    issuesFound_ = true;
    if (runGoing_) {
        issuesWanted_ = true;
        ShowLabelText(*issueNote_, "The issues are worked out once the crawl has ended.");
        issueNote_->show();
        return;
    }
    if (issuesBusy_) {
        return;
    }
    issuesBusy_ = true;
    findIssues_->setEnabled(false);
    issueNote_->hide();
    issueProgress_->show();
    // The table is built anew meanwhile: what it held before is shown as it was read.
    issues_->HoldReads(true);
    auto groups = std::make_shared<std::vector<store::ReportIssueGroup>>();
    jobs_->Run(
        this,
        [this, groups] {
            std::string error = store::BuildReportIssues(store_);
            if (error.empty()) {
                if (const store::SqlStatus status = store::ReadIssueGroups(store_, *groups); !status) {
                    error = store_.FailureText(status);
                }
            }
            return error;
        },
        [this, groups](const std::string& error) {
            issueTree_->Show(*groups);
            issues_->Table().AllIssues();
            issuesBusy_ = false;
            findIssues_->setEnabled(true);
            issueProgress_->hide();
            ShowLabelText(*issueNote_, QString::fromStdString(error));
            issueNote_->setVisible(!error.empty());
            issues_->HoldReads(false);
            issues_->Reload();
        });
}

void ReportWindow::SetRunGoing(bool going) {
    runGoing_ = going;
    if (going) {
        return;
    }
    BuildLookups();
    if (std::exchange(issuesWanted_, false)) {
        FindIssues();
    }
    // The pages' key phrases are kept once the map is worked out: the page details show them then.
    if (keywords_ != nullptr && (!keywordsFound_ || std::exchange(keywordsWanted_, false))) {
        FindKeywords();
    }
}

void ReportWindow::FindKeywords() {
    if (keywords_ == nullptr) {
        return;
    }
    keywordsFound_ = true;
    if (runGoing_) {
        keywordsWanted_ = true;
        keywords_->ShowNote("The keyword map is worked out once the crawl has ended.");
        return;
    }
    if (std::exchange(keywordsBusy_, true)) {
        return;
    }
    keywords_->ShowNote("Working out the keyword map...");
    // Handed from the job's thread to the window's with the job's outcome, which is only a text.
    auto map = std::make_shared<std::optional<app::KeywordMap>>();
    jobs_->Run(
        this,
        [this, map] {
            std::string error;
            // A file another program writes, or a read-only one, cannot take the pages' phrases: held here then.
            *map = app::WorkOutKeywordMap(store_, error, app::PagePhrases::HeldWhenNotKept);
            return error;
        },
        [this, map](const std::string& error) {
            keywordsBusy_ = false;
            if (!*map) {
                keywords_->ShowNote(QString::fromStdString("No keyword map: " + error + "."));
                return;
            }
            keywords_->ShowMap(std::move((*map)->phrases), std::move((*map)->pages));
            if (!lookupsBuilding_ && pageView_->currentIndex().isValid()) {
                ShowPage(pageView_->currentIndex());
            }
        });
}

bool ReportWindow::Busy() const {
    return jobs_->Pending() > 0;
}

void ReportWindow::HoldReads(bool held) {
    for (ReportTableModel* model : {pages_.get(), links_.get(), issues_.get(), inlinks_.get(), outlinks_.get()}) {
        if (model != issues_.get() || !issuesBusy_) {
            model->HoldReads(held);
        }
    }
}

void ReportWindow::BuildLookups() {
    if (std::exchange(lookupsAsked_, true)) {
        return;
    }
    // Sorting millions of links takes the connection for seconds in one step: the tables show what they
    // have read meanwhile, and the file is looked at again once it is done.
    lookupsBuilding_ = true;
    poll_.stop();
    HoldReads(true);
    jobs_->Run(
        this,
        [this] {
            store::AuditReader reader(store_);
            return std::string();
        },
        [this](const std::string&) {
            lookupsBuilding_ = false;
            HoldReads(false);
            poll_.start();
            if (pendingPage_.isValid()) {
                ShowPage(std::exchange(pendingPage_, QPersistentModelIndex()));
            }
        });
}

int ReportWindow::CurrentTab() const {
    return tabs_->currentIndex();
}

void ReportWindow::ShowTab(int tab) {
    tabs_->setCurrentIndex(tab);
}

QTableView* ReportWindow::ShownTable() const {
    switch (tabs_->currentIndex()) {
    case 1:
        return linkView_;
    case 2:
        return issueView_;
    case kKeywordsTab:
        if (keywords_ != nullptr) {
            return keywords_->PagesTable().hasFocus() ? &keywords_->PagesTable() : &keywords_->Table();
        }
        break;
    default:
        break;
    }
    // Below the pages, the inlinks or outlinks table in hand is the one meant.
    for (QTableView* inner : {inlinkView_, outlinkView_}) {
        if (inner->hasFocus()) {
            return inner;
        }
    }
    return pageView_;
}

bool ReportWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* view = qobject_cast<QTableView*>(watched);
    if (view != nullptr && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_End && (key->modifiers() & Qt::ControlModifier) != 0) {
            // The view knows only the rows it has been given; the last row is the table's, not theirs.
            if (auto* model = qobject_cast<ReportTableModel*>(view->model())) {
                model->FetchAll();
            }
        }
    }
    const bool copy = (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
                      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy);
    if (view == nullptr || !copy) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        CopyRowsOf(*view);
    }
    event->accept();
    return true;
}

void ReportWindow::CopyRows() {
    CopyRowsOf(*ShownTable());
}

void ReportWindow::CopyRowsOf(QTableView& table) {
    QTableView* view = &table;
    if (view->model() == nullptr) {
        return;
    }
    QModelIndexList rows = view->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QString text;
    for (const QModelIndex& row : rows) {
        const std::vector<std::string>* cells = RowCells(*view->model(), row.row());
        if (cells == nullptr) {
            continue;
        }
        for (std::size_t c = 0; c < cells->size(); ++c) {
            // A tab or line break inside a cell would split it; the clipboard gets it as a blank.
            QString cell = CellText((*cells)[c]);
            cell.replace(QChar('\t'), QChar(' ')).replace(QChar('\n'), QChar(' ')).replace(QChar('\r'), QChar(' '));
            text += (c == 0 ? "" : "\t") + cell;
        }
        text += "\n";
    }
    if (!text.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
    }
}

void ReportWindow::ExportCsv() {
    QAbstractItemModel* shown = ShownTable()->model();
    if (shown == nullptr) {
        return;
    }
    const std::string path = services_.dialog.AskSavePath({"Export CSV", "CSV files", "*.csv"});
    if (path.empty()) {
        return;
    }
    if (auto* held = qobject_cast<PhraseTableModel*>(shown)) {
        WriteCsv(path, held->Csv(), held->rowCount());
        return;
    }
    auto* model = static_cast<ReportTableModel*>(shown);
    store::ReportTable& table = model->Table();
    std::string csv;
    for (std::size_t c = 0; c < table.ColumnCount(); ++c) {
        csv += c == 0 ? "" : ",";
        keywords::AppendCsvField(csv, table.ColumnTitle(c));
    }
    csv += "\r\n";
    std::vector<store::ReportRow> rows;
    store::SqlStatus status;
    std::int64_t written = 0;
    for (std::int64_t offset = 0; status; offset += kExportRows) {
        status = table.Rows(offset, kExportRows, rows);
        written += static_cast<std::int64_t>(rows.size());
        for (const store::ReportRow& row : rows) {
            for (std::size_t c = 0; c < row.cells.size(); ++c) {
                csv += c == 0 ? "" : ",";
                keywords::AppendCsvField(csv, row.cells[c]);
            }
            csv += "\r\n";
        }
        if (rows.size() < static_cast<std::size_t>(kExportRows)) {
            break;
        }
    }
    if (!status) {
        services_.messages.Show(store_.FailureText(status), "Export CSV", services::MessageIcon::Warning);
        return;
    }
    WriteCsv(path, csv, written);
}

void ReportWindow::WriteCsv(const std::string& path, const std::string& csv, std::int64_t rows) {
    if (const services::WriteResult result = services_.files.Write(path, csv); !result) {
        services_.messages.Show(result.error, "Export CSV", services::MessageIcon::Warning);
        return;
    }
    ShowLabelText(*status_, "Exported " + Counted(rows, "row", "rows") + " to " + QString::fromStdString(path));
}

} // namespace vortaxel::ui
