#include "keyword_export.h"

#include "crawl/found_list.h"
#include "export/keyword_file.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vortaxel::ui {

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

/// The message shown when the file was written but no editor could be opened on it.
std::string EditorFailedText(std::string_view path) {
    std::string text = "Selected URL saved to ";
    text += path;
    text += ", but it could not be opened: the desktop has no program set to open text files, or that "
            "program failed to start.";
    return text;
}

std::string SelectedKeywordFile(const crawl::FoundList& found) {
    keywords::KeywordFileBuilder builder;
    const std::size_t count = found.Count();
    for (std::size_t i = 0; i < count; ++i) {
        if (found.IsSelected(i)) {
            builder.Add(found.Text(i));
        }
    }
    return std::move(builder).Bytes();
}

} // namespace

services::SettingKey ExportPathSetting() {
    return {"Vortaxel", "S11", "K11"};
}

void cmdsave_Click(const crawl::FoundList& found, const services::PlatformServices& services) {
    cmdsave_Click(found, services, {});
}

void cmdsave_Click(const crawl::FoundList& found, const services::PlatformServices& services,
                   const SelectedPhrases& phrases) {
    const std::string path = services.dialog.AskSavePath({"Save", "All Files (*.txt)", "*.txt"});
    if (path.empty()) {
        return;
    }
    // Remembered before the file is touched, so even a failed export leaves the path behind. The
    // export goes on whether or not the store took it.
    static_cast<void>(services.settings.Write(ExportPathSetting(), path));

    std::string bytes;
    std::string unread;
    if (phrases) {
        std::vector<std::string_view> selected;
        for (std::size_t i = 0; i < found.Count(); ++i) {
            if (found.IsSelected(i)) {
                selected.push_back(found.Text(i));
            }
        }
        unread = phrases(selected, bytes);
    } else {
        bytes = SelectedKeywordFile(found);
    }
    const services::WriteResult written =
        unread.empty() ? services.files.Write(path, bytes) : services::WriteResult::Failure(unread);
    if (!written) {
        services.messages.Show(SaveFailedText(path, written.error), kMessageTitle, services::MessageIcon::Warning);
        return;
    }
    services.messages.Show("Selected URL saved", kMessageTitle, services::MessageIcon::Information);

    // A store that cannot be read does not keep the user from the file just written.
    const auto remembered = services.settings.Read(ExportPathSetting(), "");
    if (!remembered || !remembered->empty()) {
        if (!services.launcher.Launch("Notepad", path, services::WindowStyle::MaximizedFocus)) {
            // The file is safe; what failed is only showing it, and the user needs to know where to look.
            services.messages.Show(EditorFailedText(path), kMessageTitle, services::MessageIcon::Warning);
        }
    }
}

} // namespace vortaxel::ui
