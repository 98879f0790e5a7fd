#include "report_table_model.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace vortaxel::ui {

QString CellText(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

ReportTableModel::ReportTableModel(store::SqlDatabase& db, store::ReportKind kind, QObject* parent)
    : QAbstractTableModel(parent), table_(db, kind) {}

std::int64_t ReportTableModel::ReadCount() {
    std::int64_t count = 0;
    const store::SqlStatus status = table_.Count(count);
    error_ = status ? QString() : QString::fromStdString(status.message);
    if (!status) {
        return count_;
    }
    // A view addresses rows by int; a crawl is far from that many.
    return std::min<std::int64_t>(count, std::numeric_limits<int>::max());
}

int ReportTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

bool ReportTableModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && shown_ < count_;
}

void ReportTableModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) {
        return;
    }
    const int more = std::min(count_ - shown_, kShownStep);
    beginInsertRows({}, shown_, shown_ + more - 1);
    shown_ += more;
    endInsertRows();
}

void ReportTableModel::HoldReads(bool held) {
    held_ = held;
    if (held_) {
        return;
    }
    if (std::exchange(reloadWanted_, false)) {
        Reload();
    } else if (shown_ > 0) {
        emit dataChanged(index(0, 0), index(shown_ - 1, columnCount() - 1));
    }
}

void ReportTableModel::FetchAll() {
    if (shown_ >= count_) {
        return;
    }
    beginInsertRows({}, shown_, count_ - 1);
    shown_ = count_;
    endInsertRows();
}

int ReportTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.ColumnCount());
}

const store::ReportRow* ReportTableModel::Row(int row) const {
    if (row < 0 || row >= shown_) {
        return nullptr;
    }
    const int first = row - row % kWindowRows;
    auto window = windows_.find(first);
    if (window == windows_.end() && held_) {
        return nullptr;
    }
    if (window == windows_.end()) {
        if (windows_.size() >= kWindowsKept) {
            // The window furthest from this one is the least likely to be looked at again soon.
            const auto furthest = std::max_element(windows_.begin(), windows_.end(), [first](auto& a, auto& b) {
                return std::abs(a.first - first) < std::abs(b.first - first);
            });
            windows_.erase(furthest);
        }
        std::vector<store::ReportRow> rows;
        const store::SqlStatus status = table_.Rows(first, kWindowRows, rows);
        if (!status) {
            // A run committing just now: the next look reads it.
            error_ = QString::fromStdString(status.message);
            return nullptr;
        }
        window = windows_.emplace(first, std::move(rows)).first;
    }
    const auto at = static_cast<std::size_t>(row - first);
    return at < window->second.size() ? &window->second[at] : nullptr;
}

QVariant ReportTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::TextAlignmentRole)) {
        return {};
    }
    const auto column = static_cast<std::size_t>(index.column());
    if (role == Qt::TextAlignmentRole) {
        return table_.IsNumeric(column) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    }
    const store::ReportRow* row = Row(index.row());
    if (row == nullptr || column >= row->cells.size()) {
        return {};
    }
    if (role == Qt::ToolTipRole) {
        // A tooltip that looks like markup is drawn as markup: what a site sent is shown as the text it is.
        return "<p style='white-space:pre-wrap'>" + CellText(row->cells[column]).toHtmlEscaped() + "</p>";
    }
    return CellText(row->cells[column]);
}

QVariant ReportTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    return QString::fromUtf8(table_.ColumnTitle(static_cast<std::size_t>(section)).data(),
                             static_cast<qsizetype>(table_.ColumnTitle(static_cast<std::size_t>(section)).size()));
}

void ReportTableModel::sort(int column, Qt::SortOrder order) {
    table_.SortBy(column < 0 ? table_.ColumnCount() : static_cast<std::size_t>(column), order == Qt::AscendingOrder);
    // A view enabling its sorting asks for its first order before the table is ever read.
    if (loaded_) {
        Reload();
    }
}

void ReportTableModel::SetFilter(const QString& text) {
    table_.Filter(text.toStdString());
    Reload();
}

void ReportTableModel::Reload() {
    if (held_) {
        reloadWanted_ = true;
        return;
    }
    beginResetModel();
    loaded_ = true;
    windows_.clear();
    count_ = static_cast<int>(ReadCount());
    shown_ = std::min(count_, kShownStep);
    table_.Stamp(stamp_);
    endResetModel();
    emit CountChanged(count_);
}

void ReportTableModel::Refresh() {
    if (held_) {
        return;
    }
    std::int64_t stamp = 0;
    if (!table_.Stamp(stamp) || stamp == stamp_) {
        return;
    }
    const int count = static_cast<int>(ReadCount());
    if (!error_.isEmpty()) {
        return;
    }
    stamp_ = stamp;
    windows_.clear();
    count_ = count;
    // Rows come into view as they did before: all of them while there are few, then as the view scrolls.
    const int shown = std::min(count_, std::max(shown_, kShownStep));
    if (shown > shown_) {
        beginInsertRows({}, shown_, shown - 1);
        shown_ = shown;
        endInsertRows();
    } else if (shown < shown_) {
        beginRemoveRows({}, shown, shown_ - 1);
        shown_ = shown;
        endRemoveRows();
    }
    if (shown_ > 0) {
        emit dataChanged(index(0, 0), index(shown_ - 1, columnCount() - 1));
    }
    emit CountChanged(count_);
}

std::optional<std::int64_t> ReportTableModel::Key(int row) const {
    const store::ReportRow* found = Row(row);
    return found != nullptr ? std::optional(found->key) : std::nullopt;
}

const std::vector<std::string>* ReportTableModel::Cells(int row) const {
    const store::ReportRow* found = Row(row);
    return found != nullptr ? &found->cells : nullptr;
}

} // namespace vortaxel::ui
