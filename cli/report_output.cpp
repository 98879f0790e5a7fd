#include "cli/report_output.h"

#include "platform/atomic_file_writer.h"

#include <cerrno>
#include <cstring>
#include <new>

#include <QFileInfo>

namespace vortaxel::cli {

std::string WriteReportFile(const std::string& path, std::string_view text) {
    const services::WriteResult result = platform::WriteFileAtomically(path, text);
    return result ? std::string{} : result.error;
}

ReportFile::ReportFile(const std::string& path) : file_(QString::fromStdString(path)) {
    // Writing in place when no temporary file can be made would break the all-or-nothing promise.
    file_.setDirectWriteFallback(false);
    const QFileInfo info(file_.fileName());
    if (info.exists() && !info.isFile()) {
        error_ = info.isDir() ? "It is a folder" : "It is not a regular file";
        return;
    }
    if (!file_.open(QIODevice::WriteOnly)) {
        error_ = file_.errorString().toStdString();
    }
}

void ReportFile::Write(std::string_view text) {
    if (!error_.empty()) {
        return;
    }
    errno = 0;
    if (file_.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        Fail(errno != 0 ? std::strerror(errno) : file_.errorString().toStdString());
    }
}

std::string ReportFile::Commit() {
    if (error_.empty()) {
        errno = 0;
        if (!file_.commit()) {
            error_ = errno != 0 ? std::strerror(errno) : file_.errorString().toStdString();
        }
    }
    return error_;
}

std::string FinishReport(ReportFile& file, const std::function<std::string()>& rest) {
    try {
        file.Write(rest());
    } catch (const std::bad_alloc&) {
        // The temporary file goes with the writer; what was at the path stays.
        return "out of memory";
    }
    return file.Commit();
}

void ReportFile::Fail(const std::string& reason) {
    error_ = reason.empty() ? "write failed" : reason;
    file_.cancelWriting();
}

} // namespace vortaxel::cli
