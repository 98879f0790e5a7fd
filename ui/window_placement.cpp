#include "window_placement.h"

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

} // namespace vortaxel::ui
