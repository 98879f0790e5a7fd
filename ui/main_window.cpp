#include "main_window.h"

#include "about_window.h"
#include "clip_player.h"
#include "crawl/page/page_address.h"
#include "crawl/start_text.h"
#include "crawl_settings_run.h"
#include "fonts.h"
#include "found_list_model.h"
#include "keyword_export.h"
#include "keyword_gap_window.h"
#include "muted_entry_delegate.h"
#include "phrase_source_menu.h"
#include "report_window.h"
#include "shown_text.h"
#include "status_line.h"
#include "twips.h"
#include "web/address_login.h"
#include "window_placement.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTableView>

namespace vortaxel::ui {
namespace {

constexpr int kEnterKey = 13;
constexpr int kCaretAfterScheme = 7; // just after the preset "http://"
void KeepWindowAlive() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

template <typename Widget> Widget* Place(Widget* widget, const char* name, QRect rect) {
    widget->setObjectName(name);
    widget->setGeometry(rect);
    return widget;
}

QPushButton* PictureButton(QWidget* parent, const char* name, const char* image, const char* tip, QRect rect) {
    auto* button = Place(new QPushButton(parent), name, rect);
    button->setIcon(QIcon(image));
    button->setIconSize(QSize(22, 22));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    return button;
}

/// Labels that size themselves to their caption keep their top-left corner and grow to the right.
void FitToCaption(QLabel& label) {
    label.resize(label.sizeHint().width(), label.height());
}

} // namespace

frmMain::frmMain(services::PlatformServices services, QString clipDirectory, net::FetchOptions fetchOptions,
                 QWidget* parent)
    : QMainWindow(parent), services_(services), clipDirectory_(std::move(clipDirectory)),
      fetchOptions_(std::move(fetchOptions)),
      // Made now for the first start's defaults, so a libcurl that cannot be set up ends the program
      // before its window opens rather than inside a click.
      run_(std::make_unique<app::RunController>(SetupFor(RunChoices{}), static_cast<crawl::CrawlListener&>(*this))),
      starts_(run_->Engine()), model_(std::make_unique<FoundListModel>(run_->Engine().List2())) {
    Build();
}

frmMain::frmMain(services::PlatformServices services, QString clipDirectory, crawl::PageFetcher& pages, QWidget* parent)
    : QMainWindow(parent), services_(services), clipDirectory_(std::move(clipDirectory)),
      run_(std::make_unique<app::RunController>(SetupFor(RunChoices{}), static_cast<crawl::CrawlListener&>(*this),
                                                pages)),
      starts_(run_->Engine()), model_(std::make_unique<FoundListModel>(run_->Engine().List2())) {
    Build();
}

void frmMain::Build() {
    setObjectName("frmMain");
    setWindowTitle("Vortaxel");
    setWindowIcon(QIcon(":/vortaxel/vortaxel.png"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    kept_.BeforeLettingGo([this] { LetGoOfKept(); });
    BuildMenu();
    BuildControls();
    BuildStatusLine();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // Emptied for a new run or an opened crawl: the count of the list before has nothing left to count.
    connect(model_.get(), &QAbstractItemModel::modelReset, this, &frmMain::ShowCounter);
    Form_Load();
    UseSettings(services_.settings);
}

frmMain::~frmMain() {
    // The list view refers to the model, which goes before the widgets would otherwise.
    delete takeCentralWidget();
}

void frmMain::BuildMenu() {
    BuildFileMenu();
    QMenu* mnuOptions = menuBar()->addMenu("&Options");
    mnuOptions->setObjectName("mnuOptions");
    mnuOptions_ = new OptionsMenu(*mnuOptions);

    QMenu* mnuView = menuBar()->addMenu("&View");
    mnuView->setObjectName("mnuView");
    mnuReport_ = mnuView->addAction("&Report...");
    mnuReport_->setObjectName("mnuReport");
    mnuReport_->setEnabled(kept_.IsOpen());
    connect(mnuView, &QMenu::aboutToShow, this, [this] { mnuReport_->setEnabled(kept_.IsOpen()); });
    connect(mnuReport_, &QAction::triggered, this, &frmMain::ShowReport);

    QMenu* mnuHelp = menuBar()->addMenu("&Help");
    mnuHelp->setObjectName("mnuHelp");
    QAction* mnuAbout = mnuHelp->addAction("&About");
    mnuAbout->setObjectName("mnuAbout");
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);

    // F10 reaches the menus from the keyboard on every desktop, not only where the platform offers it.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    menuKey->setObjectName("menuBarShortcut");
    connect(menuKey, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().constFirst()); });
}

