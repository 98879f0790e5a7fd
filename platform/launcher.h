#pragma once

#include "services/platform_services.h"

#include <functional>
#include <string>

#include <QUrl>

namespace vortaxel::platform {

/// Hands requests to the desktop's default applications. "Notepad" opens the argument, a local path,
/// in the default application for its file type (the text editor for a .txt file); "Explorer.exe" opens
/// the argument, an http or https address, in the web browser. Any other program is refused. The desktop
/// decides the window's size, so the window style is advisory here.
class DesktopLauncher final : public services::Launcher {
public:
    using UrlOpener = std::function<bool(const QUrl&)>;

    /// `opener` defaults to QDesktopServices::openUrl.
    explicit DesktopLauncher(UrlOpener opener = {});

    bool Launch(const std::string& program, const std::string& argument, services::WindowStyle style) override;

    /// The address handed to the desktop for a request, or an invalid URL when it is refused.
    static QUrl TargetFor(const std::string& program, const std::string& argument);

private:
    UrlOpener opener_;
};

} // namespace vortaxel::platform
