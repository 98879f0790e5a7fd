#include "issue_tree.h"

#include "shown_text.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QtAlgorithms>

namespace vortaxel::ui {

namespace {

constexpr int kKindRole = Qt::UserRole;
// A branch whose pages have not been read yet holds one empty child, so that it shows it can be opened.
constexpr int kFilledRole = Qt::UserRole + 1;

QString Number(std::uint64_t n) {
    return QString::number(static_cast<qulonglong>(n));
}

} // namespace

IssueTree::IssueTree(RowsOf rowsOf, QWidget* parent) : QTreeWidget(parent), rowsOf_(std::move(rowsOf)) {
    setObjectName("treeIssues");
    setAccessibleName("Issues by kind");
    setHeaderLabels({"Issue", "Severity", "Rows", "Pages"});
    setColumnCount(4);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { Fill(*item); });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
        while (item != nullptr && item->parent() != nullptr) {
            item = item->parent();
        }
        if (item == nullptr) {
            return;
        }
        const QVariant kind = item->data(0, kKindRole);
        emit KindChosen(kind.isValid() ? std::optional(static_cast<audit::IssueKind>(kind.toInt())) : std::nullopt);
    });
}

void IssueTree::Show(const std::vector<store::ReportIssueGroup>& groups) {
    const QSignalBlocker quiet(this);
    clear();
    std::uint64_t rows = 0;
    for (const store::ReportIssueGroup& group : groups) {
        rows += group.rows;
    }
    auto* all = new QTreeWidgetItem(this, {"All issues", "", Number(rows), ""});
    all->setData(0, kFilledRole, true);
    for (const store::ReportIssueGroup& group : groups) {
        auto* branch =
            new QTreeWidgetItem(this, {QString::fromStdString(group.title), QString::fromStdString(group.severity),
                                       Number(group.rows), Number(group.pages)});
        branch->setData(0, kKindRole, static_cast<int>(group.kind));
        branch->setData(0, kFilledRole, false);
        branch->setToolTip(0, PlainTip(branch->text(0)));
        new QTreeWidgetItem(branch);
    }
    setCurrentItem(all);
    for (int column = 1; column < columnCount(); ++column) {
        resizeColumnToContents(column);
    }
}

void IssueTree::Fill(QTreeWidgetItem& branch) {
    if (branch.data(0, kFilledRole).toBool() || !branch.data(0, kKindRole).isValid()) {
        return;
    }
    branch.setData(0, kFilledRole, true);
    qDeleteAll(branch.takeChildren());
    const auto kind = static_cast<audit::IssueKind>(branch.data(0, kKindRole).toInt());
    const std::vector<store::ReportRow> rows = rowsOf_(kind, kBranchRows);
    for (const store::ReportRow& row : rows) {
        // A page, and what the finding says of it.
        const QString page = row.cells.size() > 1 ? QString::fromStdString(row.cells[1]) : QString();
        const QString detail = row.cells.size() > 2 ? QString::fromStdString(row.cells[2]) : QString();
        auto* leaf = new QTreeWidgetItem(&branch, {detail.isEmpty() ? page : page + "  " + detail});
        leaf->setToolTip(0, PlainTip(leaf->text(0)));
    }
    const std::uint64_t all = branch.text(2).toULongLong();
    if (all > rows.size()) {
        new QTreeWidgetItem(&branch, {Number(all - rows.size()) + " more: the table beside holds them all"});
    }
}

} // namespace vortaxel::ui
