#pragma once

#include "export/export_host.h"
#include "export/write_result.h"

#include <memory>
#include <optional>
#include <string>

#include <QString>

class QSettings;

namespace vortaxel::platform {

/// The per-user store of text values addressed by application, section and key. Values are UTF-8.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    /// Stores the value and flushes it, reporting a store that could not be written.
    virtual keywords::WriteResult Write(const keywords::SettingKey& key, const std::string& value) = 0;
    /// The stored value, `defaultValue` when there is none, or nothing when the store cannot be read.
    virtual std::optional<std::string> Read(const keywords::SettingKey& key, const std::string& defaultValue) = 0;
};

/// The store on QSettings. By default the user's native store, organisation "Vortaxel", with the key's
/// application as the application name and its section as the group. Given a file, an INI file that
/// holds every application, each as a group around its sections (for tests and portable use).
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore() = default;
    explicit QtSettingsStore(QString iniFile);

    keywords::WriteResult Write(const keywords::SettingKey& key, const std::string& value) override;
    std::optional<std::string> Read(const keywords::SettingKey& key, const std::string& defaultValue) override;

private:
    /// Opened afresh at every use, so a read sees what another instance wrote.
    std::unique_ptr<QSettings> Open(const keywords::SettingKey& key) const;
    QString iniFile_;
};

} // namespace vortaxel::platform
