#pragma once

#include "services/platform_services.h"

#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::bench {

/// The window's platform for benchmarks: cancels every dialog, shows nothing, stores nothing. The
/// benchmarks never export.
class QuietDesktop final : public services::SaveDialog,
                           public services::SettingsStore,
                           public services::FileWriter,
                           public services::MessageBox,
                           public services::Launcher {
public:
    std::string AskSavePath(const services::SaveDialogRequest&) override { return {}; }
    services::WriteResult Write(const services::SettingKey&, const std::string&) override {
        return services::WriteResult::Success();
    }
    std::optional<std::string> Read(const services::SettingKey&, const std::string& fallback) override {
        return fallback;
    }
    services::WriteResult Write(const std::string&, std::string_view) override {
        return services::WriteResult::Success();
    }
    void Show(const std::string&, const std::string&, services::MessageIcon) override {}
    bool Launch(const std::string&, const std::string&, services::WindowStyle) override { return false; }

    services::PlatformServices Services() { return {*this, *this, *this, *this, *this}; }
};

} // namespace vortaxel::bench
