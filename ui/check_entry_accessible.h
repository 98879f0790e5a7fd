#pragma once

class QAction;

namespace vortaxel::ui {

/// Makes a checkable menu entry tell assistive technology that it can be checked, checked or not.
/// Qt describes a menu entry as a menu item whatever it is, and the desktop's accessibility bus carries
/// no "checkable" of Qt's: a screen reader learns that an entry can be checked only once it is. Such an
/// entry is described as the check box (or, in an exclusive group, the radio button) it acts as, so
/// that its role says so at all times. `action`'s parent must be the menu it is shown in.
void DescribeAsCheckEntry(QAction& action);

} // namespace vortaxel::ui
