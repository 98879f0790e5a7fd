#include "settings_store.h"

#include <QSettings>

namespace vortaxel::platform {

namespace {

const QString kOrganisation = QStringLiteral("Vortaxel");

QString StatusText(QSettings::Status status) {
    return status == QSettings::FormatError ? QStringLiteral("the settings file is damaged")
                                            : QStringLiteral("the settings file cannot be written");
}

} // namespace

QtSettingsStore::QtSettingsStore(QString iniFile) : iniFile_(std::move(iniFile)) {}

std::unique_ptr<QSettings> QtSettingsStore::Open(const services::SettingKey& key) const {
    const QString application = QString::fromStdString(key.application);
    std::unique_ptr<QSettings> settings;
    if (iniFile_.isEmpty()) {
        settings =
            std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, application);
    } else {
        settings = std::make_unique<QSettings>(iniFile_, QSettings::IniFormat);
        settings->beginGroup(application);
    }
    settings->beginGroup(QString::fromStdString(key.section));
    return settings;
}

services::WriteResult QtSettingsStore::Write(const services::SettingKey& key, const std::string& value) {
    const auto settings = Open(key);
    if (settings->status() != QSettings::NoError) {
        return services::WriteResult::Failure(StatusText(settings->status()).toStdString());
    }
    settings->setValue(QString::fromStdString(key.key), QString::fromStdString(value));
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        return services::WriteResult::Failure(StatusText(settings->status()).toStdString());
    }
    return services::WriteResult::Success();
}

std::optional<std::string> QtSettingsStore::Read(const services::SettingKey& key, const std::string& defaultValue) {
    const auto settings = Open(key);
    if (settings->status() != QSettings::NoError) {
        return std::nullopt;
    }
    const QVariant value = settings->value(QString::fromStdString(key.key));
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

} // namespace vortaxel::platform
