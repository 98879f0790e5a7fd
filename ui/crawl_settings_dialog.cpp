#include "crawl_settings_dialog.h"

#include "user_agent_presets.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStringList>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vortaxel::ui {
namespace {

constexpr int kNoDepth = -1;
constexpr int kDeepest = 9999;

/// Names a field for assistive tools and explains it on hover, alike for every field.
template <typename Widget>
Widget* Field(Widget* widget, const char* name, const char* accessibleName, const char* tip) {
    widget->setObjectName(name);
    widget->setAccessibleName(accessibleName);
    widget->setToolTip(tip);
    return widget;
}

QPlainTextEdit* LinesField(QWidget* parent, const char* name, const char* accessibleName, const char* tip) {
    auto* field = Field(new QPlainTextEdit(parent), name, accessibleName, tip);
    field->setTabChangesFocus(true);
    field->setLineWrapMode(QPlainTextEdit::NoWrap);
    field->setFixedHeight(field->fontMetrics().lineSpacing() * 4 + 12);
    return field;
}

void SetLines(QPlainTextEdit& field, const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) {
        text.append(QString::fromStdString(line));
    }
    field.setPlainText(text.join('\n'));
}

std::vector<std::string> LinesIn(const QPlainTextEdit& field) {
    return LinesOf(field.toPlainText().toStdString());
}

void SelectData(QComboBox& box, const QString& data) {
    const int index = box.findData(data);
    box.setCurrentIndex(index < 0 ? 0 : index);
}

} // namespace

CrawlSettingsDialog::CrawlSettingsDialog(const CrawlSettingsValues& values, bool browserRules, QWidget* parent)
    : QDialog(parent) {
    setObjectName("dlgCrawlSettings");
    setWindowTitle("Crawl Settings");
    setAccessibleName("Crawl Settings");
    // Wide enough for a pattern or a user agent to be read whole as it is typed.
    setMinimumWidth(fontMetrics().averageCharWidth() * 72);
    auto* layout = new QVBoxLayout(this);

    auto* rulesNote = new QLabel(this);
    rulesNote->setObjectName("lblRulesNote");
    rulesNote->setWordWrap(true);
    rulesNote->setText(browserRules ? "These settings apply to crawls under Browser Link Rules."
                                    : "Browser Link Rules is off (Options menu): a crawl ignores these settings "
                                      "until it is turned on.");
    rulesNote->setAccessibleName("Whether these settings apply");
    rulesNote->setToolTip("The classic rules crawl as they always have, whatever is set here");
    layout->addWidget(rulesNote);

    auto* pages = new QTabWidget(this);
    pages->setObjectName("tabsCrawlSettings");
    pages->setAccessibleName("Crawl settings pages");
    marks_.resize(static_cast<std::size_t>(CrawlSettingsField::Listed) + 1);
    pages->addTab(BuildScopePage(), "&Scope");
    pages->addTab(BuildIdentityPage(), "&Identity");
    pages->addTab(BuildListPage(), "&List Mode");
    layout->addWidget(pages);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    SelectData(*scope_, crawl::CrawlScopeName(values.scope));
    SetLines(*include_, values.include);
    SetLines(*exclude_, values.exclude);
    maxDepth_->setValue(values.maxDepth ? static_cast<int>(std::min<std::size_t>(*values.maxDepth, kDeepest))
                                        : kNoDepth);
    SetLines(*stripQuery_, values.stripQuery);
    SelectData(*userAgent_, QString::fromStdString(values.userAgent));
    customUserAgent_->setText(QString::fromStdString(values.customUserAgent));
    SetLines(*headers_, values.headers);
    loginUser_->setText(QString::fromStdString(values.loginUser));
    SetLines(*cookies_, values.cookies);
    listMode_->setChecked(values.listMode);
    SetLines(*listed_, values.listed);

    for (QPlainTextEdit* field : {include_, exclude_, stripQuery_, headers_, cookies_, listed_}) {
        connect(field, &QPlainTextEdit::textChanged, this, &CrawlSettingsDialog::ShowProblems);
    }
    for (QLineEdit* field : {customUserAgent_, loginUser_}) {
        connect(field, &QLineEdit::textChanged, this, &CrawlSettingsDialog::ShowProblems);
    }
    connect(userAgent_, &QComboBox::currentIndexChanged, this, &CrawlSettingsDialog::ShowProblems);
    connect(listMode_, &QCheckBox::toggled, this, &CrawlSettingsDialog::ShowProblems);
    ShowProblems();
}

