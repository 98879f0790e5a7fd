#pragma once

#include <QString>

namespace vortaxel::crawl {
class FoundList;
}

namespace vortaxel::ui {

class AddressLauncher;

/// What the main window needs of the desktop beyond its own controls: the crawl's refusal box,
/// the "&Extract" command and the About window's browser launch. Tests give fakes.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    /// A modal message box with one OK button and no icon; returns when dismissed.
    virtual void ShowMessage(const QString& text, const QString& title) = 0;

    /// The keyword export over the found list as it stands, its dialog and messages included.
    virtual void ExportKeywords(const crawl::FoundList& list) = 0;

    virtual AddressLauncher& Launcher() = 0;
};

} // namespace vortaxel::ui
