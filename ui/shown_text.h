#pragma once

#include <QString>

class QLabel;

namespace vortaxel::ui {

/// `text` as a tooltip that is drawn as the text it is: a tooltip that looks like markup would otherwise
/// be drawn as markup, and an address or a title holding `<b>` is what a site sent, not formatting.
/// Line breaks stay line breaks.
QString PlainTip(const QString& text);

/// Shows `text` in `label` as plain text and gives it to screen readers too, as the label's accessible
/// description: its accessible name says what the label is, the description what it says now.
void ShowLabelText(QLabel& label, const QString& text);

/// `text` cut to at most `most` characters by taking out its middle, where an address is least telling:
/// its scheme and host stay, and so does its last segment.
QString MiddleElided(const QString& text, qsizetype most);

/// "1 row", "2 rows": `count` with `one` or `many` as it needs.
QString Counted(qint64 count, const char* one, const char* many);

} // namespace vortaxel::ui