QLabel* CrawlSettingsDialog::ProblemLabel(QWidget& page, const char* name, CrawlSettingsField field, QWidget* marked) {
    auto* label = new QLabel(&page);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    QPalette red = label->palette();
    red.setColor(QPalette::WindowText, QColor(192, 0, 0));
    label->setPalette(red);
    label->setAccessibleName("Problem");
    label->hide();
    marks_[static_cast<std::size_t>(field)] = {marked, label};
    return label;
}

QWidget* CrawlSettingsDialog::BuildScopePage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);

    scope_ = Field(new QComboBox(page), "cboScope", "Scope",
                   "Which hosts the crawl takes as the site's: the start page's host alone, every host under its "
                   "registrable domain, or that domain itself and all its hosts");
    scope_->addItem("The start page's host only", "host");
    scope_->addItem("Its subdomains too", "subdomains");
    scope_->addItem("The whole domain", "domain");
    form->addRow("S&cope:", scope_);

    include_ = LinesField(page, "txtInclude", "Include patterns",
                          "Regular expressions (RE2), one a line, matched against each absolute address before it is "
                          "queued: with any given, an address must match one of them");
    form->addRow("I&nclude:", include_);
    form->addRow(ProblemLabel(*page, "lblIncludeProblem", CrawlSettingsField::Include, include_));

    exclude_ = LinesField(page, "txtExclude", "Exclude patterns",
                          "Regular expressions (RE2), one a line: an address matching any of them is never requested");
    form->addRow("E&xclude:", exclude_);
    form->addRow(ProblemLabel(*page, "lblExcludeProblem", CrawlSettingsField::Exclude, exclude_));

    maxDepth_ = Field(new QSpinBox(page), "spnMaxDepth", "Maximum depth",
                      "Clicks from the start page past which no link is followed; 0 takes the start page alone, "
                      "None follows links however deep");
    maxDepth_->setRange(kNoDepth, kDeepest);
    maxDepth_->setSpecialValueText("None");
    form->addRow("&Depth:", maxDepth_);

    stripQuery_ = LinesField(page, "txtStripQuery", "Parameters to strip",
                             "Query parameters removed from an address before it is queued, one a line: a name, or a "
                             "prefix ending in * (utm_*)");
    form->addRow("Strip &parameters:", stripQuery_);
    form->addRow(ProblemLabel(*page, "lblStripQueryProblem", CrawlSettingsField::StripQuery, stripQuery_));
    return page;
}

