#pragma once

#include "ui/report_window.h"

#include <QTest>

namespace vortaxel::ui::test {

/// Waits, a minute at most, for the work the window does away from its thread; whether it is done.
inline bool Idle(const ReportWindow& window) {
    for (int wait = 0; wait < 6000 && window.Busy(); ++wait) {
        QTest::qWait(10);
    }
    return !window.Busy();
}

} // namespace vortaxel::ui::test
