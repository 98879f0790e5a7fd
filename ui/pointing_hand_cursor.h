#pragma once

#include <QCursor>

namespace vortaxel::ui {

/// The 32 x 32 pointing hand shown over the About window's web address; the fingertip (column 12,
/// row 1) is the hot spot.
QCursor PointingHandCursor();

} // namespace vortaxel::ui
