#include "muted_entry_delegate.h"

#include <QColor>
#include <QPalette>

namespace vortaxel::ui {
namespace {

QColor Halfway(const QColor& from, const QColor& to) {
    return QColor((from.red() + to.red()) / 2, (from.green() + to.green()) / 2, (from.blue() + to.blue()) / 2);
}

} // namespace

void MutedEntryDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!index.data(Qt::ForegroundRole).isValid()) {
        return;
    }
    // Half way to the highlight: as far from the normal selected text as the muted colour is from
    // normal text, on any palette.
    QPalette& palette = option->palette;
    palette.setColor(QPalette::HighlightedText,
                     Halfway(palette.color(QPalette::HighlightedText), palette.color(QPalette::Highlight)));
}

} // namespace vortaxel::ui