void frmMain::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(TwipsSize(11835, 8310));
    setCentralWidget(client);

    // Created bottom-most first: the labels lie beneath every control, and cmdstop on top.
    Label5_ = Place(new QLabel("URL", client), "Label5", TwipsRect(120, 240, 465, 240));
    Label5_->setFont(SerifFont(9.75, true));
    FitToCaption(*Label5_);

    lblcounter_ = Place(new QLabel("Retrieving URL", client), "lblcounter", TwipsRect(120, 600, 1590, 240));
    lblcounter_->setFont(SansSerifFont(9.75, true));
    QPalette red = lblcounter_->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lblcounter_->setPalette(red);
    FitToCaption(*lblcounter_);

    an_ = Place(new ClipPlayer(client), "an", TwipsRect(10260, 30, 735, 615));
    an_->setAccessibleName("Busy");

    cmdstart_ =
        PictureButton(client, "cmdstart", ":/vortaxel/start.png", "Start Navigation", TwipsRect(10245, 120, 735, 435));
    connect(cmdstart_, &QPushButton::clicked, this, &frmMain::cmdstart_Click);

    txturl_ = Place(new QLineEdit("http://", client), "txturl", TwipsRect(735, 120, 9465, 435));
    txturl_->setFont(SansSerifFont(12, true));
    txturl_->setAccessibleName("URL");
    // The classic rules take the field's text afresh at every use, edits during a run included.
    // Pages fetched ahead were chosen for the text as it was: they go at the next turn's start.
    connect(txturl_, &QLineEdit::textChanged, this, [this](const QString& text) {
        Engine().SetStartText(text.toStdString());
        urlEdited_ = true;
        if (!Engine().IsRunning()) {
            run_->DropAhead();
            urlEdited_ = false;
        }
    });
    connect(txturl_, &QLineEdit::returnPressed, this, [this] {
        int keyAscii = kEnterKey;
        txturl_KeyPress(keyAscii);
    });

    cmdsave_ = Place(new QPushButton("&Extract", client), "cmdsave", TwipsRect(10695, 7920, 1095, 375));
    cmdsave_->setAccessibleName("Extract");
    connect(cmdsave_, &QPushButton::clicked, this, &frmMain::cmdsave_Click);
    // Alt+E runs the export at once; the button's own mnemonic would only animate a click later.
    cmdsave_->setShortcut(QKeySequence());
    auto* extractKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_E), this);
    extractKey->setObjectName("cmdsaveShortcut");
    connect(extractKey, &QShortcut::activated, this, &frmMain::cmdsave_Click);

    chkSelect_ =
        Place(new QCheckBox("Select All or UnSelect All", client), "chkSelect", TwipsRect(120, 7920, 3090, 375));
    chkSelect_->setFont(SansSerifFont(9.75, true));
    chkSelect_->setAccessibleName("Select All or UnSelect All");
    chkSelect_->setChecked(true);
    connect(chkSelect_, &QCheckBox::clicked, this, &frmMain::chkSelect_Click);

    List2_ = Place(new QTableView(client), "List2", TwipsRect(120, 840, 11640, 7005));
    List2_->setAccessibleName("Found URLs");
    List2_->setModel(model_.get());
    List2_->setItemDelegate(new MutedEntryDelegate(List2_));
    List2_->setSelectionModel(model_->SelectionModel());
    List2_->horizontalHeader()->hide();
    List2_->horizontalHeader()->setStretchLastSection(true);
    List2_->verticalHeader()->hide();
    // A fixed row height lets the view place rows without measuring them, however long the list.
    List2_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    List2_->verticalHeader()->setDefaultSectionSize(List2_->fontMetrics().height() + 2);
    List2_->setShowGrid(false);
    List2_->setWordWrap(false);
    List2_->setSelectionBehavior(QAbstractItemView::SelectRows);
    List2_->setSelectionMode(QAbstractItemView::MultiSelection); // a click toggles one entry
    List2_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List2_->setTabKeyNavigation(false);
    List2_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    cmdstop_ =
        PictureButton(client, "cmdstop", ":/vortaxel/stop.png", "Stop Navigation", TwipsRect(11040, 120, 735, 435));
    connect(cmdstop_, &QPushButton::clicked, this, &frmMain::cmdstop_Click);

    setTabOrder(txturl_, cmdstart_);
    setTabOrder(cmdstart_, cmdsave_);
    setTabOrder(cmdsave_, chkSelect_);
    setTabOrder(chkSelect_, List2_);
    setTabOrder(List2_, cmdstop_);
}

void frmMain::BuildStatusLine() {
    status_ = std::make_unique<StatusLine>(*statusBar());
}

void frmMain::ShowOutcome(const std::string& text) {
    status_->ShowOutcome(text);
}

void frmMain::ShowCounter() {
    lblcounter_->setText(QString("Retrieving URLs: %1").arg(Engine().List2().Count()));
    FitToCaption(*lblcounter_);
}

