#pragma once

#include "crawl_settings.h"

#include <utility>
#include <vector>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace vortaxel::ui {

/// "Crawl Settings" (`dlgCrawlSettings`): scope, include and exclude patterns, depth and parameters to
/// strip; the user agent, extra headers, login user and cookies; the list list mode audits. A value that
/// cannot be used is marked under its field as soon as it is typed, with the reason; the dialog still
/// takes it, so nothing typed is lost, and a crawl refuses to start until it is mended.
class CrawlSettingsDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows `values`; `browserRules` says whether a crawl now would take them.
    CrawlSettingsDialog(const CrawlSettingsValues& values, bool browserRules, QWidget* parent = nullptr);

    /// What the fields hold now.
    CrawlSettingsValues Values() const;

private:
    QWidget* BuildScopePage();
    QWidget* BuildIdentityPage();
    QWidget* BuildListPage();
    /// Marks each field with its problems, and clears the marks of those mended.
    void ShowProblems();
    /// A hidden label for the problems of `field`, whose marks go on `marked` and the label.
    QLabel* ProblemLabel(QWidget& page, const char* name, CrawlSettingsField field, QWidget* marked);

    QComboBox* scope_ = nullptr;
    QPlainTextEdit* include_ = nullptr;
    QPlainTextEdit* exclude_ = nullptr;
    QSpinBox* maxDepth_ = nullptr;
    QPlainTextEdit* stripQuery_ = nullptr;
    QComboBox* userAgent_ = nullptr;
    QLineEdit* customUserAgent_ = nullptr;
    QPlainTextEdit* headers_ = nullptr;
    QLineEdit* loginUser_ = nullptr;
    QPlainTextEdit* cookies_ = nullptr;
    QCheckBox* listMode_ = nullptr;
    QPlainTextEdit* listed_ = nullptr;
    /// One under each field that can hold a problem, in CrawlSettingsField's order.
    std::vector<std::pair<QWidget*, QLabel*>> marks_;
};

} // namespace vortaxel::ui
