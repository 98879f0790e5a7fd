#pragma once

#include "services/platform_services.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

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

/// Makes the file's bytes of the selected addresses, in their order, from another phrase source; returns why
/// it could not, or "".
using SelectedPhrases = std::function<std::string(std::span<const std::string_view> selected, std::string& bytes)>;

/// The same, with the lines made by `phrases`; a failure to make them is told as a failure to write.
void cmdsave_Click(const crawl::FoundList& found, const services::PlatformServices& services,
                   const SelectedPhrases& phrases);

} // namespace vortaxel::ui
