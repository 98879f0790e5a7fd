#pragma once

#include <QFont>

namespace vortaxel::ui {

/// The windows' two named faces, each falling back to the closest face the desktop has.
QFont SansSerifFont(double pointSize, bool bold);
QFont SerifFont(double pointSize, bool bold);

} // namespace vortaxel::ui
