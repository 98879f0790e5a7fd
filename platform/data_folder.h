#pragma once

#include "services/platform_services.h"

#include <string>

namespace vortaxel::platform {

/// The application's own data folder in the user's home (QStandardPaths::AppDataLocation).
class QtDataFolder final : public services::DataFolder {
public:
    std::string Path() override;
};

} // namespace vortaxel::platform
