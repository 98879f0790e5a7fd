#pragma once

#include "desktop_services.h"
#include "platform/qt_export_host.h"

namespace vortaxel::ui {

/// The desktop as the program sees it: the platform's dialogs, settings, files, message boxes and
/// launchers, with the keyword export run over the window's found list.
class PlatformDesktop : public DesktopServices {
public:
    /// Nothing is owned; every service must outlive this object.
    PlatformDesktop(platform::ExportServices services, AddressLauncher& addresses);

    void ShowMessage(const QString& text, const QString& title) override;
    void ExportKeywords(const crawl::FoundList& list) override;
    AddressLauncher& Launcher() override { return addresses_; }

private:
    platform::ExportServices services_;
    AddressLauncher& addresses_;
};

} // namespace vortaxel::ui
