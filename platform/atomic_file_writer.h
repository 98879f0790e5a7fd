#pragma once

#include "services/platform_services.h"

#include <string>
#include <string_view>

#include <QByteArrayView>
#include <QString>

namespace vortaxel::platform {

/// The file writer on WriteFileAtomically.
class AtomicFileWriter final : public services::FileWriter {
public:
    services::WriteResult Write(const std::string& path, std::string_view bytes) override;
};

/// Writes `bytes` to a temporary file beside `path` and renames it into place only once every byte is
/// on disk, so a failure leaves any existing file exactly as it was. A symbolic link is written through
/// to its target and stays a link. A path that exists but is not a regular file (a folder, a named pipe,
/// a device) is refused before anything is opened, so a pipe without a reader cannot block the caller.
services::WriteResult WriteFileAtomically(const QString& path, QByteArrayView bytes);
services::WriteResult WriteFileAtomically(const std::string& path, std::string_view bytes);

} // namespace vortaxel::platform
