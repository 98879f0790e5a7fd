#include "shown_text.h"

#include <QLabel>

namespace vortaxel::ui {

QString PlainTip(const QString& text) {
    if (text.isEmpty()) {
        return text;
    }
    return "<p style='white-space:pre-wrap'>" + text.toHtmlEscaped() + "</p>";
}

void ShowLabelText(QLabel& label, const QString& text) {
    label.setTextFormat(Qt::PlainText);
    label.setText(text);
    label.setAccessibleDescription(text);
}

QString MiddleElided(const QString& text, qsizetype most) {
    if (text.size() <= most || most < 3) {
        return text;
    }
    const qsizetype kept = most - 1;
    const qsizetype head = (kept + 1) / 2;
    return text.left(head) + QChar(0x2026) + text.right(kept - head);
}

QString Counted(qint64 count, const char* one, const char* many) {
    return QString::number(count) + ' ' + QString::fromLatin1(count == 1 ? one : many);
}

} // namespace vortaxel::ui