QWidget* CrawlSettingsDialog::BuildIdentityPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);

    userAgent_ = Field(new QComboBox(page), "cboUserAgent", "User agent",
                       "Who the crawl says it is; robots.txt is then read for that crawler's group, or the one for "
                       "every agent");
    userAgent_->addItem("Vortaxel's own", QString());
    for (const UserAgentPreset& preset : UserAgentPresets()) {
        userAgent_->addItem(QString::fromUtf8(preset.label.data(), static_cast<qsizetype>(preset.label.size())),
                            QString::fromUtf8(preset.name.data(), static_cast<qsizetype>(preset.name.size())));
    }
    userAgent_->addItem("Custom", QString(kCustomUserAgent));
    form->addRow("&User agent:", userAgent_);
    customUserAgent_ = Field(new QLineEdit(page), "txtCustomUserAgent", "Custom user agent",
                             "The User-Agent text sent when the user agent is Custom");
    form->addRow("Cus&tom:", customUserAgent_);
    form->addRow(ProblemLabel(*page, "lblUserAgentProblem", CrawlSettingsField::UserAgent, customUserAgent_));
    connect(userAgent_, &QComboBox::currentIndexChanged, this,
            [this] { customUserAgent_->setEnabled(userAgent_->currentData().toString() == kCustomUserAgent); });
    customUserAgent_->setEnabled(false);

    headers_ = LinesField(page, "txtHeaders", "Extra headers",
                          "Request headers added to every request, one \"Name: value\" a line");
    form->addRow("&Headers:", headers_);
    form->addRow(ProblemLabel(*page, "lblHeadersProblem", CrawlSettingsField::Headers, headers_));

    loginUser_ = Field(new QLineEdit(page), "txtLoginUser", "Login user",
                       "The user of an HTTP login (Basic or Digest) to the start page's site; its password is asked "
                       "each time a crawl starts and is never kept");
    form->addRow("Lo&gin user:", loginUser_);
    form->addRow(ProblemLabel(*page, "lblLoginUserProblem", CrawlSettingsField::LoginUser, loginUser_));

    cookies_ = LinesField(page, "txtCookies", "Session cookies",
                          "Cookies sent to the start page's site alone, one \"name=value\" a line, as copied from a "
                          "browser that is logged in");
    form->addRow("C&ookies:", cookies_);
    form->addRow(ProblemLabel(*page, "lblCookiesProblem", CrawlSettingsField::Cookies, cookies_));
    return page;
}

QWidget* CrawlSettingsDialog::BuildListPage() {
    auto* page = new QWidget(this);
    auto* form = new QVBoxLayout(page);
    listMode_ = Field(new QCheckBox("&Audit these addresses instead of crawling", page), "chkListMode", "List mode",
                      "Audits exactly the addresses listed below and follows no link (redirects are still followed); "
                      "the URL field still names the site that gets the login and cookies");
    form->addWidget(listMode_);
    listed_ = LinesField(page, "txtListed", "Addresses to audit",
                         "One web address a line; blank lines and lines starting with # are passed over");
    listed_->setMinimumHeight(listed_->fontMetrics().lineSpacing() * 10);
    listed_->setMaximumHeight(QWIDGETSIZE_MAX);
    form->addWidget(listed_);
    form->addWidget(ProblemLabel(*page, "lblListedProblem", CrawlSettingsField::Listed, listed_));
    return page;
}

void CrawlSettingsDialog::ShowProblems() {
    std::vector<QStringList> texts(marks_.size());
    for (const CrawlSettingsProblem& problem : ProblemsOf(Values())) {
        texts[static_cast<std::size_t>(problem.field)].append(QString::fromStdString(problem.text));
    }
    for (std::size_t field = 0; field < marks_.size(); ++field) {
        const auto& [widget, label] = marks_[field];
        const QString text = texts[field].join('\n');
        label->setText(text);
        label->setVisible(!text.isEmpty());
        // Told by a screen reader with the field itself, not only shown beneath it.
        widget->setAccessibleDescription(text);
    }
}

CrawlSettingsValues CrawlSettingsDialog::Values() const {
    CrawlSettingsValues values;
    values.scope = crawl::ParseCrawlScope(scope_->currentData().toString().toStdString()).value_or(values.scope);
    values.include = LinesIn(*include_);
    values.exclude = LinesIn(*exclude_);
    if (maxDepth_->value() != kNoDepth) {
        values.maxDepth = static_cast<std::size_t>(maxDepth_->value());
    }
    values.stripQuery = LinesIn(*stripQuery_);
    values.userAgent = userAgent_->currentData().toString().toStdString();
    values.customUserAgent = customUserAgent_->text().toStdString();
    values.headers = LinesIn(*headers_);
    values.loginUser = loginUser_->text().toStdString();
    values.cookies = LinesIn(*cookies_);
    values.listMode = listMode_->isChecked();
    values.listed = LinesIn(*listed_);
    return values;
}

} // namespace vortaxel::ui
