#include "qt_export_host.h"

namespace vortaxel::platform {

QtExportHost::QtExportHost(FoundListView found, ExportServices services)
    : found_(std::move(found)), services_(services) {}

std::size_t QtExportHost::FoundCount() {
    return found_.count();
}

std::string QtExportHost::FoundText(std::size_t i) {
    return found_.text(i);
}

bool QtExportHost::FoundSelected(std::size_t i) {
    return found_.selected(i);
}

std::string QtExportHost::AskSavePath(const keywords::SaveDialogRequest& request) {
    return services_.dialog.AskSavePath(request);
}

void QtExportHost::WriteSetting(const keywords::SettingKey& key, const std::string& value) {
    // The export goes on whether or not the path could be remembered.
    static_cast<void>(services_.settings.Write(key, value));
}

std::optional<std::string> QtExportHost::ReadSetting(const keywords::SettingKey& key, const std::string& defaultValue) {
    return services_.settings.Read(key, defaultValue);
}

keywords::WriteResult QtExportHost::WriteFile(const std::string& path, const std::string& bytes) {
    return services_.files.Write(path, bytes);
}

void QtExportHost::ShowMessage(const std::string& text, const std::string& title, keywords::MessageIcon icon) {
    services_.messages.Show(text, title, icon);
}

void QtExportHost::Launch(const std::string& program, const std::string& argument, keywords::WindowStyle style) {
    static_cast<void>(services_.launcher.Launch(program, argument, style));
}

} // namespace vortaxel::platform
