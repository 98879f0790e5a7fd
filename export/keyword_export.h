#pragma once

#include "export_host.h"

namespace vortaxel::keywords {

/// Where the path of the last export is remembered.
SettingKey ExportPathSetting();

/// "&Extract": asks for a file, remembers its path, writes the keyword phrase of every selected
/// found entry to it, confirms and opens it in the text editor. A cancelled dialog ends it silently.
/// When the file cannot be written the user is told the path and the reason, and no editor opens;
/// the path stays remembered all the same.
void cmdsave_Click(ExportHost& host);

} // namespace vortaxel::keywords