void frmMain::ShowStatus(bool sparingly) {
    StatusLine::State state;
    state.shown = shown_;
    state.inRun = inRun_;
    state.stopping = stopping_;
    state.stopped = stopped_;
    state.resumed = resumed_;
    state.keptFinished = keptFinished_;
    state.found = Engine().List2().Count();
    // An opened crawl shows what its runs left in its queue.
    state.queued = !inRun_ && shown_ == Shown::Opened ? keptQueued_ : static_cast<std::int64_t>(Engine().QueueCount());
    status_->Show(state, sparingly);
}

void frmMain::Form_Load() {
    txturl_->setCursorPosition(kCaretAfterScheme);
    txturl_->deselect();
    txturl_->setFocus(Qt::OtherFocusReason);
    // A missing or damaged clip only leaves the busy indicator blank.
    if (an_->Open(QDir(clipDirectory_).filePath("FINDCOMP.AVI"))) {
        an_->Play();
    }
    an_->hide();
}

void frmMain::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        CentreOnScreen(*this);
    }
    QMainWindow::showEvent(event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // A run in progress is abandoned: the fetch in flight fails at once, as does every later one,
    // so the loop ends after the turn it is in and the program can end. The report goes with the
    // window that opened it.
    closing_ = true;
    if (report_) {
        report_->close();
    }
    cmdstop_Click();
    run_->Abort();
    QMainWindow::closeEvent(event);
}

void frmMain::cmdstart_Click() {
    starts_.Start([this] { StartRun(); });
}

