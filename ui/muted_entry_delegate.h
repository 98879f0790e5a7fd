#pragma once

#include <QStyledItemDelegate>

namespace vortaxel::ui {

/// Draws an entry that has a foreground of its own (a failed fetch) muted when selected too: the
/// style draws selected text in the highlight colours, which would otherwise hide the difference
/// while "Select All" holds every entry selected.
class MutedEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace vortaxel::ui
