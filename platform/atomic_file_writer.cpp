#include "atomic_file_writer.h"

#include <cerrno>
#include <cstring>

#include <QFileInfo>
#include <QSaveFile>

namespace vortaxel::platform {

namespace {

services::WriteResult Failure(const QString& reason) {
    return services::WriteResult::Failure(reason.toStdString());
}

/// Why an existing path cannot take a file, or an empty text when it can. Follows symbolic links, so a
/// link is judged by what it points at.
QString RefusalFor(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isFile()) {
        return {};
    }
    if (info.isDir()) {
        return QStringLiteral("It is a folder");
    }
    return QStringLiteral("It is not a regular file");
}

/// The system's words for a failed open are vague about the commonest cause, a folder that is not there.
QString OpenFailureReason(const QString& path, const QString& systemReason) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.exists()) {
        return QStringLiteral("The folder %1 does not exist").arg(folder.filePath());
    }
    if (!folder.isDir()) {
        return QStringLiteral("%1 is not a folder").arg(folder.filePath());
    }
    return systemReason;
}

/// Qt leaves "Unknown error" for a write the kernel refused (a full disk, a file-size limit); the system's
/// own words, taken right after the failed call, name the cause.
QString WriteFailureReason(const QString& qtReason, int systemError) {
    if (systemError != 0 && (qtReason.isEmpty() || qtReason == QStringLiteral("Unknown error"))) {
        return QString::fromLocal8Bit(std::strerror(systemError));
    }
    return qtReason;
}

} // namespace

services::WriteResult WriteFileAtomically(const QString& path, QByteArrayView bytes) {
    if (path.isEmpty()) {
        return Failure(QStringLiteral("No file name was given"));
    }
    if (const QString refusal = RefusalFor(path); !refusal.isEmpty()) {
        return Failure(refusal);
    }
    QSaveFile file(path);
    // Writing in place when no temporary file can be made would break the all-or-nothing promise.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return Failure(OpenFailureReason(path, file.errorString()));
    }
    errno = 0;
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        const QString reason = WriteFailureReason(file.errorString(), errno);
        file.cancelWriting();
        return Failure(reason);
    }
    errno = 0;
    if (!file.commit()) {
        return Failure(WriteFailureReason(file.errorString(), errno));
    }
    return services::WriteResult::Success();
}

services::WriteResult WriteFileAtomically(const std::string& path, std::string_view bytes) {
    return WriteFileAtomically(QString::fromStdString(path),
                               QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

services::WriteResult AtomicFileWriter::Write(const std::string& path, std::string_view bytes) {
    return WriteFileAtomically(path, bytes);
}

} // namespace vortaxel::platform