void frmMain::StartRun() {
    if (closing_) {
        return;
    }
    std::string text = txturl_->text().toStdString();
    const std::size_t typed = text.size();
    if (!crawl::PrepareStartText(text)) {
        ShowMessage(crawl::kRefusalText, crawl::kRefusalTitle);
        txturl_->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (text.size() != typed) {
        txturl_->setText(QString::fromStdString(text));
    }
    // The run keeps the choices it starts with, whatever the menu says later.
    const RunChoices choices = mnuOptions_->Choices();
    if (const std::vector<CrawlSettingsProblem> refusals = mnuOptions_->Refusals(); !refusals.empty()) {
        std::string why = "The crawl cannot start until its settings are mended in Options > Crawl Settings:";
        for (const CrawlSettingsProblem& refusal : refusals) {
            why += "\n" + refusal.text + ".";
        }
        ShowMessage(why, "Vortaxel");
        return;
    }
    const std::optional<std::string> password = AskPassword(choices.identity, text);
    if (closing_) {
        return; // closed while the password was asked
    }
    if (!password) {
        ShowOutcome("The crawl did not start: no password was given");
        return;
    }
    status_->StartingFrom(text);
    resumed_ = false;
    run_->Prepare(SetupFor(choices, text, *password));
    store::CrawlSettings settings;
    settings.startText = text;
    settings.rules = choices.browserRules ? crawl::RuleSet::Browser : crawl::RuleSet::Classic;
    settings.obeyRobots = choices.obeyRobots;
    settings.delay = choices.delay;
    settings.keyPhrases = choices.keyPhrases;
    settings.maxMemory = crawl::RunLimits{}.storeBytes;
    // The login's user is kept, so that a continued crawl asks for its password again; the password is not,
    // nor the values of cookies and credential headers.
    settings.controls = choices.controls;
    settings.identity = store::IdentityToKeep(choices.identity);
    if (const std::string unkept = KeepNewCrawl(settings); !unkept.empty()) {
        // The crawl itself can still be had; only its keeping failed.
        ShowMessage("The crawl will not be kept: " + unkept + ".", "Vortaxel");
        reportFollows_ = false;
    }
    RunKept(txturl_->text().toStdString(), false);
}

void frmMain::RunKept(const std::string& startText, bool resume) {
    urlEdited_ = false;
    run_->Run(startText, resume);
    // The password was for this run alone: the fetcher that holds it goes now rather than at the next run.
    if (!closing_) {
        run_->ForgetLogin();
    }
    // Only now, with the run's last turns written: the report's work shares the run's connection.
    if (report_ && !closing_) {
        report_->SetRunGoing(false);
    }
    UpdateFileMenu();
    if (!run_->StopReason().empty()) {
        // The engine stopped itself; unlike a stop the user asked for, this needs saying. The list
        // stays as found, ready to export.
        ShowMessage("The crawl stopped early: " + run_->StopReason() + ".", "Vortaxel");
    }
}

std::optional<std::string> frmMain::AskPassword(const store::KeptIdentity& identity, const std::string& startAddress) {
    if (identity.authUser.empty()) {
        return std::string();
    }
    const std::string origin = web::OriginOf(startAddress);
    if (passwordPrompt_) {
        return passwordPrompt_(identity.authUser, origin);
    }
    bool given = false;
    const QString password =
        QInputDialog::getText(this, "Vortaxel",
                              QString("Password of %1 at %2 (used for this crawl only, never kept):")
                                  .arg(QString::fromStdString(identity.authUser), QString::fromStdString(origin)),
                              QLineEdit::Password, QString(), &given);
    if (!given) {
        return std::nullopt;
    }
    return password.toStdString();
}

app::RunSetup frmMain::SetupFor(const RunChoices& choices, const std::string& startAddress,
                                const std::string& password) const {
    app::RunSetup setup;
    setup.rules = choices.browserRules ? crawl::RuleSet::Browser : crawl::RuleSet::Classic;
    setup.obeyRobots = choices.obeyRobots;
    setup.delay = choices.delay;
    setup.parallel = choices.pagesAtOnce;
    setup.limits.keyPhrases = choices.keyPhrases;
    setup.fetch = fetchOptions_;
    ApplyCrawlSettings(choices.controls, choices.identity, startAddress, password, setup);
    // The page fetch blocks; the window stays alive by handling its events while it waits.
    setup.wait = KeepWindowAlive;
    return setup;
}

void frmMain::txturl_KeyPress(int& keyAscii) {
    // One stray key must not throw a long crawl away: during a run Enter does nothing.
    if (keyAscii == kEnterKey && !Engine().IsRunning()) {
        cmdstart_Click();
    }
}

void frmMain::cmdstop_Click() {
    if (Engine().IsRunning()) {
        userStopped_ = !closing_;
        // The first stop lets the page in hand finish; a second gives it up, for a server that will not answer.
        if (stopping_) {
            run_->Abort();
        }
        stopping_ = true;
        stopped_ = true;
        ShowStatus();
    }
    starts_.Stop();
}

void frmMain::chkSelect_Click() {
    if (chkSelect_->checkState() == Qt::Checked) {
        Engine().List2().SelectAll();
    }
}

void frmMain::cmdsave_Click() {
    SaveKeywordFile(Engine().List2(), services_, mnuOptions_->PhraseSource(), kept_);
}

void frmMain::UseSettings(services::SettingsStore& settings) {
    settings_ = &settings;
    mnuOptions_->UseSettings(settings);
}

void frmMain::mnuAbout_Click() {
    frmabout about(services_.launcher);
    about.exec();
}

void frmMain::RunStarted() {
    an_->setVisible(true);
    cmdstart_->setVisible(false);
    inRun_ = true;
    shown_ = Shown::Run;
    // A crawl carried on counts the failures of its runs before too: the status line tells of the crawl.
    status_->RunStarted(resumed_ ? failedBefore_ : 0);
    stopping_ = false;
    stopped_ = false;
    userStopped_ = false;
    ShowOutcome({});
    ShowCounter();
    if (report_) {
        report_->SetRunGoing(true);
    }
    UpdateFileMenu();
    ShowStatus();
}

void frmMain::RunEnded() {
    an_->setVisible(false);
    cmdstart_->setVisible(true);
    inRun_ = false;
    stopping_ = false;
    stopped_ = stopped_ || Engine().StopRequested() || !Engine().StopReason().empty();
    keptFinished_ = !stopped_;
    status_->RunEnded();
    RememberStop(userStopped_ && !closing_);
    UpdateFileMenu();
    ShowStatus();
}

void frmMain::PageFound(std::size_t index, std::string_view /*url*/) {
    chkSelect_Click();
    lblcounter_->setText(QString("Retrieving URLs: %1").arg(index + 1));
    FitToCaption(*lblcounter_);
    ShowStatus(true);
}

void frmMain::ShowMessage(const std::string& text, const std::string& title) {
    if (closing_) {
        return; // the window is gone; a box now would only hold the program open
    }
    services_.messages.Show(text, title, services::MessageIcon::None);
}

void frmMain::Yield() {
    // Input that the window system queued since the last pass must be seen in this one.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!keptFailures_.empty()) {
        for (const auto& [index, reason] : keptFailures_) {
            if (index < Engine().List2().Count()) {
                model_->MarkFailed(index, reason);
            }
        }
        keptFailures_.clear();
    }
    if (urlEdited_) {
        urlEdited_ = false;
        run_->DropAhead();
    }
}

void frmMain::PageFetched(const std::string& url, const crawl::FetchedPage& page) {
    // Classic rules list a page before fetching it, so a failed page is the last entry; browser
    // rules list only pages that arrived.
    const crawl::FoundList& found = Engine().List2();
    if (!page.ok && found.Count() != 0 && found.Text(found.Count() - 1) == url) {
        model_->MarkFailed(found.Count() - 1, page.error);
    }
    status_->PageFetched(url, page, resumed_);
    ShowStatus(true);
}

void frmMain::PageBlocked(std::string_view /*url*/) {
    status_->PageBlocked(resumed_);
}

} // namespace vortaxel::ui
