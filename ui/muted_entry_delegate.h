#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace vortaxel::ui {

/// The contrast ratio of two colours as accessibility guidelines (WCAG 2) define it: from 1 (the same
/// luminance) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

/// Least contrast for normal text that guidelines ask for.
inline constexpr double kLeastTextContrast = 4.5;

/// `text` moved towards `background` to look muted: half way when that still reads (at least
/// kLeastTextContrast), else only as far as keeps it readable. When `text` itself is too faint for that,
/// black or white if either reads better, else `text` itself.
QColor MutedOn(const QColor& text, const QColor& background);

/// Draws an entry that has a foreground of its own (a failed fetch) muted and slanted, when selected
/// too: the style draws selected text in the highlight colours, which would otherwise hide the
/// difference while "Select All" holds every entry selected.
class MutedEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    /// Shows an entry's tooltip as the plain text it is: an address holding markup is not drawn as markup.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace vortaxel::ui
