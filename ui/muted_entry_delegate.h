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

    /// The option as this delegate paints it; for tests.
    QStyleOptionViewItem OptionFor(const QStyleOptionViewItem& base, const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace vortaxel::ui
