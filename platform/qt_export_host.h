#pragma once

#include "atomic_file_writer.h"
#include "export/export_host.h"
#include "launcher.h"
#include "message_box.h"
#include "save_dialog.h"
#include "settings_store.h"

#include <cstddef>
#include <functional>
#include <string>

namespace vortaxel::platform {

/// Read access to the found list, so this layer needs nothing of the crawl engine.
struct FoundListView {
    std::function<std::size_t()> count;
    std::function<std::string(std::size_t)> text;
    std::function<bool(std::size_t)> selected;
};

/// The services an export uses; none is owned, each must outlive the host.
struct ExportServices {
    SaveDialog& dialog;
    SettingsStore& settings;
    FileWriter& files;
    MessageBox& messages;
    Launcher& launcher;
};

/// The export's host on the desktop: the window's found list plus the injected platform services.
class QtExportHost final : public keywords::ExportHost {
public:
    QtExportHost(FoundListView found, ExportServices services);

    std::size_t FoundCount() override;
    std::string FoundText(std::size_t i) override;
    bool FoundSelected(std::size_t i) override;
    std::string AskSavePath(const keywords::SaveDialogRequest& request) override;
    void WriteSetting(const keywords::SettingKey& key, const std::string& value) override;
    std::optional<std::string> ReadSetting(const keywords::SettingKey& key, const std::string& defaultValue) override;
    keywords::WriteResult WriteFile(const std::string& path, const std::string& bytes) override;
    void ShowMessage(const std::string& text, const std::string& title, keywords::MessageIcon icon) override;
    void Launch(const std::string& program, const std::string& argument, keywords::WindowStyle style) override;

private:
    FoundListView found_;
    ExportServices services_;
};

} // namespace vortaxel::platform
