#pragma once

#include "services/platform_services.h"

namespace vortaxel::crawl {
class FoundList;
}

namespace vortaxel::ui {

/// Where the path of the last export is remembered.
services::SettingKey ExportPathSetting();

/// "&Extract": asks for a file, remembers its path, writes the keyword phrase of every selected entry
/// of `found` to it, confirms and opens it in the text editor. A cancelled dialog ends it silently.
/// When the file cannot be written the user is told the path and the reason, and no editor opens;
/// the path stays remembered all the same. The list is read after the dialog closes.
void cmdsave_Click(const crawl::FoundList& found, const services::PlatformServices& services);

} // namespace vortaxel::ui
