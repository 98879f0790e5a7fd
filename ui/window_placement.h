#pragma once

class QWidget;

namespace vortaxel::ui {

/// Moves a top-level window to the centre of the available area of its screen.
void CentreOnScreen(QWidget& window);

/// Moves a top-level window to the centre of `owner`, another window, kept whole inside the available
/// area of `owner`'s screen: a second window opens where the user is looking.
void CentreOver(QWidget& window, const QWidget& owner);

} // namespace vortaxel::ui
