#include "window_placement.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace vortaxel::ui {

void CentreOnScreen(QWidget& window) {
    QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The frame is not known before the first show; centring the client area is close enough then.
    const QSize frame = window.frameGeometry().size().expandedTo(window.size());
    const QRect target = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frame, screen->availableGeometry());
    window.move(target.topLeft());
}

void CentreOver(QWidget& window, const QWidget& owner) {
    const QSize frame = window.frameGeometry().size().expandedTo(window.size());
    QRect target = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frame, owner.frameGeometry());
    QScreen* screen = owner.screen() != nullptr ? owner.screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        // A window larger than the owner would hang off the screen's edge; it slides back in, its top-left
        // corner first so that the title bar stays reachable.
        const QRect area = screen->availableGeometry();
        target.moveLeft(std::max(area.left(), std::min(target.left(), area.right() - target.width() + 1)));
        target.moveTop(std::max(area.top(), std::min(target.top(), area.bottom() - target.height() + 1)));
    }
    window.move(target.topLeft());
}

} // namespace vortaxel::ui
