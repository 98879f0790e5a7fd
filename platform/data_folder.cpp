#include "data_folder.h"

#include <QDir>
#include <QStandardPaths>

namespace vortaxel::platform {

std::string QtDataFolder::Path() {
    const QString path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (path.isEmpty() || !QDir().mkpath(path)) {
        return {};
    }
    return path.toStdString();
}

} // namespace vortaxel::platform
