#include "muted_entry_delegate.h"

#include "shown_text.h"

#include <algorithm>
#include <cmath>

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPalette>
#include <QToolTip>

namespace vortaxel::ui {
namespace {

double Linear(int channel) {
    const double value = channel / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

QColor Mix(const QColor& from, const QColor& to, double share) {
    const auto channel = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double lighter = std::max(Luminance(a), Luminance(b));
    const double darker = std::min(Luminance(a), Luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

QColor MutedOn(const QColor& text, const QColor& background) {
    // From half way back towards the text, in small steps, to the first mix that still reads.
    constexpr int kSteps = 20;
    for (int step = kSteps / 2; step > 0; --step) {
        const QColor muted = Mix(text, background, static_cast<double>(step) / kSteps);
        if (ContrastRatio(muted, background) >= kLeastTextContrast) {
            return muted;
        }
    }
    // A theme whose own text is too faint on its highlight: black or white, whichever reads, still sets
    // the entry apart from the others.
    const QColor plain = ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background)
                             ? QColor(Qt::black)
                             : QColor(Qt::white);
    return ContrastRatio(plain, background) > ContrastRatio(text, background) ? plain : text;
}

bool MutedEntryDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    const QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), PlainTip(tip), view, option.rect);
    return true;
}

void MutedEntryDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!index.data(Qt::ForegroundRole).isValid()) {
        return;
    }
    // Colour alone does not tell everyone: the slant does, on every palette.
    option->font.setItalic(true);
    // Towards the highlight: set apart from the normal selected text as the muted colour is from normal
    // text, yet still readable on the highlight.
    QPalette& palette = option->palette;
    palette.setColor(QPalette::HighlightedText,
                     MutedOn(palette.color(QPalette::HighlightedText), palette.color(QPalette::Highlight)));
}

} // namespace vortaxel::ui
