#pragma once

#include "export/audit_issues.h"
#include "store/read/crawl_report.h"

#include <functional>
#include <optional>
#include <vector>

#include <QTreeWidget>

namespace vortaxel::ui {

/// The audit's issues as a tree of kind, count and pages, as the audit page shows them: a branch per kind
/// (its severity, rows and distinct pages), its pages under it once it is opened. Choosing a branch narrows
/// the issue table beside it to that kind; the first entry shows every kind.
class IssueTree : public QTreeWidget {
    Q_OBJECT
public:
    /// How many of a kind's rows a branch holds: the table beside it holds them all.
    static constexpr int kBranchRows = 200;
    /// A kind's first rows, up to `limit`, as the issue table has them (issue, page, detail, severity).
    using RowsOf = std::function<std::vector<store::ReportRow>(audit::IssueKind kind, int limit)>;

    IssueTree(RowsOf rowsOf, QWidget* parent = nullptr);

    /// Shows `groups` in place of what was shown.
    void Show(const std::vector<store::ReportIssueGroup>& groups);

signals:
    /// A kind was chosen; none for every kind.
    void KindChosen(std::optional<audit::IssueKind> kind);

private:
    void Fill(QTreeWidgetItem& branch);

    RowsOf rowsOf_;
};

} // namespace vortaxel::ui
