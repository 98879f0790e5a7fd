#pragma once

#include "services/platform_services.h"

#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::bench {

/// The window's platform for benchmarks: cancels every dialog, shows nothing, stores nothing. The
/// benchmarks never export.
class QuietDesktop final : public keywords::SaveDialog,
                           public keywords::SettingsStore,
                           public keywords::FileWriter,
                           public keywords::MessageBox,
                           public keywords::Launcher {
public:
    std::string AskSavePath(const keywords::SaveDialogRequest&) override { return {}; }
    keywords::WriteResult Write(const keywords::SettingKey&, const std::string&) override {
        return keywords::WriteResult::Success();
    }
    std::optional<std::string> Read(const keywords::SettingKey&, const std::string& fallback) override {
        return fallback;
    }
    keywords::WriteResult Write(const std::string&, std::string_view) override {
        return keywords::WriteResult::Success();
    }
    void Show(const std::string&, const std::string&, keywords::MessageIcon) override {}
    bool Launch(const std::string&, const std::string&, keywords::WindowStyle) override { return false; }

    keywords::PlatformServices Services() { return {*this, *this, *this, *this, *this}; }
};

} // namespace vortaxel::bench
