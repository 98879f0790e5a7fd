#include "keyword_export.h"

#include "keyword_file.h"

#include <string>
#include <string_view>
#include <utility>

namespace vortaxel::keywords {

namespace {

constexpr const char* kMessageTitle = "URL Crawler";

/// The message shown when the export file could not be written.
std::string SaveFailedText(std::string_view path, std::string_view reason) {
    std::string text = "Could not save ";
    text += path;
    text += ": ";
    text += reason;
    return text;
}

std::string SelectedKeywordFile(ExportHost& host) {
    KeywordFileBuilder builder;
    const std::size_t count = host.FoundCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (host.FoundSelected(i)) {
            builder.Add(host.FoundText(i));
        }
    }
    return std::move(builder).Bytes();
}

} // namespace

SettingKey ExportPathSetting() {
    return {"Vortaxel", "S11", "K11"};
}

void cmdsave_Click(ExportHost& host) {
    const std::string path = host.AskSavePath({"Save", "All Files (*.txt)", "*.txt"});
    if (path.empty()) {
        return;
    }
    // Remembered before the file is touched, so even a failed export leaves the path behind.
    host.WriteSetting(ExportPathSetting(), path);

    const WriteResult written = host.WriteFile(path, SelectedKeywordFile(host));
    if (!written) {
        host.ShowMessage(SaveFailedText(path, written.error), kMessageTitle, MessageIcon::Warning);
        return;
    }
    host.ShowMessage("Selected URL saved", kMessageTitle, MessageIcon::Information);

    // A store that cannot be read does not keep the user from the file just written.
    const auto remembered = host.ReadSetting(ExportPathSetting(), "");
    if (!remembered || !remembered->empty()) {
        host.Launch("Notepad", path, WindowStyle::MaximizedFocus);
    }
}

} // namespace vortaxel::keywords
