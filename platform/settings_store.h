#pragma once

#include "services/platform_services.h"

#include <memory>
#include <optional>
#include <string>

#include <QString>

class QSettings;

namespace vortaxel::platform {

/// The settings store on QSettings; values are UTF-8. By default the user's native store, organisation "Vortaxel", with
/// the key's application as the application name and its section as the group. Given a file, an INI file that holds
/// every application, each as a group around its sections (for tests and portable use).
class QtSettingsStore final : public services::SettingsStore {
public:
    QtSettingsStore() = default;
    explicit QtSettingsStore(QString iniFile);

    services::WriteResult Write(const services::SettingKey& key, const std::string& value) override;
    std::optional<std::string> Read(const services::SettingKey& key, const std::string& defaultValue) override;

private:
    /// Opened afresh at every use, so a read sees what another instance wrote.
    std::unique_ptr<QSettings> Open(const services::SettingKey& key) const;
    QString iniFile_;
};

} // namespace vortaxel::platform
