#pragma once

class QWidget;

namespace vortaxel::ui {

/// Moves a top-level window to the centre of the available area of its screen.
void CentreOnScreen(QWidget& window);

} // namespace vortaxel::ui
