#include "found_list_model.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScopedValueRollback>

namespace vortaxel::ui {

FoundListModel::FoundListModel(crawl::FoundList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list), selection_(this) {
    shown_.assign(list_.Count(), 0);
    list_.SetObserver(this);
    ShowFlags(0, list_.Count() == 0 ? 0 : list_.Count() - 1);
    connect(&selection_, &QItemSelectionModel::selectionChanged, this, &FoundListModel::TakeViewSelection);
}

FoundListModel::~FoundListModel() {
    list_.SetObserver(nullptr);
}

int FoundListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Rows();
}

int FoundListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant FoundListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Rows()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        const std::string_view text = list_.Text(row);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::ToolTipRole: {
        // The whole address, however narrow the list: and for a failed entry, why it failed.
        const std::string_view text = list_.Text(row);
        QString tip = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        if (const auto failure = failures_.find(row); failure != failures_.end()) {
            tip += '\n' + failure->second;
        }
        return tip;
    }
    case Qt::AccessibleDescriptionRole:
    case Qt::ForegroundRole: {
        const auto failure = failures_.find(row);
        if (failure == failures_.end()) {
            return {};
        }
        if (role == Qt::ForegroundRole) {
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        }
        return failure->second;
    }
    default:
        return {};
    }
}

void FoundListModel::MarkFailed(std::size_t index, const std::string& reason) {
    if (index >= shown_.size()) {
        return;
    }
    failures_[index] = QString::fromStdString(reason);
    const QModelIndex cell = this->index(static_cast<int>(index), 0);
    emit dataChanged(cell, cell, {Qt::ToolTipRole, Qt::AccessibleDescriptionRole, Qt::ForegroundRole});
}

void FoundListModel::FoundListCleared() {
    QScopedValueRollback guard(syncing_, true);
    beginResetModel();
    shown_.clear();
    failures_.clear();
    endResetModel();
    selection_.clear();
}

void FoundListModel::FoundListAppended(std::size_t index) {
    const int row = static_cast<int>(index);
    beginInsertRows({}, row, row);
    shown_.resize(index + 1, 0);
    endInsertRows();
    ShowFlags(index, index);
}

void FoundListModel::FoundSelectionChanged(std::size_t first, std::size_t last) {
    ShowFlags(first, last);
}

void FoundListModel::ShowFlags(std::size_t first, std::size_t last) {
    if (shown_.empty()) {
        return;
    }
    last = std::min(last, shown_.size() - 1);
    // Everything selected shows as one range, so the view's cost does not grow with the list; the
    // rows' own ranges are then not needed.
    const bool all = list_.SelectedCount() == list_.Count();
    bool changed = false;
    QItemSelection toSelect;
    QItemSelection toDeselect;
    for (std::size_t i = first; i <= last; ++i) {
        const std::uint8_t flag = list_.IsSelected(i) ? 1 : 0;
        if (flag == shown_[i]) {
            continue;
        }
        shown_[i] = flag;
        changed = true;
        if (all) {
            continue;
        }
        // Neighbouring rows that change the same way join one range.
        QItemSelection& target = flag != 0 ? toSelect : toDeselect;
        const QModelIndex cell = index(static_cast<int>(i), 0);
        if (!target.isEmpty() && target.last().bottom() == static_cast<int>(i) - 1) {
            target.last() = QItemSelectionRange(target.last().topLeft(), cell);
        } else {
            target.append(QItemSelectionRange(cell));
        }
    }
    if (!changed) {
        return;
    }
    QScopedValueRollback guard(syncing_, true);
    if (all) {
        selection_.select(QItemSelection(index(0, 0), index(Rows() - 1, 0)), QItemSelectionModel::ClearAndSelect);
        return;
    }
    if (!toDeselect.isEmpty()) {
        selection_.select(toDeselect, QItemSelectionModel::Deselect);
    }
    if (!toSelect.isEmpty()) {
        selection_.select(toSelect, QItemSelectionModel::Select);
    }
}

void FoundListModel::TakeViewSelection(const QItemSelection& selected, const QItemSelection& deselected) {
    if (syncing_) {
        return;
    }
    // The view changed the selection itself (keyboard, drag): carry it over to the flags, marking each
    // row as shown first so the change is not sent back. A select() from here would end the view's drag
    // early, and the rows it had passed over would then stay as they are when the mouse moves back.
    auto apply = [this](const QItemSelection& ranges, bool flag) {
        for (const QItemSelectionRange& range : ranges) {
            for (int row = range.top(); row <= range.bottom(); ++row) {
                shown_[static_cast<std::size_t>(row)] = flag ? 1 : 0;
                list_.SetSelected(static_cast<std::size_t>(row), flag);
            }
        }
    };
    apply(deselected, false);
    apply(selected, true);
    if (!selected.isEmpty() && list_.SelectedCount() == list_.Count()) {
        // Everything selected: one range, laid over the view's own so a drag still in progress can
        // move back off rows without losing those selected before it began.
        QScopedValueRollback guard(syncing_, true);
        selection_.select(QItemSelection(index(0, 0), index(Rows() - 1, 0)),
                          QItemSelectionModel::Select | QItemSelectionModel::Current);
    }
}

} // namespace vortaxel::ui
